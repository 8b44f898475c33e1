#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <deque>
#include <vector>

namespace vidorama::cli {

// The pictures a renderer draws its frames into in turn, so that a frame can
// be handed to another thread without copying it: the receiver keeps a
// shared reference to the picture, and the next frame is drawn into one that
// nobody else holds any more. A picture taken up again still shows an
// earlier frame, so each one remembers which, and the pool tells how much of
// it must be drawn again: everything that changed since that frame.
//
// At most `pictures` pictures are made. When a receiver holds all of them,
// the oldest is drawn into all the same; Qt's implicit sharing then gives the
// receiver's copy its own pixels, so a receiver that keeps frames never sees
// them change, it only costs the copy.
class FramePool {
public:
    FramePool(QSize size, int pictures);

    // The picture the next frame is drawn into; the same object for the
    // pool's whole life, its pixels swapped in by prepare().
    QImage& current() { return m_current; }
    const QImage& current() const { return m_current; }
    // Makes current() a picture that only the pool holds, if there is one,
    // before a frame is drawn into it. Answers the pixels of it that do not
    // show the last frame drawn.
    QRect prepare();
    // Records that a frame was drawn into current(), differing from the frame
    // drawn before it only within changed.
    void frameDrawn(const QRect& changed);
    // Pictures made so far.
    int picturesMade() const { return 1 + static_cast<int>(m_spares.size()); }

private:
    struct Spare {
        QImage image;
        // The frame it shows, counted in frames drawn; -1 for none.
        std::int64_t frame;
    };

    // The pixels that changed after a frame, up to the last one drawn.
    QRect changedSince(std::int64_t frame) const;

    QRect m_rect;
    int m_limit;
    QImage m_current;
    std::int64_t m_frame = -1;
    std::vector<Spare> m_spares;
    // What each of the last frames drawn changed, the newest last.
    std::deque<QRect> m_changes;
};

} // namespace vidorama::cli
