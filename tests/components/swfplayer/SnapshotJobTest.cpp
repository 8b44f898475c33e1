// vidorama-convert's snapshot mode: the command line and the job behind it.

#include "SnapshotJob.h"

#include "ConvertOptions.h"
#include "SwfWriter.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using cli::ConvertOptions;
using cli::ParseConvertOptions;

cli::ParsedOptions Parse(std::vector<std::string> args) {
    return ParseConvertOptions(args);
}

TEST(ConvertOptions, ReadsTheSnapshotCommandLine) {
    auto parsed = Parse({"--snapshot", "12", "-o", "out.png", "--size", "640x480", "in.swf"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->mode, ConvertOptions::Mode::Snapshot);
    EXPECT_EQ(parsed.options->snapshotFrame, 12);
    EXPECT_EQ(parsed.options->outputPath, "out.png");
    EXPECT_EQ(parsed.options->inputPath, "in.swf");
    EXPECT_EQ(parsed.options->width, 640);
    EXPECT_EQ(parsed.options->height, 480);
    auto plain = Parse({"in.swf", "-o", "a.png", "--snapshot", "1"});
    ASSERT_TRUE(plain.options);
    EXPECT_FALSE(plain.options->width);
    EXPECT_EQ(Parse({"--help"}).options->mode, ConvertOptions::Mode::Help);
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
    };
    for (const auto& args : bad) {
        auto parsed = Parse(args);
        EXPECT_FALSE(parsed.options);
        EXPECT_FALSE(parsed.error.empty());
    }
}

class SnapshotJob : public testing::Test {
protected:
    // A 40 x 20 stage whose left half is red on frame 1 and green from frame 2.
    std::string WriteMovie() {
        MovieWriter movie;
        movie.frameRect = {0, 800, 0, 400};
        movie.tag(tags::DefineRectShape(1, {0, 400, 0, 400}, {255, 0, 0, 255}));
        movie.tag(tags::DefineRectShape(2, {0, 400, 0, 400}, {0, 255, 0, 255}));
        movie.frame({tags::PlaceAt(1, 1)});
        movie.frame({tags::Place(1).move().character(2).tag()});
        Bytes bytes = movie.bytes();
        QFile file(folder.filePath("in.swf"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return file.fileName().toStdString();
    }

    ConvertOptions Options(int frame) {
        ConvertOptions options;
        options.mode = ConvertOptions::Mode::Snapshot;
        options.snapshotFrame = frame;
        options.inputPath = WriteMovie();
        options.outputPath = folder.filePath("out.png").toStdString();
        return options;
    }

    QTemporaryDir folder;
};

TEST_F(SnapshotJob, WritesTheStageAfterTheGivenNumberOfFrames) {
    ConvertOptions options = Options(1);
    ASSERT_EQ(cli::RunSnapshotJob(options), "");
    QImage first(QString::fromStdString(options.outputPath));
    ASSERT_EQ(first.size(), QSize(40, 20));
    EXPECT_EQ(first.pixel(5, 10), qRgb(255, 0, 0));
    EXPECT_EQ(first.pixel(35, 10), qRgb(255, 255, 255));

    options.snapshotFrame = 2;
    options.width = 80;
    options.height = 10;
    ASSERT_EQ(cli::RunSnapshotJob(options), "");
    QImage second(QString::fromStdString(options.outputPath));
    ASSERT_EQ(second.size(), QSize(80, 10));
    EXPECT_EQ(second.pixel(10, 5), qRgb(0, 255, 0));
}

TEST_F(SnapshotJob, LeavesNoOutputWhenItFails) {
    ConvertOptions options = Options(1);
    options.inputPath = folder.filePath("missing.swf").toStdString();
    EXPECT_NE(cli::RunSnapshotJob(options), "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(options.outputPath)));
    options = Options(1);
    options.outputPath = folder.filePath("no/such/folder/out.png").toStdString();
    EXPECT_NE(cli::RunSnapshotJob(options), "");
}

} // namespace
} // namespace vidorama::test
