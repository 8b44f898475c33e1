#pragma once

#include "core/CodecOptions.h"

#include <QDialog>

class QComboBox;
class QFormLayout;
class QRadioButton;
class QSpinBox;

namespace vidorama::encoder {

// The options of one video codec: bit rate or constant quality, key-frame
// interval and speed preset, each shown only when the codec has it. The
// caller runs it and reads options() after it was accepted.
class CodecOptionsDialog : public QDialog {
public:
    CodecOptionsDialog(const QString& codecName, const CodecCapabilities& capabilities,
                       const CodecOptions& options, QWidget* parent = nullptr);

    CodecOptions options() const;

private:
    void addRateControl(QFormLayout& form);
    void addKeyFrames(QFormLayout& form);
    void addPresets(QFormLayout& form);
    void showOptions(const CodecOptions& options);
    void updateEnabled();

    CodecCapabilities m_capabilities;
    CodecOptions m_initial;
    QRadioButton* m_bitrateRadio = nullptr;
    QSpinBox* m_bitrateSpin = nullptr;
    QRadioButton* m_qualityRadio = nullptr;
    QSpinBox* m_qualitySpin = nullptr;
    QSpinBox* m_keyFrameSpin = nullptr;
    QComboBox* m_presetCombo = nullptr;
};

} // namespace vidorama::encoder
