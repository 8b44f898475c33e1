// The player module as the program loads it: the factory, the automation
// members by dispatch identifier, painting and real-time play.

#include "FlashModuleLoader.h"
#include "SwfWriter.h"
#include "module/FramePacer.h"
#include "vidorama/flash/FlashControl.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace vidorama::test {
namespace {

using flash::DispId;
using flash::InvokeKind;
using flash::Variant;
using namespace std::chrono_literals;

class FlashModule : public testing::Test {
protected:
    void SetUp() override {
        control = CreateModuleControl();
        ASSERT_NE(control, nullptr) << "the module or its factory is missing";
        ASSERT_TRUE(folder.isValid());
    }

    // Three frames at 100 frames per second; the left half of the stage red.
    std::string WriteMovie() {
        MovieWriter movie;
        movie.frameRate = 100;
        movie.frameRect = {0, 2000, 0, 1000};
        movie.tag(tags::DefineRectShape(1, {0, 1000, 0, 1000}, {255, 0, 0, 255}));
        movie.frame({tags::PlaceAt(1, 1)});
        movie.frame();
        movie.frame();
        QString path = folder.filePath("movie.swf");
        QFile file(path);
        Bytes bytes = movie.bytes();
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path.toStdString();
    }

    Variant get(DispId id) { return control->Invoke(id, InvokeKind::PropertyGet, {}); }
    void put(DispId id, Variant value) {
        control->Invoke(id, InvokeKind::PropertyPut, {&value, 1});
    }
    Variant call(DispId id, std::vector<Variant> args = {}) {
        return control->Invoke(id, InvokeKind::Method, args);
    }
    void load(const std::string& path) { call(DispId::LoadMovie, {std::int32_t{0}, path}); }

    QTemporaryDir folder;
    std::unique_ptr<flash::IFlashControl> control;
};

TEST_F(FlashModule, ReportsTheMovieAsSoonAsItIsLoaded) {
    EXPECT_EQ(get(DispId::TotalFrames), Variant(std::int32_t{0}));
    load(WriteMovie());
    EXPECT_EQ(get(DispId::TotalFrames), Variant(std::int32_t{3}));
    EXPECT_EQ(call(DispId::CurrentFrame), Variant(std::int32_t{0}));
    EXPECT_EQ(call(DispId::IsPlaying), Variant(true));
    load(folder.filePath("missing.swf").toStdString());
    EXPECT_EQ(get(DispId::TotalFrames), Variant(std::int32_t{0}));
}

TEST_F(FlashModule, SeeksByZeroBasedFrameAndKeepsThePlayState) {
    load("file://" + WriteMovie());
    put(DispId::Playing, false);
    EXPECT_EQ(call(DispId::IsPlaying), Variant(false));
    put(DispId::FrameNum, std::int32_t{2});
    EXPECT_EQ(get(DispId::FrameNum), Variant(std::int32_t{2}));
    EXPECT_EQ(call(DispId::IsPlaying), Variant(false));
    call(DispId::Play);
    call(DispId::GotoFrame, {std::int32_t{0}});
    EXPECT_EQ(call(DispId::CurrentFrame), Variant(std::int32_t{0}));
    EXPECT_EQ(call(DispId::IsPlaying), Variant(true));
    call(DispId::Stop);
    EXPECT_EQ(call(DispId::IsPlaying), Variant(false));
    put(DispId::Playing, std::int32_t{1}); // a BOOL may come as a long
    call(DispId::StopPlay);
    EXPECT_EQ(call(DispId::IsPlaying), Variant(false));
}

TEST_F(FlashModule, IgnoresWhatItDoesNotKnow) {
    load(WriteMovie());
    put(DispId::ScaleMode, std::int32_t{2});
    EXPECT_EQ(get(DispId::ScaleMode), Variant(std::int32_t{2}));
    EXPECT_EQ(control->Invoke(static_cast<DispId>(999), InvokeKind::Method, {}), Variant());
    EXPECT_EQ(call(DispId::GotoFrame, {std::string("two")}), Variant());
    EXPECT_EQ(call(DispId::GotoFrame), Variant());
    put(DispId::Menu, false);
    call(DispId::LoadMovie, {std::int32_t{1}, std::string("/nowhere.swf")}); // other layers
    EXPECT_EQ(get(DispId::TotalFrames), Variant(std::int32_t{3}));
}

TEST_F(FlashModule, PaintsTheFrameStretchedToTheImage) {
    QImage empty(8, 8, QImage::Format_RGB32);
    control->Paint(empty);
    EXPECT_EQ(empty.pixel(4, 4), qRgb(255, 255, 255));
    load(WriteMovie());
    for (QSize size : {QSize(100, 50), QSize(31, 200)}) {
        QImage image(size, QImage::Format_RGB32);
        control->Paint(image);
        EXPECT_EQ(image.pixel(2, size.height() - 2), qRgb(255, 0, 0));
        EXPECT_EQ(image.pixel(size.width() - 2, 2), qRgb(255, 255, 255));
    }
}

TEST_F(FlashModule, PlaysInRealTimeAndStopsAtTheEndWithoutLoop) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    load(WriteMovie());
    int repaints = 0;
    control->SetRepaintRequest([&] { ++repaints; });
    put(DispId::Loop, false);
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_GE(repaints, 2);
    EXPECT_EQ(call(DispId::CurrentFrame), Variant(std::int32_t{2}));
    EXPECT_EQ(call(DispId::IsPlaying), Variant(false));
    // Play at the end of a movie that does not loop starts it again.
    call(DispId::Play);
    EXPECT_EQ(call(DispId::CurrentFrame), Variant(std::int32_t{0}));
}

TEST(FramePacer, CountsWholeFramesFromItsStartAndCatchesUpOnlyALittle) {
    swf::FramePacer pacer(24);
    auto start = swf::FramePacer::Clock::time_point{};
    pacer.restart(start);
    EXPECT_EQ(pacer.framesDue(start + 40ms), 0);
    EXPECT_EQ(pacer.framesDue(start + 42ms), 1);
    EXPECT_EQ(pacer.framesDue(start + 84ms), 1);
    EXPECT_EQ(pacer.framesDue(start + 84ms), 0);
    // Ten frames late: a few are run, the rest dropped, and no drift after.
    EXPECT_EQ(pacer.framesDue(start + 500ms), swf::FramePacer::kMaxCatchUpFrames);
    EXPECT_EQ(pacer.framesDue(start + 510ms), 0);
    EXPECT_EQ(pacer.framesDue(start + 542ms), 1);
}

TEST(FramePacer, KeepsDeclaredRatesWithinWhatATimerCanHonour) {
    EXPECT_GT(swf::FramePacer(0).framesPerSecond(), 0);
    EXPECT_LE(swf::FramePacer(1e9).framesPerSecond(), 1000);
    EXPECT_EQ(swf::FramePacer(50).tickInterval(), 10ms);
}

} // namespace
} // namespace vidorama::test
