#include "pipeline/RepeatFilter.h"

#include "graphics/BitmapDef.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"
#include "pipeline/DrawnArea.h"

#include <algorithm>

namespace vidorama::cli {

namespace {

enum class Op : std::uint8_t {
    Shape,
    MorphShape,
    Bitmap,
    PushAreaMask,
    PushAlphaMask,
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

QRect ToQRect(const swf::PixelBox& box) {
    return QRect(box.x, box.y, box.width, box.height);
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

    bool draws() const { return op == Op::Shape || op == Op::MorphShape || op == Op::Bitmap; }

    // The pixels the call may change; none when that cannot be bounded.
    std::optional<swf::PixelBox> area() const {
        switch (op) {
        case Op::Shape:
            return cli::ShapeArea(static_cast<const swf::ShapeDef&>(*definition), matrix);
        case Op::MorphShape:
            return cli::MorphArea(static_cast<const swf::MorphShapeDef&>(*definition), matrix);
        case Op::Bitmap:
            return cli::BitmapArea(static_cast<const swf::BitmapDef&>(*definition), matrix);
        default:
            return swf::PixelBox{};
        }
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
        case Op::PushAreaMask:
            renderer.pushMask(swf::MaskKind::Area);
            break;
        case Op::PushAlphaMask:
            renderer.pushMask(swf::MaskKind::Alpha);
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

RepeatFilter::RepeatFilter(swf::Renderer& target, QSize picture, TargetPreparer prepare)
    : m_target(target), m_picture(QPoint(0, 0), picture), m_prepare(std::move(prepare)) {}

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

void RepeatFilter::pushMask(swf::MaskKind kind) {
    add({kind == swf::MaskKind::Alpha ? Op::PushAlphaMask : Op::PushAreaMask});
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

std::optional<QRect> RepeatFilter::differences() const {
    const std::vector<Call>& before = m_previous.calls;
    const std::vector<Call>& after = m_next.calls;
    if (!m_hasPrevious || m_previous.background != m_next.background ||
        m_previous.quality != m_next.quality)
        return std::nullopt;
    auto filtered = [](const Call& call) {
        return call.op == Op::PopLayer && !call.effects.filters.empty();
    };
    if (std::any_of(before.begin(), before.end(), filtered) ||
        std::any_of(after.begin(), after.end(), filtered))
        return std::nullopt;
    QRect changed;
    auto include = [&changed](const Call& call) {
        const std::optional<swf::PixelBox> box = call.area();
        if (box)
            changed |= ToQRect(*box);
        return box.has_value();
    };
    if (before.size() == after.size()) {
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i])
                continue;
            if (!before[i].draws() || !after[i].draws() || !include(before[i]) ||
                !include(after[i]))
                return std::nullopt;
        }
    } else {
        const std::size_t shorter = std::min(before.size(), after.size());
        std::size_t head = 0, tail = 0;
        while (head < shorter && before[head] == after[head])
            ++head;
        while (tail < shorter - head &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        for (const std::vector<Call>* calls : {&before, &after}) {
            for (std::size_t i = head; i < calls->size() - tail; ++i) {
                const Call& call = (*calls)[i];
                if (call.op == Op::PopLayer || !include(call))
                    return std::nullopt;
            }
        }
    }
    return changed & m_picture;
}

std::optional<QRect> RepeatFilter::limitFor(const std::optional<QRect>& changed,
                                            const QRect& stale) const {
    if (!changed)
        return std::nullopt;
    const QRect limit = (*changed | stale) & m_picture;
    // Drawing most of the picture through a limit saves little.
    const auto area = [](const QRect& r) {
        return static_cast<std::int64_t>(r.width()) * r.height();
    };
    if (area(limit) * 4 > area(m_picture) * 3)
        return std::nullopt;
    return limit;
}

// A call drawn through a limit it cannot reach would change nothing; leaving
// it out saves making its paths and outlines.
bool RepeatFilter::reaches(const Call& call, const QRect& limit) {
    const std::optional<swf::PixelBox> box = call.area();
    return !box || ToQRect(*box).intersects(limit);
}

void RepeatFilter::endFrame() {
    m_repeated = m_hasPrevious && m_next == m_previous;
    m_drawn = QRect();
    m_changed = QRect();
    if (!m_repeated) {
        const std::optional<QRect> differing = differences();
        m_changed = differing.value_or(m_picture);
        const std::optional<QRect> changed = limitFor(differing, m_prepare ? m_prepare() : QRect());
        m_drawn = changed.value_or(m_picture);
        if (changed)
            m_target.limitNextFrame(
                {changed->x(), changed->y(), changed->width(), changed->height()});
        m_target.beginFrame(m_next.background, m_next.quality, *m_bitmaps);
        for (const Call& call : m_next.calls)
            if (!changed || !call.draws() || reaches(call, *changed))
                call.replay(m_target);
        m_target.endFrame();
    }
    std::swap(m_previous, m_next);
    m_hasPrevious = true;
    m_bitmaps = nullptr;
}

} // namespace vidorama::cli
