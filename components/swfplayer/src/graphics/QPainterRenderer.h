#pragma once

#include "graphics/FillGroup.h"
#include "graphics/FilterRunner.h"
#include "graphics/PathFiller.h"
#include "graphics/Renderer.h"
#include "graphics/ShapePathCache.h"
#include "graphics/StageQuality.h"
#include "graphics/Styles.h"

#include <QImage>
#include <QPainterPath>
#include <QTransform>
#include <memory>
#include <optional>
#include <vector>

namespace vidorama::swf {

// The software renderer: draws into a QImage of format
// Format_ARGB32_Premultiplied, which must outlive it.
//
// Masks are drawn as layers the size of the target: a mask layer receives the
// filled area of the mask's shapes (an alpha mask draws its picture into a
// layer of its own first, whose alpha the mask layer then takes), a content
// layer the objects it clips; when
// the content ends it is cut to the mask and blended onto the layer beneath.
// Flash's masks only clip, so an object with a blend mode drawn through a mask
// blends with what is beneath the mask: the content layer then gets that
// layer's pixels beneath its own.
// Objects with a blend mode or filters are drawn into a group layer of the
// same size, which is filtered and blended onto the layer beneath when it
// ends. Layers remember the box they were drawn in, so that only that much is
// filtered, blended and cleared, and are kept for reuse from frame to frame.
class QPainterRenderer final : public Renderer {
public:
    explicit QPainterRenderer(QImage& target);

    void beginFrame(Rgba background, StageQuality quality, const BitmapSource& bitmaps) override;
    void drawShape(const ShapeDef& shape, const Matrix& matrix,
                   const ColorTransform& colors) override;
    void drawMorphShape(const MorphShapeDef& morph, std::uint16_t ratio, const Matrix& matrix,
                        const ColorTransform& colors) override;
    void drawBitmap(const BitmapDef& bitmap, const Matrix& matrix, const ColorTransform& colors,
                    bool smoothed) override;
    void pushMask(MaskKind kind) override;
    void activateMask() override;
    void popMask() override;
    void pushLayer() override;
    void popLayer(const LayerEffects& effects) override;
    void endFrame() override;
    void limitNextFrame(PixelBox area) override;

    FilterBudget& filterBudget() { return m_filterBudget; }
    // Pixels painted since the renderer was made: what drawing has cost.
    std::uint64_t pixelsPainted() const { return m_pixelsPainted; }

private:
    enum class LayerKind { Mask, MaskPicture, Content, Group };
    struct Layer {
        LayerKind kind;
        QImage image;
        QRect dirty;
        // A content layer that holds what is beneath its mask too.
        bool overBackdrop = false;
    };

    // A fill path with its style, ready to draw.
    struct StyledFill {
        QPainterPath path;
        const FillStyle* style;
    };

    QImage& canvas();
    bool drawingMask() const;
    void paint(const QPainterPath& path, const QTransform& toDevice, const Paint& paint);
    void addLayer(LayerKind kind);
    // Whether one more layer of the kind fits the limits on nesting and memory.
    bool layerFits(LayerKind kind, int extraBytesPerPixel) const;
    void markDirty(QRect changed);
    void addBackdrop(std::size_t contentIndex);
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
    // The target pixels this frame draws, and those the next one will.
    QRect m_limit;
    std::optional<QRect> m_nextLimit;
    EdgeMode m_edges = EdgeMode::Antialiased;
    StageQuality m_quality = StageQuality::High;
    const BitmapSource* m_bitmaps = nullptr;
    std::vector<Layer> m_layers;
    // Cleared layer images for reuse, all of m_spareSize.
    std::vector<QImage> m_spareMasks, m_spareContents;
    QSize m_spareSize;
    FillGroup m_fillGroup;
    ShapePathCache m_shapePaths;
    FilterBudget m_filterBudget;
    std::uint64_t m_pixelsPainted = 0;
    // Masks and layers over the limits are not made; what they would hold is
    // drawn onto the layer beneath. Once one is left out, so are all inside it.
    int m_ignoredMasks = 0;
    int m_ignoredGroups = 0;
};

} // namespace vidorama::swf
