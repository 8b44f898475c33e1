#include "encode/EncodePass.h"

#include "capture/AutoResetEvent.h"
#include "capture/SpoolFile.h"
#include "capture/WorkBuffers.h"
#include "diag/CLogFile.h"
#include "encode/OutputPart.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vidorama {

namespace {

using encoder::Failed;

const char kConvertFailed[] = "Failed to convert. Please select other encoder and try again.";
constexpr std::uint32_t kSilenceStepMs = 100;
constexpr std::uint32_t kSampleRate = 44100;
constexpr std::uint32_t kMaxSilenceBlocksPerCycle = 50;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File OpenSpool(const std::string& path) {
    return File(path.empty() ? nullptr : std::fopen(path.c_str(), "rb"));
}

std::uint64_t FileLength(std::FILE* f) {
    if (!f || std::fseek(f, 0, SEEK_END) != 0)
        return 0;
    long length = std::ftell(f);
    std::rewind(f);
    return length > 0 ? static_cast<std::uint64_t>(length) : 0;
}

std::uint64_t Position(std::FILE* f) {
    long position = std::ftell(f);
    return position > 0 ? static_cast<std::uint64_t>(position) : 0;
}

// Adds the output and the encoder's reason to the log, so that a failure can
// be traced after its message box is gone.
void LogFailure(const EncodeJob& job, const char* step) {
    std::string cause;
    job.encoder->GetLastErrorText(&cause);
    job.log->Write(CLogFile::kLogFile,
                   std::string(kConvertFailed) + " " + step + " " + job.outputPath +
                       (cause.empty() ? std::string() : ": " + cause),
                   __FILE__, __LINE__);
}

// The state of one pass, kept by the encode thread alone.
class EncodePass {
public:
    explicit EncodePass(const EncodeJob& job) : m_job(job) {}

    void Run();

private:
    bool VideoStep();
    bool AudioStep(bool& endLoopNow);
    // The part of the first block's lead that is less than a silence step.
    bool WriteLeadRest();
    void Fail(int flags);

    const EncodeJob& m_job;
    File m_video, m_audio;
    std::unique_ptr<SpoolReader> m_videoReader, m_audioReader;
    std::unique_ptr<encoder::ByteArray> m_frameArray;
    std::unique_ptr<encoder::SampleArray> m_soundArray;
    bool m_videoDone = true, m_audioDone = true;
    // Slot n is taken n frame periods after the capture's start, which is
    // where the sound starts too: it belongs at frame n of the video, and
    // the first picture also stands for the frames before it.
    std::int32_t m_lastFrameSlot = -1;
    std::uint32_t m_lastSoundTime = 0;
    std::uint32_t m_silenceDue = 0;
    bool m_blockHeld = false;
    bool m_soundStarted = false;
    std::uint32_t m_leadRestFrames = 0;
    std::int32_t m_blockTime = 0;
    std::uint64_t m_videoSize = 0, m_audioSize = 0;
    std::uint64_t m_videoConsumed = 0, m_audioConsumed = 0;
};

void EncodePass::Fail(int flags) {
    m_job.log->Write(flags & ~CLogFile::kLogFile, kConvertFailed, nullptr, 0);
    LogFailure(m_job, "Writing");
    *m_job.cancelRequested = true;
}

bool EncodePass::VideoStep() {
    std::int32_t slot = 0;
    std::size_t rawLength = static_cast<std::size_t>(m_job.outputWidth) *
                            static_cast<std::size_t>(m_job.outputHeight) * 4;
    if (!m_videoReader->ReadVideo(m_job.buffers->packedFrameBuffer.get(),
                                  m_job.buffers->rawFrameBuffer.get(), rawLength, slot)) {
        m_videoDone = true;
        return false;
    }
    std::memcpy(m_frameArray->Data(), m_job.buffers->rawFrameBuffer.get(),
                std::min(rawLength, m_frameArray->ByteSize()));
    for (std::int32_t n = slot - m_lastFrameSlot; n > 0; --n) {
        if (Failed(m_job.encoder->WriteVideoFrame(*m_frameArray))) {
            Fail(CLogFile::kMessageBox);
            break;
        }
    }
    m_lastFrameSlot = slot;
    m_videoConsumed = Position(m_video.get());
    return true;
}

// False when the stream has just ended or the cycle must start over.
bool EncodePass::AudioStep(bool& endLoopNow) {
    if (m_silenceDue > 0) {
        std::uint32_t blocks = std::min(m_silenceDue, kMaxSilenceBlocksPerCycle);
        for (std::uint32_t i = 0; i < blocks; ++i) {
            if (Failed(m_job.encoder->WriteAudio(*m_job.silenceArray))) {
                Fail(CLogFile::kMessageBox);
                break;
            }
        }
        m_silenceDue -= blocks;
        if (!m_blockHeld)
            return true;
        if (m_silenceDue > 0 || *m_job.cancelRequested)
            return true;
    } else if (!m_blockHeld) {
        if (!m_audioReader->ReadSound(m_job.buffers->soundBuffer.get(), m_blockTime)) {
            m_audioDone = true;
            return false;
        }
        if (!m_soundStarted) {
            // The sound starts exactly when its first block was heard: on a
            // 100 ms step it would sit up to a step away from its pictures
            // for the whole video. Whole steps go out in batches as gaps do.
            m_soundStarted = true;
            auto lead = static_cast<std::uint32_t>(m_blockTime);
            m_leadRestFrames = lead % kSilenceStepMs * kSampleRate / 1000;
            m_lastSoundTime = lead;
            m_silenceDue = lead / kSilenceStepMs;
            if (m_silenceDue > 0) {
                m_blockHeld = true;
                return false;
            }
        }
        std::uint32_t gap =
            (static_cast<std::uint32_t>(m_blockTime) - m_lastSoundTime) / kSilenceStepMs;
        m_silenceDue = gap;
        if (gap > 1) {
            m_silenceDue = gap - 1;
            m_blockHeld = true;
            return false;
        }
    }
    if (m_leadRestFrames > 0 && !WriteLeadRest()) {
        endLoopNow = true;
        return false;
    }
    std::memcpy(m_soundArray->Data(), m_job.buffers->soundBuffer.get(), kSoundBlockSize);
    if (Failed(m_job.encoder->WriteAudio(*m_soundArray))) {
        Fail(CLogFile::kMessageBox | CLogFile::kLogFile);
        endLoopNow = true;
        return false;
    }
    m_blockHeld = false;
    m_lastSoundTime = static_cast<std::uint32_t>(m_blockTime);
    m_audioConsumed = Position(m_audio.get());
    return true;
}

bool EncodePass::WriteLeadRest() {
    auto rest = encoder::SampleArray::Create({m_leadRestFrames * 2});
    m_leadRestFrames = 0;
    if (!rest || Failed(m_job.encoder->WriteAudio(*rest))) {
        Fail(CLogFile::kMessageBox);
        return false;
    }
    return true;
}

void EncodePass::Run() {
    m_audio = OpenSpool(m_job.audioSpoolPath);
    m_video = OpenSpool(m_job.videoSpoolPath);
    m_frameArray = encoder::ByteArray::Create({4, static_cast<std::uint32_t>(m_job.outputWidth),
                                               static_cast<std::uint32_t>(m_job.outputHeight)});
    m_soundArray = encoder::SampleArray::Create({kSoundBlockSize / 2});
    if (!m_frameArray || !m_soundArray)
        return;

    m_videoDone = !m_video;
    m_audioDone = !m_audio;
    m_videoSize = FileLength(m_video.get());
    m_audioSize = FileLength(m_audio.get());
    m_videoReader = std::make_unique<SpoolReader>(m_video.get(), kWorkBufferSize);
    m_audioReader = std::make_unique<SpoolReader>(m_audio.get(), kWorkBufferSize);

    while (!(m_videoDone && m_audioDone) && !*m_job.cancelRequested) {
        std::uint32_t v = 0, a = 0;
        // A position the encoder cannot tell means it is broken: end the pass
        // as after a failed write.
        if (Failed(m_job.encoder->GetVideoPosition(&v)) ||
            Failed(m_job.encoder->GetAudioPosition(&a))) {
            Fail(CLogFile::kMessageBox);
            break;
        }
        if (!m_videoDone && (v <= a || m_audioDone) && !VideoStep())
            continue;
        bool endLoopNow = false;
        if (!m_audioDone && (a <= v || m_videoDone)) {
            AudioStep(endLoopNow);
            if (endLoopNow)
                break;
        }
        std::uint64_t total = m_audioSize + m_videoSize;
        if (total > 0)
            *m_job.encodeProgress = static_cast<int>(
                static_cast<double>(m_audioConsumed + m_videoConsumed) / total * 100.0);
    }
}

} // namespace

void RunEncodePass(const EncodeJob& job) {
    {
        EncodePass pass(job);
        pass.Run();
    } // both spools are closed here
    if (job.closeCodecStatusWindows)
        job.closeCodecStatusWindows();
    bool closed = !Failed(job.encoder->CloseOutput());
    if (!closed && !*job.cancelRequested)
        LogFailure(job, "Completing");
    if (!job.partPath.empty()) {
        if (*job.cancelRequested || !closed)
            std::remove(job.partPath.c_str());
        else if (!CommitOutputPart(job.partPath, job.outputPath))
            LogFailure(job, "Naming");
    }
    for (const std::string& spool : {job.videoSpoolPath, job.audioSpoolPath})
        if (!spool.empty())
            std::remove(spool.c_str());
    job.encodeIdleEvent->Set();
}

} // namespace vidorama
