#pragma once

#include "pipeline/FrameSink.h"

#include <QImage>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace vidorama::cli {

// Hands frames and sound on to another sink from a thread of its own, in the
// order they come, so that the movie plays and draws its next frames while
// the frames before are converted and encoded. A frame is not copied: the
// sink keeps a shared reference to its picture (QImage's implicit sharing)
// until it is written, so whoever draws the next one must draw it elsewhere,
// or pay for Qt's copy on write. When kPictures frames wait to be written,
// writing the next one waits. So at most kPictures frames are in flight
// beyond the one being drawn, however long the movie.
//
// An error of the other sink is answered by the next call; the frames still
// waiting are then dropped.
class BackgroundSink final : public FrameSink {
public:
    static constexpr int kPictures = 3;

    explicit BackgroundSink(FrameSink& target);
    ~BackgroundSink() override;
    BackgroundSink(const BackgroundSink&) = delete;
    BackgroundSink& operator=(const BackgroundSink&) = delete;

    encoder::Status writeFrame(const QImage& frame) override;
    encoder::Status repeatFrame() override;
    encoder::Status writeSound(std::span<const std::int16_t> samples) override;
    // Waits until everything is written, then completes the other sink.
    encoder::Status finish() override;
    void abandon() override;

private:
    struct Item {
        enum class Kind { Frame, Repeat, Sound } kind;
        QImage picture = {};
        std::vector<std::int16_t> sound = {};
    };

    encoder::Status push(Item item);
    void run();
    encoder::Status write(const Item& item);
    // Ends the thread after what is queued, or at once dropping it.
    void stop(bool dropQueued);
    void dropQueued();

    FrameSink& m_target;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    int m_framesInFlight = 0;
    encoder::Status m_status = encoder::Status::success();
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace vidorama::cli
