#include "player/DisplayTreeDrawer.h"

#include "graphics/BitmapDef.h"
#include "graphics/FilterScale.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"
#include "movie/Movie.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"
#include "player/TextBox.h"
#include "player/VideoObject.h"
#include "swf/Limits.h"
#include "text/TextDef.h"
#include "video/VideoDef.h"

#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

constexpr std::uint8_t kFirstVideoSmoothingVersion = 8;

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

void DisplayTreeDrawer::draw(const MovieClip& root, const Matrix& view, StageQuality quality) {
    m_view = view;
    MovieBitmaps bitmaps(m_movie);
    // The view maps twips to target pixels; filters are sized in stage pixels.
    m_viewScaleX = std::hypot(view.a, view.b) * kTwipsPerPixel;
    m_viewScaleY = std::hypot(view.c, view.d) * kTwipsPerPixel;
    m_renderer.beginFrame(m_movie.backgroundColor(), quality, bitmaps);
    drawClip(root, view * root.properties().matrix, root.properties().colorTransform, false);
    m_renderer.endFrame();
}

void DisplayTreeDrawer::drawClip(const MovieClip& clip, const Matrix& matrix,
                                 const ColorTransform& colors, bool asMask) {
    const ShapeDef* drawing = clip.drawingShape();
    if (drawing && spendPathElements(PathElements(*drawing)))
        m_renderer.drawShape(*drawing, matrix, colors);
    drawChildren(clip, matrix, colors, asMask);
}

// An object with a clip depth masks the objects above it up to that depth.
// Masks that end are closed before the next object, and all that are still
// open when the list ends are closed after it. Flash cannot mask within a
// mask: there a masking object only adds its area to the mask being drawn,
// and the objects it would clip add theirs whole.
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
        if (child->isScriptMask() && !asMask)
            continue;
        if (properties.clipDepth == 0 || asMask) {
            drawObject(*child, matrix, colors, asMask);
            continue;
        }
        if (m_maskNesting >= Limits::kMaxMaskNesting) {
            m_limits.reached(PlayLimit::MaskNesting);
            continue;
        }
        m_renderer.pushMask(MaskKind::Area);
        drawObject(*child, matrix, colors, true);
        m_renderer.activateMask();
        openMasks.push_back(properties.clipDepth);
        ++m_maskNesting;
    }
    for (; !openMasks.empty(); openMasks.pop_back(), --m_maskNesting)
        m_renderer.popMask();
}

// An object with a blend mode or filters is drawn as a whole into a layer,
// and its colour transform applies to the layer after the filters (a black
// glow turns red with the object it surrounds). A mask is only an area, so
// neither applies to one.
//
// A cached object (cacheAsBitmap) is drawn as one picture too, which only
// shows when it is translucent: its parts no longer show through each other.
// Otherwise it draws like the object itself, without a layer, but moved to
// whole target pixels, where Flash places its picture.
void DisplayTreeDrawer::drawObject(const DisplayObject& object, const Matrix& parentMatrix,
                                   const ColorTransform& parentColors, bool asMask) {
    const DisplayProperties& properties = object.properties();
    if (!properties.visible && !asMask)
        return;
    Matrix matrix = parentMatrix * properties.matrix;
    ColorTransform colors = parentColors * properties.colorTransform;
    auto mask = object.scriptMask().lock();
    if (mask && !mask->removed() && !asMask) {
        if (m_maskNesting < Limits::kMaxMaskNesting) {
            drawMasked(object, *mask, matrix, colors);
            return;
        }
        m_limits.reached(PlayLimit::MaskNesting);
    }
    drawWithEffects(object, matrix, colors, asMask);
}

void DisplayTreeDrawer::drawWithEffects(const DisplayObject& object, const Matrix& placed,
                                        const ColorTransform& colors, bool asMask) {
    const DisplayProperties& properties = object.properties();
    Matrix matrix = placed;
    // Filters cache the object as a bitmap too. The bitmap spans the object's
    // box and is copied to the nearest whole pixels.
    bool cached = properties.cacheAsBitmap || !properties.filters.empty();
    if (cached && !asMask) {
        if (auto corner = TopLeftOf(object, matrix)) {
            matrix.tx += std::round(corner->first) - corner->first;
            matrix.ty += std::round(corner->second) - corner->second;
        }
    }
    bool translucent = colors.aMul != 1 || colors.aAdd != 0;
    bool layered = properties.blendMode != BlendMode::Normal || !properties.filters.empty() ||
                   (properties.cacheAsBitmap && translucent);
    if (asMask || !layered) {
        drawFramed(object, matrix, colors, asMask);
        return;
    }
    m_renderer.pushLayer();
    drawFramed(object, matrix, ColorTransform{}, false);
    m_renderer.popLayer(effectsFor(properties, colors));
}

// A mask set by a script clips its object wherever the mask is on the stage:
// the mask is drawn with its own parents' transforms, not the object's. When
// both are cached as bitmaps (filters cache an object too), Flash masks with
// the mask's picture, so that its alpha, colour transform and filters count,
// not only its shapes' area.
void DisplayTreeDrawer::drawMasked(const DisplayObject& object, const DisplayObject& mask,
                                   const Matrix& matrix, const ColorTransform& colors) {
    auto cached = [](const DisplayObject& o) {
        return o.properties().cacheAsBitmap || !o.properties().filters.empty();
    };
    Matrix maskParent = m_view;
    std::vector<const DisplayObject*> chain;
    for (const DisplayObject* at = mask.parent(); at; at = at->parent())
        chain.push_back(at);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        maskParent = maskParent * (*it)->properties().matrix;
    ++m_maskNesting;
    const Matrix maskMatrix = maskParent * mask.properties().matrix;
    if (cached(object) && cached(mask) && fitsCache(mask, maskMatrix)) {
        m_renderer.pushMask(MaskKind::Alpha);
        drawWithEffects(mask, maskMatrix, mask.properties().colorTransform, false);
    } else {
        m_renderer.pushMask(MaskKind::Area);
        drawCharacter(mask, maskMatrix, ColorTransform(), true);
    }
    m_renderer.activateMask();
    drawWithEffects(object, matrix, colors, false);
    m_renderer.popMask();
    --m_maskNesting;
}

// Flash caches an object in a picture one pixel larger than its box, whole
// pixels across, and gives up caching it when that picture would break the
// bitmap limits of the movie's version: the object is then drawn as it is.
bool DisplayTreeDrawer::fitsCache(const DisplayObject& object, const Matrix& matrix) const {
    const auto size = SizeOf(object, matrix);
    if (!size)
        return true;
    const double width = std::ceil(size->first) + 1, height = std::ceil(size->second) + 1;
    const double side =
        m_movie.version() < 10 ? Limits::kMaxScriptBitmapSideSwf9 : Limits::kMaxBitmapSide;
    return width <= side && height <= side &&
           width * height <= static_cast<double>(Limits::kMaxBitmapPixels);
}

LayerEffects DisplayTreeDrawer::effectsFor(const DisplayProperties& properties,
                                           const ColorTransform& colors) const {
    LayerEffects effects;
    effects.blend = properties.blendMode;
    effects.colors = colors;
    effects.filters.reserve(properties.filters.size());
    for (const Filter& filter : properties.filters)
        effects.filters.push_back(ScaleFilter(filter, m_viewScaleX, m_viewScaleY));
    return effects;
}

void DisplayTreeDrawer::drawCharacter(const DisplayObject& object, const Matrix& matrix,
                                      const ColorTransform& colors, bool asMask) {
    const DisplayProperties& properties = object.properties();
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
        drawClip(*object.asClip(), matrix, colors, asMask);
        break;
    case CharacterDef::Kind::Text:
        drawText(static_cast<const TextDef&>(character), matrix, colors, asMask);
        break;
    case CharacterDef::Kind::Video:
        if (const auto* video = dynamic_cast<const VideoObject*>(&object))
            drawVideo(*video, matrix, colors);
        break;
    default:
        break;
    }
}

// An opaque background fills the object's bounds beneath it (the scroll
// rectangle's area when it has one). A scroll rectangle shows only that part
// of the object's own space, moved to the object's origin, and clips it there;
// within a mask it only moves it, as no clipping happens inside a mask.
void DisplayTreeDrawer::drawFramed(const DisplayObject& object, const Matrix& matrix,
                                   const ColorTransform& colors, bool asMask) {
    const DisplayProperties& properties = object.properties();
    const std::optional<Rect>& scroll = properties.scrollRect;
    if (properties.backgroundColor && !asMask) {
        Rect box = BoundsOf(object, Matrix());
        if (!box.empty())
            m_renderer.drawShape(ShapeDef(0, MakeRectsShape({{box, *properties.backgroundColor}})),
                                 matrix, colors);
    }
    if (!scroll) {
        drawCharacter(object, matrix, colors, asMask);
        return;
    }
    Matrix scrolled = matrix * Matrix::translate(-scroll->xMin, -scroll->yMin);
    if (asMask) {
        drawCharacter(object, scrolled, colors, asMask);
        return;
    }
    if (m_maskNesting >= Limits::kMaxMaskNesting) {
        m_limits.reached(PlayLimit::MaskNesting);
        return;
    }
    Rect view{0, scroll->width(), 0, scroll->height()};
    m_renderer.pushMask(MaskKind::Area);
    m_renderer.drawShape(ShapeDef(0, MakeRectsShape({{view, Rgba{0, 0, 0, 255}}})), matrix,
                         ColorTransform{});
    m_renderer.activateMask();
    ++m_maskNesting;
    drawCharacter(object, scrolled, colors, asMask);
    --m_maskNesting;
    m_renderer.popMask();
}

// The picture is stretched over the stream's box, whatever size it was coded
// at. Movies before SWF 8 smooth only a video of a single frame (a still
// picture), as Flash does at high quality; later ones follow the stream's flag.
void DisplayTreeDrawer::drawVideo(const VideoObject& video, const Matrix& matrix,
                                  const ColorTransform& colors) {
    const BitmapDef* picture = video.picture(m_videoPixelsLeft);
    if (!picture || picture->width() <= 0 || picture->height() <= 0)
        return;
    const VideoDef& stream = video.video();
    Matrix toBox = Matrix::scale(kTwipsPerPixel * stream.width() / picture->width(),
                                 kTwipsPerPixel * stream.height() / picture->height());
    bool smoothed = m_movie.version() >= kFirstVideoSmoothingVersion ? stream.header().smoothing
                                                                     : stream.frames().size() == 1;
    m_renderer.drawBitmap(*picture, matrix * toBox, colors, smoothed);
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
