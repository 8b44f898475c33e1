#include "dialog/CodecOptionsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vidorama::encoder {

namespace {

QString qualityLabel(const QualityRange& range) {
    if (range.scale == QualityScale::RateFactor)
        return QStringLiteral("Constant quality (rate factor, %1 = best):").arg(range.best);
    return QStringLiteral("Constant quality (quantizer, %1 = best):").arg(range.best);
}

} // namespace

CodecOptionsDialog::CodecOptionsDialog(const QString& codecName,
                                       const CodecCapabilities& capabilities,
                                       const CodecOptions& options, QWidget* parent)
    : QDialog(parent), m_capabilities(capabilities), m_initial(options) {
    setWindowTitle(QStringLiteral("%1 settings").arg(codecName));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    if (capabilities.hasOptions()) {
        addRateControl(*form);
        addKeyFrames(*form);
        addPresets(*form);
    } else {
        auto* label = new QLabel(QStringLiteral("This codec has no settings to adjust."), this);
        label->setObjectName(QStringLiteral("noOptionsLabel"));
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showOptions(clampOptions(capabilities, options));
}

void CodecOptionsDialog::addRateControl(QFormLayout& form) {
    if (m_capabilities.bitrate) {
        m_bitrateRadio = new QRadioButton(QStringLiteral("Target bit rate (kbit/s):"), this);
        m_bitrateRadio->setObjectName(QStringLiteral("bitrateRadio"));
        m_bitrateSpin = new QSpinBox(this);
        m_bitrateSpin->setObjectName(QStringLiteral("bitrateSpin"));
        m_bitrateSpin->setRange(kMinBitrateKbps, kMaxBitrateKbps);
        m_bitrateSpin->setSingleStep(100);
        form.addRow(m_bitrateRadio, m_bitrateSpin);
        connect(m_bitrateRadio, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    }
    if (m_capabilities.quality) {
        m_qualityRadio = new QRadioButton(qualityLabel(*m_capabilities.quality), this);
        m_qualityRadio->setObjectName(QStringLiteral("qualityRadio"));
        m_qualitySpin = new QSpinBox(this);
        m_qualitySpin->setObjectName(QStringLiteral("qualitySpin"));
        m_qualitySpin->setRange(m_capabilities.quality->best, m_capabilities.quality->worst);
        form.addRow(m_qualityRadio, m_qualitySpin);
        connect(m_qualityRadio, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    }
}

void CodecOptionsDialog::addKeyFrames(QFormLayout& form) {
    if (!m_capabilities.keyFrameInterval)
        return;
    m_keyFrameSpin = new QSpinBox(this);
    m_keyFrameSpin->setObjectName(QStringLiteral("keyFrameSpin"));
    m_keyFrameSpin->setRange(1, kMaxKeyFrameInterval);
    m_keyFrameSpin->setSuffix(QStringLiteral(" frames"));
    form.addRow(QStringLiteral("Key frame at most every:"), m_keyFrameSpin);
}

void CodecOptionsDialog::addPresets(QFormLayout& form) {
    if (m_capabilities.presets.empty())
        return;
    m_presetCombo = new QComboBox(this);
    m_presetCombo->setObjectName(QStringLiteral("presetCombo"));
    for (const std::string& preset : m_capabilities.presets)
        m_presetCombo->addItem(QString::fromStdString(preset));
    form.addRow(QStringLiteral("Speed preset (slower is smaller):"), m_presetCombo);
}

void CodecOptionsDialog::showOptions(const CodecOptions& options) {
    if (m_bitrateSpin)
        m_bitrateSpin->setValue(options.bitrateKbps);
    if (m_qualitySpin)
        m_qualitySpin->setValue(options.quality);
    const bool byBitrate = options.rateControl == RateControl::Bitrate;
    if (m_bitrateRadio)
        m_bitrateRadio->setChecked(byBitrate);
    if (m_qualityRadio)
        m_qualityRadio->setChecked(!byBitrate);
    if (m_keyFrameSpin)
        m_keyFrameSpin->setValue(options.keyFrameInterval);
    if (m_presetCombo)
        m_presetCombo->setCurrentText(QString::fromStdString(options.preset));
    updateEnabled();
}

void CodecOptionsDialog::updateEnabled() {
    if (m_bitrateSpin && m_bitrateRadio)
        m_bitrateSpin->setEnabled(m_bitrateRadio->isChecked());
    if (m_qualitySpin && m_qualityRadio)
        m_qualitySpin->setEnabled(m_qualityRadio->isChecked());
}

CodecOptions CodecOptionsDialog::options() const {
    CodecOptions options = m_initial;
    if (m_bitrateSpin)
        options.bitrateKbps = m_bitrateSpin->value();
    if (m_qualitySpin)
        options.quality = m_qualitySpin->value();
    if (m_bitrateRadio && m_bitrateRadio->isChecked())
        options.rateControl = RateControl::Bitrate;
    if (m_qualityRadio && m_qualityRadio->isChecked())
        options.rateControl = RateControl::Quality;
    if (m_keyFrameSpin)
        options.keyFrameInterval = m_keyFrameSpin->value();
    if (m_presetCombo)
        options.preset = m_presetCombo->currentText().toStdString();
    return clampOptions(m_capabilities, options);
}

} // namespace vidorama::encoder
