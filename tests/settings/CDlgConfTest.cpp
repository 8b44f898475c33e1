#include "settings/CDlgConf.h"

#include "ListEncoder.h"
#include "RecordingMessageBoxes.h"
#include "settings/TabPropPage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace vidorama {
namespace {

using test::RecordingMessageBoxes;

constexpr int kMaxWidth = 1000;
constexpr int kMaxHeight = 700;
const QString kAdjustTail = QStringLiteral(
    " Click 'OK' button for auto adjustment, or click 'Cancel' button for manual adjustment.");

struct SettingsDialogFixture : ::testing::Test {
    void SetUp() override {
        encoder.codecs = {"Cinepak Codec by Radius", "MainConcept DV Codec", "XviD MPEG-4 Codec",
                          "Microsoft Video 1"};
        encoder.wmvProfiles = {"WMV low", "WMV medium", "WMV high"};
        encoder.rmProfiles = {"RM 56k", "RM LAN"};
    }

    CDlgConf& Open() {
        dialog = std::make_unique<CDlgConf>(nullptr, encoder, settings, kMaxWidth, kMaxHeight,
                                            boxes, [this](QWidget*, const QString& title) {
                                                browseTitles << title;
                                                return browseAnswer;
                                            });
        dialog->show();
        return *dialog;
    }

    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(dialog->Control(id)); }
    QRadioButton* Radio(int id) { return qobject_cast<QRadioButton*>(dialog->Control(id)); }
    QComboBox* List(CDlgConf::Page page, int id) { return dialog->PageOf(page)->List(id); }
    void Click(int id) { qobject_cast<QAbstractButton*>(dialog->Control(id))->click(); }
    bool Accepted() const { return dialog->result() == QDialog::Accepted && !dialog->isVisible(); }

    // Opens the dialog on a custom size and presses OK.
    void OkWithCustomSize(int kind, int version, const char* width, const char* height) {
        settings.outputKind = kind;
        settings.mpegVersion = version;
        settings.sizeMode = ConversionSettings::kCustomSize;
        Open();
        Edit(CDlgConf::kWidth)->setText(width);
        Edit(CDlgConf::kHeight)->setText(height);
        Click(CDlgConf::kOk);
    }

    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& shown : boxes.shown)
            texts.push_back(shown.text);
        return texts;
    }

    test::ListEncoder encoder;
    ConversionSettings settings;
    RecordingMessageBoxes boxes;
    QString browseAnswer;
    QStringList browseTitles;
    std::unique_ptr<CDlgConf> dialog;
};

TEST_F(SettingsDialogFixture, OpensWithTheEncodersListsAndTheSettings) {
    settings.outputFolder = "/home/me/Videos/";
    CDlgConf& dlg = Open();
    EXPECT_EQ(dlg.windowTitle(), "video settings");
    QTabWidget* tabs = dlg.TabControl();
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "To AVI");
    EXPECT_EQ(tabs->tabText(1), "To MPEG");
    EXPECT_EQ(Edit(CDlgConf::kSaveTo)->text(), "/home/me/Videos/");
    EXPECT_TRUE(Edit(CDlgConf::kSaveTo)->isReadOnly());
    EXPECT_TRUE(Radio(CDlgConf::kOriginal)->isChecked());
    EXPECT_FALSE(Radio(CDlgConf::kCustomize)->isChecked());
    EXPECT_FALSE(Edit(CDlgConf::kWidth)->isEnabled());
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "320");
    EXPECT_EQ(Edit(CDlgConf::kHeight)->text(), "240");

    QComboBox* codecs = List(CDlgConf::kAviPage, TabPropPage::kAviCodec);
    EXPECT_EQ(codecs->count(), 4);
    EXPECT_EQ(codecs->currentIndex(), 2); // XviD preferred for "not chosen yet"
    EXPECT_EQ(encoder.selectedCodec, 3);
    EXPECT_EQ(dlg.DvCodecIndex(), 1);
    EXPECT_EQ(List(CDlgConf::kAviPage, TabPropPage::kAviFrameRate)->currentText(), "10.00");
    EXPECT_EQ(List(CDlgConf::kAviPage, TabPropPage::kChannels)->currentText(), "Stereo");
    EXPECT_TRUE(dlg.PageOf(CDlgConf::kAviPage)->Radio(TabPropPage::kPcm)->isChecked());
    EXPECT_EQ(List(CDlgConf::kMpegPage, TabPropPage::kMpegFrameRate)->currentText(), "23.97");
    EXPECT_EQ(List(CDlgConf::kMpegPage, TabPropPage::kMpegVideoBitrate)->currentText(), "1150");
    EXPECT_EQ(List(CDlgConf::kMpegPage, TabPropPage::kMpegAudioBitrate)->currentText(), "128");
    EXPECT_EQ(List(CDlgConf::kMpegPage, TabPropPage::kMpegChannels)->currentText(), "Stereo");
    EXPECT_EQ(List(CDlgConf::kMpegPage, TabPropPage::kMpegAudioBitrate)->count(), 14);
    EXPECT_TRUE(dlg.PageOf(CDlgConf::kMpegPage)->Radio(TabPropPage::kMpeg1)->isChecked());
    EXPECT_EQ(List(CDlgConf::kWmvPage, TabPropPage::kWmvProfile)->currentText(), "WMV high");
    EXPECT_EQ(List(CDlgConf::kRmPage, TabPropPage::kRmProfile)->currentText(), "RM LAN");
    EXPECT_TRUE(dlg.PageOf(CDlgConf::kAviPage)->isVisible());
    EXPECT_FALSE(dlg.PageOf(CDlgConf::kMpegPage)->isVisible());

    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    ConversionSettings expected = settings;
    expected.aviCodec = 2;
    expected.wmvProfile = 2;
    expected.rmProfile = 1;
    EXPECT_EQ(dlg.Settings(), expected);
}

TEST_F(SettingsDialogFixture, AviWidthNotAMultipleOfFour) {
    boxes.answers = {MessageAnswer::Cancel};
    OkWithCustomSize(ConversionSettings::kAvi, 0, "321", "240");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "The width of avi video must be a multiple of 4." + kAdjustTail);
    EXPECT_EQ(boxes.shown[0].caption, "Message");
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(boxes.shown[0].owner, dialog.get());
    // Cancel: back to manual editing, in the width edit with its text selected.
    EXPECT_FALSE(Accepted());
    EXPECT_EQ(dialog->focusWidget(), Edit(CDlgConf::kWidth));
    EXPECT_EQ(Edit(CDlgConf::kWidth)->selectedText(), "321");

    Click(CDlgConf::kOk); // answered OK this time
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().width, 324);
    EXPECT_EQ(dialog->Settings().height, 240);
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "321");
}

TEST_F(SettingsDialogFixture, Mpeg2HeightNotAMultipleOfThirtyTwo) {
    OkWithCustomSize(ConversionSettings::kMpeg, 1, "640", "360");
    EXPECT_EQ(Texts(), std::vector<QString>{"The height of mpeg2 video must be a multiple of 32." +
                                            kAdjustTail});
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().height, 384);
    EXPECT_EQ(dialog->Settings().width, 640);
    EXPECT_EQ(dialog->Settings().outputKind, ConversionSettings::kMpeg);
    EXPECT_EQ(dialog->Settings().mpegVersion, 1);
}

TEST_F(SettingsDialogFixture, Mpeg1AsksForHeightThenWidth) {
    OkWithCustomSize(ConversionSettings::kMpeg, 0, "100", "100");
    EXPECT_EQ(Texts(), (std::vector<QString>{
                           "The height of mpeg1 video must be a multiple of 16." + kAdjustTail,
                           "The width of mpeg video must be a multiple of 16." + kAdjustTail}));
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().width, 112);
    EXPECT_EQ(dialog->Settings().height, 112);
}

TEST_F(SettingsDialogFixture, CancelOnTheMpegWidthFocusesTheWidth) {
    boxes.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    OkWithCustomSize(ConversionSettings::kMpeg, 0, "100", "100");
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_FALSE(Accepted());
    EXPECT_EQ(dialog->focusWidget(), Edit(CDlgConf::kWidth));
}

TEST_F(SettingsDialogFixture, PositiveSizesAreCheckedFirstThenTheScreenLimits) {
    struct Case {
        const char* width;
        const char* height;
        QString text;
        QString caption;
        int focus;
    };
    const QString title = ApplicationTitle();
    const Case cases[] = {
        {"0", "0", "The width of output video should be a positive number.", title,
         CDlgConf::kWidth},
        {"", "5000", "The width of output video should be a positive number.", title,
         CDlgConf::kWidth},
        {"5000", "0", "The height of output video should be a positive number.", title,
         CDlgConf::kHeight},
        {"1001", "5000",
         "The width can not be larger than 1000, if you want this resolution, please adjust the "
         "desktop resolution first",
         "Message", CDlgConf::kWidth},
        {"1000", "701",
         "The height can not be larger than 700, if you want this resolution, please adjust the "
         "desktop resolution first",
         "Message", CDlgConf::kHeight},
        {"99999999999", "240", "The width of output video should be a positive number.", title,
         CDlgConf::kWidth},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        boxes.shown.clear();
        OkWithCustomSize(ConversionSettings::kAvi, 0, c.width, c.height);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, c.caption);
        EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
        EXPECT_FALSE(Accepted());
        EXPECT_EQ(dialog->focusWidget(), Edit(c.focus));
    }
}

TEST_F(SettingsDialogFixture, OriginalSizeClosesWithoutChecks) {
    settings.width = 321;
    Open();
    Click(CDlgConf::kOk);
    EXPECT_TRUE(boxes.shown.empty());
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().width, 321);
    EXPECT_EQ(dialog->Settings().sizeMode, ConversionSettings::kOriginalSize);
}

TEST_F(SettingsDialogFixture, FrameRatesAreMatchedByValue) {
    settings.aviFrameRate = "12";
    settings.mpegFrameRate = "25";
    settings.mpegAudioBitrate = "384.0";
    Open();
    EXPECT_EQ(List(CDlgConf::kAviPage, TabPropPage::kAviFrameRate)->currentText(), "23.97");
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().aviFrameRate, "23.97");
    EXPECT_EQ(dialog->Settings().mpegFrameRate, "25.00");
    EXPECT_EQ(dialog->Settings().mpegAudioBitrate, "384");
}

TEST_F(SettingsDialogFixture, DvCodecForcesPalSizeUntilAnotherCodecIsChosen) {
    settings.sizeMode = ConversionSettings::kCustomSize;
    Open();
    QComboBox* codecs = List(CDlgConf::kAviPage, TabPropPage::kAviCodec);
    codecs->setCurrentIndex(1);
    emit codecs->activated(1);
    EXPECT_EQ(encoder.selectedCodec, 2);
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "720");
    EXPECT_EQ(Edit(CDlgConf::kHeight)->text(), "576");
    for (int id : {CDlgConf::kWidth, CDlgConf::kHeight, CDlgConf::kOriginal, CDlgConf::kCustomize})
        EXPECT_FALSE(dialog->Control(id)->isEnabled());

    // Another codec gives the size controls back at once, with the size
    // that was there before.
    codecs->setCurrentIndex(0);
    emit codecs->activated(0);
    EXPECT_TRUE(Edit(CDlgConf::kWidth)->isEnabled());
    EXPECT_TRUE(Radio(CDlgConf::kOriginal)->isEnabled());
    EXPECT_TRUE(Radio(CDlgConf::kCustomize)->isEnabled());
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "320");
    EXPECT_EQ(Edit(CDlgConf::kHeight)->text(), "240");

    codecs->setCurrentIndex(1);
    emit codecs->activated(1);
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().width, 720);
    EXPECT_EQ(dialog->Settings().height, 576);
    EXPECT_EQ(dialog->Settings().aviCodec, 1);
}

TEST_F(SettingsDialogFixture, ChangingTheCodecKeepsTheSizeTheUserChose) {
    settings.sizeMode = ConversionSettings::kOriginalSize;
    Open();
    Radio(CDlgConf::kCustomize)->click();
    Edit(CDlgConf::kWidth)->setText("640");
    Edit(CDlgConf::kHeight)->setText("480");
    QComboBox* codecs = List(CDlgConf::kAviPage, TabPropPage::kAviCodec);
    for (int codec : {2, 1, 0}) { // XviD, then DV, then Cinepak
        codecs->setCurrentIndex(codec);
        emit codecs->activated(codec);
    }
    EXPECT_TRUE(Radio(CDlgConf::kCustomize)->isChecked());
    EXPECT_TRUE(Edit(CDlgConf::kWidth)->isEnabled());
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().sizeMode, ConversionSettings::kCustomSize);
    EXPECT_EQ(dialog->Settings().width, 640);
    EXPECT_EQ(dialog->Settings().height, 480);
}

TEST_F(SettingsDialogFixture, StoredDvCodecAppliesAtOpening) {
    settings.aviCodec = 1;
    Open();
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "720");
    EXPECT_FALSE(Radio(CDlgConf::kCustomize)->isEnabled());
}

TEST_F(SettingsDialogFixture, EmptyEncoderListsStayEmptyWithoutTheDvRule) {
    encoder.codecs.clear();
    encoder.wmvProfiles.clear();
    encoder.rmProfiles.clear();
    settings.sizeMode = ConversionSettings::kCustomSize;
    Open();
    EXPECT_EQ(List(CDlgConf::kAviPage, TabPropPage::kAviCodec)->count(), 0);
    EXPECT_TRUE(Edit(CDlgConf::kWidth)->isEnabled());
    EXPECT_EQ(Edit(CDlgConf::kWidth)->text(), "320");
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().aviCodec, -1);
    EXPECT_EQ(dialog->Settings().wmvProfile, -1);
    EXPECT_EQ(dialog->Settings().rmProfile, -1);
}

TEST_F(SettingsDialogFixture, TabsShowTheirPagesAndGiveTheOutputKind) {
    Open();
    dialog->TabControl()->setCurrentIndex(1);
    EXPECT_FALSE(dialog->PageOf(CDlgConf::kAviPage)->isVisible());
    EXPECT_TRUE(dialog->PageOf(CDlgConf::kMpegPage)->isVisible());
    EXPECT_FALSE(Edit(CDlgConf::kWidth)->isEnabled()); // "Original" is checked
    dialog->PageOf(CDlgConf::kMpegPage)->Radio(TabPropPage::kMpeg2)->click();
    Click(CDlgConf::kCustomize);
    EXPECT_TRUE(Edit(CDlgConf::kWidth)->isEnabled());
    Edit(CDlgConf::kWidth)->setText("640");
    Edit(CDlgConf::kHeight)->setText("480");
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().outputKind, ConversionSettings::kMpeg);
    EXPECT_EQ(dialog->Settings().mpegVersion, 1);
    EXPECT_EQ(dialog->Settings().sizeMode, ConversionSettings::kCustomSize);
    EXPECT_EQ(dialog->Settings().width, 640);
}

TEST_F(SettingsDialogFixture, StoredWmvKindShowsItsPageUnderTheAviTab) {
    settings.outputKind = ConversionSettings::kWmv;
    settings.wmvProfile = 0;
    Open();
    EXPECT_EQ(dialog->TabControl()->currentIndex(), 0);
    EXPECT_TRUE(dialog->PageOf(CDlgConf::kWmvPage)->isVisible());
    EXPECT_FALSE(dialog->PageOf(CDlgConf::kAviPage)->isVisible());
    for (int id : {CDlgConf::kWidth, CDlgConf::kHeight, CDlgConf::kOriginal, CDlgConf::kCustomize})
        EXPECT_FALSE(dialog->Control(id)->isEnabled());
    dialog->TabControl()->setCurrentIndex(1);
    EXPECT_FALSE(dialog->PageOf(CDlgConf::kWmvPage)->isVisible());
    dialog->TabControl()->setCurrentIndex(0);
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().outputKind, ConversionSettings::kAvi);
    EXPECT_EQ(dialog->Settings().wmvProfile, 0);
}

TEST_F(SettingsDialogFixture, BrowseAppendsASeparatorAndCancelChangesNothing) {
    settings.outputFolder = "/old/";
    Open();
    Click(CDlgConf::kBrowse);
    EXPECT_EQ(Edit(CDlgConf::kSaveTo)->text(), "/old/");
    browseAnswer = "/srv/videos";
    Click(CDlgConf::kBrowse);
    EXPECT_EQ(Edit(CDlgConf::kSaveTo)->text(), "/srv/videos/");
    EXPECT_EQ(browseTitles, QStringList({"Select output directory", "Select output directory"}));
    Click(CDlgConf::kOk);
    ASSERT_TRUE(Accepted());
    EXPECT_EQ(dialog->Settings().outputFolder, "/srv/videos/");
}

TEST_F(SettingsDialogFixture, ConfigureAndKeysInsideAPage) {
    Open();
    qobject_cast<QPushButton*>(dialog->PageOf(CDlgConf::kAviPage)->Control(TabPropPage::kConfigure))
        ->click();
    EXPECT_EQ(encoder.configureCalls, 1);
    QWidget* list = List(CDlgConf::kAviPage, TabPropPage::kChannels);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(boxes.shown.empty());
}

} // namespace
} // namespace vidorama
