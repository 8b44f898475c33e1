#include "vidorama/waveout/WaveOut.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

constexpr std::uint32_t kBlockBytes = 8192;

WAVEFORMATEX CdFormat() {
    return {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
}

std::atomic<int> g_done{0};

void CountDone(HWAVEOUT, std::uint32_t message, std::uintptr_t instance, std::uintptr_t param1,
               std::uintptr_t) {
    auto* header = reinterpret_cast<WAVEHDR*>(param1);
    if (message == WOM_DONE && instance == 42 && (header->dwFlags & WHDR_DONE))
        ++g_done;
}

struct Blocks {
    explicit Blocks(int count) : data(count, std::vector<char>(kBlockBytes)), headers(count) {
        for (int i = 0; i < count; ++i)
            headers[i] = WAVEHDR{data[i].data(), kBlockBytes, 0, 0, 0, 0, nullptr, 0};
    }
    std::vector<std::vector<char>> data;
    std::vector<WAVEHDR> headers;
};

// A CD-format device whose finished blocks CountDone counts.
HWAVEOUT OpenCountingDone() {
    WAVEFORMATEX format = CdFormat();
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<std::uintptr_t>(&CountDone), 42,
                    CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
        return nullptr;
    return device;
}

TEST(WaveOut, BlocksPlayInOrderAtRealTimePace) {
    g_done = 0;
    HWAVEOUT device = OpenCountingDone();
    ASSERT_NE(device, nullptr);
    Blocks blocks(4);
    auto start = std::chrono::steady_clock::now();
    for (WAVEHDR& header : blocks.headers)
        ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
    EXPECT_FALSE(blocks.headers[3].dwFlags & WHDR_DONE);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    while (g_done < 4)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    auto elapsed = std::chrono::steady_clock::now() - start;
    // Four blocks of 2,048 sample frames sound for 185.8 ms; never less.
    EXPECT_GE(elapsed, std::chrono::milliseconds(180));
    for (const WAVEHDR& header : blocks.headers) {
        EXPECT_TRUE(header.dwFlags & WHDR_DONE);
        EXPECT_FALSE(header.dwFlags & WHDR_INQUEUE);
    }
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// A block written a little after the one before has played still keeps to
// the schedule, as a sound card's buffer would: the short gaps between blocks
// do not add up and slow the sound down.
TEST(WaveOut, ResetFinishesEveryQueuedBlockAtOnce) {
    WAVEFORMATEX format = CdFormat();
    HWAVEOUT device = nullptr;
    ASSERT_EQ(waveOutOpen(&device, 0, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    Blocks blocks(50); // over two seconds of sound
    for (WAVEHDR& header : blocks.headers)
        waveOutWrite(device, &header, sizeof header);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    for (const WAVEHDR& header : blocks.headers)
        EXPECT_TRUE(header.dwFlags & WHDR_DONE);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST(WaveOut, RefusesWhatItCannotPlay) {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX format = CdFormat();
    format.wFormatTag = 2; // compressed
    EXPECT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), WAVERR_BADFORMAT);
    format = CdFormat();
    format.wBitsPerSample = 24;
    EXPECT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), WAVERR_BADFORMAT);
    EXPECT_EQ(waveOutOpen(&device, 0, nullptr, 0, 0, 0), WAVERR_BADFORMAT);
    EXPECT_EQ(waveOutOpen(nullptr, 0, &format, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutWrite(nullptr, nullptr, 0), MMSYSERR_INVALHANDLE);
    format = CdFormat();
    ASSERT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), MMSYSERR_NOERROR);
    WAVEHDR header{};
    EXPECT_EQ(waveOutWrite(device, &header, 4), MMSYSERR_INVALPARAM);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

} // namespace
