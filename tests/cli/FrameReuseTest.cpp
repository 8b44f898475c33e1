// A frame the same as the one before is not drawn again, and one that differs
// in part is drawn again only there: pictures made that way must match
// drawing every frame afresh, pixel for pixel, on real movies of every kind
// of drawing.

#include "movie/Movie.h"
#include "pipeline/BackgroundSink.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/MovieDriver.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <deque>
#include <gtest/gtest.h>
#include <string>

namespace vidorama::test {
namespace {

constexpr int kFrames = 40;
const QSize kSize(200, 150);

struct Reuse {
    int repeats = 0;
    // Frames drawn again only where they changed.
    int drawnInPart = 0;
    int differingFrames = 0;
};

// Plays the movie on, drawing each frame both through the converter's
// renderer and afresh. A receiver may hold the last frames drawn, as the
// encoding thread does; those must keep their pixels.
Reuse Compare(const std::string& corpusCase, std::size_t held = 0) {
    auto movie = swf::Movie::loadFile(std::string(VIDORAMA_CORPUS_DIR) + "/" + corpusCase);
    EXPECT_TRUE(movie.ok()) << corpusCase;
    if (!movie.ok())
        return {};
    const auto rate = cli::Rate::OfMovieHeader(movie.value()->frameRate());
    cli::MovieDriver driver(movie.value(), rate, cli::EndRule::PlayOn);
    cli::FrameRenderer reusing(kSize, cli::StageBackground::Painted);
    QImage fresh(kSize, QImage::Format_ARGB32_Premultiplied);
    // Each held frame, and a copy of its own.
    std::deque<std::pair<QImage, QImage>> receiver;
    Reuse reuse;
    for (int k = 0; k < kFrames; ++k) {
        driver.advanceTo(k);
        const QImage& picture = reusing.render(driver.player());
        reuse.repeats += reusing.repeated() ? 1 : 0;
        const QRect drawn = reusing.drawnArea();
        reuse.drawnInPart += !reusing.repeated() && drawn != picture.rect() ? 1 : 0;
        swf::RenderFrame(driver.player(), fresh);
        reuse.differingFrames += picture == fresh ? 0 : 1;
        if (held == 0 || reusing.repeated())
            continue;
        receiver.emplace_back(picture, picture.copy());
        if (receiver.size() > held)
            receiver.pop_front();
        for (const auto& [shared, own] : receiver)
            reuse.differingFrames += shared == own ? 0 : 1;
    }
    return reuse;
}

TEST(FrameReuse, PicturesMatchDrawingEveryFrameAfresh) {
    const char* const cases[] = {
        "ruffle/from_gnash__misc-ming.all__morph_test1/test.swf",
        "ruffle/from_shumway__acid__acid-video/test.swf",
        "ruffle/from_shumway__acid__acid-clip-3/test.swf",
        "ruffle/from_gnash__misc-ming.all__Video-EmbedSquareTest/test.swf",
        "ruffle/avm1__movieclip_begin_gradient_fill/test.swf",
        "ruffle/visual__edittext__edittext_border_basic/test.swf",
        "ruffle/visual__blend_modes__layer_alpha/test.swf",
        "ruffle/from_gnash__misc-ming.all__loop__simple_loop_test/test.swf",
        "ruffle/from_shumway__acid__acid-text-6/test.swf",
        "ruffle/from_shumway__acid__acid-blend/test.swf",
        "ruffle/from_shumway__MaskTest-3/test.swf",
        "ruffle/visual__cache_as_bitmap__morph/test.swf",
        "ruffle/from_shumway__timeline__timeline_as2_5/test.swf",
    };
    for (const char* corpusCase : cases)
        EXPECT_EQ(Compare(corpusCase).differingFrames, 0) << corpusCase;
}

TEST(FrameReuse, FramesHeldByTheEncodingThreadAreNotDrawnOver) {
    // Objects moving over a stage drawn again in part, so that a picture
    // taken up again must be brought up to date with the frames since; and
    // a movie drawn again in full.
    const char* const cases[] = {
        "ruffle/from_gnash__misc-ming.all__morph_test1/test.swf",
        "ruffle/from_shumway__acid__acid-clip-3/test.swf",
        "ruffle/from_shumway__acid__acid-video/test.swf",
    };
    for (const char* corpusCase : cases) {
        EXPECT_EQ(Compare(corpusCase, cli::BackgroundSink::kPictures).differingFrames, 0)
            << corpusCase;
        // A receiver holding more than the pictures allow costs copies, and
        // still sees its frames unchanged.
        EXPECT_EQ(Compare(corpusCase, cli::FrameRenderer::kPictures + 2).differingFrames, 0)
            << corpusCase;
    }
}

TEST(FrameReuse, APageThatNeverChangesIsDrawnOnce) {
    const Reuse page = Compare("ruffle/from_shumway__acid__acid-gradient-0/test.swf");
    EXPECT_EQ(page.repeats, kFrames - 1);
    EXPECT_EQ(page.differingFrames, 0);
    // A text field's box is made anew at each frame and still recognised.
    EXPECT_EQ(Compare("ruffle/visual__edittext__edittext_border_basic/test.swf").repeats,
              kFrames - 1);
}

TEST(FrameReuse, PartsThatChangeAreDrawnAgainAlone) {
    // Text appearing line by line on a large stage.
    const Reuse text = Compare("ruffle/from_shumway__acid__acid-text-6/test.swf");
    EXPECT_GT(text.drawnInPart, kFrames / 4);
    EXPECT_EQ(text.differingFrames, 0);
}

TEST(FrameRendering, FiltersAreLeftOutOnceTheirAllowanceIsSpent) {
    auto movie = swf::Movie::loadFile(std::string(VIDORAMA_CORPUS_DIR) +
                                      "/ruffle/visual__filters__blur_size_grows/test.swf");
    ASSERT_TRUE(movie.ok());
    cli::MovieDriver driver(movie.value(), cli::Rate{24, 1}, cli::EndRule::PlayOn);
    cli::FrameRenderer filtered(kSize, cli::StageBackground::Painted);
    cli::FrameRenderer spent(kSize, cli::StageBackground::Painted);
    spent.allowWork(0, UINT64_MAX);
    const QImage withFilters = filtered.render(driver.player());
    EXPECT_NE(spent.render(driver.player()), withFilters);
    EXPECT_TRUE(spent.filtersLeftOut());
    EXPECT_FALSE(filtered.filtersLeftOut());
}

TEST(FrameRendering, FramesPastThePixelsAllowedShowThePictureBefore) {
    auto movie = swf::Movie::loadFile(std::string(VIDORAMA_CORPUS_DIR) +
                                      "/ruffle/from_gnash__misc-ming.all__morph_test1/test.swf");
    ASSERT_TRUE(movie.ok());
    cli::MovieDriver driver(movie.value(), cli::Rate{12, 1}, cli::EndRule::PlayOn);
    cli::FrameRenderer renderer(kSize, cli::StageBackground::Painted);
    renderer.allowWork(UINT64_MAX, 0); // the first frame is drawn all the same
    const QImage first = renderer.render(driver.player());
    EXPECT_FALSE(renderer.repeated());
    driver.advanceTo(5);
    EXPECT_EQ(renderer.render(driver.player()), first);
    EXPECT_TRUE(renderer.repeated());
    EXPECT_EQ(renderer.framesHeld(), 1);
    // Once the allowance grows past what was painted, frames are drawn again.
    renderer.allowWork(UINT64_MAX, UINT64_MAX);
    EXPECT_NE(renderer.render(driver.player()), first);
    EXPECT_FALSE(renderer.repeated());
}

TEST(FrameReuse, MovingPicturesAreDrawnAgain) {
    const Reuse morph = Compare("ruffle/from_gnash__misc-ming.all__morph_test1/test.swf");
    EXPECT_LT(morph.repeats, kFrames / 2);
    EXPECT_EQ(morph.differingFrames, 0);
}

} // namespace
} // namespace vidorama::test
