#include "GeneratedMovies.h"
#include "MainWindowFixture.h"

#include <QFileInfo>

namespace vidorama::test {
namespace {

class PrepareConversionTest : public MainWindowTest {
protected:
    void OpenMovie(int width, int height) {
        ASSERT_TRUE(Open());
        window->OnDropFiles({WriteMovie(dir.filePath("movie.swf"), width, height, 4)});
        ASSERT_TRUE(window->movieOpen);
        boxes.shown.clear();
    }
    std::vector<QString> Questions() {
        std::vector<QString> texts;
        for (const auto& box : boxes.shown)
            if (box.buttons == MessageButtons::OkCancel)
                texts.push_back(box.text);
        return texts;
    }
};

TEST_F(PrepareConversionTest, AviWidthIsRoundedUpAfterAskingOnce) {
    OpenMovie(550, 400);
    ASSERT_TRUE(window->PrepareConversion());
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_TRUE(Questions()[0].startsWith("The width of avi video must be a multiple of 4."));
    EXPECT_EQ(boxes.shown[0].caption, "Message");
    EXPECT_EQ(window->outputWidth, 552);
    EXPECT_EQ(window->outputHeight, 400);
    EXPECT_TRUE(window->sizeAdjusted);
    EXPECT_TRUE(window->outputStarted);
    EXPECT_EQ(QFileInfo(QString::fromStdString(window->outputPath)).suffix(), "avi");

    boxes.shown.clear();
    ASSERT_TRUE(window->PrepareConversion());
    EXPECT_TRUE(Questions().empty());  // accepted for this movie already
    EXPECT_EQ(encoder->closeCalls, 1); // the first output was completed
}

TEST_F(PrepareConversionTest, CancelOpensTheSettingsDialogAndStops) {
    OpenMovie(550, 400);
    int dialogs = 0;
    window.reset();
    AppEnvironment env = MakeEnvironment();
    env.runSettingsDialog = [&](QWidget*, encoder::IVideoEncoder&, const ConversionSettings&, int,
                                int) -> std::optional<ConversionSettings> {
        ++dialogs;
        return std::nullopt;
    };
    window = std::make_unique<CReelcapDlg>(env);
    ASSERT_TRUE(window->InitDialog());
    window->OnDropFiles({dir.filePath("movie.swf")});
    boxes.answers = {MessageAnswer::Cancel};
    EXPECT_FALSE(window->PrepareConversion());
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(window->sizeAdjusted);
    EXPECT_FALSE(window->outputStarted);
}

TEST_F(PrepareConversionTest, MpegTwoAsksForTheHeightThenRoundsTheWidth) {
    OpenMovie(550, 400);
    window->settings.outputKind = ConversionSettings::kMpeg;
    window->settings.mpegVersion = 1;
    ASSERT_TRUE(window->PrepareConversion());
    ASSERT_EQ(Questions().size(), 1u);
    EXPECT_TRUE(Questions()[0].startsWith("The height of mpeg2 video must be a multiple of 32."));
    EXPECT_EQ(window->outputWidth, 560);
    EXPECT_EQ(window->outputHeight, 416);
}

TEST_F(PrepareConversionTest, WmvRoundsWithoutAskingAndCustomSizesAreTaken) {
    OpenMovie(551, 401);
    window->settings.outputKind = ConversionSettings::kWmv;
    ASSERT_TRUE(window->PrepareConversion());
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(window->outputWidth, 552);
    EXPECT_EQ(window->outputHeight, 402);

    window->settings.outputKind = ConversionSettings::kMpeg;
    window->settings.mpegVersion = 0;
    window->settings.sizeMode = ConversionSettings::kCustomSize;
    window->settings.width = 320;
    window->settings.height = 240;
    ASSERT_TRUE(window->PrepareConversion());
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(window->outputWidth, 320);
    EXPECT_EQ(window->outputHeight, 240);
}

TEST_F(PrepareConversionTest, AMissingOutputFolderIsMadeAndAnUnwritableOneIsNamed) {
    OpenMovie(552, 400);
    // A new account has no documents folder yet.
    QString missing = dir.filePath("Documents/Videos/");
    window->settings.outputFolder = missing.toStdString();
    ASSERT_TRUE(window->PrepareConversion());
    EXPECT_TRUE(QFileInfo(missing).isDir());
    EXPECT_TRUE(boxes.shown.empty());

    // Nobody, root included, can create files here: the user is told which
    // folder, before any capture starts, and the log keeps it.
    encoder->configCalls.clear();
    window->settings.outputFolder = "/proc/";
    EXPECT_FALSE(window->PrepareConversion());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("The output folder /proc/ cannot be written to"))
        << boxes.shown[0].text.toStdString();
    for (const std::string& call : encoder->configCalls)
        EXPECT_NE(call.rfind("OpenOutput", 0), 0u) << call;
    QFile log(dir.filePath("vidorama.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("The output folder /proc/ cannot be written to"));
}

} // namespace
} // namespace vidorama::test
