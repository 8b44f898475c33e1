#pragma once

#include "graphics/Renderer.h"

#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vidorama::cli {

// Passes a frame on to the renderer that draws it only when it differs from
// the frame before; otherwise the renderer's picture, which still shows the
// frame before, is already right. A frame is kept as the list of calls the
// player made to describe it, with every argument: two equal lists draw the
// same picture. The definitions drawn are held as long as the list, so that
// none can be freed and another made at its address, and pointer equality
// stays content equality (definitions are immutable once made); a shape made
// for one call alone (a text field's box) is copied and compared by content.
//
// A frame that differs is drawn again only where it differs, when that can be
// told: calls that changed between two lists of the same shape, or the run of
// calls between what the lists start and end with alike, may change only the
// pixels they cover in either frame; every other pixel sees the same calls in
// the same order, and keeps its colour. Filters reach beyond what they
// cover, and a layer's effects change all its pixels at once, so frames with
// filters, and changes to layers' effects, are drawn again in full.
class RepeatFilter final : public swf::Renderer {
public:
    // Called before a frame is drawn: readies the renderer's target and
    // answers its pixels that do not show the frame before, which are drawn
    // again with what changed.
    using TargetPreparer = std::function<QRect()>;

    // picture: the size of the renderer's target.
    RepeatFilter(swf::Renderer& target, QSize picture, TargetPreparer prepare = {});
    ~RepeatFilter() override;

    void beginFrame(swf::Rgba background, swf::StageQuality quality,
                    const swf::BitmapSource& bitmaps) override;
    void drawShape(const swf::ShapeDef& shape, const swf::Matrix& matrix,
                   const swf::ColorTransform& colors) override;
    void drawMorphShape(const swf::MorphShapeDef& morph, std::uint16_t ratio,
                        const swf::Matrix& matrix, const swf::ColorTransform& colors) override;
    void drawBitmap(const swf::BitmapDef& bitmap, const swf::Matrix& matrix,
                    const swf::ColorTransform& colors, bool smoothed) override;
    void pushMask(swf::MaskKind kind) override;
    void activateMask() override;
    void popMask() override;
    void pushLayer() override;
    void popLayer(const swf::LayerEffects& effects) override;
    void endFrame() override;

    // True when the last frame was the same as the one before it and was
    // not drawn again.
    bool repeated() const { return m_repeated; }
    // The pixels the last frame drew: none when it was repeated.
    QRect drawnArea() const { return m_drawn; }
    // Where the last frame differs from the one before: none when it was
    // repeated, all of the picture when that cannot be told.
    QRect changedArea() const { return m_changed; }

private:
    struct Call;
    struct Frame {
        swf::Rgba background;
        // A script that changes the quality changes the picture.
        swf::StageQuality quality = swf::StageQuality::High;
        std::vector<Call> calls;
        bool operator==(const Frame& other) const;
    };

    void add(Call call);
    // Where the next frame differs from the one before, if that is known.
    std::optional<QRect> differences() const;
    // What to draw of the next frame, given where it differs and the pixels
    // of the target that do not show the frame before; none for all of it.
    std::optional<QRect> limitFor(const std::optional<QRect>& changed, const QRect& stale) const;
    static bool reaches(const Call& call, const QRect& limit);

    swf::Renderer& m_target;
    QRect m_picture;
    QRect m_drawn;
    QRect m_changed;
    TargetPreparer m_prepare;
    Frame m_previous;
    Frame m_next;
    bool m_hasPrevious = false;
    bool m_repeated = false;
    // Valid from beginFrame() to endFrame(): the player's look-up of bitmap
    // fills, which are in the movie's dictionary and do not change.
    const swf::BitmapSource* m_bitmaps = nullptr;
};

} // namespace vidorama::cli
