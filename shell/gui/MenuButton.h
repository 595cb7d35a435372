#pragma once
// A push button that carries a popup menu: pressed, it opens the menu right under itself
// and hands the chosen entry's command id to its owner. It draws itself: button face,
// raised (sunken while the menu is open) edge, its picture with the transparent colour
// masked out, the caption, the focus rectangle and a small down arrow when it has a menu.

#include <QColor>
#include <QPixmap>
#include <QPushButton>
#include <QString>

class QMenu;

namespace slidemill {

// Receives the command ids of menu entries.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    virtual void OnCommand(int commandId) = 0;
};

// Menu entry flags, as for a standard menu append.
constexpr unsigned kMenuString = 0x0;
constexpr unsigned kMenuGrayed = 0x1;
constexpr unsigned kMenuDisabled = 0x2;
constexpr unsigned kMenuChecked = 0x8;
constexpr unsigned kMenuSeparator = 0x800;

class MenuButton : public QPushButton {
    Q_OBJECT
public:
    explicit MenuButton(QWidget* parent = nullptr);
    ~MenuButton() override;

    // Takes over the place, caption and id of an existing control of `parent`, which it
    // replaces. Returns false when `parent` has no control with that id.
    bool Attach(int controlId, QWidget* parent);
    void SetOwner(ICommandTarget* owner) { owner_ = owner; }
    // The picture is `bitmap` with every pixel of `transparent` masked out.
    void SetBitmap(int bitmapId, const QColor& transparent);
    void SetBitmap(const QPixmap& bitmap, const QColor& transparent);
    // Appends an entry (a separator when `flags` has kMenuSeparator). Returns false when
    // nothing could be appended (an entry without text that is not a separator).
    bool AddMenuItem(int commandId, const QString& text, unsigned flags = kMenuString);

    bool HasMenu() const { return hasMenu_; }
    bool IsPressed() const { return pressed_; }
    QMenu* Menu() const { return menu_; }
    QSize sizeHint() const override;

signals:
    // Emitted with the chosen entry's command id, after the owner has had it.
    void CommandChosen(int commandId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenMenu();

    QMenu* menu_;
    bool hasMenu_ = false;
    ICommandTarget* owner_ = nullptr;
    QPixmap image_;
    bool pressed_ = false;
};

}  // namespace slidemill
