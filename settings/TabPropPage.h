#pragma once

#include "ui/DialogTemplate.h"

#include <QStringList>
#include <QWidget>

class QComboBox;
class QRadioButton;

namespace vidorama {

namespace encoder {
class IVideoEncoder;
}

// One page of the settings dialog's tab control: the options of one output
// kind. Enter and Escape pressed inside a page are swallowed, so that they do
// not end the page; the AVI page also talks to the encoder about its codec.
class TabPropPage : public QWidget {
    Q_OBJECT

public:
    enum ControlId {
        kAviFrameRate = 1016,
        kAviCodec = 1017,
        kConfigure = 1018,
        kPcm = 1019,
        kGsm = 1024,
        kChannels = 1025,
        kMpegChannels = 1026,
        kMpegAudioBitrate = 1027,
        kMpegFrameRate = 1028,
        kMpegVideoBitrate = 1029,
        kWmvProfile = 1030,
        kRmProfile = 1032,
        kMpeg1 = 1046,
        kMpeg2 = 1047,
    };

    TabPropPage(QWidget* parent, const DialogUnits& units);

    void SetEncoder(encoder::IVideoEncoder* encoder) { m_encoder = encoder; }

    QWidget* Control(int id) const { return m_controls.find(id); }
    QComboBox* List(int id) const;
    QRadioButton* Radio(int id) const;
    // The id of the checked button among first ... last, or -1.
    int CheckedRadio(int first, int last) const;

    // Building the page from its template, in dialog units.
    void AddGroup(const char* text, QRect units);
    void AddLabel(const char* text, QRect units);
    QComboBox* AddList(int id, QRect units, const QStringList& items);
    QRadioButton* AddRadio(int id, const char* text, QRect units);
    void AddButton(int id, const char* text, QRect units);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnCodecSelChange(int index);
    void OnConfigure();

    DialogUnits m_units;
    ControlMap m_controls;
    encoder::IVideoEncoder* m_encoder = nullptr;
};

// The four pages of the settings dialog, built from their templates as
// children of parent.
TabPropPage* CreateAviPage(QWidget* parent, const DialogUnits& units);
TabPropPage* CreateMpegPage(QWidget* parent, const DialogUnits& units);
TabPropPage* CreateWmvPage(QWidget* parent, const DialogUnits& units);
TabPropPage* CreateRmPage(QWidget* parent, const DialogUnits& units);

} // namespace vidorama
