#pragma once

#include "RecordingMessageBoxes.h"
#include "capture/AutoResetEvent.h"
#include "capture/WorkBuffers.h"
#include "diag/CLogFile.h"
#include "encode/EncodePass.h"

#include <QTemporaryDir>
#include <atomic>
#include <string>

namespace vidorama::test {

// What the tests' encode passes work with: the spools a test writes, an
// output in a folder of its own, a log whose message boxes are recorded, and
// the state the pass shares with the progress dialog.
struct EncodePassHarness {
    void RunPass(encoder::IVideoEncoder& encoder, const encoder::SampleArray* silence, int width,
                 int height) {
        EncodeJob job;
        job.encoder = &encoder;
        job.log = &log;
        job.buffers = &buffers;
        job.silenceArray = silence;
        job.videoSpoolPath = videoPath;
        job.audioSpoolPath = audioPath;
        job.outputPath = outputPath;
        job.partPath = partPath;
        job.outputWidth = width;
        job.outputHeight = height;
        job.cancelRequested = &cancelRequested;
        job.encodeProgress = &progress;
        job.encodeIdleEvent = &idle;
        RunEncodePass(job);
    }

    QTemporaryDir dir;
    WorkBuffers buffers;
    RecordingMessageBoxes boxes;
    QString logPath = dir.filePath("vidorama.log");
    CLogFile log{logPath.toStdString(), boxes};
    std::string videoPath, audioPath;
    std::string outputPath = dir.filePath("out.avi").toStdString();
    std::string partPath = dir.filePath(".out.avi.part").toStdString();
    std::atomic<bool> cancelRequested{false};
    std::atomic<int> progress{0};
    AutoResetEvent idle;
};

} // namespace vidorama::test
