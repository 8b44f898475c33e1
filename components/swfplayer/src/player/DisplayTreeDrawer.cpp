#include "player/DisplayTreeDrawer.h"

#include "graphics/BitmapDef.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"
#include "movie/Movie.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"
#include "text/TextDef.h"

#include <vector>

namespace vidorama::swf {

namespace {

// Bitmap fills find their bitmaps in the movie's dictionary.
class MovieBitmaps final : public BitmapSource {
public:
    explicit MovieBitmaps(const Movie& movie) : m_movie(movie) {}
    const BitmapDef* bitmap(CharacterId id) const override {
        auto character = m_movie.character(id);
        if (!character || character->kind() != CharacterDef::Kind::Bitmap)
            return nullptr;
        return static_cast<const BitmapDef*>(character.get());
    }

private:
    const Movie& m_movie;
};

std::size_t PathElements(const MorphShapeDef& morph) {
    std::size_t elements = 0;
    for (const auto* paths : {&morph.data().fills, &morph.data().strokes})
        for (const MorphShapeDef::MorphPath& path : *paths)
            elements += path.start.verbs.size();
    return elements;
}

} // namespace

std::size_t PathElements(const ShapeDef& shape) {
    std::size_t elements = 0;
    for (const ShapeLayer& layer : shape.layers()) {
        for (const StyledPath& fill : layer.fills)
            elements += fill.path.verbs.size();
        for (const StyledPath& stroke : layer.strokes)
            elements += stroke.path.verbs.size();
    }
    return elements;
}

Matrix ExactFitView(const Rect& stage, int width, int height) {
    double stageWidth = stage.width() > 0 ? stage.width() : kTwipsPerPixel;
    double stageHeight = stage.height() > 0 ? stage.height() : kTwipsPerPixel;
    return Matrix::scale(width / stageWidth, height / stageHeight) *
           Matrix::translate(-stage.xMin, -stage.yMin);
}

void DisplayTreeDrawer::draw(const MovieClip& root, const Matrix& view) {
    MovieBitmaps bitmaps(m_movie);
    m_renderer.beginFrame(m_movie.backgroundColor(), bitmaps);
    drawChildren(root, view * root.properties().matrix, root.properties().colorTransform, false);
    m_renderer.endFrame();
}

// An object with a clip depth masks the objects above it up to that depth.
// Masks that end are closed before the next object, and all that are still
// open when the list ends are closed after it.
void DisplayTreeDrawer::drawChildren(const MovieClip& clip, const Matrix& matrix,
                                     const ColorTransform& colors, bool asMask) {
    std::vector<std::uint16_t> openMasks;
    for (const auto& [depth, child] : clip.children()) {
        while (!openMasks.empty() && depth > openMasks.back()) {
            m_renderer.popMask();
            openMasks.pop_back();
            --m_maskNesting;
        }
        const DisplayProperties& properties = child->properties();
        if (properties.clipDepth == 0) {
            drawObject(*child, matrix, colors, asMask);
            continue;
        }
        if (m_maskNesting >= Limits::kMaxMaskNesting) {
            m_limits.reached(PlayLimit::MaskNesting);
            continue;
        }
        m_renderer.pushMask();
        drawObject(*child, matrix, colors, true);
        m_renderer.activateMask();
        openMasks.push_back(properties.clipDepth);
        ++m_maskNesting;
    }
    for (; !openMasks.empty(); openMasks.pop_back(), --m_maskNesting)
        m_renderer.popMask();
}

void DisplayTreeDrawer::drawObject(const DisplayObject& object, const Matrix& parentMatrix,
                                   const ColorTransform& parentColors, bool asMask) {
    const DisplayProperties& properties = object.properties();
    if (!properties.visible && !asMask)
        return;
    Matrix matrix = parentMatrix * properties.matrix;
    ColorTransform colors = parentColors * properties.colorTransform;
    const CharacterDef& character = object.character();
    switch (character.kind()) {
    case CharacterDef::Kind::Shape: {
        const auto& shape = static_cast<const ShapeDef&>(character);
        if (spendPathElements(PathElements(shape)))
            m_renderer.drawShape(shape, matrix, colors);
        break;
    }
    case CharacterDef::Kind::MorphShape: {
        const auto& morph = static_cast<const MorphShapeDef&>(character);
        if (spendPathElements(PathElements(morph)))
            m_renderer.drawMorphShape(morph, properties.ratio, matrix, colors);
        break;
    }
    case CharacterDef::Kind::Sprite:
        drawChildren(*object.asClip(), matrix, colors, asMask);
        break;
    case CharacterDef::Kind::Text:
        drawText(static_cast<const TextDef&>(character), matrix, colors, asMask);
        break;
    default:
        // FIXME: bitmaps placed directly, buttons and video are not drawn yet.
        break;
    }
}

// A frame's drawing work grows with the path elements of every shape drawn:
// a few kilobytes can place one complex shape thousands of times.
bool DisplayTreeDrawer::spendPathElements(std::size_t elements) {
    if (m_pathElementsDrawn + elements > Limits::kMaxPathElementsPerFrame) {
        m_limits.reached(PlayLimit::PathElements);
        return false;
    }
    m_pathElementsDrawn += elements;
    return true;
}

} // namespace vidorama::swf
