#pragma once
// Dialog layouts are given in dialog units, which scale with the dialog's font: a
// horizontal unit is a quarter of the font's average character width, a vertical unit an
// eighth of its height. Converting them with the font's own metrics keeps the proportions
// of every layout whatever font the machine substitutes.

#include <QFont>
#include <QRect>

class QWidget;

namespace slidemill {

// The font every dialog of the window uses: Arial at 8 points (on this platform its
// metric-compatible stand-in).
QFont DialogFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

// Dialog controls carry their template id in the "controlId" property, so that the
// window's code and its tests can find them the way the layout names them.
void SetControlId(QWidget* control, int id);
int ControlId(const QWidget* control);
QWidget* FindControl(const QWidget* root, int id);

template <typename T>
T* FindControlAs(const QWidget* root, int id) {
    return qobject_cast<T*>(FindControl(root, id));
}

}  // namespace slidemill
