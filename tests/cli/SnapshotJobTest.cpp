// vidorama-convert's snapshot mode: the stage after a number of frames as a picture.

#include "SnapshotJob.h"

#include "ConvertOptions.h"
#include "SwfWriter.h"
#include "TempDir.h"
#include "swf/Limits.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using cli::ConvertOptions;

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
        options.inputs = {WriteMovie()};
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
    options.overwrite = true;
    ASSERT_EQ(cli::RunSnapshotJob(options), "");
    QImage second(QString::fromStdString(options.outputPath));
    ASSERT_EQ(second.size(), QSize(80, 10));
    EXPECT_EQ(second.pixel(10, 5), qRgb(0, 255, 0));
}

// At 35 pixels wide the square's right edge halves pixel 17: anti-aliased
// at high quality, all or nothing at low.
TEST_F(SnapshotJob, DrawsAtTheStageQualityAsked) {
    ConvertOptions options = Options(1);
    options.width = 35;
    ASSERT_EQ(cli::RunSnapshotJob(options), "");
    QRgb high = QImage(QString::fromStdString(options.outputPath)).pixel(17, 10);
    EXPECT_NEAR(qGreen(high), 128, 16);
    options.stageQuality = swf::StageQuality::Low;
    options.overwrite = true;
    ASSERT_EQ(cli::RunSnapshotJob(options), "");
    QRgb low = QImage(QString::fromStdString(options.outputPath)).pixel(17, 10);
    EXPECT_TRUE(low == qRgb(255, 0, 0) || low == qRgb(255, 255, 255)) << std::hex << low;
}

TEST_F(SnapshotJob, LeavesNoOutputWhenItFails) {
    ConvertOptions options = Options(1);
    options.inputs = {folder.filePath("missing.swf").toStdString()};
    EXPECT_NE(cli::RunSnapshotJob(options), "");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(options.outputPath)));
    options = Options(1);
    options.outputPath = folder.filePath("no/such/folder/out.png").toStdString();
    EXPECT_NE(cli::RunSnapshotJob(options), "");
}

TEST_F(SnapshotJob, ReplacesAPictureOnlyWhenAskedAndTheMovieNever) {
    ConvertOptions options = Options(1);
    QFile existing(QString::fromStdString(options.outputPath));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    const std::string refused = cli::RunSnapshotJob(options);
    EXPECT_NE(refused.find("--overwrite"), std::string::npos) << refused;
    EXPECT_EQ(QImage(QString::fromStdString(options.outputPath)).isNull(), true);

    const QByteArray movie = [&] {
        QFile in(QString::fromStdString(options.inputPath()));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }();
    options.outputPath = options.inputPath();
    options.overwrite = true;
    EXPECT_NE(cli::RunSnapshotJob(options).find("the movie itself"), std::string::npos);
    QFile in(QString::fromStdString(options.inputPath()));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), movie);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"in.swf", "out.png"}));
}

TEST_F(SnapshotJob, AStageOverThePictureLimitIsDrawnScaledDown) {
    // A 12,000 x 6,000 pixel stage with a red square of 3,000 pixels at its
    // top left.
    MovieWriter movie;
    movie.frameRect = {0, 240000, 0, 120000};
    movie.tag(tags::DefineRectShape(1, {0, 60000, 0, 60000}, {255, 0, 0, 255}));
    movie.frame({tags::PlaceAt(1, 1)});
    const std::string input = folder.filePath("huge.swf").toStdString();
    WriteWholeFile(input, movie.bytes());
    ConvertOptions options = Options(1);
    options.inputs = {input};
    std::string note;
    ASSERT_EQ(cli::RunSnapshotJob(options, &note), "");
    QImage picture(QString::fromStdString(options.outputPath));
    ASSERT_FALSE(picture.isNull());
    EXPECT_LE(std::uint64_t(picture.width()) * std::uint64_t(picture.height()),
              swf::Limits::kMaxPicturePixels);
    EXPECT_NEAR(double(picture.width()) / picture.height(), 2.0, 0.02);
    EXPECT_EQ(picture.pixel(picture.width() / 8, picture.height() / 4), qRgb(255, 0, 0));
    EXPECT_EQ(picture.pixel(picture.width() * 3 / 4, picture.height() / 2), qRgb(255, 255, 255));
    EXPECT_NE(note.find("scaled down"), std::string::npos) << note;
}

} // namespace
} // namespace vidorama::test
