#include "graphics/ShapeRecordReader.h"

#include <algorithm>
#include <limits>

namespace vidorama::swf {

TwipPoint Advance(TwipPoint p, std::int32_t dx, std::int32_t dy) {
    auto add = [](std::int32_t a, std::int32_t b) {
        std::int64_t sum = std::int64_t{a} + b;
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(sum, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
    };
    return {add(p.x, dx), add(p.y, dy)};
}

void ShapeRecordReader::readStyleBits() {
    m_reader.alignBits();
    m_fillBits = m_reader.ub(4);
    m_lineBits = m_reader.ub(4);
}

ShapeRecord ShapeRecordReader::next() {
    ShapeRecord record;
    bool isEdge = m_reader.flag();
    if (m_reader.overrun())
        return record;
    if (isEdge)
        return edge();
    unsigned flags = m_reader.ub(5);
    if (flags == 0 || m_reader.overrun())
        return record;
    return styleChange(flags);
}

ShapeRecord ShapeRecordReader::styleChange(unsigned flags) {
    ShapeRecord r;
    r.type = ShapeRecord::Type::StyleChange;
    r.newStyles = (flags & 0x10) != 0 && m_version >= 2;
    r.hasLine = (flags & 0x08) != 0;
    r.hasFill1 = (flags & 0x04) != 0;
    r.hasFill0 = (flags & 0x02) != 0;
    r.hasMove = (flags & 0x01) != 0;
    if (r.hasMove) {
        unsigned bits = m_reader.ub(5);
        r.moveX = m_reader.sb(bits);
        r.moveY = m_reader.sb(bits);
    }
    if (r.hasFill0)
        r.fill0 = m_reader.ub(m_fillBits);
    if (r.hasFill1)
        r.fill1 = m_reader.ub(m_fillBits);
    if (r.hasLine)
        r.line = m_reader.ub(m_lineBits);
    return r;
}

ShapeRecord ShapeRecordReader::edge() {
    ShapeRecord r;
    bool straight = m_reader.flag();
    unsigned bits = m_reader.ub(4) + 2;
    if (straight) {
        r.type = ShapeRecord::Type::StraightEdge;
        if (m_reader.flag()) {
            r.anchorDx = m_reader.sb(bits);
            r.anchorDy = m_reader.sb(bits);
        } else if (m_reader.flag()) {
            r.anchorDy = m_reader.sb(bits);
        } else {
            r.anchorDx = m_reader.sb(bits);
        }
    } else {
        r.type = ShapeRecord::Type::CurvedEdge;
        r.controlDx = m_reader.sb(bits);
        r.controlDy = m_reader.sb(bits);
        r.anchorDx = m_reader.sb(bits);
        r.anchorDy = m_reader.sb(bits);
    }
    if (m_reader.overrun())
        r.type = ShapeRecord::Type::End;
    return r;
}

} // namespace vidorama::swf
