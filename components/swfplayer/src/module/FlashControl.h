#pragma once

#include "module/FramePacer.h"
#include "module/SoundOutput.h"
#include "vidorama/flash/FlashControl.h"
#include "vidorama/swf/FrameRate.h"

#include <QTimer>
#include <memory>

namespace vidorama::swf {

class MoviePlayer;

// The player as the program hosts it: the automation members by dispatch
// identifier, real-time play at the movie's frame rate on the thread that
// owns it (a Qt timer), painting the current frame stretched to any size, and
// the movie's sound on the wave-out device. While a stream sound plays, the
// picture follows the sound, as in Flash: frames are entered as the device
// needs their sound, several at once (and painted once) when painting falls
// behind, so that sound and picture never drift apart.
class FlashControl final : public flash::IFlashControl {
public:
    FlashControl();
    ~FlashControl() override;

    flash::Variant Invoke(flash::DispId id, flash::InvokeKind kind,
                          std::span<const flash::Variant> args) override;
    void Paint(QImage& target) override;
    void SetRepaintRequest(std::function<void()> request) override;
    flash::ImportTable& Imports() override { return m_imports; }

    // Enters the next frame and hands its sound to the device, as the timer
    // does for every frame that falls due; a host that keeps time itself
    // drives the control frame by frame with it.
    void enterFrame();

private:
    flash::Variant property(flash::DispId id);
    void putProperty(flash::DispId id, const flash::Variant& value);
    flash::Variant method(flash::DispId id, std::span<const flash::Variant> args);

    void loadMovie(const std::string& url);
    void setPlaying(bool playing);
    // Frames are 0-based at this interface, as the control counts them.
    void gotoFrame(std::int32_t frame);
    std::int32_t currentFrame() const;
    void tick();
    // Frames due now: by the sound device while a stream plays, otherwise
    // by the clock.
    int framesDue();
    void queueFrameSound();
    void repaint();

    std::unique_ptr<MoviePlayer> m_player;
    FramePacer m_pacer;
    QTimer m_timer;
    std::function<void()> m_repaint;
    // The wave-out functions the player plays its sound through, called only
    // through this table so that the host can intercept them.
    flash::ImportTable m_imports;
    SoundOutput m_sound{m_imports};
    FrameRate m_rate{12, 1};
    // Frames entered since the movie was loaded; frame k's sound is
    // m_rate.samplesOf(k) sample frames long.
    std::uint64_t m_framesEntered = 0;
    std::vector<std::int16_t> m_mixBuffer;
    std::int32_t m_scaleMode = 0;
    bool m_loop = true;
    bool m_menu = true;
};

} // namespace vidorama::swf
