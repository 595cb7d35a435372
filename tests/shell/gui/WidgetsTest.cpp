// The menu button and the icon strip, driven as real widgets.

#include <QMenu>
#include <QPainter>
#include <QTest>

#include "GuiTestSupport.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/IconProgressStrip.h"
#include "shell/gui/MenuButton.h"

namespace slidemill {
namespace {

using testing::ModalDriver;

QPixmap SolidIcon(int size) {
    QPixmap icon(size, size);
    icon.fill(Qt::red);
    return icon;
}

TEST(IconProgressStrip, CapacityIsTheFirstCountOfSpacingsThatReachesTheEnd) {
    struct Case {
        int icon, spacing, length, capacity;
    } cases[] = {
        {32, 20, 346, 16},  // 32 + 16 * 20 = 352 is the first to reach 346
        {32, 20, 352, 16},  // exactly reached
        {32, 20, 353, 17},
        {16, 20, 216, 10},
        {32, 20, 52, 1},    // one icon plus one spacing: a single position
        {32, 20, 40, 1},
        {32, 20, 10, 1},    // shorter than the icon itself
        {16, 1, 26, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IconProgressStrip::ComputeCapacity(c.icon, c.spacing, c.length), c.capacity)
            << c.icon << " + n * " << c.spacing << " >= " << c.length;
    }
}

TEST(IconProgressStrip, VisibleCountOfCapacityTenOverZeroToHundred) {
    struct Case {
        int position, visible;
    } cases[] = {{0, 0}, {10, 0}, {11, 1}, {20, 1}, {21, 2}, {50, 4}, {99, 9}, {100, 10}};
    for (const Case& c : cases)
        EXPECT_EQ(IconProgressStrip::ComputeVisibleCount(0, 100, c.position, 10), c.visible) << c.position;
}

TEST(IconProgressStrip, WidgetClampsPositionsAndDrawsTheVisibleIcons) {
    QWidget parent;
    IconProgressStrip strip(&parent);
    // 16 px icons, spacing 20 over 216 px: capacity 10.
    strip.Setup(QRect(0, 0, 216, 20), SolidIcon(16), 20, QColor(0, 96, 96));
    ASSERT_TRUE(strip.IsHorizontal());
    ASSERT_EQ(strip.Capacity(), 10);
    strip.SetRange(0, 100);

    EXPECT_EQ(strip.SetPos(10), 0);
    EXPECT_EQ(strip.VisibleCount(), 0);
    EXPECT_EQ(strip.SetPos(11), 10);
    EXPECT_EQ(strip.VisibleCount(), 1);
    strip.SetPos(100);
    EXPECT_EQ(strip.VisibleCount(), 10);
    strip.SetPos(250);
    EXPECT_EQ(strip.Pos(), 100);
    strip.SetPos(-5);
    EXPECT_EQ(strip.Pos(), 0);

    // Three icons at 0, 20 and 40 on the background, nothing beyond.
    strip.SetPos(31);
    ASSERT_EQ(strip.VisibleCount(), 3);
    const QImage image = strip.grab().toImage();
    EXPECT_EQ(image.pixelColor(8, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(48, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(70, 10), QColor(0, 96, 96));
    EXPECT_EQ(image.pixelColor(200, 10), QColor(0, 96, 96));
    EXPECT_EQ(image.pixelColor(18, 10), QColor(0, 96, 96));  // the gap between two icons

    // Narrowing the range pulls the position in.
    strip.SetRange(0, 20);
    EXPECT_EQ(strip.Pos(), 20);
    EXPECT_EQ(strip.VisibleCount(), 10);
}

TEST(IconProgressStrip, TallStripRunsDownwardsAndZeroSpacingCountsAsOne) {
    QWidget parent;
    IconProgressStrip strip(&parent);
    strip.Setup(QRect(0, 0, 20, 100), SolidIcon(16), 0, Qt::black);
    EXPECT_FALSE(strip.IsHorizontal());
    EXPECT_EQ(strip.Capacity(), 84);  // 16 + 84 * 1 >= 100
}

TEST(IconProgressStrip, CreateTakesThePlaceholdersPlace) {
    QWidget parent;
    auto* placeholder = new QWidget(&parent);
    SetControlId(placeholder, 2006);
    placeholder->setGeometry(10, 20, 300, 26);
    auto* strip = new IconProgressStrip(&parent);
    ASSERT_TRUE(strip->Create(2006, &parent, 137, 20, QColor(0, 96, 96)));
    EXPECT_EQ(strip->geometry(), QRect(10, 20, 300, 26));
    EXPECT_TRUE(placeholder->isHidden());
    EXPECT_GE(strip->Capacity(), 1);
    EXPECT_FALSE(IconProgressStrip(&parent).Create(9999, &parent, 137, 20, Qt::black));
}

struct RecordingTarget : ICommandTarget {
    std::vector<int> commands;
    void OnCommand(int id) override { commands.push_back(id); }
};

QMenu* OpenMenu() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* menu = qobject_cast<QMenu*>(w); menu && menu->isVisible()) return menu;
    return nullptr;
}

TEST(MenuButton, PressOpensTheMenuUnderTheButtonAndTheOwnerGetsTheCommand) {
    QWidget window;
    window.resize(300, 200);
    auto* button = new MenuButton(&window);
    button->setText("Help");
    button->setGeometry(20, 40, 80, 24);
    RecordingTarget owner;
    button->SetOwner(&owner);
    ASSERT_FALSE(button->HasMenu());
    ASSERT_TRUE(button->AddMenuItem(114, "About"));
    ASSERT_TRUE(button->AddMenuItem(0, QString(), kMenuSeparator));
    ASSERT_TRUE(button->AddMenuItem(116, "Help"));
    EXPECT_FALSE(button->AddMenuItem(117, QString()));
    EXPECT_TRUE(button->HasMenu());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QPoint menuAt;
    bool pressedWhileOpen = false;
    ModalDriver driver({[&](QWidget*) {
        QMenu* menu = OpenMenu();
        if (!menu) return false;
        menuAt = menu->pos();
        pressedWhileOpen = button->IsPressed();
        QAction* help = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == "Help") help = a;
        if (!help) return false;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(help).center());
        return true;
    }});
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(driver.Handled(), 1);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_FALSE(button->IsPressed());
    EXPECT_EQ(menuAt, button->mapToGlobal(QPoint(0, button->height())));
    ASSERT_FALSE(owner.commands.empty());
    EXPECT_EQ(owner.commands.back(), 116);
}

TEST(MenuButton, WithoutMenuItIsAPlainButton) {
    QWidget window;
    auto* button = new MenuButton(&window);
    button->setGeometry(0, 0, 80, 24);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST(MenuButton, DrawsTheArrowOnlyWithAMenuAndMasksThePicturesTransparentColour) {
    QWidget window;
    auto* plain = new MenuButton(&window);
    plain->setGeometry(0, 0, 80, 24);
    auto* withMenu = new MenuButton(&window);
    withMenu->setGeometry(0, 30, 80, 24);
    withMenu->AddMenuItem(1, "x");
    QPixmap picture(16, 16);
    picture.fill(QColor(255, 0, 255));
    {
        QPainter p(&picture);
        p.fillRect(6, 6, 4, 4, Qt::blue);
    }
    for (MenuButton* b : {plain, withMenu}) b->SetBitmap(picture, QColor(255, 0, 255));

    const QImage a = plain->grab().toImage();
    const QImage b = withMenu->grab().toImage();
    auto countColour = [](const QImage& image, QColor colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
        return n;
    };
    EXPECT_EQ(countColour(a, QColor(255, 0, 255)), 0);
    EXPECT_EQ(countColour(b, QColor(255, 0, 255)), 0);
    EXPECT_EQ(countColour(a, QColor(Qt::blue)), 16);

    // The arrow: rows of 7, 5, 3 and 1 pixels in the button text colour, right of centre.
    const QColor ink = withMenu->palette().color(QPalette::ButtonText);
    const int cx = withMenu->width() - 6 - 3;
    const int bottom = withMenu->height() / 2 + 2;
    for (int row = 0; row < 4; ++row) {
        for (int dx = -row; dx <= row; ++dx)
            EXPECT_EQ(b.pixelColor(cx + dx, bottom - row), ink) << row << "," << dx;
        EXPECT_NE(b.pixelColor(cx - row - 1, bottom - row), ink) << row;
    }
    EXPECT_NE(a.pixelColor(cx, bottom), ink);
}

TEST(MenuButton, AttachReplacesTheControl) {
    QWidget window;
    auto* original = new QPushButton("Help", &window);
    SetControlId(original, 1008);
    original->setGeometry(5, 6, 70, 20);
    auto* button = new MenuButton(&window);
    ASSERT_TRUE(button->Attach(1008, &window));
    EXPECT_EQ(button->geometry(), QRect(5, 6, 70, 20));
    EXPECT_EQ(button->text(), "Help");
    EXPECT_EQ(ControlId(button), 1008);
}

}  // namespace
}  // namespace slidemill
