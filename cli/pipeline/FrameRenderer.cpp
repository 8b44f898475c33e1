#include "pipeline/FrameRenderer.h"

#include "graphics/QPainterRenderer.h"
#include "pipeline/RepeatFilter.h"
#include "player/FrameImage.h"

namespace vidorama::cli {

namespace {

// Passes a frame on to the software renderer, but starts it on a clear
// picture instead of the stage colour, so that only what the movie draws is
// opaque.
class ClearStageRenderer final : public swf::Renderer {
public:
    explicit ClearStageRenderer(swf::QPainterRenderer& inner) : m_inner(inner) {}

    void beginFrame(swf::Rgba, swf::StageQuality quality,
                    const swf::BitmapSource& bitmaps) override {
        m_inner.beginFrame(swf::Rgba{0, 0, 0, 0}, quality, bitmaps);
    }
    void drawShape(const swf::ShapeDef& shape, const swf::Matrix& matrix,
                   const swf::ColorTransform& colors) override {
        m_inner.drawShape(shape, matrix, colors);
    }
    void drawMorphShape(const swf::MorphShapeDef& morph, std::uint16_t ratio,
                        const swf::Matrix& matrix, const swf::ColorTransform& colors) override {
        m_inner.drawMorphShape(morph, ratio, matrix, colors);
    }
    void drawBitmap(const swf::BitmapDef& bitmap, const swf::Matrix& matrix,
                    const swf::ColorTransform& colors, bool smoothed) override {
        m_inner.drawBitmap(bitmap, matrix, colors, smoothed);
    }
    void pushMask(swf::MaskKind kind) override { m_inner.pushMask(kind); }
    void activateMask() override { m_inner.activateMask(); }
    void popMask() override { m_inner.popMask(); }
    void pushLayer() override { m_inner.pushLayer(); }
    void popLayer(const swf::LayerEffects& effects) override { m_inner.popLayer(effects); }
    void endFrame() override { m_inner.endFrame(); }
    void limitNextFrame(swf::PixelBox area) override { m_inner.limitNextFrame(area); }

private:
    swf::QPainterRenderer& m_inner;
};

} // namespace

FrameRenderer::FrameRenderer(QSize size, StageBackground background)
    : m_pool(size, kPictures),
      m_painter(std::make_unique<swf::QPainterRenderer>(m_pool.current())) {
    if (background == StageBackground::Transparent)
        m_clearStage = std::make_unique<ClearStageRenderer>(*m_painter);
    m_filter = std::make_unique<RepeatFilter>(m_clearStage ? *m_clearStage : *m_painter, size,
                                              [this] { return m_pool.prepare(); });
}

FrameRenderer::~FrameRenderer() = default;

const QImage& FrameRenderer::render(const swf::Player& player) {
    m_held = m_painter->pixelsPainted() > m_pixelsAllowed;
    QImage& picture = m_pool.current();
    if (m_held) {
        ++m_framesHeld;
        return picture;
    }
    swf::DrawFrame(player, *m_filter, picture.width(), picture.height());
    if (!m_filter->repeated())
        m_pool.frameDrawn(m_filter->changedArea());
    return picture;
}

bool FrameRenderer::repeated() const {
    return m_held || m_filter->repeated();
}

QRect FrameRenderer::drawnArea() const {
    return m_held ? QRect() : m_filter->drawnArea();
}

void FrameRenderer::allowWork(std::uint64_t filterWork, std::uint64_t pixelsPainted) {
    m_painter->filterBudget().setTotalAllowance(filterWork);
    m_pixelsAllowed = pixelsPainted;
}

bool FrameRenderer::filtersLeftOut() const {
    return m_painter->filterBudget().allowanceRanOut();
}

} // namespace vidorama::cli
