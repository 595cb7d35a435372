#include "shell/gui/MenuButton.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "resources/Artwork.h"
#include "shell/gui/DialogUnits.h"

namespace slidemill {

MenuButton::MenuButton(QWidget* parent) : QPushButton(parent), menu_(new QMenu(this)) {
    setAutoDefault(false);
}

MenuButton::~MenuButton() = default;

bool MenuButton::Attach(int controlId, QWidget* parent) {
    QWidget* control = FindControl(parent, controlId);
    if (!control) return false;
    setParent(control->parentWidget());
    setGeometry(control->geometry());
    if (auto* button = qobject_cast<QPushButton*>(control)) setText(button->text());
    setFont(control->font());
    SetControlId(this, controlId);
    setObjectName(control->objectName());
    // Keep the control's place in the focus order.
    QWidget::setTabOrder(control, this);
    stackUnder(control);
    control->hide();
    control->deleteLater();
    show();
    return true;
}

void MenuButton::SetBitmap(int bitmapId, const QColor& transparent) {
    SetBitmap(artwork::LoadBitmap(bitmapId), transparent);
}

void MenuButton::SetBitmap(const QPixmap& bitmap, const QColor& transparent) {
    image_ = bitmap.isNull() ? QPixmap() : artwork::MaskedBitmap(bitmap, transparent);
    update();
}

bool MenuButton::AddMenuItem(int commandId, const QString& text, unsigned flags) {
    if (flags & kMenuSeparator) {
        menu_->addSeparator();
    } else {
        if (text.isEmpty()) return false;
        QAction* action = menu_->addAction(text);
        action->setData(commandId);
        action->setEnabled(!(flags & (kMenuGrayed | kMenuDisabled)));
        if (flags & kMenuChecked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
    hasMenu_ = true;
    return true;
}

QSize MenuButton::sizeHint() const {
    QSize s = QPushButton::sizeHint();
    if (!image_.isNull()) s.rwidth() += image_.width() + 4;
    if (hasMenu_) s.rwidth() += 12;
    return s;
}

void MenuButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !hasMenu_) {
        QPushButton::mousePressEvent(event);
        return;
    }
    if (pressed_) {  // a press while the menu is still marked open only clears the mark
        pressed_ = false;
        update();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    OpenMenu();
}

void MenuButton::keyPressEvent(QKeyEvent* event) {
    const bool activate = event->key() == Qt::Key_Space || event->key() == Qt::Key_Down;
    if (hasMenu_ && activate && !event->isAutoRepeat()) {
        OpenMenu();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void MenuButton::OpenMenu() {
    pressed_ = true;
    repaint();
    // Top-left corner of the menu at the bottom-left corner of the button.
    QAction* chosen = menu_->exec(mapToGlobal(QPoint(0, height())));
    pressed_ = false;
    update();
    if (chosen && chosen->data().isValid()) {
        const int command = chosen->data().toInt();
        if (owner_) owner_->OnCommand(command);
        emit CommandChosen(command);
    }
}

void MenuButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QPalette& pal = palette();
    p.fillRect(r, pal.color(QPalette::Button));

    // A two-pixel three-dimensional edge: light above and left, dark below and right,
    // swapped while the menu is open.
    const bool sunken = pressed_ || isDown();
    const QColor outerTopLeft = sunken ? pal.color(QPalette::Shadow) : pal.color(QPalette::Light);
    const QColor innerTopLeft = sunken ? pal.color(QPalette::Dark) : pal.color(QPalette::Midlight);
    const QColor outerBottomRight = sunken ? pal.color(QPalette::Light) : pal.color(QPalette::Shadow);
    const QColor innerBottomRight = sunken ? pal.color(QPalette::Midlight) : pal.color(QPalette::Dark);
    auto edge = [&](int inset, const QColor& topLeft, const QColor& bottomRight) {
        const int l = inset, t = inset, rr = r.width() - 1 - inset, b = r.height() - 1 - inset;
        p.setPen(topLeft);
        p.drawLine(l, t, rr - 1, t);
        p.drawLine(l, t, l, b - 1);
        p.setPen(bottomRight);
        p.drawLine(l, b, rr, b);
        p.drawLine(rr, t, rr, b);
    };
    edge(0, outerTopLeft, outerBottomRight);
    edge(1, innerTopLeft, innerBottomRight);

    const int shift = sunken ? 1 : 0;
    const int arrowWidth = hasMenu_ ? 7 : 0;
    QRect content = r.adjusted(4 + shift, 3 + shift, -4 + shift - (hasMenu_ ? arrowWidth + 4 : 0), -3 + shift);

    // Picture and caption centred together.
    const QFontMetrics fm(font());
    const QString caption = text();
    const int textWidth = fm.horizontalAdvance(QString(caption).remove('&'));
    const int imageWidth = image_.isNull() ? 0 : image_.width();
    const int gap = (imageWidth && textWidth) ? 4 : 0;
    int x = content.left() + std::max(0, (content.width() - imageWidth - gap - textWidth) / 2);
    if (imageWidth) {
        p.drawPixmap(x, content.top() + (content.height() - image_.height()) / 2, image_);
        x += imageWidth + gap;
    }
    p.setPen(isEnabled() ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Disabled, QPalette::ButtonText));
    p.drawText(QRect(x, content.top(), content.right() - x + 1, content.height()),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, caption);

    if (hasMenu_) {
        // Rows of 1, 3, 5 and 7 pixels centred on one column, the single pixel at the bottom.
        const int cx = r.width() - 6 - arrowWidth / 2 + shift;
        const int bottom = r.height() / 2 + 2 + shift;
        p.setPen(isEnabled() ? pal.color(QPalette::ButtonText) : pal.color(QPalette::Disabled, QPalette::ButtonText));
        for (int row = 0; row < 4; ++row) p.drawLine(cx - row, bottom - row, cx + row, bottom - row);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

}  // namespace slidemill
