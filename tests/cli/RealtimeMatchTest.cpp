// The real-time player (the module's control, driven by its own timer) and
// the converter are two drivers of one engine: every frame the control
// paints must be, pixel for pixel, the frame the converter writes for it.

#include "ConversionFixture.h"
#include "RecordingSink.h"
#include "SampleMovie.h"
#include "module/FlashControl.h"
#include "movie/Movie.h"
#include "pipeline/ConversionPipeline.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/MovieDriver.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <map>
#include <string_view>

namespace vidorama::test {
namespace {

using flash::DispId;
using flash::InvokeKind;
using flash::Variant;

constexpr QSize kPicture(240, 180);
constexpr int kConvertedFrames = 60;
constexpr int kPlayMs = 1500;

class RealtimeMatch : public ConversionFixture {};

TEST_F(RealtimeMatch, TheControlPaintsTheConvertersFrames) {
    // The sample movie has no scripts, and shapes, gradients, outlines and a
    // bitmap in every frame.
    const std::string movie = path("sample.swf");
    WriteWholeFile(movie, sample::BuildSampleMovie());

    std::map<int, QImage> painted;
    swf::FlashControl control;
    control.SetRepaintRequest([&] {
        QImage picture(kPicture, QImage::Format_RGB32);
        control.Paint(picture);
        const auto frame =
            std::get<std::int32_t>(control.Invoke(DispId::FrameNum, InvokeKind::PropertyGet, {}));
        painted.emplace(frame, picture);
    });
    const Variant load[] = {std::int32_t{0}, movie};
    control.Invoke(DispId::LoadMovie, InvokeKind::Method, load);
    QEventLoop loop;
    QTimer::singleShot(kPlayMs, &loop, &QEventLoop::quit);
    loop.exec();
    control.Invoke(DispId::Stop, InvokeKind::Method, {});

    cli::ConvertOptions options;
    options.width = kPicture.width();
    options.height = kPicture.height();
    options.end = cli::MoviePosition{cli::MoviePosition::Unit::Frame, kConvertedFrames, 0};
    ASSERT_TRUE(convert(movie, path("frames"), cli::OutputKind::PngSequence, options).ok);

    int compared = 0;
    for (const auto& [frame, picture] : painted) {
        if (frame >= kConvertedFrames)
            continue;
        const QImage converted(
            folder.filePath(QString("frames/%1.png").arg(frame + 1, 6, 10, QChar('0'))));
        ASSERT_FALSE(converted.isNull()) << "frame " << frame;
        EXPECT_EQ(converted.convertToFormat(QImage::Format_RGB32), picture) << "frame " << frame;
        ++compared;
    }
    // Even a busy machine paints a good part of a second and a half of movie.
    RecordProperty("compared_frames", compared);
    EXPECT_GE(compared, 8);
}

// Frame by frame, the control's pictures and the blocks it writes to the
// sound device must be the converter's pictures and sound, on real movies
// whose sound streams with the timeline.
namespace agreement {

// What the control's device received, taken from its import table: every
// block is kept and played at once, so that the control never waits for the
// device and each frame's sound leaves as soon as it fills a block.
struct Device {
    WaveOutCallback done = nullptr;
    std::uintptr_t instance = 0;
    std::vector<std::int16_t> played;
};
Device* g_device = nullptr;

MMRESULT Open(HWAVEOUT* device, std::uint32_t id, const WAVEFORMATEX* format,
              std::uintptr_t callback, std::uintptr_t instance, std::uint32_t flags) {
    g_device->done = reinterpret_cast<WaveOutCallback>(callback);
    g_device->instance = instance;
    return ::waveOutOpen(device, id, format, callback, instance, flags);
}

MMRESULT Write(HWAVEOUT device, WAVEHDR* header, std::uint32_t) {
    const auto* samples = reinterpret_cast<const std::int16_t*>(header->lpData);
    g_device->played.insert(g_device->played.end(), samples,
                            samples + header->dwBufferLength / sizeof(std::int16_t));
    g_device->done(device, WOM_DONE, g_device->instance, reinterpret_cast<std::uintptr_t>(header),
                   0);
    return MMSYSERR_NOERROR;
}

std::int64_t PictureHash(const QImage& picture) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    return static_cast<std::int64_t>(std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(pixels.constBits()), pixels.sizeInBytes())));
}

struct Played {
    std::vector<std::int64_t> pictures;
    std::vector<std::int16_t> sound;
};

Played PlayOnControl(const std::string& movie, int frames) {
    Device device;
    g_device = &device;
    Played played;
    {
        swf::FlashControl control;
        control.Imports()
            .FindByName("WINMM.DLL", "waveOutOpen")
            ->address.store(reinterpret_cast<void*>(&Open));
        control.Imports()
            .FindByName("WINMM.DLL", "waveOutWrite")
            ->address.store(reinterpret_cast<void*>(&Write));
        const Variant load[] = {std::int32_t{0}, movie};
        control.Invoke(DispId::LoadMovie, InvokeKind::Method, load);
        QImage picture(kPicture, QImage::Format_RGB32);
        for (int k = 0; k < frames; ++k) {
            if (k > 0)
                control.enterFrame();
            control.Paint(picture);
            played.pictures.push_back(PictureHash(picture));
        }
    }
    g_device = nullptr;
    played.sound = std::move(device.played);
    return played;
}

Played Convert(const std::string& path, int frames) {
    auto movie = swf::Movie::loadFile(path);
    EXPECT_TRUE(movie.ok()) << path;
    if (!movie.ok())
        return {};
    const auto rate = cli::Rate::OfMovieHeader(movie.value()->frameRate());
    cli::MovieDriver driver(movie.value(), rate, cli::EndRule::PlayOn);
    cli::FrameRenderer renderer(kPicture, cli::StageBackground::Painted);
    RecordingSink sink(PictureHash);
    const std::atomic<bool> cancel{false};
    cli::OutputSpan span;
    span.frames = frames;
    const auto result =
        cli::RunPipeline(driver, cli::MovieClock(rate, rate), span, renderer, sink, cancel);
    EXPECT_TRUE(result.status.ok()) << path << ": " << result.status.message();
    return {sink.frames, sink.sound};
}

} // namespace agreement

TEST_F(RealtimeMatch, FrameByFrameTheControlPicturesAndSoundAreTheConverters) {
    const char* const cases[] = {
        "swfdec/sound__adpcm-3/adpcm-3.swf",
        "swfdec/sound__adpcm-3-2/adpcm-3-2.swf",
        "swfdec/sound__adpcm-5/adpcm-5.swf",
        "swfdec/sound__adpcm-5-2/adpcm-5-2.swf",
        "swfdec/sound__crash-0.5.3-no-samples/crash-0.5.3-no-samples.swf",
        "ruffle/audio__stream_incomplete_loop/test.swf",
    };
    constexpr int kFrames = 40;
    int withSound = 0;
    for (const char* corpusCase : cases) {
        const std::string movie = std::string(VIDORAMA_CORPUS_DIR) + "/" + corpusCase;
        const agreement::Played control = agreement::PlayOnControl(movie, kFrames);
        const agreement::Played converted = agreement::Convert(movie, kFrames);
        EXPECT_EQ(control.pictures, converted.pictures) << corpusCase;
        // The device takes whole blocks, so the control has written all but
        // the last part block of the sound; a movie whose sound pauses
        // writes nothing for the pause, so the sound is compared up to the
        // first pause.
        ASSERT_LE(control.sound.size(), converted.sound.size()) << corpusCase;
        withSound += control.sound.empty() ? 0 : 1;
        EXPECT_TRUE(std::equal(control.sound.begin(), control.sound.end(), converted.sound.begin()))
            << corpusCase;
    }
    // All but the movie whose sound has no samples wrote sound to compare.
    EXPECT_EQ(withSound, 5);
}

} // namespace
} // namespace vidorama::test
