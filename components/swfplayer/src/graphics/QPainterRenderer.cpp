#include "graphics/QPainterRenderer.h"

#include "graphics/BitmapDef.h"
#include "graphics/BlendCompositor.h"
#include "graphics/ColorFilters.h"
#include "graphics/LayerCompositor.h"
#include "graphics/MorphBlend.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/PathFiller.h"
#include "graphics/QtPath.h"
#include "graphics/ShapeDef.h"
#include "graphics/StrokeOutline.h"
#include "swf/Limits.h"

#include <QPainter>
#include <algorithm>
#include <memory>

namespace vidorama::swf {

namespace {

QTransform ToQt(const Matrix& m) {
    return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty);
}

Matrix FromQt(const QTransform& t) {
    return {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
}

QColor ToQColor(Rgba c) {
    return QColor(c.r, c.g, c.b, c.a);
}

} // namespace

QPainterRenderer::QPainterRenderer(QImage& target) : m_target(target) {}

QImage& QPainterRenderer::canvas() {
    return m_layers.empty() ? m_target : m_layers.back().image;
}

bool QPainterRenderer::drawingMask() const {
    return !m_layers.empty() && m_layers.back().kind == LayerKind::Mask;
}

void QPainterRenderer::beginFrame(Rgba background, StageQuality quality,
                                  const BitmapSource& bitmaps) {
    m_edges = EdgeModeFor(quality);
    m_quality = quality;
    m_bitmaps = &bitmaps;
    while (!m_layers.empty()) {
        releaseLayer(std::move(m_layers.back()));
        m_layers.pop_back();
    }
    if (m_spareSize != m_target.size()) {
        m_spareMasks.clear();
        m_spareContents.clear();
        m_spareSize = m_target.size();
    }
    m_ignoredMasks = 0;
    m_ignoredGroups = 0;
    m_filterBudget.reset();
    m_limit = m_nextLimit ? *m_nextLimit & m_target.rect() : m_target.rect();
    m_nextLimit.reset();
    if (m_limit == m_target.rect()) {
        m_target.fill(ToQColor(background));
        return;
    }
    QPainter painter(&m_target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(m_limit, ToQColor(background));
}

void QPainterRenderer::limitNextFrame(PixelBox area) {
    m_nextLimit = QRect(area.x, area.y, area.width, area.height);
}

void QPainterRenderer::paint(const QPainterPath& path, const QTransform& toDevice,
                             const Paint& paint) {
    markDirty(FillPath(canvas(), path, toDevice, paint, m_edges, m_limit));
}

void QPainterRenderer::markDirty(QRect changed) {
    if (!changed.isEmpty())
        m_pixelsPainted += static_cast<std::uint64_t>(changed.width()) * changed.height();
    if (!m_layers.empty())
        m_layers.back().dirty |= changed;
}

Paint QPainterRenderer::paintFor(const FillStyle& style, const ColorTransform& colors,
                                 const QTransform& toDevice, std::unique_ptr<FillShader>& shader) {
    switch (style.type) {
    case FillType::Solid:
        return Paint{ToQColor(colors.apply(style.color)), nullptr};
    case FillType::LinearGradient:
    case FillType::RadialGradient:
    case FillType::FocalGradient:
        shader = MakeGradientShader(style, colors, toDevice);
        break;
    case FillType::Bitmap: {
        FillStyle sampled = style;
        sampled.bitmapSmoothed = SmoothsBitmap(m_quality, style.bitmapSmoothed);
        shader = MakeBitmapShader(sampled, colors, toDevice,
                                  m_bitmaps ? m_bitmaps->bitmap(style.bitmapId) : nullptr);
        break;
    }
    }
    return Paint{QColor(Qt::transparent), shader.get()};
}

void QPainterRenderer::fill(const QPainterPath& path, const FillStyle& style,
                            const QTransform& toDevice, const ColorTransform& colors) {
    // A mask is its shapes' filled area, whatever their colours or alpha.
    if (drawingMask()) {
        paint(path, toDevice, Paint{Qt::white, nullptr});
        return;
    }
    std::unique_ptr<FillShader> shader;
    paint(path, toDevice, paintFor(style, colors, toDevice, shader));
}

void QPainterRenderer::drawFills(const std::vector<StyledFill>& fills, const QTransform& toDevice,
                                 const ColorTransform& colors) {
    if (fills.size() < 2 || drawingMask()) {
        for (const StyledFill& f : fills)
            fill(f.path, *f.style, toDevice, colors);
        return;
    }
    QRectF bounds;
    for (const StyledFill& f : fills)
        bounds |= toDevice.mapRect(f.path.controlPointRect());
    QRect box = DeviceBox(bounds, canvas().rect());
    if ((box & m_limit).isEmpty())
        return;
    m_fillGroup.begin(box, m_edges, m_limit);
    for (auto f = fills.rbegin(); f != fills.rend(); ++f) {
        std::unique_ptr<FillShader> shader;
        Paint paint = paintFor(*f->style, colors, toDevice, shader);
        if (paint.visible())
            m_fillGroup.add(f->path, toDevice, paint);
    }
    markDirty(m_fillGroup.finish(canvas()));
}

void QPainterRenderer::stroke(const QPainterPath& path, const LineStyle& style,
                              const QTransform& toDevice, const ColorTransform& colors) {
    // Strokes of a mask do not add to its area.
    if (drawingMask())
        return;
    StrokeArea area = OutlineStroke(path, style, toDevice);
    // At low quality Flash draws solid lines no wider than a pixel on the
    // pixels below and right of them: a line along x = 10 fills column 10,
    // where an outline around it would fill column 9. Lines with a gradient
    // or bitmap fill are outlined like any other stroke.
    if (m_edges == EdgeMode::Aliased && area.thin && !style.hasFill)
        area.outline.translate(0.5, 0.5);
    FillStyle paint;
    if (style.hasFill)
        paint = style.fill;
    else
        paint.color = style.color;
    // The stroke's fill is laid out in the shape's space even when its outline
    // was made in target pixels.
    if (paint.type != FillType::Solid && area.toDevice != toDevice)
        paint.matrix = FromQt(toDevice) * paint.matrix;
    fill(area.outline, paint, area.toDevice, colors);
}

void QPainterRenderer::drawShape(const ShapeDef& shape, const Matrix& matrix,
                                 const ColorTransform& colors) {
    QTransform toDevice = ToQt(matrix);
    const ShapePathCache::Paths& paths = m_shapePaths.pathsOf(shape);
    for (std::size_t l = 0; l < shape.layers().size(); ++l) {
        const ShapeLayer& layer = shape.layers()[l];
        std::vector<StyledFill> fills;
        for (std::size_t i = 0; i < layer.fills.size(); ++i) {
            const std::uint32_t style = layer.fills[i].style;
            if (style < shape.fillStyles().size())
                fills.push_back({paths.fills[l][i], &shape.fillStyles()[style]});
        }
        drawFills(fills, toDevice, colors);
        for (std::size_t i = 0; i < layer.strokes.size(); ++i) {
            const std::uint32_t style = layer.strokes[i].style;
            if (style < shape.lineStyles().size())
                stroke(paths.strokes[l][i], shape.lineStyles()[style], toDevice, colors);
        }
    }
}

void QPainterRenderer::drawMorphShape(const MorphShapeDef& morph, std::uint16_t ratio,
                                      const Matrix& matrix, const ColorTransform& colors) {
    QTransform toDevice = ToQt(matrix);
    const MorphShapeDef::Data& d = morph.data();
    double t = ratio / 65535.0;
    // The blended styles must stay in place while the fills refer to them.
    std::vector<FillStyle> styles;
    styles.reserve(d.fills.size());
    std::vector<StyledFill> fills;
    for (const MorphShapeDef::MorphPath& f : d.fills) {
        if (f.style >= d.startFills.size() || f.style >= d.endFills.size())
            continue;
        QPainterPath path = BlendPaths(f.start, f.end, t);
        path.setFillRule(Qt::OddEvenFill);
        styles.push_back(BlendFill(d.startFills[f.style], d.endFills[f.style], t));
        fills.push_back({std::move(path), &styles.back()});
    }
    drawFills(fills, toDevice, colors);
    for (const MorphShapeDef::MorphPath& s : d.strokes) {
        if (s.style >= d.startLines.size() || s.style >= d.endLines.size())
            continue;
        LineStyle style = BlendLine(d.startLines[s.style], d.endLines[s.style], t);
        stroke(BlendPaths(s.start, s.end, t, !style.noClose), style, toDevice, colors);
    }
}

void QPainterRenderer::drawBitmap(const BitmapDef& bitmap, const Matrix& matrix,
                                  const ColorTransform& colors, bool smoothed) {
    QPainterPath area;
    area.addRect(0, 0, bitmap.width(), bitmap.height());
    FillStyle style;
    style.type = FillType::Bitmap;
    style.bitmapRepeats = false;
    style.bitmapSmoothed = SmoothsBitmap(m_quality, smoothed);
    QTransform toDevice = ToQt(matrix);
    if (drawingMask()) {
        paint(area, toDevice, Paint{Qt::white, nullptr});
        return;
    }
    std::unique_ptr<FillShader> shader = MakeBitmapShader(style, colors, toDevice, &bitmap);
    if (shader)
        paint(area, toDevice, Paint{QColor(Qt::transparent), shader.get()});
}

void QPainterRenderer::addLayer(LayerKind kind) {
    std::vector<QImage>& spares = kind == LayerKind::Mask ? m_spareMasks : m_spareContents;
    QImage image;
    if (!spares.empty()) {
        image = std::move(spares.back());
        spares.pop_back();
    } else {
        // A mask only needs its coverage.
        image =
            QImage(m_target.size(), kind == LayerKind::Mask ? QImage::Format_Alpha8
                                                            : QImage::Format_ARGB32_Premultiplied);
        image.fill(0);
    }
    m_layers.push_back({kind, std::move(image), QRect()});
}

void QPainterRenderer::releaseLayer(Layer layer) {
    if (!layer.dirty.isEmpty()) {
        QPainter painter(&layer.image);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(layer.dirty, Qt::transparent);
    }
    (layer.kind == LayerKind::Mask ? m_spareMasks : m_spareContents)
        .push_back(std::move(layer.image));
}

bool QPainterRenderer::layerFits(LayerKind kind, int extraBytesPerPixel) const {
    auto pixels = static_cast<std::uint64_t>(m_target.width()) * m_target.height();
    std::uint64_t bytes = pixels * static_cast<std::uint64_t>(extraBytesPerPixel);
    int sameKind = 0;
    for (const Layer& layer : m_layers) {
        bytes += pixels * (layer.kind == LayerKind::Mask ? 1 : 4);
        sameKind += layer.kind == kind ? 1 : 0;
    }
    int nesting = kind == LayerKind::Mask ? Limits::kMaxMaskNesting : Limits::kMaxLayerNesting;
    return sameKind < nesting && bytes <= Limits::kMaxLayerBytes;
}

void QPainterRenderer::pushMask(MaskKind kind) {
    // Masks nested deeper than the limits are not drawn; what they would clip
    // is drawn unclipped. Each level takes a coverage layer and a content
    // layer of the target's size, 5 bytes a pixel, and an alpha mask's
    // picture 4 more.
    const bool alpha = kind == MaskKind::Alpha;
    if (m_ignoredMasks > 0 || !layerFits(LayerKind::Mask, alpha ? 9 : 5)) {
        ++m_ignoredMasks;
        return;
    }
    addLayer(LayerKind::Mask);
    if (alpha)
        addLayer(LayerKind::MaskPicture);
}

void QPainterRenderer::activateMask() {
    if (m_ignoredMasks > 0)
        return;
    if (!m_layers.empty() && m_layers.back().kind == LayerKind::MaskPicture) {
        Layer picture = std::move(m_layers.back());
        m_layers.pop_back();
        AddAlphaToMask(m_layers.back().image, picture.image, picture.dirty);
        m_layers.back().dirty |= picture.dirty;
        releaseLayer(std::move(picture));
    }
    if (!drawingMask())
        return;
    addLayer(LayerKind::Content);
}

// Masked content is drawn alone until a blend mode needs what is beneath:
// then the layer beneath the mask (itself completed first, if it is masked
// content too) is put under the content, within the mask's area.
void QPainterRenderer::addBackdrop(std::size_t contentIndex) {
    Layer& content = m_layers[contentIndex];
    if (content.kind != LayerKind::Content || content.overBackdrop || contentIndex == 0)
        return;
    QRect maskArea = m_layers[contentIndex - 1].dirty;
    if (contentIndex >= 2)
        addBackdrop(contentIndex - 2);
    const QImage& backdrop = contentIndex >= 2 ? m_layers[contentIndex - 2].image : m_target;
    // Inside another mask's own drawing only coverage counts.
    if (backdrop.format() == QImage::Format_Alpha8)
        return;
    UnderlayArea(content.image, backdrop, maskArea);
    content.dirty |= maskArea;
    content.overBackdrop = true;
}

void QPainterRenderer::popMask() {
    if (m_ignoredMasks > 0) {
        --m_ignoredMasks;
        return;
    }
    if (m_layers.empty())
        return;
    // A mask that never got its content clips nothing.
    if (m_layers.back().kind == LayerKind::MaskPicture) {
        releaseLayer(std::move(m_layers.back()));
        m_layers.pop_back();
    }
    if (!m_layers.empty() && m_layers.back().kind == LayerKind::Mask) {
        releaseLayer(std::move(m_layers.back()));
        m_layers.pop_back();
        return;
    }
    Layer content = std::move(m_layers.back());
    m_layers.pop_back();
    Layer mask = std::move(m_layers.back());
    m_layers.pop_back();
    QRect shown = content.dirty & mask.dirty;
    if (!shown.isEmpty()) {
        CompositeMasked(canvas(), content.image, mask.image, shown,
                        content.overBackdrop ? MaskedContent::OverBackdrop
                                             : MaskedContent::DrawnAlone);
        markDirty(shown);
    }
    releaseLayer(std::move(content));
    releaseLayer(std::move(mask));
}

// A layer inside a mask's own drawing would change nothing of the mask's
// area, so none is made there.
void QPainterRenderer::pushLayer() {
    if (m_ignoredGroups > 0 || drawingMask() || !layerFits(LayerKind::Group, 4)) {
        ++m_ignoredGroups;
        return;
    }
    addLayer(LayerKind::Group);
}

void QPainterRenderer::popLayer(const LayerEffects& effects) {
    if (m_ignoredGroups > 0) {
        --m_ignoredGroups;
        return;
    }
    if (m_layers.empty() || m_layers.back().kind != LayerKind::Group)
        return;
    Layer group = std::move(m_layers.back());
    m_layers.pop_back();
    QRect area = group.dirty;
    if (!effects.filters.empty())
        area = ApplyFilters(group.image, area, effects.filters, m_filterBudget);
    group.dirty = area;
    if (!effects.colors.isIdentity())
        ApplyColorTransform(group.image, area, effects.colors);
    // Alpha and Erase work on the alpha of the layer beneath; the stage itself
    // is opaque, so there they change nothing.
    bool onStage = m_layers.empty();
    bool alphaOnly = effects.blend == BlendMode::Alpha || effects.blend == BlendMode::Erase;
    if (!onStage && effects.blend != BlendMode::Normal && effects.blend != BlendMode::Layer)
        addBackdrop(m_layers.size() - 1);
    if (!area.isEmpty() && !(onStage && alphaOnly)) {
        CompositeBlended(canvas(), group.image, area, effects.blend);
        markDirty(area);
    }
    releaseLayer(std::move(group));
}

void QPainterRenderer::endFrame() {
    m_ignoredMasks = 0;
    m_ignoredGroups = 0;
    while (!m_layers.empty()) {
        if (m_layers.back().kind == LayerKind::Group)
            popLayer(LayerEffects{});
        else
            popMask();
    }
    m_bitmaps = nullptr;
    m_shapePaths.endFrame();
}

} // namespace vidorama::swf
