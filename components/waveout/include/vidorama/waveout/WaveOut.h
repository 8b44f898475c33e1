#pragma once

#include <cstdint>

// A small wave-out layer with the shape of the system wave-out functions the
// player was written against: the player opens one device with a PCM format
// and hands it blocks that play in the order given. Blocks play through the
// system's sound output when there is one, otherwise through a silent device
// that consumes them at the same real-time pace, so that callers behave the
// same either way.

extern "C" {

using MMRESULT = std::uint32_t;
using HWAVEOUT = struct VidoramaWaveOut*;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;

inline constexpr std::uint32_t WAVE_MAPPER = 0xFFFFFFFFu;
inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr std::uint32_t CALLBACK_NULL = 0;
inline constexpr std::uint32_t CALLBACK_FUNCTION = 0x00030000u;
inline constexpr std::uint32_t WHDR_DONE = 0x00000001u;
inline constexpr std::uint32_t WHDR_INQUEUE = 0x00000010u;
inline constexpr std::uint32_t WOM_DONE = 0x3BD;

struct WAVEFORMATEX {
    std::uint16_t wFormatTag;
    std::uint16_t nChannels;
    std::uint32_t nSamplesPerSec;
    std::uint32_t nAvgBytesPerSec;
    std::uint16_t nBlockAlign;
    std::uint16_t wBitsPerSample;
    std::uint16_t cbSize;
};

struct WAVEHDR {
    char* lpData;
    std::uint32_t dwBufferLength;
    std::uint32_t dwBytesRecorded;
    std::uintptr_t dwUser;
    std::uint32_t dwFlags; // WHDR_INQUEUE while queued, WHDR_DONE once played
    std::uint32_t dwLoops;
    WAVEHDR* lpNext;
    std::uintptr_t reserved;
};

// With CALLBACK_FUNCTION, called as callback(device, WOM_DONE, instance, header, 0)
// from the device's own thread when a block has been played.
using WaveOutCallback = void (*)(HWAVEOUT device, std::uint32_t message, std::uintptr_t instance,
                                 std::uintptr_t param1, std::uintptr_t param2);

// Opens a device for 8- or 16-bit PCM. dwCallback is a WaveOutCallback when
// fdwOpen has CALLBACK_FUNCTION.
MMRESULT waveOutOpen(HWAVEOUT* device, std::uint32_t deviceId, const WAVEFORMATEX* format,
                     std::uintptr_t dwCallback, std::uintptr_t dwInstance, std::uint32_t fdwOpen);
// Queues the block; its data must stay valid until WHDR_DONE is set.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, std::uint32_t headerSize);
// Stops playing and marks every queued block done.
MMRESULT waveOutReset(HWAVEOUT device);
// Closes the device; refused while blocks are still queued.
MMRESULT waveOutClose(HWAVEOUT device);
}
