// The codec settings dialog behind ConfigureVideoCodec, driven offscreen.

#include "dialog/CodecOptionsDialog.h"

#include "ClipWriter.h"
#include "EncoderTestSupport.h"
#include "MediaProbe.h"
#include "core/FfmpegVideoEncoder.h"
#include "dialog/DialogCodecConfigurator.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace vidorama::encoder::test {
namespace {

class CodecOptionsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "encoder_dialog_test";
        static char* argv[] = {name, nullptr};
        s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    static std::unique_ptr<QApplication> s_app;
};

std::unique_ptr<QApplication> CodecOptionsDialogTest::s_app;

CodecCapabilities h264Capabilities() {
    return CodecCapabilities{
        true, QualityRange{QualityScale::RateFactor, 0, 51}, true, {"fast", "medium", "slow"}};
}

// Acts on the dialog once the modal loop has shown it.
void whenDialogShows(std::function<void(CodecOptionsDialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = dynamic_cast<CodecOptionsDialog*>(QApplication::activeModalWidget());
        if (dialog)
            act(*dialog);
        else
            whenDialogShows(act);
    });
}

TEST_F(CodecOptionsDialogTest, ShowsOnlyTheOptionsTheCodecHas) {
    CodecOptionsDialog none(QStringLiteral("HuffYUV"), CodecCapabilities{}, CodecOptions{});
    EXPECT_NE(none.findChild<QLabel*>(QStringLiteral("noOptionsLabel")), nullptr);
    EXPECT_EQ(none.findChild<QSpinBox*>(), nullptr);

    CodecOptionsDialog keyFrames(QStringLiteral("Cinepak"),
                                 CodecCapabilities{false, std::nullopt, true, {}}, CodecOptions{});
    EXPECT_NE(keyFrames.findChild<QSpinBox*>(QStringLiteral("keyFrameSpin")), nullptr);
    EXPECT_EQ(keyFrames.findChild<QRadioButton*>(), nullptr);

    CodecOptionsDialog h264(QStringLiteral("H.264"), h264Capabilities(),
                            CodecOptions{RateControl::Quality, 2000, 20, 250, "slow"});
    auto* quality = h264.findChild<QSpinBox*>(QStringLiteral("qualitySpin"));
    auto* presets = h264.findChild<QComboBox*>(QStringLiteral("presetCombo"));
    ASSERT_NE(quality, nullptr);
    ASSERT_NE(presets, nullptr);
    EXPECT_EQ(quality->minimum(), 0);
    EXPECT_EQ(quality->maximum(), 51);
    EXPECT_EQ(quality->value(), 20);
    EXPECT_EQ(presets->currentText(), QStringLiteral("slow"));
    EXPECT_TRUE(quality->isEnabled());
    EXPECT_FALSE(h264.findChild<QSpinBox*>(QStringLiteral("bitrateSpin"))->isEnabled());
}

TEST_F(CodecOptionsDialogTest, ReturnsTheUsersChoices) {
    CodecOptionsDialog dialog(QStringLiteral("H.264"), h264Capabilities(), CodecOptions{});
    dialog.findChild<QRadioButton*>(QStringLiteral("bitrateRadio"))->setChecked(true);
    dialog.findChild<QSpinBox*>(QStringLiteral("bitrateSpin"))->setValue(800);
    dialog.findChild<QSpinBox*>(QStringLiteral("keyFrameSpin"))->setValue(12);
    dialog.findChild<QComboBox*>(QStringLiteral("presetCombo"))->setCurrentIndex(0);
    EXPECT_TRUE(dialog.findChild<QSpinBox*>(QStringLiteral("bitrateSpin"))->isEnabled());
    EXPECT_FALSE(dialog.findChild<QSpinBox*>(QStringLiteral("qualitySpin"))->isEnabled());
    const CodecOptions options = dialog.options();
    EXPECT_EQ(options.rateControl, RateControl::Bitrate);
    EXPECT_EQ(options.bitrateKbps, 800);
    EXPECT_EQ(options.keyFrameInterval, 12);
    EXPECT_EQ(options.preset, "fast");
}

TEST_F(CodecOptionsDialogTest, ConfigureVideoCodecChoicesReachTheNextOutput) {
    if (!ffprobeAvailable())
        GTEST_SKIP() << "ffprobe is not installed";
    FfmpegVideoEncoder encoder(std::make_unique<DialogCodecConfigurator>());
    ClipShape clip;
    clip.frames = 10;
    ASSERT_EQ(configureAvi(encoder, clip, "MPEG-4 part 2"), S_OK);
    const std::int32_t number = codecNumber(encoder, "MPEG-4 part 2");
    const CodecOptions before = *encoder.codecOptions(number);

    whenDialogShows([](CodecOptionsDialog& dialog) {
        dialog.findChild<QSpinBox*>(QStringLiteral("keyFrameSpin"))->setValue(99);
        dialog.reject();
    });
    EXPECT_EQ(encoder.ConfigureVideoCodec(), S_FALSE);
    EXPECT_EQ(*encoder.codecOptions(number), before);

    whenDialogShows([](CodecOptionsDialog& dialog) {
        dialog.findChild<QSpinBox*>(QStringLiteral("keyFrameSpin"))->setValue(2);
        dialog.accept();
    });
    ASSERT_EQ(encoder.ConfigureVideoCodec(), S_OK);
    EXPECT_EQ(encoder.codecOptions(number)->keyFrameInterval, 2);

    TempDir dir;
    ASSERT_EQ(encoder.OpenOutput(dir.file("keys.avi"), 1), S_OK) << encoder.lastError();
    ASSERT_EQ(writeClip(encoder, clip).status, S_OK);
    ASSERT_EQ(encoder.CloseOutput(), S_OK);
    const auto info = probeMedia(dir.file("keys.avi"));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->keyFrames, 5);
}

TEST_F(CodecOptionsDialogTest, WithoutAConfiguratorTheCallIsNotAvailable) {
    FfmpegVideoEncoder encoder;
    EXPECT_EQ(encoder.ConfigureVideoCodec(), E_NOTIMPL);
}

} // namespace
} // namespace vidorama::encoder::test
