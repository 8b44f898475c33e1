#pragma once

#include "graphics/Renderer.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <cstddef>

namespace vidorama::swf {

class DisplayObject;
class Movie;
class MovieClip;

// Walks a display tree in depth order and describes it to a renderer:
// transforms and colour transforms composed down the tree, and objects placed
// with a clip depth turned into masks over the depths they cover.
class DisplayTreeDrawer {
public:
    DisplayTreeDrawer(Renderer& renderer, const Movie& movie)
        : m_renderer(renderer), m_movie(movie) {}

    // Draws a whole frame: the stage background, then the tree.
    void draw(const MovieClip& root, const Matrix& view);

private:
    void drawChildren(const MovieClip& clip, const Matrix& matrix, const ColorTransform& colors,
                      bool asMask);
    void drawObject(const DisplayObject& object, const Matrix& matrix, const ColorTransform& colors,
                    bool asMask);
    // Takes a shape's path elements from the frame's budget; false when they
    // no longer fit, and the shape is then not drawn.
    bool spendPathElements(std::size_t elements);
    void drawCharacter(const DisplayObject& object, const Matrix& matrix,
                       const ColorTransform& colors, bool asMask);
    // setMask(): the object is drawn through the mask object's filled area.
    void drawMasked(const DisplayObject& object, const DisplayObject& mask, const Matrix& matrix,
                    const ColorTransform& colors);

    Renderer& m_renderer;
    const Movie& m_movie;
    Matrix m_view;
    int m_maskNesting = 0;
    std::size_t m_pathElementsDrawn = 0;
};

// The view transform for exact-fit scaling: the stage rectangle (twips)
// stretched onto a target of width x height pixels.
Matrix ExactFitView(const Rect& stage, int width, int height);

} // namespace vidorama::swf
