#include "ui/DialogTemplate.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QWidget>
#include <cstdint>

namespace vidorama {

DialogUnits DialogUnits::ForFont(const QFont& font) {
    QFontMetrics metrics(font);
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogUnits((letters / 26 + 1) / 2, metrics.height());
}

DialogUnits DialogUnits::FittingWidth(int templateWidth, int maxPixels) const {
    if (x(templateWidth) <= maxPixels)
        return *this;
    return DialogUnits(maxPixels * 4 / templateWidth, m_baseY);
}

QRect DialogUnits::rect(int x0, int y0, int width, int height) const {
    return QRect(x(x0), y(y0), x(width), y(height));
}

int DialogUnits::MulDiv(int value, int numerator, int denominator) {
    // Rounded to the nearest pixel, halves away from zero.
    std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

QFont TemplateFont(const char* family, int pointSize) {
    QFont font(QString::fromLatin1(family), pointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QWidget* ControlMap::find(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void PlaceGroupBox(QWidget* group, QRect rect) {
    int lift = group->fontMetrics().height() / 2;
    group->setGeometry(rect.adjusted(0, -lift, 0, 0));
}

void SetRadioChecks(std::initializer_list<std::pair<QAbstractButton*, bool>> checks) {
    for (auto [button, checked] : checks) {
        if (!button)
            continue;
        bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(checked);
        button->setAutoExclusive(exclusive);
    }
}

} // namespace vidorama
