#include "shell/gui/DialogUnits.h"

#include <QFontMetrics>
#include <QVariant>
#include <QWidget>

namespace slidemill {

namespace {
// Rounds a * b / c to the nearest integer, halves away from zero, as dialog managers do.
int MulDivRound(int a, int b, int c) {
    const long long n = static_cast<long long>(a) * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}
}  // namespace

QFont DialogFont() {
    QFont font("Arial");
    // 8 points on a 96 dpi display: a character height of 11 pixels.
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, is the horizontal base unit.
    const int letters = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (letters / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const { return MulDivRound(units, baseX_, 4); }
int DialogUnits::Y(int units) const { return MulDivRound(units, baseY_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

void SetControlId(QWidget* control, int id) { control->setProperty("controlId", id); }

int ControlId(const QWidget* control) {
    const QVariant v = control->property("controlId");
    return v.isValid() ? v.toInt() : 0;
}

QWidget* FindControl(const QWidget* root, int id) {
    if (!root) return nullptr;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (ControlId(w) == id) return w;
    }
    return nullptr;
}

}  // namespace slidemill
