#pragma once

#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace vidorama::test {

// What FFmpeg writes to its standard output for the file, with the given
// output options (the format and what to convert to).
inline QByteArray DecodeOutput(const std::string& file, const QStringList& output) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-i", QString::fromStdString(file)} + output +
                               QStringList{"-"});
    ffmpeg.waitForFinished(60000);
    return ffmpeg.readAllStandardOutput();
}

// The first of the file's frames, scaled to 8x6 grey, whose middle is white;
// -1 when none is.
inline int FirstWhiteFrame(const std::string& file) {
    constexpr int kFrameBytes = 8 * 6;
    const QByteArray grey =
        DecodeOutput(file, {"-vf", "scale=8:6", "-f", "rawvideo", "-pix_fmt", "gray"});
    for (int f = 0; (f + 1) * kFrameBytes <= grey.size(); ++f)
        if (static_cast<unsigned char>(grey[f * kFrameBytes + 20]) > 128)
            return f;
    return -1;
}

// The first loud sample of the file's sound, mixed to mono at 44,100 Hz; -1
// when it is silent throughout.
inline int FirstLoudSample(const std::string& file) {
    const QByteArray pcm = DecodeOutput(file, {"-ac", "1", "-ar", "44100", "-f", "s16le"});
    const auto* samples = reinterpret_cast<const std::int16_t*>(pcm.constData());
    for (int i = 0; i < pcm.size() / 2; ++i)
        if (std::abs(samples[i]) > 3000)
            return i;
    return -1;
}

} // namespace vidorama::test
