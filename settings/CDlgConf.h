#pragma once

#include "settings/ConversionSettings.h"
#include "settings/FolderBrowser.h"
#include "ui/DialogTemplate.h"

#include <QDialog>
#include <array>
#include <optional>
#include <utility>

class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace vidorama {

class MessageBoxes;
class TabPropPage;

namespace encoder {
class IVideoEncoder;
}

// The modal "video settings" dialog. It edits its own copy of the settings,
// fills its lists from the encoder, checks a custom output size when OK is
// pressed and, closed with OK, hands the edited copy back through Settings().
class CDlgConf : public QDialog {
    Q_OBJECT

public:
    enum ControlId {
        kOk = 1,
        kCancel = 2,
        kOriginal = 1009,
        kCustomize = 1011,
        kWidth = 1012,
        kHeight = 1013,
        kTabControl = 1014,
        kPagePlaceholder = 1015,
        kSaveTo = 1033,
        kBrowse = 1034,
    };
    enum Page { kAviPage, kMpegPage, kWmvPage, kRmPage, kPageCount };

    CDlgConf(QWidget* parent, encoder::IVideoEncoder& encoder, const ConversionSettings& settings,
             int maxMovieWidth, int maxMovieHeight, MessageBoxes& messages,
             FolderBrowser browseForFolder = BrowseForFolder);

    const ConversionSettings& Settings() const { return m_settings; }

    QWidget* Control(int id) const { return m_controls.find(id); }
    TabPropPage* PageOf(Page page) const { return m_pages[page]; }
    QTabWidget* TabControl() const;
    int DvCodecIndex() const { return m_dvCodecIndex; }

    // OK: reads the controls into the copy and checks the size; the dialog
    // stays open when a check fails or the user chooses to adjust by hand.
    void accept() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void CreatePages();
    void FillEncoderLists();
    void SetFallbackStates();
    void ApplySettings();
    void ApplyListSettings();
    void ApplyDvRule();
    void OnTabChanged(int index);
    void OnOriginal();
    void OnCustomize();
    void OnBrowse();

    void ReadControls();
    bool CheckCustomSize();
    bool Refuse(const QString& text, const QString& caption, int editId);
    bool AskToRoundUp(int& value, int multiple, const char* text, int editId);
    void FocusEdit(int id);

    QLineEdit* Edit(int id) const;
    QRadioButton* Radio(int id) const;
    void EnableSizeEdits(bool enabled);

    encoder::IVideoEncoder& m_encoder;
    ConversionSettings m_settings;
    int m_maxMovieWidth;
    int m_maxMovieHeight;
    MessageBoxes& m_messages;
    FolderBrowser m_browseForFolder;
    DialogUnits m_units;
    ControlMap m_controls;
    std::array<TabPropPage*, kPageCount> m_pages{};
    int m_dvCodecIndex = -1;
    int m_currentTab = 0;
    // The size the user had typed before the DV codec imposed its own, given
    // back when another codec is chosen.
    std::optional<std::pair<QString, QString>> m_sizeBeforeDv;
};

} // namespace vidorama
