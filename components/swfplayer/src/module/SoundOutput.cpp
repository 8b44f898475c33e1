#include "module/SoundOutput.h"

#include "vidorama/swf/FrameRate.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

constexpr char kWaveOutLibrary[] = "WINMM.DLL";
// The device takes the engine's sound as it mixes it.
constexpr std::uint16_t kChannels = kSoundChannels;
constexpr std::uint32_t kRate = static_cast<std::uint32_t>(kSoundRate);
// Sound queued beyond this (a device slower than the movie's clock) is
// dropped from the front rather than kept without end.
constexpr std::size_t kMaxQueuedFrames = 2 * kRate;

using WaveOutOpenFn = decltype(&::waveOutOpen);
using WaveOutWriteFn = decltype(&::waveOutWrite);

} // namespace

SoundOutput::SoundOutput(flash::ImportTable& imports) : m_imports(imports) {
    for (std::size_t i = 0; i < kBuffers; ++i) {
        m_buffers[i].header.lpData = m_buffers[i].data.data();
        m_buffers[i].header.dwBufferLength = kBlockBytes;
        m_buffers[i].header.dwUser = i;
    }
}

SoundOutput::~SoundOutput() {
    close();
}

bool SoundOutput::open() {
    close();
    auto waveOutOpenCall = reinterpret_cast<WaveOutOpenFn>(imported("waveOutOpen"));
    if (!waveOutOpenCall)
        return false;
    WAVEFORMATEX format{WAVE_FORMAT_PCM, kChannels, kRate, kRate * kChannels * 2,
                        kChannels * 2,   16,        0};
    if (waveOutOpenCall(&m_device, WAVE_MAPPER, &format, reinterpret_cast<std::uintptr_t>(&Done),
                        reinterpret_cast<std::uintptr_t>(this),
                        CALLBACK_FUNCTION) != MMSYSERR_NOERROR)
        m_device = nullptr;
    return m_device != nullptr;
}

void SoundOutput::close() {
    if (!m_device)
        return;
    waveOutReset(m_device);
    waveOutClose(m_device);
    m_device = nullptr;
    m_queue.clear();
}

void SoundOutput::queue(std::span<const std::int16_t> pcm) {
    if (!m_device)
        return;
    m_queue.insert(m_queue.end(), pcm.begin(), pcm.end());
    if (m_queue.size() > 2 * kMaxQueuedFrames)
        m_queue.erase(m_queue.begin(), m_queue.end() - 2 * kMaxQueuedFrames);
}

void SoundOutput::pump(bool endOfSound) {
    constexpr std::size_t kBlockSamples = kBlockFrames * 2;
    while (m_device && !m_queue.empty() && (m_queue.size() >= kBlockSamples || endOfSound)) {
        Buffer* buffer = freeBuffer();
        if (!buffer)
            return;
        std::size_t taken = std::min(m_queue.size(), kBlockSamples);
        auto* samples = reinterpret_cast<std::int16_t*>(buffer->data.data());
        std::copy_n(m_queue.begin(), taken, samples);
        std::fill(samples + taken, samples + kBlockSamples, std::int16_t{0});
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(taken));
        if (!write(*buffer))
            close();
    }
}

void SoundOutput::reset() {
    m_queue.clear();
    if (m_device)
        waveOutReset(m_device);
}

std::size_t SoundOutput::pendingFrames() const {
    std::size_t busy = std::count_if(m_buffers.begin(), m_buffers.end(),
                                     [](const Buffer& b) { return b.busy.load(); });
    return m_queue.size() / 2 + busy * kBlockFrames;
}

SoundOutput::Buffer* SoundOutput::freeBuffer() {
    for (Buffer& buffer : m_buffers)
        if (!buffer.busy.load())
            return &buffer;
    return nullptr;
}

bool SoundOutput::write(Buffer& buffer) {
    buffer.busy.store(true);
    buffer.header.dwFlags = 0;
    auto waveOutWriteCall = reinterpret_cast<WaveOutWriteFn>(imported("waveOutWrite"));
    if (waveOutWriteCall &&
        waveOutWriteCall(m_device, &buffer.header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
        return true;
    buffer.busy.store(false);
    return false;
}

void* SoundOutput::imported(const char* function) const {
    flash::ImportTable::Slot* slot = m_imports.FindByName(kWaveOutLibrary, function);
    return slot ? slot->address.load() : nullptr;
}

// Runs on the device's thread once a block has played.
void SoundOutput::Done(HWAVEOUT, std::uint32_t message, std::uintptr_t instance,
                       std::uintptr_t param1, std::uintptr_t) {
    if (message != WOM_DONE)
        return;
    auto* self = reinterpret_cast<SoundOutput*>(instance);
    auto* header = reinterpret_cast<WAVEHDR*>(param1);
    if (header->dwUser < kBuffers)
        self->m_buffers[header->dwUser].busy.store(false);
}

} // namespace vidorama::swf
