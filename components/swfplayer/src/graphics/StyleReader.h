#pragma once

#include "graphics/Styles.h"
#include "swf/ByteReader.h"

#include <vector>

namespace vidorama::swf {

// Reads the style arrays of shapes (version 1-4 for DefineShape 1-4) and of
// morph shapes, whose every style comes as a start and an end pair. A read
// that runs past the tag leaves the reader's overrun flag set.
class StyleReader {
public:
    // Movies before SWF 8 have no way to ask for unsmoothed bitmaps, and the
    // animations they hold show their bitmaps unsmoothed in Flash; so below
    // that version no bitmap fill is smoothed.
    StyleReader(ByteReader& reader, int shapeVersion, int swfVersion)
        : m_reader(reader), m_version(shapeVersion), m_bitmapSmoothing(swfVersion >= 8) {}

    std::vector<FillStyle> fillStyles();
    std::vector<LineStyle> lineStyles();

    // Morph styles: each start style goes to the first vector, its end twin to
    // the second.
    void morphFillStyles(std::vector<FillStyle>& start, std::vector<FillStyle>& end);
    void morphLineStyles(std::vector<LineStyle>& start, std::vector<LineStyle>& end);

private:
    std::size_t styleCount(bool extendedAllowed);
    FillStyle fillStyle();
    Gradient gradient(bool focal);
    void morphFillStyle(FillStyle& start, FillStyle& end);
    void morphGradient(Gradient& start, Gradient& end, bool focal);
    // The LINESTYLE2 flags shared by shapes and morph shapes; returns whether
    // a fill style follows instead of a colour.
    bool lineStyle2Flags(LineStyle& style);

    ByteReader& m_reader;
    int m_version;
    bool m_bitmapSmoothing;
};

} // namespace vidorama::swf
