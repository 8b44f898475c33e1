// The real-time player (the module's control, driven by its own timer) and
// the converter are two drivers of one engine: every frame the control
// paints must be, pixel for pixel, the frame the converter writes for it.

#include "ConversionFixture.h"
#include "SampleMovie.h"
#include "module/FlashControl.h"

#include <QEventLoop>
#include <QTimer>
#include <map>

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

} // namespace
} // namespace vidorama::test
