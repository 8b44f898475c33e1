#include "pipeline/RepeatFilter.h"

#include "graphics/BitmapDef.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"

namespace vidorama::cli {

namespace {

enum class Op : std::uint8_t {
    Shape,
    MorphShape,
    Bitmap,
    PushMask,
    ActivateMask,
    PopMask,
    PushLayer,
    PopLayer
};

std::shared_ptr<const swf::CharacterDef> Held(const swf::CharacterDef& definition) {
    return definition.weak_from_this().lock();
}

std::shared_ptr<const swf::CharacterDef> Copied(const swf::ShapeDef& shape) {
    swf::ShapeDef::Data copy{shape.bounds(),     shape.edgeBounds(), shape.nonZeroWinding(),
                             shape.fillStyles(), shape.lineStyles(), shape.layers()};
    return std::make_shared<const swf::ShapeDef>(shape.id(), std::move(copy));
}

bool SameContent(const swf::ShapeDef& a, const swf::ShapeDef& b) {
    return a.bounds() == b.bounds() && a.edgeBounds() == b.edgeBounds() &&
           a.nonZeroWinding() == b.nonZeroWinding() && a.fillStyles() == b.fillStyles() &&
           a.lineStyles() == b.lineStyles() && a.layers() == b.layers();
}

bool SameEffects(const swf::LayerEffects& a, const swf::LayerEffects& b) {
    return a.blend == b.blend && a.filters == b.filters && a.colors == b.colors;
}

} // namespace

struct RepeatFilter::Call {
    Op op;
    std::shared_ptr<const swf::CharacterDef> held = {};
    // A copy of a shape made for the call alone.
    bool copied = false;
    swf::Matrix matrix = {};
    swf::ColorTransform colors = {};
    std::uint16_t ratio = 0;
    bool smoothed = false;
    swf::LayerEffects effects = {};
    // What is drawn: the held definition, or one that nothing shares, which
    // lives only as long as the frame and makes it unlike any other.
    const swf::CharacterDef* definition = held.get();

    bool operator==(const Call& other) const {
        if (op != other.op || copied != other.copied || !(matrix == other.matrix) ||
            !(colors == other.colors) || ratio != other.ratio || smoothed != other.smoothed ||
            !SameEffects(effects, other.effects))
            return false;
        if (!copied)
            return held == other.held && (held || !definition);
        return SameContent(static_cast<const swf::ShapeDef&>(*held),
                           static_cast<const swf::ShapeDef&>(*other.held));
    }

    void replay(swf::Renderer& renderer) const {
        switch (op) {
        case Op::Shape:
            renderer.drawShape(static_cast<const swf::ShapeDef&>(*definition), matrix, colors);
            break;
        case Op::MorphShape:
            renderer.drawMorphShape(static_cast<const swf::MorphShapeDef&>(*definition), ratio,
                                    matrix, colors);
            break;
        case Op::Bitmap:
            renderer.drawBitmap(static_cast<const swf::BitmapDef&>(*definition), matrix, colors,
                                smoothed);
            break;
        case Op::PushMask:
            renderer.pushMask();
            break;
        case Op::ActivateMask:
            renderer.activateMask();
            break;
        case Op::PopMask:
            renderer.popMask();
            break;
        case Op::PushLayer:
            renderer.pushLayer();
            break;
        case Op::PopLayer:
            renderer.popLayer(effects);
            break;
        }
    }
};

bool RepeatFilter::Frame::operator==(const Frame& other) const {
    return background == other.background && quality == other.quality && calls == other.calls;
}

RepeatFilter::RepeatFilter(swf::Renderer& target) : m_target(target) {}

RepeatFilter::~RepeatFilter() = default;

void RepeatFilter::add(Call call) {
    m_next.calls.push_back(std::move(call));
}

void RepeatFilter::beginFrame(swf::Rgba background, swf::StageQuality quality,
                              const swf::BitmapSource& bitmaps) {
    m_next.background = background;
    m_next.quality = quality;
    m_next.calls.clear();
    m_bitmaps = &bitmaps;
}

void RepeatFilter::drawShape(const swf::ShapeDef& shape, const swf::Matrix& matrix,
                             const swf::ColorTransform& colors) {
    auto held = Held(shape);
    const bool copied = !held;
    add({Op::Shape, copied ? Copied(shape) : std::move(held), copied, matrix, colors});
}

void RepeatFilter::drawMorphShape(const swf::MorphShapeDef& morph, std::uint16_t ratio,
                                  const swf::Matrix& matrix, const swf::ColorTransform& colors) {
    add({Op::MorphShape, Held(morph), false, matrix, colors, ratio, false, {}, &morph});
}

void RepeatFilter::drawBitmap(const swf::BitmapDef& bitmap, const swf::Matrix& matrix,
                              const swf::ColorTransform& colors, bool smoothed) {
    add({Op::Bitmap, Held(bitmap), false, matrix, colors, 0, smoothed, {}, &bitmap});
}

void RepeatFilter::pushMask() {
    add({Op::PushMask});
}

void RepeatFilter::activateMask() {
    add({Op::ActivateMask});
}

void RepeatFilter::popMask() {
    add({Op::PopMask});
}

void RepeatFilter::pushLayer() {
    add({Op::PushLayer});
}

void RepeatFilter::popLayer(const swf::LayerEffects& effects) {
    Call call{Op::PopLayer};
    call.effects = effects;
    add(std::move(call));
}

void RepeatFilter::endFrame() {
    m_repeated = m_hasPrevious && m_next == m_previous;
    if (!m_repeated) {
        m_target.beginFrame(m_next.background, m_next.quality, *m_bitmaps);
        for (const Call& call : m_next.calls)
            call.replay(m_target);
        m_target.endFrame();
    }
    std::swap(m_previous, m_next);
    m_hasPrevious = true;
    m_bitmaps = nullptr;
}

} // namespace vidorama::cli
