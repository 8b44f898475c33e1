#pragma once

#include "graphics/ShapePath.h"
#include "graphics/Styles.h"
#include "swf/Character.h"
#include "swf/Geometry.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vidorama::swf {

// A DefineMorphShape character: a start and an end shape whose edges, styles
// and gradient stops correspond one to one and are blended by a ratio.
// Start and end paths share their verbs (every edge is a curve) and differ
// only in their points.
class MorphShapeDef final : public CharacterDef {
public:
    struct MorphPath {
        std::uint32_t style = 0;
        ShapePath start;
        ShapePath end;
    };
    struct Data {
        Rect startBounds;
        Rect endBounds;
        std::vector<FillStyle> startFills, endFills;
        std::vector<LineStyle> startLines, endLines;
        std::vector<MorphPath> fills;
        std::vector<MorphPath> strokes;
    };

    MorphShapeDef(CharacterId id, Data data)
        : CharacterDef(id, Kind::MorphShape), m_data(std::move(data)) {}

    const Rect& startBounds() const { return m_data.startBounds; }
    const Rect& endBounds() const { return m_data.endBounds; }
    // The bounds at a ratio 0..65535, blended like the points.
    Rect bounds(std::uint16_t ratio) const;
    const Data& data() const { return m_data; }

private:
    Data m_data;
};

} // namespace vidorama::swf
