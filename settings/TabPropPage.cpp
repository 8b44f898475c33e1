#include "settings/TabPropPage.h"

#include "ui/WindowMessages.h"
#include "vidorama/encoder/IVideoEncoder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace vidorama {

TabPropPage::TabPropPage(QWidget* parent, const DialogUnits& units)
    : QWidget(parent), m_units(units) {}

QComboBox* TabPropPage::List(int id) const {
    return m_controls.as<QComboBox>(id);
}

QRadioButton* TabPropPage::Radio(int id) const {
    return m_controls.as<QRadioButton>(id);
}

int TabPropPage::CheckedRadio(int first, int last) const {
    for (int id = first; id <= last; ++id)
        if (QRadioButton* radio = Radio(id); radio && radio->isChecked())
            return id;
    return -1;
}

void TabPropPage::AddGroup(const char* text, QRect units) {
    auto* group = new QGroupBox(QString::fromLatin1(text), this);
    PlaceGroupBox(group, m_units.rect(units.x(), units.y(), units.width(), units.height()));
    group->lower();
}

void TabPropPage::AddLabel(const char* text, QRect units) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setGeometry(m_units.rect(units.x(), units.y(), units.width(), units.height()));
}

QComboBox* TabPropPage::AddList(int id, QRect units, const QStringList& items) {
    auto* list = new QComboBox(this);
    list->addItems(items);
    list->setGeometry(m_units.rect(units.x(), units.y(), units.width(), units.height()));
    m_controls.add(id, list);
    if (id == kAviCodec)
        connect(list, &QComboBox::activated, this, &TabPropPage::OnCodecSelChange);
    return list;
}

QRadioButton* TabPropPage::AddRadio(int id, const char* text, QRect units) {
    auto* radio = new QRadioButton(QString::fromLatin1(text), this);
    radio->setGeometry(m_units.rect(units.x(), units.y(), units.width(), units.height()));
    m_controls.add(id, radio);
    return radio;
}

void TabPropPage::AddButton(int id, const char* text, QRect units) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setAutoDefault(false);
    button->setGeometry(m_units.rect(units.x(), units.y(), units.width(), units.height()));
    m_controls.add(id, button);
    if (id == kConfigure)
        connect(button, &QPushButton::clicked, this, &TabPropPage::OnConfigure);
}

void TabPropPage::keyPressEvent(QKeyEvent* event) {
    int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TabPropPage::OnCodecSelChange(int index) {
    // The settings dialog is the tab control's parent; it applies the DV rule
    // before the encoder hears of the new codec.
    if (QWidget* tabControl = parentWidget(); tabControl && tabControl->parentWidget())
        SendWindowMessage(tabControl->parentWidget(), WM_CONF_CODEC_CHANGED);
    if (m_encoder)
        m_encoder->SelectVideoCodec(index + 1);
}

void TabPropPage::OnConfigure() {
    if (m_encoder)
        m_encoder->ConfigureVideoCodec();
}

} // namespace vidorama
