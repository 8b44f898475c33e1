#include "capture/SoundCapture.h"

#include "RecordingMessageBoxes.h"
#include "capture/AutoResetEvent.h"
#include "capture/SpoolFile.h"
#include "capture/TickCount.h"
#include "capture/WorkBuffers.h"
#include "vidorama/flash/ImportTable.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace vidorama {
namespace {

using WriteFn = MMRESULT (*)(HWAVEOUT, WAVEHDR*, std::uint32_t);
using OpenFn = MMRESULT (*)(HWAVEOUT*, std::uint32_t, const WAVEFORMATEX*, std::uintptr_t,
                            std::uintptr_t, std::uint32_t);

class SoundCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffers.Allocate());
        sound.capturing = &capturing;
        sound.captureStartTick = &startTick;
        sound.messages = &boxes;
        SetSoundCaptureTarget(&sound);
        imports.Add("WINMM.DLL", "waveOutOpen", reinterpret_cast<void*>(&::waveOutOpen));
        imports.Add("WINMM.DLL", "waveOutWrite", reinterpret_cast<void*>(&::waveOutWrite));
    }
    void TearDown() override {
        SetSoundCaptureTarget(nullptr);
        if (!spoolPath.empty())
            std::remove(spoolPath.c_str());
    }
    // Calls through the table, as the player does.
    MMRESULT Write(HWAVEOUT device, WAVEHDR* header) {
        auto fn = reinterpret_cast<WriteFn>(
            imports.FindByName("winmm.dll", "waveOutWrite")->address.load());
        return fn(device, header, sizeof(WAVEHDR));
    }

    test::RecordingMessageBoxes boxes;
    SoundCapture sound;
    std::atomic<bool> capturing{false};
    std::atomic<std::uint32_t> startTick{0};
    flash::ImportTable imports;
    WorkBuffers buffers;
    std::string spoolPath;
};

TEST_F(SoundCaptureTest, MissingImportsTurnRecordingOffWithTwoMessages) {
    flash::ImportTable empty;
    InstallSoundHooks(empty, sound);
    EXPECT_FALSE(sound.soundAvailable);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text,
              "Because of the incorrect configuration, sound won't be recorded.");
}

TEST_F(SoundCaptureTest, HooksRecordFullBlocksWhileCapturingAndPassThemOn) {
    InstallSoundHooks(imports, sound);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_NE(imports.FindByName("WINMM.DLL", "waveOutWrite")->address.load(),
              reinterpret_cast<void*>(&::waveOutWrite));

    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    HWAVEOUT device = nullptr;
    auto open =
        reinterpret_cast<OpenFn>(imports.FindByName("WINMM.DLL", "waveOutOpen")->address.load());
    ASSERT_EQ(open(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_TRUE(sound.soundFormatKnown);
    EXPECT_EQ(sound.soundFormat.samplesPerSec, 44100u);
    EXPECT_EQ(sound.soundFormat.blockAlign, 4);

    std::vector<char> full(8192, 7), small(4096, 7), large(16384, 7);
    WAVEHDR a{full.data(), 8192, 0, 0, 0, 0, nullptr, 0};
    WAVEHDR b{small.data(), 4096, 0, 0, 0, 0, nullptr, 0};
    WAVEHDR c{large.data(), 16384, 0, 0, 0, 0, nullptr, 0};
    WAVEHDR d{full.data(), 8192, 0, 0, 0, 0, nullptr, 0};
    EXPECT_EQ(Write(device, &a), MMSYSERR_NOERROR); // not capturing: passed on only
    capturing = true;
    startTick = TickCount() - 250;
    EXPECT_EQ(Write(device, &b), MMSYSERR_NOERROR);
    EXPECT_EQ(Write(device, &c), MMSYSERR_NOERROR);
    EXPECT_EQ(Write(device, &d), MMSYSERR_NOERROR);
    ASSERT_EQ(sound.soundQueue.size(), 1u);
    EXPECT_GE(sound.soundQueue.front().captureTimeMs, 250u);
    EXPECT_LT(sound.soundQueue.front().captureTimeMs, 5000u);
    EXPECT_EQ(sound.soundQueue.front().data.size(), 8192u);
    waveOutReset(device);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(SoundCaptureTest, AudioThreadDrainsTheQueueThenWritesTheRest) {
    std::atomic<bool> stop{false};
    AutoResetEvent idle(true);
    sound.soundQueue.push_back({0, std::vector<std::uint8_t>(8192, 1)});
    std::thread worker([&] { AudioThread(sound, stop, idle, spoolPath, buffers); });
    while (true) {
        std::lock_guard lock(sound.soundQueueLock);
        if (sound.soundQueue.empty())
            break;
    }
    {
        std::lock_guard lock(sound.soundQueueLock);
        sound.soundQueue.push_back({120, std::vector<std::uint8_t>(8192, 2)});
    }
    stop = true;
    worker.join();
    EXPECT_TRUE(idle.WaitFor(std::chrono::milliseconds(0)));
    EXPECT_EQ(std::filesystem::file_size(spoolPath), 2 * (8 + 8192) + 8u);
}

TEST_F(SoundCaptureTest, NoRecordingMeansNoAudioSpool) {
    std::atomic<bool> stop{true};
    AutoResetEvent idle(true);
    sound.soundAvailable = false;
    AudioThread(sound, stop, idle, spoolPath, buffers);
    EXPECT_TRUE(spoolPath.empty());
    EXPECT_TRUE(idle.WaitFor(std::chrono::milliseconds(0)));

    sound.soundAvailable = true;
    AudioThread(sound, stop, idle, spoolPath, buffers); // a movie without sound
    EXPECT_EQ(std::filesystem::file_size(spoolPath), 8u);
}

TEST_F(SoundCaptureTest, LeftoverBlocksAreDiscarded) {
    sound.soundQueue.push_back({1, {}});
    sound.soundQueue.push_back({2, {}});
    DiscardQueuedBlocks(sound);
    EXPECT_TRUE(sound.soundQueue.empty());
}

} // namespace
} // namespace vidorama
