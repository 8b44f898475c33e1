// The player module's sound as the program meets it: one waveOutOpen for
// 44.1 kHz stereo 16-bit, then blocks of exactly 8,192 bytes through the
// import table, holding the same sound the manual clock gives; the program's
// own hooks see those blocks; in real time the picture keeps with the stream.

#include "ModuleSoundRecorder.h"
#include "MovieSound.h"
#include "SignalAnalysis.h"
#include "StreamMovies.h"
#include "SwfSoundWriter.h"
#include "capture/SoundCapture.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

namespace vidorama::test {
namespace {

using namespace std::chrono_literals;

class SoundModule : public testing::Test {
protected:
    void SetUp() override {
        control = CreateModuleControl();
        ASSERT_NE(control, nullptr) << "the module or its factory is missing";
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override { control.reset(); }

    std::string save(const Bytes& movie) {
        std::string path = folder.filePath("movie.swf").toStdString();
        EXPECT_TRUE(WriteFile(path, movie));
        return path;
    }
    void load(const std::string& path) {
        flash::Variant args[] = {std::int32_t{0}, path};
        control->Invoke(flash::DispId::LoadMovie, flash::InvokeKind::Method, args);
    }

    int argc = 1;
    char name[5] = "test";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    QTemporaryDir folder;
    std::unique_ptr<flash::IFlashControl> control;
};

// One second of tone at 20 frames a second, in a movie of 60 frames, so that
// it does not start again within a test.
Bytes ToneMovie() {
    Bytes pcm = tags::PcmBytes(Tone(440, 0.5, 44100, 44100, 1));
    MovieWriter movie;
    movie.frameRate = 20;
    movie.tag(tags::DefineSound(1, {tags::Codec::LittleEndian, tags::Rate::k44, true, false}, 44100,
                                pcm));
    movie.frame({tags::StartSound(1)});
    for (int i = 1; i < 60; ++i)
        movie.frame();
    return movie.bytes();
}

TEST_F(SoundModule, WritesTheFramesSoundInBlocksOf8192BytesAfterOneOpen) {
    ModuleSoundRecorder recorder(control->Imports());
    Bytes movie = ToneMovie();
    load(save(movie));
    RunEventLoop(1500ms);
    auto opens = recorder.opens();
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(opens[0].nChannels, 2);
    EXPECT_EQ(opens[0].nSamplesPerSec, 44100u);
    EXPECT_EQ(opens[0].nAvgBytesPerSec, 176400u);
    EXPECT_EQ(opens[0].nBlockAlign, 4);
    EXPECT_EQ(opens[0].wBitsPerSample, 16);
    auto writes = recorder.writes();
    // 44,100 sample frames make 21 whole blocks and one filled up with silence.
    ASSERT_EQ(writes.size(), 22u);
    for (const auto& write : writes)
        EXPECT_EQ(write.length, 8192u);
    auto player = LoadPlayer(movie);
    auto expected = PlayFrames(*player, 20);
    auto written = recorder.written();
    ASSERT_EQ(written.size(), 22u * 4096);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), written.begin()));
    EXPECT_TRUE(std::all_of(written.begin() + expected.size(), written.end(),
                            [](std::int16_t s) { return s == 0; }));
}

TEST_F(SoundModule, AMovieWithoutSoundWritesNothing) {
    ModuleSoundRecorder recorder(control->Imports());
    MovieWriter movie;
    movie.frameRate = 50;
    for (int i = 0; i < 10; ++i)
        movie.frame();
    load(save(movie.bytes()));
    RunEventLoop(400ms);
    EXPECT_EQ(recorder.opens().size(), 1u);
    EXPECT_TRUE(recorder.writes().empty());
}

// The program's hooks, installed in the module's table, queue every block
// while a capture runs.
TEST_F(SoundModule, TheProgramsHooksSeeEveryBlock) {
    SoundCapture sound;
    std::atomic<bool> capturing{true};
    std::atomic<std::uint32_t> startTick{1};
    sound.capturing = &capturing;
    sound.captureStartTick = &startTick;
    SetSoundCaptureTarget(&sound);
    InstallSoundHooks(control->Imports(), sound);
    EXPECT_TRUE(sound.soundAvailable);
    load(save(ToneMovie()));
    RunEventLoop(1500ms);
    capturing = false;
    SetSoundCaptureTarget(nullptr);
    EXPECT_TRUE(sound.soundFormatKnown);
    EXPECT_EQ(sound.soundFormat.samplesPerSec, 44100u);
    std::lock_guard lock(sound.soundQueueLock);
    EXPECT_EQ(sound.soundQueue.size(), 22u);
    for (const SoundBlock& block : sound.soundQueue)
        EXPECT_EQ(block.data.size(), 8192u);
}

// With a stream playing, frames are entered as the device needs their sound:
// the sound written stays as far ahead of the picture at the end of the run
// as at its start, and the movie keeps its frame rate.
TEST_F(SoundModule, ThePictureFollowsTheStreamWithoutDrifting) {
    ModuleSoundRecorder recorder(control->Imports());
    MarkedStream stream(60);
    RealTimeFigures figures =
        PlayAndMeasure(*control, recorder, save(stream.movie()), MarkedStream::kFps, 4000ms);
    std::cout << "[real-time sound] " << figures.repaints << " repaints, sound ahead of picture "
              << figures.firstSecondMs << " ms in the second second, " << figures.lastSecondMs
              << " ms in the last, range " << figures.smallestMs << ".." << figures.largestMs
              << " ms, " << figures.framesPerSecond << " frames/s" << std::endl;
    EXPECT_GT(figures.repaints, 30u);
    EXPECT_NEAR(figures.lastSecondMs, figures.firstSecondMs, 20);
    EXPECT_LT(figures.largestMs - figures.smallestMs, 2 * 1000 / MarkedStream::kFps);
    EXPECT_NEAR(figures.framesPerSecond, MarkedStream::kFps, 0.5);
}

} // namespace
} // namespace vidorama::test
