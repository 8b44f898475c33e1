#pragma once

#include "graphics/Renderer.h"
#include "player/PlayLimitLog.h"
#include "swf/Color.h"
#include "swf/Geometry.h"
#include "text/TextDef.h"

#include <cstddef>

namespace vidorama::swf {

class DisplayObject;
class Movie;
class MovieClip;
class ShapeDef;

// Walks a display tree in depth order and describes it to a renderer:
// transforms and colour transforms composed down the tree, and objects placed
// with a clip depth turned into masks over the depths they cover.
class DisplayTreeDrawer {
public:
    DisplayTreeDrawer(Renderer& renderer, const Movie& movie, PlayLimitLog& limits)
        : m_renderer(renderer), m_movie(movie), m_limits(limits) {}

    // Draws a whole frame: the stage background, then the tree.
    void draw(const MovieClip& root, const Matrix& view);

private:
    void drawChildren(const MovieClip& clip, const Matrix& matrix, const ColorTransform& colors,
                      bool asMask);
    void drawObject(const DisplayObject& object, const Matrix& matrix, const ColorTransform& colors,
                    bool asMask);
    // Static text and text fields: glyphs as shapes, and a field's box.
    void drawText(const TextDef& text, const Matrix& matrix, const ColorTransform& colors,
                  bool asMask);
    void drawGlyphs(const TextDef::Data& data, const Matrix& matrix, const ColorTransform& colors);
    // Takes a shape's path elements from the frame's budget; false when they
    // no longer fit, and the shape is then not drawn.
    bool spendPathElements(std::size_t elements);

    Renderer& m_renderer;
    const Movie& m_movie;
    PlayLimitLog& m_limits;
    int m_maskNesting = 0;
    std::size_t m_pathElementsDrawn = 0;
    std::size_t m_glyphsDrawn = 0;
};

// The path elements (moves, lines, curves) of a shape: its drawing work.
std::size_t PathElements(const ShapeDef& shape);

// The view transform for exact-fit scaling: the stage rectangle (twips)
// stretched onto a target of width x height pixels.
Matrix ExactFitView(const Rect& stage, int width, int height);

} // namespace vidorama::swf
