// The corpus's video cases drawn through the snapshot path: every pixel of
// the picture must be near the reference, as the conformance run counts them.

#include "CorpusImages.h"
#include "VideoMovies.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "video/VideoDef.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

TEST(VideoCorpus, VideoCasesMatchTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    int cases = 0;
    for (const ImageCase& c : ReadImageCases(corpus)) {
        if (c.group != "video")
            continue;
        ++cases;
        auto movie = swf::Movie::loadFile(corpus + "/" + c.caseDir + "/" + c.swf);
        ASSERT_TRUE(movie.ok()) << c.name();
        EXPECT_GE(MatchingShare(RenderCase(movie.value(), c), ReferencePicture(corpus, c)),
                  kPassShare)
            << c.name();
    }
    EXPECT_GT(cases, 0);
}

// VP6 codes whole macroblocks: the corpus's 640 x 480 frame shown in a
// smaller box is its top-left part, in a larger box black.
TEST(VideoCorpus, Vp6PicturesAreCutToTheBoxAndBlackWhenCodedSmaller) {
    const std::string path =
        std::string(VIDORAMA_CORPUS_DIR) + "/ruffle/visual__video__colorconversion__vp6/test.swf";
    auto source = swf::Movie::loadFile(path);
    if (!source)
        GTEST_SKIP() << "no corpus movie at " << path;
    auto stream = std::dynamic_pointer_cast<const swf::VideoDef>(source.value()->character(0));
    ASSERT_TRUE(stream && stream->frame(0));
    auto packet = stream->frame(0)->packet;
    Bytes frame(packet.begin(), packet.end());
    auto render = [&](std::uint16_t width, std::uint16_t height) {
        MovieWriter writer = VideoStage(width, height);
        writer.tag(tags::DefineVideoStream(1, 1, width, height, 4));
        writer.tag(tags::VideoFrame(1, 0, frame));
        writer.frame({tags::PlaceAt(1, 1)});
        swf::Player player(swf::Movie::load(writer.bytes()).value());
        return Render(player);
    };
    QImage full = render(640, 480);
    QImage cut = render(320, 240);
    EXPECT_EQ(cut, full.copy(0, 0, 320, 240));
    QImage larger = render(656, 480);
    EXPECT_EQ(larger.pixel(100, 100), qRgb(0, 0, 0));
    EXPECT_EQ(larger.pixel(650, 470), qRgb(0, 0, 0));
}

} // namespace
} // namespace vidorama::test
