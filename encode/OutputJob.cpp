#include "encode/OutputJob.h"

#include "encode/OutputPart.h"

#include <cstdio>
#include <cstdlib>

namespace vidorama {

namespace {

using encoder::Failed;
using encoder::HRESULT;

constexpr int kSampleRate = 44100;
// Past this many outputs of one day the folder is taken to be unusable.
constexpr int kMaxOutputNumber = 99999;
constexpr int kStereo = 2;

const char* ExtensionFor(int outputKind) {
    switch (outputKind) {
    case ConversionSettings::kAvi:
        return "avi";
    case ConversionSettings::kMpeg:
        return "mpeg";
    case ConversionSettings::kWmv:
        return "wmv";
    case ConversionSettings::kRm:
        return "rm";
    default:
        return nullptr;
    }
}

// Sets the AVI audio format by the settings' choice; an unknown choice sets
// none.
HRESULT SetAviAudio(encoder::IVideoEncoder& e, const ConversionSettings& s) {
    int c = s.channels + 1;
    switch (s.audioFormat) {
    case 0:
        return e.SetAviAudioPcm(kSampleRate, c, 16);
    case 1:
        return e.SetAviAudioAlaw(kSampleRate, c);
    case 2:
        return e.SetAviAudioMp3(128, kSampleRate, c);
    case 3:
        return e.SetAviAudioUlaw(kSampleRate, c);
    case 4:
        return e.SetAviAudioAdpcm(kSampleRate, c);
    case 5:
        return e.SetAviAudioGsm(kSampleRate);
    default:
        return encoder::S_OK;
    }
}

// Each configuration step stops at the first failure; the caller reports it
// like a refused OpenOutput.
bool ConfigureAvi(const OutputJobContext& job, encoder::IVideoEncoder& e) {
    const ConversionSettings& s = *job.settings;
    double r = std::strtod(s.aviFrameRate.c_str(), nullptr);
    if (Failed(SetAviAudio(e, s)) ||
        Failed(e.SetVideoFormat(job.outputWidth, job.outputHeight, r)) ||
        Failed(e.SetAviVideoFormat(job.outputWidth, job.outputHeight, r)) ||
        Failed(e.SelectVideoCodec(s.aviCodec + 1)))
        return false;
    *job.frameRate = r;
    std::string codecName;
    if (Failed(e.GetVideoCodecName(&codecName)))
        return false;
    if (codecName.find("MainConcept DV") != std::string::npos &&
        (Failed(e.SetVideoFormat(720, 576, r)) || Failed(e.SetAviVideoFormat(720, 576, r))))
        return false;
    return !Failed(e.SetAudioInput(kSampleRate, kStereo)) &&
           !Failed(e.OpenOutput(*job.partPath, 1));
}

bool ConfigureMpeg(const OutputJobContext& job, encoder::IVideoEncoder& e) {
    const ConversionSettings& s = *job.settings;
    double r = std::strtod(s.mpegFrameRate.c_str(), nullptr);
    auto videoKbps = static_cast<int>(std::strtod(s.mpegVideoBitrate.c_str(), nullptr));
    if (Failed(e.SetAudioInput(kSampleRate, kStereo)) ||
        Failed(e.SetMpegAudio(std::atoi(s.mpegAudioBitrate.c_str()), kSampleRate, kStereo)) ||
        Failed(e.SetVideoFormat(job.outputWidth, job.outputHeight, r)) ||
        Failed(e.SetMpegVideo(s.mpegVersion + 1, videoKbps, job.outputWidth, job.outputHeight, r)))
        return false;
    *job.frameRate = r;
    return !Failed(e.OpenOutput(*job.partPath, 2));
}

bool ConfigureWmvOrRm(const OutputJobContext& job, encoder::IVideoEncoder& e, bool rm) {
    const ConversionSettings& s = *job.settings;
    double r = job.movieFrameRate;
    // The two kinds set their formats in opposite orders.
    bool configured = rm ? !Failed(e.SelectRmProfile(s.rmProfile + 1)) &&
                               !Failed(e.SetAudioInput(kSampleRate, kStereo)) &&
                               !Failed(e.SetVideoFormat(job.outputWidth, job.outputHeight, r))
                         : !Failed(e.SelectWmvProfile(s.wmvProfile + 1)) &&
                               !Failed(e.SetVideoFormat(job.outputWidth, job.outputHeight, r)) &&
                               !Failed(e.SetAudioInput(kSampleRate, kStereo));
    if (!configured)
        return false;
    *job.frameRate = r;
    return !Failed(e.OpenOutput(*job.partPath, rm ? 4 : 3));
}

} // namespace

bool ChooseOutputPath(int outputKind, const std::string& outputFolder, const std::tm& date,
                      const std::function<bool(const std::string&)>& exists,
                      std::string& outputPath) {
    const char* extension = ExtensionFor(outputKind);
    if (!extension)
        return false;
    char dateText[16];
    std::strftime(dateText, sizeof dateText, "%y_%m_%d", &date);
    bool rm = outputKind == ConversionSettings::kRm;
    for (int n = 1; n <= kMaxOutputNumber; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "reelcap%s_%03d.%s", dateText, n, extension);
        std::string candidate = outputFolder + name;
        if (exists(candidate) || (rm && exists(candidate + "vb")))
            continue;
        outputPath = rm ? candidate + "vb" : candidate;
        return true;
    }
    return false;
}

bool OpenOutputForJob(const OutputJobContext& job) {
    if (!ExtensionFor(job.settings->outputKind))
        job.showMessage("Output File Type Unknown");
    if (!ChooseOutputPath(job.settings->outputKind, job.settings->outputFolder, job.date,
                          job.fileExists, *job.outputPath)) {
        job.showMessage("Failed to save the settings.");
        return false;
    }
    encoder::IVideoEncoder& e = *job.encoder;
    if (*job.outputStarted)
        e.CloseOutput();
    if (!job.partPath->empty())
        std::remove(job.partPath->c_str());
    *job.partPath = OutputPartPath(*job.outputPath);
    bool opened = false;
    switch (job.settings->outputKind) {
    case ConversionSettings::kAvi:
        opened = ConfigureAvi(job, e);
        break;
    case ConversionSettings::kMpeg:
        opened = ConfigureMpeg(job, e);
        break;
    default:
        opened = ConfigureWmvOrRm(job, e, job.settings->outputKind == ConversionSettings::kRm);
        break;
    }
    if (!opened) {
        if (job.logFailure) {
            std::string cause;
            e.GetLastErrorText(&cause);
            job.logFailure("Opening " + *job.outputPath + " failed" +
                           (cause.empty() ? std::string() : ": " + cause));
        }
        e.CloseOutput();
        std::remove(job.partPath->c_str());
        job.partPath->clear();
        job.showMessage("Failed to convert. Please select another video encoder and try again.");
        return false;
    }
    *job.outputStarted = true;
    return true;
}

} // namespace vidorama
