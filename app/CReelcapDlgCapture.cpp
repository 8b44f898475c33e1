#include "app/CReelcapDlg.h"
#include "app/MainWindowCaptureHost.h"
#include "capture/CaptureThread.h"
#include "controls/CDlgCtrl.h"
#include "encode/CDlgComplate.h"
#include "encode/EncodePass.h"
#include "encode/OutputFolder.h"
#include "encode/OutputJob.h"
#include "flash/CFlash.h"
#include "settings/CaptureSizeCheck.h"
#include "settings/EncoderChoice.h"
#include "ui/MessageBoxes.h"

#include <QFileInfo>
#include <ctime>

namespace vidorama {

namespace {

// Rounds v up to a multiple of m, asking first unless the user has already
// accepted adjustments for this movie. False when the user wants to adjust
// the size by hand.
bool AdjustToMultiple(std::int32_t& v, std::int32_t m, bool& sizeAdjusted, MessageBoxes& boxes,
                      QWidget* owner, const char* question) {
    if (v % m == 0)
        return true;
    if (!sizeAdjusted) {
        if (boxes.show(owner, QString::fromLatin1(question), QStringLiteral("Message"),
                       MessageButtons::OkCancel) != MessageAnswer::Ok)
            return false;
        sizeAdjusted = true;
    }
    v = v - v % m + m;
    return true;
}

} // namespace

bool CReelcapDlg::PrepareConversion() {
    ChooseDefaultEncoders(settings, *encoder);
    if (settings.sizeMode == ConversionSettings::kOriginalSize) {
        outputWidth = m_flash->width();
        outputHeight = m_flash->height();
        MessageBoxes& boxes = *m_env.messages;
        bool kept = true;
        switch (settings.outputKind) {
        case ConversionSettings::kAvi:
            kept = AdjustToMultiple(outputWidth, 4, sizeAdjusted, boxes, this,
                                    "The width of avi video must be a multiple of 4. Click 'OK' "
                                    "button for auto adjustment, or click 'Cancel' button for "
                                    "manual adjustment.");
            break;
        case ConversionSettings::kMpeg:
            kept = (settings.mpegVersion == 0
                        ? AdjustToMultiple(outputHeight, 16, sizeAdjusted, boxes, this,
                                           "The height of mpeg1 video must be a multiple of 16. "
                                           "Click 'OK' button for auto adjustment, or click "
                                           "'Cancel' button for manual adjustment.")
                        : AdjustToMultiple(outputHeight, 32, sizeAdjusted, boxes, this,
                                           "The height of mpeg2 video must be a multiple of 32. "
                                           "Click 'OK' button for auto adjustment, or click "
                                           "'Cancel' button for manual adjustment.")) &&
                   AdjustToMultiple(outputWidth, 16, sizeAdjusted, boxes, this,
                                    "The width of mpeg video must be a multiple of 16. Click 'OK' "
                                    "button for auto adjustment, or click 'Cancel' button for "
                                    "manual adjustment.");
            break;
        case ConversionSettings::kWmv:
            outputWidth += (4 - outputWidth % 4) % 4;
            outputHeight += outputHeight % 2;
            break;
        default:
            break;
        }
        if (!kept) {
            OnOutputSettings();
            return false;
        }
    } else if (settings.sizeMode == ConversionSettings::kCustomSize) {
        outputWidth = settings.width;
        outputHeight = settings.height;
    }
    if (!CheckCaptureSize(captureWidth, captureHeight, *m_env.messages, this) ||
        !CheckCaptureSize(outputWidth, outputHeight, *m_env.messages, this))
        return false;
    RefreshSettingsSummary();

    if (std::string problem = PrepareOutputFolder(settings.outputFolder); !problem.empty()) {
        m_log.Write(CLogFile::kLogFile, problem, __FILE__, __LINE__);
        m_env.messages->show(this, QString::fromStdString(problem), ApplicationTitle());
        return false;
    }
    OutputJobContext job;
    job.encoder = encoder.get();
    job.settings = &settings;
    job.outputWidth = outputWidth;
    job.outputHeight = outputHeight;
    job.movieFrameRate = movieFrameRate;
    bool started = outputStarted;
    job.outputStarted = &started;
    job.outputPath = &outputPath;
    job.partPath = &outputPartPath;
    job.frameRate = &frameRate;
    job.showMessage = [this](const char* text) {
        m_env.messages->show(this, QString::fromLatin1(text), ApplicationTitle());
    };
    job.logFailure = [this](const std::string& cause) {
        m_log.Write(CLogFile::kLogFile, cause, __FILE__, __LINE__);
    };
    job.fileExists = [](const std::string& path) {
        return QFileInfo::exists(QString::fromStdString(path));
    };
    std::time_t now = std::time(nullptr);
    localtime_r(&now, &job.date);
    bool opened = OpenOutputForJob(job);
    outputStarted = started;
    return opened;
}

bool CReelcapDlg::CreateCaptureResources() {
    sourceFrameArray.reset();
    outputFrameArray.reset();
    auto frameArray = [](std::int32_t w, std::int32_t h) {
        return encoder::ByteArray::Create(
            {4, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)});
    };
    sourceFrameArray = frameArray(captureWidth, captureHeight);
    if (sourceFrameArray)
        outputFrameArray = frameArray(outputWidth, outputHeight);
    if (!sourceFrameArray || !outputFrameArray)
        return false;
    captureImage = QImage(captureWidth, captureHeight, QImage::Format_RGB32);
    if (captureImage.isNull())
        return false;
    bool sameSize = captureWidth == outputWidth && captureHeight == outputHeight;
    return sameSize || frameScaler.Prepare(captureWidth, captureHeight, outputWidth, outputHeight);
}

void CReelcapDlg::FailCaptureStart(const QString& message) {
    if (!message.isEmpty())
        m_env.messages->show(this, message, ApplicationTitle());
    capturing = false;
    m_controlBar->SetRangeLocked(false);
}

void CReelcapDlg::StartCapture() {
    if (moviePath.empty()) {
        m_env.messages->show(this, QStringLiteral("Please load a swf file."),
                             QStringLiteral("Warning"), MessageButtons::Ok,
                             MessageIcon::Exclamation);
        return;
    }
    if (capturing)
        return;
    capturing = true;
    stopRequested = false;
    cancelRequested = false;
    m_controlBar->SetRangeLocked(true);
    if (!PrepareConversion()) {
        FailCaptureStart({});
        return;
    }
    if (!CreateCaptureResources()) {
        FailCaptureStart(QStringLiteral("Insufficient memory."));
        return;
    }
    audioSpoolPath.clear();
    videoSpoolPath.clear();

    m_captureHost = std::make_unique<MainWindowCaptureHost>(*this);
    CaptureContext context;
    context.host = m_captureHost.get();
    context.stopRequested = &stopRequested;
    context.abortRequested = &abortRequested;
    context.captureIdleEvent = &captureIdleEvent;
    context.audioIdleEvent = &audioIdleEvent;
    context.encodeIdleEvent = &encodeIdleEvent;
    context.encodeProgress = &encodeProgress;
    context.videoSpoolPath = &videoSpoolPath;
    context.buffers = &workBuffers;
    context.captureWidth = captureWidth;
    context.captureHeight = captureHeight;
    context.outputWidth = outputWidth;
    context.outputHeight = outputHeight;
    context.frameRate = frameRate;
    context.totalFrames = totalFrames;
    context.captureImage = &captureImage;
    context.scaler = &frameScaler;
    context.sourceFrameArray = sourceFrameArray.get();
    context.outputFrameArray = outputFrameArray.get();
    context.captureStartTick = &captureStartTick;
    // Sound from before the capture is not part of it; the capture thread
    // sets the sound's origin when it starts the movie.
    captureStartTick = 0;
    DiscardQueuedBlocks(sound);
    if (!captureThread.Start([context] { CaptureThread(context); })) {
        FailCaptureStart(QStringLiteral("Failed to start capture."));
        return;
    }
    if (!audioThread.Start([this] {
            AudioThread(sound, stopRequested, audioIdleEvent, audioSpoolPath, workBuffers);
        }))
        FailCaptureStart(QStringLiteral("Failed to start capture."));
}

void CReelcapDlg::StartEncodeThread() {
    EncodeJob job;
    job.encoder = encoder.get();
    job.log = &m_log;
    job.buffers = &workBuffers;
    job.silenceArray = silenceArray.get();
    job.videoSpoolPath = videoSpoolPath;
    job.audioSpoolPath = audioSpoolPath;
    job.outputPath = outputPath;
    job.partPath = outputPartPath;
    job.outputWidth = outputWidth;
    job.outputHeight = outputHeight;
    job.cancelRequested = &cancelRequested;
    job.encodeProgress = &encodeProgress;
    job.encodeIdleEvent = &encodeIdleEvent;
    if (!encodeThread.Start([job] { RunEncodePass(job); }))
        encodeIdleEvent.Set();
}

void CReelcapDlg::OnCaptureDone() {
    auto showFile = [this](const std::string& path) {
        if (m_env.showFile && !m_env.showFile(path))
            m_env.messages->show(this,
                                 QStringLiteral("Conversion completed and the output file has "
                                                "been saved as:\n") +
                                     QString::fromStdString(path),
                                 ApplicationTitle());
    };
    CDlgComplate dialog(outputPath, encodeIdleEvent, encodeProgress, cancelRequested, showFile);
    dialog.exec();
    // A cancelled pass may still be closing its output; the next capture
    // must not reopen the encoder under it.
    WaitServingWorkers(encodeIdleEvent);
    encodeIdleEvent.Set();
}

} // namespace vidorama
