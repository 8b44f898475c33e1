// The converter's command line: what each option means and which command
// lines are refused, with a reason, before anything runs.

#include "ConvertOptions.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using cli::ConvertOptions;
using cli::MoviePosition;
using cli::Rate;

cli::ParsedOptions Parse(std::vector<std::string> args) {
    return cli::ParseConvertOptions(args);
}

TEST(ConvertOptions, ReadsTheSnapshotCommandLine) {
    auto parsed = Parse({"--snapshot", "12", "-o", "out.png", "--size", "640x480", "in.swf"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->mode, ConvertOptions::Mode::Snapshot);
    EXPECT_EQ(parsed.options->snapshotFrame, 12);
    EXPECT_EQ(parsed.options->outputPath, "out.png");
    EXPECT_EQ(parsed.options->inputPath(), "in.swf");
    EXPECT_EQ(parsed.options->width, 640);
    EXPECT_EQ(parsed.options->height, 480);
    EXPECT_EQ(Parse({"--help"}).options->mode, ConvertOptions::Mode::Help);
}

TEST(ConvertOptions, TraceToStandardOutputTurnsProgressOff) {
    auto toFile = Parse({"--trace", "t.txt", "--progress", "json", "in.swf"});
    ASSERT_TRUE(toFile.options) << toFile.error;
    EXPECT_EQ(toFile.options->tracePath, "t.txt");
    EXPECT_EQ(toFile.options->progress, cli::ProgressStyle::Json);
    auto toStdout = Parse({"--progress", "json", "--trace", "-", "in.swf"});
    ASSERT_TRUE(toStdout.options) << toStdout.error;
    EXPECT_EQ(toStdout.options->tracePath, "-");
    EXPECT_EQ(toStdout.options->progress, cli::ProgressStyle::None);
}

TEST(ConvertOptions, ReadsAConversionCommandLine) {
    auto parsed =
        Parse({"a.swf",      "movies/",    "-o",     "out/",          "--format=mp4", "--fps",
               "30000/1001", "--start",    "1:02.5", "--end",         "240",          "-j",
               "3",          "--progress", "json",   "--vcodec",      "vp9",          "--acodec",
               "none",       "--quality",  "28",     "--transparent", "--overwrite"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const ConvertOptions& o = *parsed.options;
    EXPECT_EQ(o.mode, ConvertOptions::Mode::Convert);
    EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.swf", "movies/"}));
    EXPECT_EQ(o.format, cli::OutputKind::Mp4);
    EXPECT_EQ(o.fps, (Rate{30000, 1001}));
    EXPECT_EQ(o.start, (MoviePosition{MoviePosition::Unit::Seconds, 0, 62.5}));
    EXPECT_EQ(o.end, (MoviePosition{MoviePosition::Unit::Frame, 240, 0}));
    EXPECT_EQ(o.jobs, 3);
    EXPECT_EQ(o.progress, cli::ProgressStyle::Json);
    EXPECT_EQ(o.encoding.videoCodec, "vp9");
    EXPECT_EQ(o.encoding.audioCodec, "none");
    EXPECT_EQ(o.encoding.quality, 28);
    EXPECT_TRUE(o.encoding.transparent);
    EXPECT_TRUE(o.overwrite);
}

TEST(ConvertOptions, KeepsDecimalRatesExact) {
    EXPECT_EQ(Parse({"a.swf", "--fps", "29.97"}).options->fps, (Rate{2997, 100}));
    EXPECT_EQ(Parse({"a.swf", "--fps", "25"}).options->fps, (Rate{25, 1}));
    EXPECT_EQ(Parse({"a.swf", "--fps", "50/2"}).options->fps, (Rate{25, 1}));
    EXPECT_EQ(Parse({"a.swf", "--duration", "2.5"}).options->durationSeconds, 2.5);
    EXPECT_EQ(Parse({"a.swf", "--start", "1.5s"}).options->start,
              (MoviePosition{MoviePosition::Unit::Seconds, 0, 1.5}));
}

TEST(ConvertOptions, RefusesBadCommandLinesWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--snapshot", "0", "-o", "a.png", "in.swf"},
        {"--snapshot", "x", "-o", "a.png", "in.swf"},
        {"--snapshot", "3", "in.swf"},
        {"--snapshot", "3", "-o", "a.png"},
        {"--snapshot", "3", "-o", "a.png", "--size", "640", "in.swf"},
        {"--snapshot", "3", "-o", "a.png", "--size", "0x10", "in.swf"},
        {"--snapshot", "3", "-o", "a.png", "in.swf", "other.swf"},
        {"--snapshot", "3", "-o", "a.png", "--bogus", "in.swf"},
        {"--snapshot"},
        {"in.swf", "--format", "flv"},
        {"in.swf", "--fps", "0"},
        {"in.swf", "--fps", "1000"},
        {"in.swf", "--fps", "30/0"},
        {"in.swf", "--fps", "nan"},
        {"in.swf", "--start", "-3"},
        {"in.swf", "--start", "0"},
        {"in.swf", "--start", "1:75"},
        {"in.swf", "--end", "10", "--duration", "3"},
        {"in.swf", "--start", "20", "--end", "10"},
        {"in.swf", "--duration", "0"},
        {"in.swf", "--duration", "1e400"},
        {"in.swf", "-j", "0"},
        {"in.swf", "--progress", "loud"},
        {"in.swf", "--channels", "5.1"},
        {"in.swf", "--size", "99999x10"},
        {"a.swf", "b.swf", "--trace", "t.txt"},
        {"in.swf", "--trace", ""},
    };
    for (const auto& args : bad) {
        auto parsed = Parse(args);
        EXPECT_FALSE(parsed.options) << ::testing::PrintToString(args);
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(OutputKind, ComesFromTheExtensionOrTheName) {
    EXPECT_EQ(cli::OutputKindOfPath("dir.x/Movie.MP4"), cli::OutputKind::Mp4);
    EXPECT_EQ(cli::OutputKindOfPath("a.mpg"), cli::OutputKind::Mpeg);
    EXPECT_EQ(cli::OutputKindOfPath("a.rmvb"), cli::OutputKind::Rm);
    EXPECT_EQ(cli::OutputKindOfPath("dir.x/noextension"), std::nullopt);
    EXPECT_EQ(cli::OutputKindOfPath("frames.png"), std::nullopt);
    EXPECT_EQ(cli::OutputKindNamed("MKV"), cli::OutputKind::Matroska);
    EXPECT_EQ(cli::OutputExtension(cli::OutputKind::Rm), "rmvb");
}

} // namespace
} // namespace vidorama::test
