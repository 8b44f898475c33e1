#include "capture/SoundCapture.h"

#include "capture/AutoResetEvent.h"
#include "capture/SpoolFile.h"
#include "capture/TickCount.h"
#include "capture/WorkBuffers.h"
#include "ui/MessageBoxes.h"
#include "vidorama/flash/ImportTable.h"

#include <chrono>
#include <memory>
#include <new>
#include <thread>

namespace vidorama {

namespace {

constexpr char kWaveOutLibrary[] = "Winmm.dll";

std::atomic<SoundCapture*> g_soundCapture{nullptr};
std::atomic<decltype(&::waveOutOpen)> g_realWaveOutOpen{&::waveOutOpen};
std::atomic<decltype(&::waveOutWrite)> g_realWaveOutWrite{&::waveOutWrite};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Takes the oldest queued block out, or returns false when there is none.
bool TakeOldest(SoundCapture& sound, SoundBlock& block) {
    std::lock_guard lock(sound.soundQueueLock);
    if (sound.soundQueue.empty())
        return false;
    block = std::move(sound.soundQueue.front());
    sound.soundQueue.pop_front();
    return true;
}

} // namespace

void SetSoundCaptureTarget(SoundCapture* target) {
    g_soundCapture = target;
}

bool HookImport(void* real, void* replacement, const char* library, flash::ImportTable& module) {
    flash::ImportTable::Slot* slot = module.FindByAddress(library, real);
    if (!slot)
        return false;
    slot->address.store(replacement);
    return true;
}

void InstallSoundHooks(flash::ImportTable& module, SoundCapture& sound) {
    auto install = [&](void* real, void* hook) {
        if (!real || !HookImport(real, hook, kWaveOutLibrary, module)) {
            if (sound.messages)
                sound.messages->show(
                    nullptr,
                    QStringLiteral(
                        "Because of the incorrect configuration, sound won't be recorded."),
                    ApplicationTitle());
            sound.soundAvailable = false;
        }
    };
    install(reinterpret_cast<void*>(g_realWaveOutWrite.load()),
            reinterpret_cast<void*>(&WaveOutWriteHook));
    install(reinterpret_cast<void*>(g_realWaveOutOpen.load()),
            reinterpret_cast<void*>(&WaveOutOpenHook));
}

extern "C" MMRESULT WaveOutOpenHook(HWAVEOUT* device, std::uint32_t deviceId,
                                    const WAVEFORMATEX* format, std::uintptr_t callback,
                                    std::uintptr_t instance, std::uint32_t flags) {
    SoundCapture* sound = g_soundCapture.load();
    if (sound && format) {
        sound->soundFormat = {format->wFormatTag,      format->nChannels,   format->nSamplesPerSec,
                              format->nAvgBytesPerSec, format->nBlockAlign, format->wBitsPerSample};
        sound->soundFormatKnown = true;
    }
    return g_realWaveOutOpen.load()(device, deviceId, format, callback, instance, flags);
}

extern "C" MMRESULT WaveOutWriteHook(HWAVEOUT device, WAVEHDR* header, std::uint32_t headerSize) {
    SoundCapture* sound = g_soundCapture.load();
    if (sound && header && sound->capturing && *sound->capturing && sound->soundAvailable &&
        header->dwBufferLength == kSoundBlockSize && header->lpData && sound->captureStartTick &&
        *sound->captureStartTick != 0) {
        SoundBlock block;
        block.captureTimeMs = TickCount() - *sound->captureStartTick;
        try {
            block.data.assign(header->lpData, header->lpData + kSoundBlockSize);
            std::lock_guard lock(sound->soundQueueLock);
            sound->soundQueue.push_back(std::move(block));
        } catch (const std::bad_alloc&) {
            if (sound->messages)
                sound->messages->show(nullptr, QStringLiteral("Error: Not Enough Memory"),
                                      ApplicationTitle());
        }
    }
    return g_realWaveOutWrite.load()(device, header, headerSize);
}

void AudioThread(SoundCapture& sound, const std::atomic<bool>& stopRequested,
                 AutoResetEvent& audioIdleEvent, std::string& audioSpoolPath,
                 WorkBuffers& buffers) {
    audioIdleEvent.Reset();
    std::unique_ptr<std::FILE, FileCloser> spool;
    if (sound.soundAvailable)
        spool.reset(CreateSpoolFile(audioSpoolPath));
    if (spool) {
        SoundBlock block;
        while (!stopRequested) {
            if (!TakeOldest(sound, block)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(),
                             static_cast<std::int32_t>(block.captureTimeMs), block.data.data());
        }
        while (TakeOldest(sound, block))
            WriteSoundRecord(spool.get(), buffers.rawFrameBuffer.get(),
                             static_cast<std::int32_t>(block.captureTimeMs), block.data.data());
        WriteEndRecord(spool.get());
    }
    spool.reset();
    audioIdleEvent.Set();
}

void DiscardQueuedBlocks(SoundCapture& sound) {
    std::size_t count = 0;
    {
        std::lock_guard lock(sound.soundQueueLock);
        count = sound.soundQueue.size();
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::lock_guard lock(sound.soundQueueLock);
        if (sound.soundQueue.empty())
            break;
        sound.soundQueue.pop_front();
    }
}

} // namespace vidorama
