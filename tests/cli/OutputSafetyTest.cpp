// An output appears complete or not at all: existing files are not replaced
// without --overwrite, and a failed or interrupted conversion leaves nothing,
// not even its temporary file.

#include "ConversionFixture.h"
#include "planning/JobPlanner.h"
#include "planning/OutputTarget.h"

#include <QFile>

namespace vidorama::test {
namespace {

class OutputSafety : public ConversionFixture {
protected:
    void SetUp() override { movie = WriteMovie(path("m.swf"), NumberedFramesMovie(20, 20)); }

    void writeText(const std::string& file, const char* text) {
        QFile out(QString::fromStdString(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    std::string readText(const std::string& file) {
        QFile in(QString::fromStdString(file));
        return in.open(QIODevice::ReadOnly) ? in.readAll().toStdString() : "";
    }

    std::string movie;
};

TEST_F(OutputSafety, AnExistingOutputIsRefusedUnlessOverwriteIsGiven) {
    const std::string out = path("m.avi");
    writeText(out, "keep me");
    cli::ConvertOptions options;
    options.inputs = {movie};
    cli::JobPlan plan = cli::PlanJobs(options);
    EXPECT_TRUE(plan.jobs.empty());
    ASSERT_EQ(plan.refusals.size(), 1u);
    EXPECT_NE(plan.refusals[0].find("--overwrite"), std::string::npos);

    // An output that turns up while the conversion runs is not replaced
    // either; the finished video is dropped instead.
    observer.onFrame = [&](std::int64_t frames) {
        if (frames == 3)
            writeText(path("late.avi"), "arrived meanwhile");
    };
    const cli::JobResult late = convert(movie, path("late.avi"), cli::OutputKind::Avi);
    EXPECT_FALSE(late.ok);
    EXPECT_EQ(readText(path("late.avi")), "arrived meanwhile");
    observer.onFrame = nullptr;

    options.overwrite = true;
    plan = cli::PlanJobs(options);
    ASSERT_EQ(plan.jobs.size(), 1u);
    ASSERT_TRUE(convert(movie, out, cli::OutputKind::Avi, options).ok);
    EXPECT_NE(readText(out), "keep me");
    EXPECT_EQ(entries(), (QStringList{"late.avi", "m.avi", "m.swf"}));
}

TEST_F(OutputSafety, AnInterruptedConversionLeavesNothing) {
    std::atomic<bool> stop{false};
    cancel = &stop;
    observer.onFrame = [&](std::int64_t frames) {
        stop = frames == 10;
    };
    const cli::JobResult result = convert(movie, path("m.mp4"), cli::OutputKind::Mp4);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(entries(), QStringList{"m.swf"});
    const cli::JobResult pictures = convert(movie, path("frames"), cli::OutputKind::PngSequence);
    EXPECT_FALSE(pictures.ok);
    EXPECT_EQ(entries(), QStringList{"m.swf"});
}

TEST_F(OutputSafety, AFailedConversionKeepsTheOldOutput) {
    const std::string out = path("m.mkv");
    writeText(out, "the good one");
    cli::ConvertOptions options;
    options.overwrite = true;
    options.encoding.videoCodec = "no-such-codec";
    EXPECT_FALSE(convert(movie, out, cli::OutputKind::Matroska, options).ok);
    std::atomic<bool> stop{false};
    cancel = &stop;
    observer.onFrame = [&](std::int64_t frames) {
        stop = frames == 5;
    };
    options.encoding.videoCodec.clear();
    EXPECT_FALSE(convert(movie, out, cli::OutputKind::Matroska, options).ok);
    EXPECT_EQ(readText(out), "the good one");
    EXPECT_EQ(entries(), (QStringList{"m.mkv", "m.swf"}));
}

TEST_F(OutputSafety, OverwriteReplacesOnlyFoldersOfPictures) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("frames"));
    writeText(path("frames/000001.png"), "old");
    writeText(path("frames/notes.txt"), "not ours");
    cli::ConvertOptions options;
    options.overwrite = true;
    const cli::JobResult refused =
        convert(movie, path("frames"), cli::OutputKind::PngSequence, options);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(readText(path("frames/notes.txt")), "not ours");
    QFile::remove(folder.filePath("frames/notes.txt"));
    ASSERT_TRUE(convert(movie, path("frames"), cli::OutputKind::PngSequence, options).ok);
    EXPECT_EQ(QDir(folder.filePath("frames")).entryList(QDir::Files).size(), 20);
    EXPECT_EQ(entries(), (QStringList{"frames", "m.swf"}));
    EXPECT_TRUE(cli::IsSequencePictureName("000123.png"));
    EXPECT_FALSE(cli::IsSequencePictureName("12.png"));
}

TEST_F(OutputSafety, BatchPlansNameOutputsAfterInputsAndRefuseClashes) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("in/sub"));
    const std::string a = WriteMovie(path("in/a.swf"), NumberedFramesMovie(2, 10));
    WriteMovie(path("in/B.SWF"), NumberedFramesMovie(2, 10));
    WriteMovie(path("in/sub/a.swf"), NumberedFramesMovie(2, 10));
    writeText(path("in/notes.txt"), "not a movie");
    cli::ConvertOptions options;
    options.inputs = {path("in"), path("in/sub/a.swf"), path("in/missing.swf")};
    options.outputPath = path("out");
    options.format = cli::OutputKind::WebM;
    const cli::JobPlan plan = cli::PlanJobs(options);
    ASSERT_EQ(plan.jobs.size(), 2u);
    EXPECT_EQ(plan.jobs[0].input, path("in/B.SWF"));
    EXPECT_EQ(plan.jobs[0].output, path("out/B.webm"));
    EXPECT_EQ(plan.jobs[1].output, path("out/a.webm"));
    // The second a.swf would write the same output; the missing movie is named.
    ASSERT_EQ(plan.refusals.size(), 2u);
    EXPECT_NE(plan.refusals[0].find("sub/a.swf"), std::string::npos);
    EXPECT_NE(plan.refusals[1].find("missing.swf"), std::string::npos);

    cli::ConvertOptions single;
    single.inputs = {a};
    single.outputPath = path("x.unknown");
    EXPECT_FALSE(cli::PlanJobs(single).usageError.empty());
    single.outputPath.clear();
    EXPECT_EQ(cli::PlanJobs(single).jobs.at(0).output, path("in/a.avi"));
}

} // namespace
} // namespace vidorama::test
