#pragma once

#include "graphics/ShapePath.h"
#include "swf/ByteReader.h"

#include <cstdint>

namespace vidorama::swf {

// One SHAPERECORD. Style numbers are as stored: 1-based in the current style
// group, 0 for none.
struct ShapeRecord {
    enum class Type { StyleChange, StraightEdge, CurvedEdge, End };

    Type type = Type::End;
    // StyleChange.
    bool hasMove = false, hasFill0 = false, hasFill1 = false, hasLine = false;
    bool newStyles = false;
    std::int32_t moveX = 0, moveY = 0;
    std::uint32_t fill0 = 0, fill1 = 0, line = 0;
    // Edges: deltas in twips; a straight edge uses only the anchor.
    std::int32_t controlDx = 0, controlDy = 0, anchorDx = 0, anchorDy = 0;
};

// Moves a point by a record's deltas. Positions are clamped to 32 bits, so
// that no number of edges can overflow them.
TwipPoint Advance(TwipPoint p, std::int32_t dx, std::int32_t dy);

// Reads the records of a SHAPE or SHAPEWITHSTYLE after its style arrays. A
// record with newStyles set is followed by new style arrays: the caller reads
// them and then calls readStyleBits().
class ShapeRecordReader {
public:
    // Shape version 1 ignores the new-styles flag, which only later versions
    // define.
    ShapeRecordReader(ByteReader& reader, int shapeVersion)
        : m_reader(reader), m_version(shapeVersion) {}

    void readStyleBits();
    // The next record; an overrun of the tag reads as the end.
    ShapeRecord next();

private:
    ShapeRecord styleChange(unsigned flags);
    ShapeRecord edge();

    ByteReader& m_reader;
    int m_version;
    unsigned m_fillBits = 0, m_lineBits = 0;
};

} // namespace vidorama::swf
