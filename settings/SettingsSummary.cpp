#include "settings/SettingsSummary.h"

#include "settings/SizeRules.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <array>

namespace vidorama {

namespace {

constexpr std::array<const char*, 6> kAudioFormatNames = {"PCM",  "ALAW",  "MP3",
                                                          "ULAW", "ADPCM", "GSM"};

// A stored audio format outside the table (possible only from a hand-edited
// settings file) is shown without a name rather than read past the table.
QString AudioFormatName(int audioFormat) {
    if (audioFormat < 0 || audioFormat >= static_cast<int>(kAudioFormatNames.size()))
        return {};
    return QString::fromLatin1(kAudioFormatNames[static_cast<std::size_t>(audioFormat)]);
}

QString SizeText(const ConversionSettings& settings, const SummarySize& size) {
    bool original = settings.sizeMode == ConversionSettings::kOriginalSize;
    int width = original ? size.captureWidth : settings.width;
    int height = original ? size.captureHeight : settings.height;
    if (original && width == 0)
        return QStringLiteral("Keep original size");
    if (size.sizeAdjusted) {
        if (settings.outputKind == ConversionSettings::kAvi) {
            width = RoundUpToMultiple(width, kAviWidthMultiple);
        } else if (settings.outputKind == ConversionSettings::kMpeg) {
            width = RoundUpToMultiple(width, kMpegWidthMultiple);
            height = RoundUpToMultiple(height, settings.mpegVersion == 0 ? kMpeg1HeightMultiple
                                                                         : kMpeg2HeightMultiple);
        }
    }
    return QString::asprintf("%d X %d", width, height);
}

QString AviSummary(const ConversionSettings& settings, encoder::IVideoEncoder& encoder,
                   QString sizeText) {
    std::string name;
    encoder.SelectVideoCodec(settings.aviCodec + 1);
    encoder.GetVideoCodecName(&name);
    QString codec = QString::fromStdString(name);
    // The DV codec always writes PAL frames.
    if (codec.contains(QStringLiteral("MainConcept DV")))
        sizeText = QStringLiteral("720 X 576");
    return QStringLiteral("Video format: avi, Encoder: %1, Video size: %2, Frame rate: %3, "
                          "Audio format: %4, Channel: %5")
        .arg(codec, sizeText, QString::fromStdString(settings.aviFrameRate),
             AudioFormatName(settings.audioFormat),
             settings.channels != 0 ? QStringLiteral("Stereo") : QStringLiteral("Mono"));
}

QString MpegSummary(const ConversionSettings& settings, const QString& sizeText) {
    return QStringLiteral("Video format: %1, Video size: %2, Frame rate: %3,Video bitrate: %4, "
                          "Audio bitrate: %5, Channel: %6")
        .arg(settings.mpegVersion != 0 ? QStringLiteral("mpeg2") : QStringLiteral("mpeg1"),
             sizeText, QString::fromStdString(settings.mpegFrameRate),
             QString::fromStdString(settings.mpegVideoBitrate),
             QString::fromStdString(settings.mpegAudioBitrate), QStringLiteral("Stereo"));
}

} // namespace

QString UpdateSettingsSummary(const ConversionSettings& settings, encoder::IVideoEncoder& encoder,
                              const SummarySize& size) {
    QString sizeText = SizeText(settings, size);
    std::string name;
    switch (settings.outputKind) {
    case ConversionSettings::kAvi:
        return AviSummary(settings, encoder, sizeText);
    case ConversionSettings::kMpeg:
        return MpegSummary(settings, sizeText);
    case ConversionSettings::kWmv:
        encoder.SelectWmvProfile(settings.wmvProfile + 1);
        encoder.GetWmvProfileName(&name);
        return QStringLiteral("Video format: wmv, Encoder: %1").arg(QString::fromStdString(name));
    case ConversionSettings::kRm:
        encoder.GetRmProfileName(settings.rmProfile + 1, &name);
        return QStringLiteral("Video format: rm/rmvb, Encoder: %1, Video size: %2")
            .arg(QString::fromStdString(name), sizeText);
    default:
        return {};
    }
}

} // namespace vidorama
