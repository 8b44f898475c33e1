#pragma once

#include "graphics/Renderer.h"
#include "player/PlayLimitLog.h"
#include "swf/Color.h"
#include "swf/Geometry.h"
#include "swf/Limits.h"
#include "text/TextDef.h"

#include <cstddef>

namespace vidorama::swf {

class DisplayObject;
struct DisplayProperties;
class Movie;
class MovieClip;
class ShapeDef;
class VideoObject;

// Walks a display tree in depth order and describes it to a renderer:
// transforms and colour transforms composed down the tree, objects placed
// with a clip depth turned into masks over the depths they cover, and objects
// with a blend mode or filters drawn through layers of their own.
class DisplayTreeDrawer {
public:
    DisplayTreeDrawer(Renderer& renderer, const Movie& movie, PlayLimitLog& limits)
        : m_renderer(renderer), m_movie(movie), m_limits(limits) {}

    // Draws a whole frame: the stage background, then the tree.
    void draw(const MovieClip& root, const Matrix& view, StageQuality quality);

private:
    // What the clip's drawing methods drew, then its children over it.
    void drawClip(const MovieClip& clip, const Matrix& matrix, const ColorTransform& colors,
                  bool asMask);
    void drawChildren(const MovieClip& clip, const Matrix& matrix, const ColorTransform& colors,
                      bool asMask);
    void drawObject(const DisplayObject& object, const Matrix& matrix, const ColorTransform& colors,
                    bool asMask);
    void drawCharacter(const DisplayObject& object, const Matrix& matrix,
                       const ColorTransform& colors, bool asMask);
    // The object over its opaque background, cut to its scroll rectangle.
    void drawFramed(const DisplayObject& object, const Matrix& matrix, const ColorTransform& colors,
                    bool asMask);
    // Whether Flash can cache the object as a bitmap at this transform.
    bool fitsCache(const DisplayObject& object, const Matrix& matrix) const;
    LayerEffects effectsFor(const DisplayProperties& properties,
                            const ColorTransform& colors) const;
    // Static text and text fields: glyphs as shapes, and a field's box.
    void drawText(const TextDef& text, const Matrix& matrix, const ColorTransform& colors,
                  bool asMask);
    void drawGlyphs(const TextDef::Data& data, const Matrix& matrix, const ColorTransform& colors);
    void drawVideo(const VideoObject& video, const Matrix& matrix, const ColorTransform& colors);
    // Takes a shape's path elements from the frame's budget; false when they
    // no longer fit, and the shape is then not drawn.
    bool spendPathElements(std::size_t elements);
    // An object with a blend mode or filters goes through a layer of its own.
    void drawWithEffects(const DisplayObject& object, const Matrix& matrix,
                         const ColorTransform& colors, bool asMask);
    // setMask(): the object is drawn through the mask object's filled area.
    void drawMasked(const DisplayObject& object, const DisplayObject& mask, const Matrix& matrix,
                    const ColorTransform& colors);

    Renderer& m_renderer;
    const Movie& m_movie;
    PlayLimitLog& m_limits;
    Matrix m_view;
    int m_maskNesting = 0;
    // How the view stretches the stage: filters grow with it.
    double m_viewScaleX = 1, m_viewScaleY = 1;
    std::size_t m_pathElementsDrawn = 0;
    std::size_t m_glyphsDrawn = 0;
    std::uint64_t m_videoPixelsLeft = Limits::kMaxVideoPixelsDecodedPerFrame;
};

// The path elements (moves, lines, curves) of a shape: its drawing work.
std::size_t PathElements(const ShapeDef& shape);

// The view transform for exact-fit scaling: the stage rectangle (twips)
// stretched onto a target of width x height pixels.
Matrix ExactFitView(const Rect& stage, int width, int height);

} // namespace vidorama::swf
