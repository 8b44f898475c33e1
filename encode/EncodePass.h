#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <atomic>
#include <functional>
#include <string>

namespace vidorama {

class AutoResetEvent;
class CLogFile;
struct WorkBuffers;

// What one encode pass works with: the spools of a finished capture, the
// opened encoder and the state shared with the progress dialog.
struct EncodeJob {
    encoder::IVideoEncoder* encoder = nullptr;
    CLogFile* log = nullptr;
    WorkBuffers* buffers = nullptr;
    const encoder::SampleArray* silenceArray = nullptr;
    std::string videoSpoolPath, audioSpoolPath, outputPath;
    // Where the encoder writes; renamed to outputPath once complete.
    std::string partPath;
    int outputWidth = 0, outputHeight = 0;
    std::atomic<bool>* cancelRequested = nullptr;
    std::atomic<int>* encodeProgress = nullptr;
    AutoResetEvent* encodeIdleEvent = nullptr;
    // Closes any "XviD Status" window the codec opened; may be empty.
    std::function<void()> closeCodecStatusWindows;
};

// Reads both spools and feeds the encoder: each frame as often as its slot
// requires, sound interleaved by the encoder's positions with 100 ms silence
// blocks over gaps. Always closes the output and removes both spools; a
// complete output takes its name, one that failed or was cancelled is
// removed. Signals encodeIdleEvent at the end.
void RunEncodePass(const EncodeJob& job);

} // namespace vidorama
