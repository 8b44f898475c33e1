#pragma once

#include "graphics/FillGroup.h"
#include "graphics/PathFiller.h"
#include "graphics/Renderer.h"
#include "graphics/Styles.h"

#include <QImage>
#include <QPainterPath>
#include <QTransform>
#include <memory>
#include <vector>

namespace vidorama::swf {

// The software renderer: draws into a QImage of format
// Format_ARGB32_Premultiplied, which must outlive it.
//
// Masks are drawn as layers the size of the target: a mask layer receives the
// filled area of the mask's shapes, a content layer the objects it clips; when
// the content ends it is cut to the mask and blended onto the layer beneath.
// Layers remember the box they were drawn in, so that only that much is
// blended and cleared, and are kept for reuse from frame to frame.
class QPainterRenderer final : public Renderer {
public:
    explicit QPainterRenderer(QImage& target);

    void beginFrame(Rgba background, const BitmapSource& bitmaps) override;
    void drawShape(const ShapeDef& shape, const Matrix& matrix,
                   const ColorTransform& colors) override;
    void drawMorphShape(const MorphShapeDef& morph, std::uint16_t ratio, const Matrix& matrix,
                        const ColorTransform& colors) override;
    void drawBitmap(const BitmapDef& bitmap, const Matrix& matrix, const ColorTransform& colors,
                    bool smoothed) override;
    void pushMask() override;
    void activateMask() override;
    void popMask() override;
    void endFrame() override;

private:
    enum class LayerKind { Mask, Content };
    struct Layer {
        LayerKind kind;
        QImage image;
        QRect dirty;
    };

    // A fill path with its style, ready to draw.
    struct StyledFill {
        QPainterPath path;
        const FillStyle* style;
    };

    QImage& canvas();
    bool drawingMask() const;
    void paint(const QPainterPath& path, const QTransform& toDevice, const Paint& paint);
    void pushLayer(LayerKind kind);
    void releaseLayer(Layer layer);
    Paint paintFor(const FillStyle& style, const ColorTransform& colors, const QTransform& toDevice,
                   std::unique_ptr<FillShader>& shader);
    void fill(const QPainterPath& path, const FillStyle& style, const QTransform& toDevice,
              const ColorTransform& colors);
    // The fills of one style group, in style order.
    void drawFills(const std::vector<StyledFill>& fills, const QTransform& toDevice,
                   const ColorTransform& colors);
    void stroke(const QPainterPath& path, const LineStyle& style, const QTransform& toDevice,
                const ColorTransform& colors);

    QImage& m_target;
    const BitmapSource* m_bitmaps = nullptr;
    std::vector<Layer> m_layers;
    // Cleared layer images for reuse, all of m_spareSize.
    std::vector<QImage> m_spareMasks, m_spareContents;
    QSize m_spareSize;
    FillGroup m_fillGroup;
    int m_ignoredMasks = 0;
};

} // namespace vidorama::swf
