#pragma once

#include <QFont>
#include <QRect>
#include <initializer_list>
#include <map>
#include <utility>

class QAbstractButton;
class QWidget;

namespace vidorama {

// The program's dialogs were laid out in dialog units, which scale with the
// dialog's font: a horizontal unit is a quarter of the font's average
// character width and a vertical unit an eighth of its height.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    // Base units measured from the font the way the dialog manager does: the
    // average width of the 52 Latin letters, rounded, and the font's height.
    static DialogUnits ForFont(const QFont& font);

    // The same units with the horizontal one made small enough for a
    // template of the given width to fit in maxPixels.
    DialogUnits FittingWidth(int templateWidth, int maxPixels) const;

    int x(int units) const { return MulDiv(units, m_baseX, 4); }
    int y(int units) const { return MulDiv(units, m_baseY, 8); }
    QRect rect(int x0, int y0, int width, int height) const;

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    static int MulDiv(int value, int numerator, int denominator);

    int m_baseX;
    int m_baseY;
};

// A family font of the given point size, as a dialog template names it.
QFont TemplateFont(const char* family, int pointSize);

// The controls of one dialog by their numeric ids, so that the code can speak
// of "control 1046" as the program always has.
class ControlMap {
public:
    void add(int id, QWidget* control) { m_controls[id] = control; }
    QWidget* find(int id) const;
    template <typename T> T* as(int id) const { return qobject_cast<T*>(find(id)); }

private:
    std::map<int, QWidget*> m_controls;
};

// Places a group box so that its frame's top line, not its title, lies on
// the template's top edge, as a group box frame with its caption drawn on the
// line does.
void PlaceGroupBox(QWidget* group, QRect rect);

// Sets each radio button's check mark as given, also "none checked", which
// exclusive radio buttons would not allow one by one.
void SetRadioChecks(std::initializer_list<std::pair<QAbstractButton*, bool>> checks);

} // namespace vidorama
