#pragma once

#include "graphics/Effects.h"
#include "graphics/StageQuality.h"
#include "swf/Character.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <cstdint>

namespace vidorama::swf {

class ShapeDef;
class MorphShapeDef;
class BitmapDef;

// Looks up bitmaps by character id while a frame is drawn (bitmap fills refer
// to bitmaps by id).
class BitmapSource {
public:
    virtual ~BitmapSource() = default;
    virtual const BitmapDef* bitmap(CharacterId id) const = 0;
};

// A box of target pixels.
struct PixelBox {
    int x = 0, y = 0, width = 0, height = 0;
};

enum class MaskKind : std::uint8_t { Area, Alpha };

// The player walks its display list and describes one frame through these
// calls; a renderer turns them into pixels. Matrices map the character's twips
// to target pixels (the view transform already applied).
//
// Masks: pushMask() starts the mask's own drawing, activateMask() switches to
// the content the mask clips, popMask() ends that content. An area mask shows
// its content wherever the mask's shapes are filled, whatever their colours;
// an alpha mask (Flash's mask between two objects cached as bitmaps) shows it
// as far as the mask's drawn pixels are opaque.
//
// Layers: pushLayer() sends what follows into a layer of its own, popLayer()
// ends it: the layer's filters run, its colour transform is applied, and it
// is blended onto what is beneath. Objects drawn into a layer carry no colour
// transform of their own beyond what lies inside the layered object.
//
// Masks and layers nest within each other; every push has its pop.
class Renderer {
public:
    virtual ~Renderer() = default;

    // Starts a frame on the background colour, drawn at the stage's quality.
    virtual void beginFrame(Rgba background, StageQuality quality, const BitmapSource& bitmaps) = 0;
    virtual void drawShape(const ShapeDef& shape, const Matrix& matrix,
                           const ColorTransform& colors) = 0;
    virtual void drawMorphShape(const MorphShapeDef& morph, std::uint16_t ratio,
                                const Matrix& matrix, const ColorTransform& colors) = 0;
    // A bitmap by itself (a video picture): its pixel grid mapped to target
    // pixels by matrix, sampled bilinearly when smoothed, else the nearest
    // pixel.
    virtual void drawBitmap(const BitmapDef& bitmap, const Matrix& matrix,
                            const ColorTransform& colors, bool smoothed) = 0;
    virtual void pushMask(MaskKind kind) = 0;
    virtual void activateMask() = 0;
    virtual void popMask() = 0;
    virtual void pushLayer() = 0;
    virtual void popLayer(const LayerEffects& effects) = 0;
    virtual void endFrame() = 0;
    // Tells the renderer that the next frame differs from the picture it
    // holds, which shows the frame before, only inside area: it may then
    // leave every pixel outside as it is. Drawing everything is also right.
    // A filter reads pixels beyond those it changes, so a frame with filters
    // is limited only if its filtered layers lie wholly inside area.
    virtual void limitNextFrame(PixelBox area) { (void)area; }
};

// Draws nothing: for timeline and script tests.
class NullRenderer final : public Renderer {
public:
    void beginFrame(Rgba, StageQuality, const BitmapSource&) override {}
    void drawShape(const ShapeDef&, const Matrix&, const ColorTransform&) override {}
    void drawMorphShape(const MorphShapeDef&, std::uint16_t, const Matrix&,
                        const ColorTransform&) override {}
    void drawBitmap(const BitmapDef&, const Matrix&, const ColorTransform&, bool) override {}
    void pushMask(MaskKind) override {}
    void activateMask() override {}
    void popMask() override {}
    void pushLayer() override {}
    void popLayer(const LayerEffects&) override {}
    void endFrame() override {}
};

} // namespace vidorama::swf
