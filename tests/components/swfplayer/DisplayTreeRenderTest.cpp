// What the display tree hands the renderer: composed colour transforms, masks
// by clip depth, the stage background and exact-fit scaling, checked on the
// pixels of tiny hand-made movies.

#include "Avm1Assembler.h"
#include "PixelChecks.h"
#include "SwfCompression.h"
#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using swf::ColorTransform;
using swf::Matrix;

// A 200 x 150 pixel stage (twips) with a grey background.
constexpr swf::Rect kStage{0, 4000, 0, 3000};
constexpr std::uint16_t kRed = 1, kGreen = 2, kBlue = 3, kLeftHalf = 4, kBottom = 5;

MovieWriter Stage() {
    MovieWriter movie;
    movie.frameRect = kStage;
    movie.tag(tags::SetBackgroundColor({60, 60, 60, 255}));
    movie.tag(tags::DefineRectShape(kRed, kStage, {255, 0, 0, 255}));
    movie.tag(tags::DefineRectShape(kGreen, kStage, {0, 255, 0, 255}));
    movie.tag(tags::DefineRectShape(kBlue, kStage, {0, 0, 255, 255}));
    movie.tag(tags::DefineRectShape(kLeftHalf, {0, 2000, 0, 3000}, {255, 255, 255, 255}));
    movie.tag(tags::DefineRectShape(kBottom, {0, 4000, 2000, 3000}, {0, 0, 255, 255}));
    return movie;
}

TEST(DisplayTreeRender, ColourTransformsMultiplyThenAddAndComposeDownTheTree) {
    MovieWriter writer = Stage();
    writer.tag(tags::DefineSprite(
        10, {{tags::Place(1).character(kRed).colors({0.5f, 1, 1, 1, 0, 0, 100, 0}).tag()}}));
    // The sprite halves what its child produces and adds green: red 255 ->
    // 127 (child) -> 63, green 0 -> 80, blue 100 -> 50.
    writer.frame({tags::Place(1).character(10).colors({0.5f, 1, 0.5f, 1, 0, 80, 0, 0}).tag()});
    EXPECT_TRUE(Near(Render(writer).pixel(100, 75), qRgb(63, 80, 50)));
}

TEST(DisplayTreeRender, ColourTransformsClampEachChannel) {
    MovieWriter writer = Stage();
    writer.frame({tags::Place(1).character(kBlue).colors({1, 1, 1, 1, 300, -50, -300, 0}).tag()});
    EXPECT_TRUE(Near(Render(writer).pixel(10, 10), qRgb(255, 0, 0)));
}

// Depth 1 masks depths 2..3; depth 4 is above the mask.
TEST(DisplayTreeRender, AClipDepthMasksTheDepthsItCovers) {
    MovieWriter writer = Stage();
    writer.frame({tags::Place(1).character(kLeftHalf).clipDepth(3).tag(), tags::PlaceAt(2, kGreen),
                  tags::PlaceAt(4, kBottom)});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 50), qRgb(0, 255, 0))) << "inside the mask";
    EXPECT_TRUE(Near(image.pixel(150, 50), qRgb(60, 60, 60))) << "outside: the background";
    EXPECT_TRUE(Near(image.pixel(150, 140), qRgb(0, 0, 255))) << "above the clip depth";
}

TEST(DisplayTreeRender, MasksNestAndApplyInsideSprites) {
    MovieWriter writer = Stage();
    // Inside the sprite, the bottom strip masks the red stage: only the
    // bottom strip's area shows red, and the outer mask keeps the left half.
    writer.tag(tags::DefineSprite(
        10, {{tags::Place(1).character(kBottom).clipDepth(2).tag(), tags::PlaceAt(2, kRed)}}));
    writer.frame({tags::Place(1).character(kLeftHalf).clipDepth(5).tag(), tags::PlaceAt(3, 10)});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 140), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(50, 50), qRgb(60, 60, 60)));
    EXPECT_TRUE(Near(image.pixel(150, 140), qRgb(60, 60, 60)));
}

TEST(DisplayTreeRender, AMaskInsideAMaskAddsItsAreaInsteadOfClipping) {
    MovieWriter writer = Stage();
    // The sprite is itself a mask: its own left-half mask cannot clip the
    // bottom strip there, so the red stage shows through both whole.
    writer.tag(tags::DefineSprite(
        10, {{tags::Place(1).character(kLeftHalf).clipDepth(2).tag(), tags::PlaceAt(2, kBottom)}}));
    writer.frame({tags::Place(1).character(10).clipDepth(5).tag(), tags::PlaceAt(3, kRed)});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 50), qRgb(255, 0, 0))) << "the inner mask's area";
    EXPECT_TRUE(Near(image.pixel(150, 140), qRgb(255, 0, 0))) << "what it would clip, whole";
    EXPECT_TRUE(Near(image.pixel(150, 50), qRgb(60, 60, 60)));
}

TEST(DisplayTreeRender, TheStageIsStretchedToTheTarget) {
    MovieWriter writer = Stage();
    writer.frame({tags::PlaceAt(1, kLeftHalf)});
    QImage image = Render(writer, 40, 400);
    EXPECT_TRUE(Near(image.pixel(5, 390), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(image.pixel(35, 10), qRgb(60, 60, 60)));
}

// A bitmap placed by itself shows its pixels from the origin, one bitmap pixel
// to one stage pixel, and can be swapped like a shape.
TEST(DisplayTreeRender, BitmapsPlacedByThemselvesShowTheirPixels) {
    MovieWriter writer = Stage();
    swf::Rgba yellow{255, 255, 0, 255}, cyan{0, 255, 255, 255};
    writer.tag(tags::DefineBitsLossless2(20, 2, 1, {yellow, cyan}));
    writer.tag(tags::DefineBitsLossless2(21, 1, 1, {cyan}));
    writer.frame({tags::PlaceAt(1, 20, Matrix{10, 0, 0, 10, 400, 200})});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(25, 15), qRgb(255, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(35, 15), qRgb(0, 255, 255)));
    EXPECT_TRUE(Near(image.pixel(45, 15), qRgb(60, 60, 60)));
    writer.frame({tags::Place(1).move().character(21).tag()});
    auto movie = swf::Movie::load(writer.bytes());
    swf::Player player(movie.value());
    player.advanceFrame();
    QImage swapped(200, 150, QImage::Format_RGB32);
    swf::RenderFrame(player, swapped);
    EXPECT_TRUE(Near(swapped.pixel(25, 15), qRgb(0, 255, 255)));
}

TEST(DisplayTreeRender, InvisibleObjectsAndMasksAreNotDrawn) {
    MovieWriter writer = Stage();
    // A mask whose clip depth covers nothing draws nothing by itself.
    writer.frame({tags::Place(1).character(kRed).clipDepth(1).tag()});
    EXPECT_TRUE(Near(Render(writer).pixel(100, 75), qRgb(60, 60, 60)));
}

// Blend modes are stored as PlaceObject3 bytes.
constexpr std::uint8_t kLayer = 2, kDifference = 7, kErase = 12;

TEST(DisplayTreeRender, BlendModesCombineAnObjectWithWhatIsBeneath) {
    MovieWriter writer = Stage();
    writer.frame(
        {tags::PlaceAt(1, kRed), tags::Place(2).character(kLeftHalf).blendMode(kDifference).tag()});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 75), qRgb(0, 255, 255))) << "white minus red";
    EXPECT_TRUE(Near(image.pixel(150, 75), qRgb(255, 0, 0)));
}

// Erase cuts through the group it is drawn in; on the stage, which is
// opaque, it changes nothing.
TEST(DisplayTreeRender, EraseCutsThroughALayerGroupOnly) {
    MovieWriter writer = Stage();
    writer.tag(tags::DefineSprite(
        10,
        {{tags::PlaceAt(1, kRed), tags::Place(2).character(kLeftHalf).blendMode(kErase).tag()}}));
    writer.frame({tags::Place(1).character(10).blendMode(kLayer).tag(), tags::PlaceAt(2, 10)});
    QImage grouped = Render(writer);
    EXPECT_TRUE(Near(grouped.pixel(50, 75), qRgb(255, 0, 0))) << "the plain copy on top";

    MovieWriter layered = Stage();
    layered.tag(tags::DefineSprite(
        10,
        {{tags::PlaceAt(1, kRed), tags::Place(2).character(kLeftHalf).blendMode(kErase).tag()}}));
    layered.frame({tags::Place(1).character(10).blendMode(kLayer).tag()});
    QImage image = Render(layered);
    EXPECT_TRUE(Near(image.pixel(50, 75), qRgb(60, 60, 60))) << "erased to the background";
    EXPECT_TRUE(Near(image.pixel(150, 75), qRgb(255, 0, 0)));

    MovieWriter plain = Stage();
    plain.tag(tags::DefineSprite(
        10,
        {{tags::PlaceAt(1, kRed), tags::Place(2).character(kLeftHalf).blendMode(kErase).tag()}}));
    plain.frame({tags::PlaceAt(1, 10)});
    EXPECT_TRUE(Near(Render(plain).pixel(50, 75), qRgb(255, 0, 0))) << "nothing to erase from";
}

// A drop shadow 20 stage pixels to the right of the left half; its blur and
// distance grow with the view, not with the object.
TEST(DisplayTreeRender, ADropShadowFallsBesideTheObjectAndGrowsWithTheView) {
    MovieWriter writer = Stage();
    auto shadow = tags::filters::List({tags::filters::DropShadow({0, 0, 0, 255}, 1, 0, 20)});
    writer.frame({tags::Place(1).character(kLeftHalf).filters(shadow).tag()});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 75), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(image.pixel(110, 75), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(130, 75), qRgb(60, 60, 60)));
    QImage doubled = Render(writer, 400, 300);
    EXPECT_TRUE(Near(doubled.pixel(230, 150), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(doubled.pixel(250, 150), qRgb(60, 60, 60)));
}

// The colour transform of a filtered object applies to the filtered result:
// the black shadow turns red with the object.
TEST(DisplayTreeRender, AFilteredObjectsColourTransformAppliesToItsFilters) {
    MovieWriter writer = Stage();
    auto shadow = tags::filters::List({tags::filters::DropShadow({0, 0, 0, 255}, 1, 0, 20)});
    writer.frame({tags::Place(1)
                      .character(kLeftHalf)
                      .colors({1, 1, 1, 1, 255, 0, 0, 0})
                      .filters(shadow)
                      .tag()});
    EXPECT_TRUE(Near(Render(writer).pixel(110, 75), qRgb(255, 0, 0)));
}

TEST(DisplayTreeRender, MasksClipObjectsDrawnThroughLayers) {
    MovieWriter writer = Stage();
    auto glow = tags::filters::List({tags::filters::Glow({0, 0, 255, 255}, 4)});
    writer.frame({tags::PlaceAt(1, kRed), tags::Place(2).character(kLeftHalf).clipDepth(3).tag(),
                  tags::Place(3).character(kGreen).blendMode(kDifference).filters(glow).tag()});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(50, 75), qRgb(255, 255, 0))) << "green against red";
    EXPECT_TRUE(Near(image.pixel(150, 75), qRgb(255, 0, 0))) << "masked out";
}

// Two overlapping halves at half alpha: drawn one by one the overlap is
// denser; cached as one picture it is not.
TEST(DisplayTreeRender, ATranslucentCachedObjectIsDrawnAsOnePicture) {
    auto movieWith = [](bool cached) {
        MovieWriter writer = Stage();
        writer.tag(
            tags::DefineSprite(10, {{tags::PlaceAt(1, kLeftHalf),
                                     tags::PlaceAt(2, kLeftHalf, Matrix::translate(1000, 0))}}));
        tags::Place place(1);
        place.character(10).colors({1, 1, 1, 0.5f, 0, 0, 0, 0});
        if (cached)
            place.cacheAsBitmap();
        writer.frame({place.tag()});
        return writer;
    };
    EXPECT_TRUE(Near(Render(movieWith(false)).pixel(75, 75), qRgb(207, 207, 207)));
    QImage cached = Render(movieWith(true));
    EXPECT_TRUE(Near(cached.pixel(75, 75), qRgb(158, 158, 158)));
    EXPECT_TRUE(Near(cached.pixel(25, 75), qRgb(158, 158, 158)));
}

// A script mask between two cached objects masks by its picture's alpha: a
// half-transparent mask shows half of its object. Uncached, or cached too
// large for Flash to keep as a bitmap (a side of 2880 pixels before SWF 10),
// it masks by its filled area.
TEST(DisplayTreeRender, AScriptMaskBetweenCachedObjectsMasksByItsAlpha) {
    constexpr std::uint16_t kHalfClear = 20;
    auto movieWith = [](bool cached, double maskScale) {
        MovieWriter writer = Stage();
        writer.version = 8;
        writer.tag(tags::DefineRectShape(kHalfClear, {0, 2000, 0, 3000}, {0, 0, 0, 128}));
        writer.tag(tags::DefineSprite(10, {{tags::PlaceAt(1, kRed)}}));
        writer.tag(tags::DefineSprite(11, {{tags::PlaceAt(1, kHalfClear)}}));
        tags::Place content(1), mask(2);
        content.character(10).name("a");
        mask.character(11).name("m").matrix(Matrix::scale(maskScale, 1));
        if (cached) {
            content.cacheAsBitmap();
            mask.cacheAsBitmap();
        }
        using namespace as;
        Bytes setMask = Join(
            {Str("m"), Op(0x1c), Num(1), Str("a"), Op(0x1c), Str("setMask"), Op(0x52), Op(0x17)});
        writer.frame({content.tag(), mask.tag(), tags::DoAction({setMask})});
        return writer;
    };
    EXPECT_TRUE(Near(Render(movieWith(false, 1)).pixel(50, 75), qRgb(255, 0, 0)));
    QImage alpha = Render(movieWith(true, 1));
    EXPECT_TRUE(Near(alpha.pixel(50, 75), qRgb(158, 30, 30)));
    EXPECT_TRUE(Near(alpha.pixel(150, 75), qRgb(60, 60, 60)));
    // 100 pixels wide at 28.8 times: 2880 pixels, and a picture of 2881.
    EXPECT_TRUE(Near(Render(movieWith(true, 28.8)).pixel(50, 75), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(Render(movieWith(true, 28.79)).pixel(50, 75), qRgb(158, 30, 30)));
}

// A cached object's picture sits on whole pixels: an edge a quarter pixel
// into a pixel covers it all instead of blending with what is beneath.
TEST(DisplayTreeRender, ACachedObjectIsPlacedOnWholePixels) {
    auto movieWith = [](bool cached) {
        MovieWriter writer = Stage();
        tags::Place place(1);
        place.character(kRed).matrix(Matrix::translate(205, 0));
        if (cached)
            place.cacheAsBitmap();
        writer.frame({place.tag()});
        return writer;
    };
    EXPECT_FALSE(Near(Render(movieWith(false)).pixel(10, 75), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(Render(movieWith(true)).pixel(10, 75), qRgb(255, 0, 0)));
}

// Filters cache an object too, and the cached picture spans the object's
// box: the box, not the origin, moves to the nearest whole pixel. A box that
// starts 0.3 pixels into its object placed 0.45 pixels across starts at
// 0.75 and is drawn from 1; rounding the origin would draw it from 0.3.
TEST(DisplayTreeRender, AFilteredObjectsBoxIsPlacedOnWholePixels) {
    constexpr std::uint16_t kInset = 20;
    MovieWriter writer = Stage();
    writer.tag(tags::DefineRectShape(kInset, {6, 2006, 0, 3000}, {255, 0, 0, 255}));
    auto blur = tags::filters::List({tags::filters::Blur(1)});
    writer.frame(
        {tags::Place(1).character(kInset).matrix(Matrix::translate(9, 0)).filters(blur).tag()});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(0, 75), qRgb(60, 60, 60)));
    EXPECT_TRUE(Near(image.pixel(1, 75), qRgb(255, 0, 0)));
}

} // namespace
} // namespace vidorama::test
