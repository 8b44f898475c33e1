// A conversion that succeeds but could not convert everything the movie
// holds says why, in the one line the converter prints for its job.

#include "ConversionFixture.h"

namespace vidorama::test {
namespace {

using namespace tags;

class ConversionNotes : public ConversionFixture {
protected:
    cli::JobResult convertToMp4(const MovieWriter& movie) {
        cli::ConvertOptions options;
        options.durationSeconds = 0.5;
        return convert(WriteMovie(path("m.swf"), movie), path("o.mp4"), cli::OutputKind::Mp4,
                       options);
    }
};

TEST_F(ConversionNotes, AnOrdinaryMovieConvertsWithoutANote) {
    const cli::JobResult result = convertToMp4(NumberedFramesMovie(10, 10));
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.message, "");
}

TEST_F(ConversionNotes, AMovieCutByThePlayersLimitsSaysWhichOnes) {
    // Each frame's actions send the movie to the other frame, whose actions
    // do the same: in Flash the player stops such a script after a while.
    MovieWriter movie = NumberedFramesMovie(2, 10);
    movie.frame({DoAction({actions::GotoFrame(3)})});
    movie.frame({DoAction({actions::GotoFrame(2)})});
    const cli::JobResult result = convertToMp4(movie);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.message,
              "the movie went past the player's limits, which cut it short: "
              "scripts stopped for doing more work in one frame than allowed (2000000 "
              "instructions, 100000 action blocks)");
}

} // namespace
} // namespace vidorama::test
