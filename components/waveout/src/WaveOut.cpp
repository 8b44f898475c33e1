#include "vidorama/waveout/WaveOut.h"

#include "PcmSink.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

// One open device: a thread plays the queued blocks in order through the sink
// and marks each done when it has sounded.
struct VidoramaWaveOut {
    std::unique_ptr<vidorama::waveout::PcmSink> sink;
    WaveOutCallback callback = nullptr;
    std::uintptr_t instance = 0;
    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable idle;
    std::deque<WAVEHDR*> blocks;
    WAVEHDR* playing = nullptr;
    bool inPlay = false; // the sink may still read the playing block's data
    bool closing = false;
    std::thread player;

    void run();
    void finish(WAVEHDR* header);
};

void VidoramaWaveOut::finish(WAVEHDR* header) {
    header->dwFlags = (header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    if (callback)
        callback(this, WOM_DONE, instance, reinterpret_cast<std::uintptr_t>(header), 0);
}

void VidoramaWaveOut::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        queued.wait(lock, [this] { return closing || !blocks.empty(); });
        if (closing)
            return;
        playing = blocks.front();
        blocks.pop_front();
        inPlay = true;
        WAVEHDR* current = playing;
        lock.unlock();
        sink->play(current->lpData, current->dwBufferLength);
        lock.lock();
        inPlay = false;
        idle.notify_all();
        // A reset while the block played has finished it already.
        if (playing) {
            WAVEHDR* done = playing;
            playing = nullptr;
            finish(done);
        }
    }
}

namespace {

bool SupportedFormat(const WAVEFORMATEX* format) {
    return format && format->wFormatTag == WAVE_FORMAT_PCM && format->nChannels >= 1 &&
           format->nChannels <= 2 && format->nSamplesPerSec >= 1000 &&
           format->nSamplesPerSec <= 192000 &&
           (format->wBitsPerSample == 8 || format->wBitsPerSample == 16);
}

} // namespace

extern "C" {

MMRESULT waveOutOpen(HWAVEOUT* device, std::uint32_t, const WAVEFORMATEX* format,
                     std::uintptr_t dwCallback, std::uintptr_t dwInstance, std::uint32_t fdwOpen) {
    if (!device)
        return MMSYSERR_INVALPARAM;
    if (!SupportedFormat(format))
        return WAVERR_BADFORMAT;
    vidorama::waveout::PcmFormat pcm{format->nSamplesPerSec, format->nChannels,
                                     format->wBitsPerSample};
    auto opened = std::make_unique<VidoramaWaveOut>();
    opened->sink = vidorama::waveout::MakeSystemSink(pcm);
    if ((fdwOpen & CALLBACK_FUNCTION) == CALLBACK_FUNCTION)
        opened->callback = reinterpret_cast<WaveOutCallback>(dwCallback);
    opened->instance = dwInstance;
    VidoramaWaveOut* raw = opened.get();
    raw->player = std::thread([raw] { raw->run(); });
    *device = opened.release();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, std::uint32_t headerSize) {
    if (!device)
        return MMSYSERR_INVALHANDLE;
    if (!header || headerSize < sizeof(WAVEHDR) || (!header->lpData && header->dwBufferLength))
        return MMSYSERR_INVALPARAM;
    std::lock_guard lock(device->mutex);
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    device->blocks.push_back(header);
    device->queued.notify_one();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT device) {
    if (!device)
        return MMSYSERR_INVALHANDLE;
    std::deque<WAVEHDR*> dropped;
    {
        std::lock_guard lock(device->mutex);
        dropped.swap(device->blocks);
        if (device->playing) {
            dropped.push_front(device->playing);
            device->playing = nullptr;
        }
    }
    device->sink->interrupt();
    {
        // The caller may free the blocks once they are done: wait until the
        // sink has let go of the one it was playing.
        std::unique_lock lock(device->mutex);
        device->idle.wait(lock, [device] { return !device->inPlay; });
    }
    for (WAVEHDR* header : dropped)
        device->finish(header);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT device) {
    if (!device)
        return MMSYSERR_INVALHANDLE;
    {
        std::lock_guard lock(device->mutex);
        if (!device->blocks.empty() || device->playing)
            return WAVERR_STILLPLAYING;
        device->closing = true;
    }
    device->queued.notify_one();
    device->player.join();
    delete device;
    return MMSYSERR_NOERROR;
}
}
