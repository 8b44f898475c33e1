#pragma once

#include "graphics/ShapePath.h"
#include "graphics/Styles.h"
#include "swf/Character.h"
#include "swf/Geometry.h"

#include <utility>
#include <vector>

namespace vidorama::swf {

// A DefineShape character after its edges have been turned into closed
// per-style fill paths and stroke paths.
class ShapeDef final : public CharacterDef {
public:
    struct Data {
        Rect bounds;
        // DefineShape4 also stores the bounds without strokes.
        Rect edgeBounds;
        // Fills use the even-odd rule unless a DefineShape4 asks for nonzero.
        bool nonZeroWinding = false;
        std::vector<FillStyle> fillStyles;
        std::vector<LineStyle> lineStyles;
        std::vector<ShapeLayer> layers;
    };

    ShapeDef(CharacterId id, Data data) : CharacterDef(id, Kind::Shape), m_data(std::move(data)) {}

    const Rect& bounds() const { return m_data.bounds; }
    const Rect& edgeBounds() const { return m_data.edgeBounds; }
    bool nonZeroWinding() const { return m_data.nonZeroWinding; }
    const std::vector<FillStyle>& fillStyles() const { return m_data.fillStyles; }
    const std::vector<LineStyle>& lineStyles() const { return m_data.lineStyles; }
    const std::vector<ShapeLayer>& layers() const { return m_data.layers; }

private:
    Data m_data;
};

} // namespace vidorama::swf
