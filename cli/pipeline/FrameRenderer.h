#pragma once

#include "pipeline/BackgroundSink.h"
#include "pipeline/FramePool.h"

#include <QImage>
#include <cstdint>
#include <memory>

namespace vidorama::swf {
class Player;
class QPainterRenderer;
class Renderer;
} // namespace vidorama::swf

namespace vidorama::cli {

class RepeatFilter;

// Whether the stage's background colour is painted under the movie.
enum class StageBackground { Painted, Transparent };

// Draws the player's frames at the output size: the vectors are drawn at
// that size rather than a small picture being scaled up. One renderer and a
// few pictures serve every frame, so a conversion's memory does not grow, a
// frame that is the same as the one before is not drawn again, and one that
// differs from it in part is drawn again only there. A frame handed on is
// never drawn over while its receiver holds it (sharing the picture, as
// QImage does): the next one goes into another of the pictures, enough for
// a BackgroundSink's frames in flight.
class FrameRenderer {
public:
    FrameRenderer(QSize size, StageBackground background);
    ~FrameRenderer();

    static constexpr int kPictures = BackgroundSink::kPictures + 1;

    // The frame in Format_ARGB32_Premultiplied, top row first; valid until
    // the next call. A copy of it keeps its pixels.
    const QImage& render(const swf::Player& player);
    // True when the last frame rendered is the same as the one before.
    bool repeated() const;
    // The pixels drawn for the last frame: none when it was repeated.
    QRect drawnArea() const;
    // True when the picture could not be allocated.
    bool isNull() const { return m_pool.current().isNull(); }
    // What all frames drawn so far may have cost together: filter work and
    // pixels painted. A frame past the pixels allowed is not drawn; the last
    // picture stands for it, as a repeat.
    void allowWork(std::uint64_t filterWork, std::uint64_t pixelsPainted);
    // True once objects were drawn without their filters because their
    // allowance was spent.
    bool filtersLeftOut() const;
    // Frames whose pictures were not drawn because the pixels allowed were
    // spent.
    std::int64_t framesHeld() const { return m_framesHeld; }

private:
    FramePool m_pool;
    std::unique_ptr<swf::QPainterRenderer> m_painter;
    std::unique_ptr<swf::Renderer> m_clearStage;
    std::unique_ptr<RepeatFilter> m_filter;
    std::uint64_t m_pixelsAllowed = UINT64_MAX;
    bool m_held = false;
    std::int64_t m_framesHeld = 0;
};

} // namespace vidorama::cli
