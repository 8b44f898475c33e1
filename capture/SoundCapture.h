#pragma once

#include "vidorama/waveout/WaveOut.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <string>
#include <vector>

namespace vidorama::flash {
class ImportTable;
}

namespace vidorama {

class AutoResetEvent;
class MessageBoxes;
struct WorkBuffers;

// One intercepted sound block waiting for the audio thread.
struct SoundBlock {
    std::uint32_t captureTimeMs = 0;
    std::vector<std::uint8_t> data;
};

// The format of the most recently opened wave-out device.
struct SoundFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
};

// What the sound hooks record into. The main window owns one; the hooks, which
// run on the player's own threads, reach it through the one process-wide
// pointer that SetSoundCaptureTarget sets.
struct SoundCapture {
    std::atomic<bool> soundAvailable{true};
    SoundFormat soundFormat;
    std::atomic<bool> soundFormatKnown{false};
    std::list<SoundBlock> soundQueue;
    std::mutex soundQueueLock;

    const std::atomic<bool>* capturing = nullptr;
    const std::atomic<std::uint32_t>* captureStartTick = nullptr;
    MessageBoxes* messages = nullptr;
};

void SetSoundCaptureTarget(SoundCapture* target);

// Replaces, in the module's import table, the slot of the given library that
// holds the real function's address by the replacement's address.
bool HookImport(void* real, void* replacement, const char* library, flash::ImportTable& module);

// Hooks the player's waveOutWrite and waveOutOpen; a hook that cannot be
// installed is reported and turns sound recording off.
void InstallSoundHooks(flash::ImportTable& module, SoundCapture& sound);

extern "C" MMRESULT WaveOutOpenHook(HWAVEOUT* device, std::uint32_t deviceId,
                                    const WAVEFORMATEX* format, std::uintptr_t callback,
                                    std::uintptr_t instance, std::uint32_t flags);
extern "C" MMRESULT WaveOutWriteHook(HWAVEOUT device, WAVEHDR* header, std::uint32_t headerSize);

// The audio thread: drains the queue into the audio spool until stopped, then
// writes what is left and the end record.
void AudioThread(SoundCapture& sound, const std::atomic<bool>& stopRequested,
                 AutoResetEvent& audioIdleEvent, std::string& audioSpoolPath, WorkBuffers& buffers);

// Frees the blocks left in the queue from an earlier capture.
void DiscardQueuedBlocks(SoundCapture& sound);

} // namespace vidorama
