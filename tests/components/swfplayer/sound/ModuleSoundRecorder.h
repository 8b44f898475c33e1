#pragma once

#include "FlashModuleLoader.h"
#include "vidorama/flash/FlashControl.h"
#include "vidorama/waveout/WaveOut.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vidorama::test {

// Replaces the control's waveOutOpen and waveOutWrite slots, as the program's
// hooks do, by functions that record each call and pass it on. One recorder
// at a time.
class ModuleSoundRecorder {
public:
    struct Block {
        std::chrono::steady_clock::time_point time;
        std::uint32_t length = 0;
        std::vector<std::int16_t> samples;
    };

    explicit ModuleSoundRecorder(flash::ImportTable& imports);
    ~ModuleSoundRecorder();

    std::vector<WAVEFORMATEX> opens() const;
    std::vector<Block> writes() const;
    // Every sample written so far, in order.
    std::vector<std::int16_t> written() const;
    // Stereo sample frames written so far.
    std::uint64_t writtenFrames() const;

    static MMRESULT OpenHook(HWAVEOUT* device, std::uint32_t id, const WAVEFORMATEX* format,
                             std::uintptr_t callback, std::uintptr_t instance, std::uint32_t flags);
    static MMRESULT WriteHook(HWAVEOUT device, WAVEHDR* header, std::uint32_t size);

private:
    flash::ImportTable& m_imports;
    void* m_realOpen;
    void* m_realWrite;
    mutable std::mutex m_mutex;
    std::vector<WAVEFORMATEX> m_opens;
    std::vector<Block> m_writes;
};

// Runs the Qt event loop for the given time.
void RunEventLoop(std::chrono::milliseconds duration);

// How the picture and the sound of a movie playing in real time keep
// together: at every repaint, the sound written so far against the frame
// shown, as the time by which the sound is ahead of the picture.
struct RealTimeFigures {
    std::size_t repaints = 0;
    // Averages over the first and the last second of the run, and the
    // extremes over the run after its first second.
    double firstSecondMs = 0;
    double lastSecondMs = 0;
    double smallestMs = 0;
    double largestMs = 0;
    // Frames shown a second, from the first repaint to the last.
    double framesPerSecond = 0;
};

RealTimeFigures PlayAndMeasure(flash::IFlashControl& control, const ModuleSoundRecorder& recorder,
                               const std::string& moviePath, double fps,
                               std::chrono::milliseconds duration);

} // namespace vidorama::test
