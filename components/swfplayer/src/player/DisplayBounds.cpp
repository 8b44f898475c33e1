#include "player/DisplayBounds.h"

#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"
#include "player/MovieClip.h"
#include "text/TextDef.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vidorama::swf {

namespace {

// Children nest at most Limits::kMaxSpriteNesting deep, so the recursion is
// bounded.
struct Box {
    double xMin = std::numeric_limits<double>::infinity(), yMin = xMin;
    double xMax = -std::numeric_limits<double>::infinity(), yMax = xMax;

    void add(const Rect& r, const Matrix& m) {
        if (r.empty())
            return;
        const double xs[2] = {double(r.xMin), double(r.xMax)};
        const double ys[2] = {double(r.yMin), double(r.yMax)};
        for (double x : xs) {
            for (double y : ys) {
                double px = 0, py = 0;
                m.map(x, y, px, py);
                xMin = std::min(xMin, px);
                yMin = std::min(yMin, py);
                xMax = std::max(xMax, px);
                yMax = std::max(yMax, py);
            }
        }
    }
    Rect rect() const {
        if (xMin > xMax)
            return {};
        return {static_cast<std::int32_t>(std::floor(xMin)),
                static_cast<std::int32_t>(std::ceil(xMax)),
                static_cast<std::int32_t>(std::floor(yMin)),
                static_cast<std::int32_t>(std::ceil(yMax))};
    }
};

void AddBounds(Box& box, const DisplayObject& object, const Matrix& matrix) {
    if (const auto& scroll = object.properties().scrollRect) {
        box.add(Rect{0, scroll->width(), 0, scroll->height()}, matrix);
        return;
    }
    const CharacterDef& character = object.character();
    if (character.kind() == CharacterDef::Kind::Shape)
        box.add(static_cast<const ShapeDef&>(character).bounds(), matrix);
    else if (character.kind() == CharacterDef::Kind::MorphShape)
        box.add(static_cast<const MorphShapeDef&>(character).bounds(object.properties().ratio),
                matrix);
    else if (character.kind() == CharacterDef::Kind::Text)
        box.add(static_cast<const TextDef&>(character).data().bounds, matrix);
    const MovieClip* clip = object.asClip();
    if (!clip)
        return;
    if (const ShapeDef* drawing = clip->drawingShape())
        box.add(drawing->bounds(), matrix);
    for (const auto& [depth, child] : clip->children())
        AddBounds(box, *child, matrix * child->properties().matrix);
}

} // namespace

Rect BoundsOf(const DisplayObject& object, const Matrix& matrix) {
    Box box;
    AddBounds(box, object, matrix);
    return box.rect();
}

std::optional<std::pair<double, double>> TopLeftOf(const DisplayObject& object,
                                                   const Matrix& matrix) {
    Box box;
    AddBounds(box, object, matrix);
    if (box.xMin > box.xMax)
        return std::nullopt;
    return std::pair{box.xMin, box.yMin};
}

std::optional<std::pair<double, double>> SizeOf(const DisplayObject& object, const Matrix& matrix) {
    Box box;
    AddBounds(box, object, matrix);
    if (box.xMin > box.xMax)
        return std::nullopt;
    return std::pair{box.xMax - box.xMin, box.yMax - box.yMin};
}

Rect BoundsInParent(const DisplayObject& object) {
    return BoundsOf(object, object.properties().matrix);
}

} // namespace vidorama::swf
