// OK of the settings dialog: the controls are read into the settings copy and
// a custom size is checked against the screen and the output kind.

#include "settings/CDlgConf.h"
#include "settings/CaptureSizeCheck.h"
#include "settings/SizeRules.h"
#include "settings/TabPropPage.h"
#include "ui/MessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

namespace vidorama {

namespace {

const QString kMessageCaption = QStringLiteral("Message");

// A digits-only edit read as a signed number; text that is no number, or one
// too large for an int, reads as 0.
int EditNumber(const QLineEdit* edit) {
    bool ok = false;
    int value = edit->text().toInt(&ok);
    return ok ? value : 0;
}

// The checked button's place in its group, counted from first; the first
// when none is checked, which only a stored value outside the group leaves.
int CheckedIndex(const TabPropPage& page, int first, int last) {
    int checked = page.CheckedRadio(first, last);
    return checked < 0 ? 0 : checked - first;
}

std::string ListText(const TabPropPage& page, int id) {
    return page.List(id)->currentText().toStdString();
}

} // namespace

void CDlgConf::ReadControls() {
    const TabPropPage& avi = *m_pages[kAviPage];
    const TabPropPage& mpeg = *m_pages[kMpegPage];
    m_settings.outputKind = TabControl()->currentIndex();
    // With neither size button checked (a stored mode other than 0 and 2)
    // the original size is taken.
    m_settings.sizeMode = Radio(kCustomize)->isChecked() ? ConversionSettings::kCustomSize
                                                         : ConversionSettings::kOriginalSize;
    m_settings.height = EditNumber(Edit(kHeight));
    m_settings.width = EditNumber(Edit(kWidth));
    m_settings.outputFolder = Edit(kSaveTo)->text().toStdString();
    m_settings.aviFrameRate = ListText(avi, TabPropPage::kAviFrameRate);
    m_settings.aviCodec = avi.List(TabPropPage::kAviCodec)->currentIndex();
    m_settings.audioFormat = CheckedIndex(avi, TabPropPage::kPcm, TabPropPage::kGsm);
    m_settings.channels = avi.List(TabPropPage::kChannels)->currentIndex();
    m_settings.mpegFrameRate = ListText(mpeg, TabPropPage::kMpegFrameRate);
    m_settings.mpegVideoBitrate = ListText(mpeg, TabPropPage::kMpegVideoBitrate);
    m_settings.mpegAudioBitrate = ListText(mpeg, TabPropPage::kMpegAudioBitrate);
    m_settings.mpegVersion = CheckedIndex(mpeg, TabPropPage::kMpeg1, TabPropPage::kMpeg2);
    m_settings.wmvProfile = m_pages[kWmvPage]->List(TabPropPage::kWmvProfile)->currentIndex();
    m_settings.rmProfile = m_pages[kRmPage]->List(TabPropPage::kRmProfile)->currentIndex();
}

void CDlgConf::accept() {
    ReadControls();
    if (m_settings.sizeMode == ConversionSettings::kCustomSize && !CheckCustomSize())
        return;
    QDialog::accept();
}

bool CDlgConf::CheckCustomSize() {
    if (m_settings.width < 1)
        return Refuse(QStringLiteral("The width of output video should be a positive number."),
                      ApplicationTitle(), kWidth);
    if (m_settings.height < 1)
        return Refuse(QStringLiteral("The height of output video should be a positive number."),
                      ApplicationTitle(), kHeight);
    if (m_settings.width > m_maxMovieWidth)
        return Refuse(QString::asprintf("The width can not be larger than %d, if you want this "
                                        "resolution, please adjust the desktop resolution first",
                                        m_maxMovieWidth),
                      kMessageCaption, kWidth);
    if (m_settings.height > m_maxMovieHeight)
        return Refuse(QString::asprintf("The height can not be larger than %d, if you want this "
                                        "resolution, please adjust the desktop resolution first",
                                        m_maxMovieHeight),
                      kMessageCaption, kHeight);
    if (!CheckCaptureSize(m_settings.width, m_settings.height, m_messages, this))
        return false;
    if (m_settings.outputKind == ConversionSettings::kAvi)
        return AskToRoundUp(m_settings.width, kAviWidthMultiple,
                            "The width of avi video must be a multiple of 4.", kWidth);
    if (m_settings.outputKind != ConversionSettings::kMpeg)
        return true;
    bool mpeg2 = m_settings.mpegVersion == 1;
    return AskToRoundUp(m_settings.height, mpeg2 ? kMpeg2HeightMultiple : kMpeg1HeightMultiple,
                        mpeg2 ? "The height of mpeg2 video must be a multiple of 32."
                              : "The height of mpeg1 video must be a multiple of 16.",
                        kHeight) &&
           AskToRoundUp(m_settings.width, kMpegWidthMultiple,
                        "The width of mpeg video must be a multiple of 16.", kWidth);
}

bool CDlgConf::Refuse(const QString& text, const QString& caption, int editId) {
    m_messages.show(this, text, caption);
    FocusEdit(editId);
    return false;
}

bool CDlgConf::AskToRoundUp(int& value, int multiple, const char* text, int editId) {
    if (value % multiple == 0)
        return true;
    QString question = QString::fromLatin1(text) +
                       QStringLiteral(" Click 'OK' button for auto adjustment, or click 'Cancel' "
                                      "button for manual adjustment.");
    if (m_messages.show(this, question, kMessageCaption, MessageButtons::OkCancel) ==
        MessageAnswer::Cancel) {
        FocusEdit(editId);
        return false;
    }
    // Only the copy is adjusted; the edit keeps what the user typed.
    value = RoundUpToMultiple(value, multiple);
    return true;
}

void CDlgConf::FocusEdit(int id) {
    QLineEdit* edit = Edit(id);
    edit->setFocus();
    edit->selectAll();
}

} // namespace vidorama
