// The Settings dialog over the option set: opening, the pages' rules, OK and Cancel.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "GuiTestSupport.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/SettingsDialog.h"
#include "shell/gui/SettingsPages.h"

namespace slidemill {
namespace {

using testing::AnswerBox;
using testing::ModalDriver;
using W = WatermarkPage;
using Sec = SecurityPage;

template <typename T>
T* Control(QWidget* page, int id) {
    T* control = FindControlAs<T>(page, id);
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
}

SettingsDialog* OpenSettings() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<SettingsDialog*>(w); d && d->isVisible()) return d;
    return nullptr;
}

// Runs EditOptions and lets `act` work on the open dialog.
bool RunEditOptions(ConversionOptions& options, const std::function<void(SettingsDialog&)>& act) {
    ModalDriver driver({[&](QWidget*) {
        SettingsDialog* d = OpenSettings();
        if (!d) return false;
        act(*d);
        return true;
    }});
    const bool ok = EditOptions(options, nullptr);
    EXPECT_EQ(driver.Handled(), 1);
    return ok;
}

TEST(SettingsDialog, FreshOptionsConfirmedUnchangedStayTheDefaults) {
    ConversionOptions options;
    bool headerChecked = true, headerEnabled = true, watermarkSizeEnabled = true;
    QString size;
    const bool ok = RunEditOptions(options, [&](SettingsDialog& d) {
        headerChecked = Control<QCheckBox>(d.Watermark(), W::kIdHeaderCheck)->isChecked();
        headerEnabled = Control<QLineEdit>(d.Watermark(), W::kIdHeaderText)->isEnabled();
        watermarkSizeEnabled = Control<QLineEdit>(d.Watermark(), W::kIdWatermarkSize)->isEnabled();
        size = Control<QLineEdit>(d.Watermark(), W::kIdWatermarkSize)->text();
        d.OkButton()->click();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(options, ConversionOptions{});
    EXPECT_FALSE(headerChecked);
    EXPECT_FALSE(headerEnabled);
    EXPECT_FALSE(watermarkSizeEnabled);
    EXPECT_EQ(size, "4");
}

TEST(SettingsDialog, TabsFramePagesAndImages) {
    SettingsDialog d(ConversionOptions{});
    QTabWidget* tabs = d.Tabs();
    ASSERT_EQ(tabs->count(), 4);
    const char* titles[] = {"Descriptions", "Security", "Watermark", "Fonts"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tabs->tabText(i), titles[i]);
        EXPECT_FALSE(tabs->tabIcon(i).isNull());
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(d.windowTitle(), "Settings");
    EXPECT_EQ(ControlId(tabs), 1025);
    d.show();
    // All four tabs show without scroll buttons.
    EXPECT_LE(tabs->tabBar()->sizeHint().width(), tabs->width());
    EXPECT_GE(d.minimumWidth(), tabs->tabBar()->sizeHint().width());
    // The hidden fields.
    EXPECT_TRUE(Control<QLineEdit>(d.Descriptions(), DescriptionsPage::kIdCreator)->isHidden());
    EXPECT_TRUE(Control<QLineEdit>(d.Security(), Sec::kIdOwnerPassword)->isHidden());
    testing::SaveScreenshot(&d, "settings-descriptions");
    for (int i = 1; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        testing::SaveScreenshot(&d, std::string("settings-") + titles[i]);
    }
}

TEST(SettingsDialog, DecorationTextsAreTrimmedAtOpeningEvenWhenCancelled) {
    ConversionOptions options;
    // Entered with blanks and confirmed: stored with its blanks.
    ASSERT_TRUE(RunEditOptions(options, [](SettingsDialog& d) {
        Control<QCheckBox>(d.Watermark(), W::kIdHeaderCheck)->click();
        Control<QLineEdit>(d.Watermark(), W::kIdHeaderText)->setText("  Quarterly  ");
        Control<QCheckBox>(d.Watermark(), W::kIdWatermarkCheck)->click();
        Control<QLineEdit>(d.Watermark(), W::kIdWatermarkText)->setText(" DRAFT\t");
        d.OkButton()->click();
    }));
    EXPECT_EQ(options.HeaderText, "  Quarterly  ");
    EXPECT_EQ(options.WatermarkText, " DRAFT\t");

    // Opened again and cancelled: the option set's texts have lost their blanks, and the
    // page showed the trimmed texts with their boxes ticked.
    QString shown;
    bool ticked = false;
    EXPECT_FALSE(RunEditOptions(options, [&](SettingsDialog& d) {
        shown = Control<QLineEdit>(d.Watermark(), W::kIdHeaderText)->text();
        ticked = Control<QCheckBox>(d.Watermark(), W::kIdHeaderCheck)->isChecked();
        Control<QLineEdit>(d.Watermark(), W::kIdHeaderText)->setText("changed");
        d.reject();
    }));
    EXPECT_EQ(shown, "Quarterly");
    EXPECT_TRUE(ticked);
    EXPECT_EQ(options.HeaderText, "Quarterly");
    EXPECT_EQ(options.WatermarkText, "DRAFT");

    // A text of blanks only is off after the trimming.
    options.FooterText = "   ";
    EXPECT_FALSE(RunEditOptions(options, [&](SettingsDialog& d) {
        ticked = Control<QCheckBox>(d.Watermark(), W::kIdFooterCheck)->isChecked();
        d.reject();
    }));
    EXPECT_FALSE(ticked);
    EXPECT_EQ(options.FooterText, "");
}

TEST(SettingsDialog, CancelKeepsEveryValue) {
    ConversionOptions options;
    options.Title = "T";
    options.Encrypt = true;
    options.UserPassword = "pw";
    options.OwnerPassword = "owner";
    options.FooterText = "foot";
    options.WatermarkSize = 7.25;
    const ConversionOptions before = options;
    EXPECT_FALSE(RunEditOptions(options, [](SettingsDialog& d) {
        Control<QLineEdit>(d.Descriptions(), DescriptionsPage::kIdTitle)->setText("other");
        Control<QCheckBox>(d.Security(), Sec::kIdEncrypt)->click();
        Control<QCheckBox>(d.Fonts(), FontsPage::kIdEmbedFonts)->click();
        Control<QLineEdit>(d.Watermark(), W::kIdWatermarkSize)->setText("1");
        d.reject();
    }));
    EXPECT_EQ(options, before);
}

TEST(SettingsDialog, ClearingPageFooterEmptiesItsTextAtOnceAndTurnsTheFooterOff) {
    ConversionOptions options;
    options.FooterText = "page ~page NO~";
    options.HeaderText = "kept";
    QString afterClear;
    bool editEnabled = true, insertEnabled = true;
    ASSERT_TRUE(RunEditOptions(options, [&](SettingsDialog& d) {
        auto* check = Control<QCheckBox>(d.Watermark(), W::kIdFooterCheck);
        ASSERT_TRUE(check->isChecked());
        check->click();
        afterClear = Control<QLineEdit>(d.Watermark(), W::kIdFooterText)->text();
        editEnabled = Control<QLineEdit>(d.Watermark(), W::kIdFooterText)->isEnabled();
        insertEnabled = Control<QComboBox>(d.Watermark(), W::kIdFooterInsert)->isEnabled();
        d.OkButton()->click();
    }));
    EXPECT_EQ(afterClear, "");
    EXPECT_FALSE(editEnabled);
    EXPECT_FALSE(insertEnabled);
    EXPECT_EQ(options.FooterText, "");
    EXPECT_EQ(options.HeaderText, "kept");
}

TEST(SettingsDialog, InsertEntriesAppendWhatFollowsTheirFirstColon) {
    const char* expected[] = {"~hour : mintute~", "~month, date year~",  "~year-month-date~",
                              "~month / date / year~", "~filename~", " ~page NO~"};
    SettingsDialog d(ConversionOptions{});
    auto* insert = Control<QComboBox>(d.Watermark(), W::kIdHeaderInsert);
    auto* header = Control<QLineEdit>(d.Watermark(), W::kIdHeaderText);
    ASSERT_EQ(insert->count(), 6);
    const char* entries[] = {"Time:~hour : mintute~",      "Date:~month, date year~", "Date:~year-month-date~",
                             "Date:~month / date / year~", "File name:~filename~",    "Page number: ~page NO~"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(insert->itemText(i), entries[i]);
        header->setText("x");
        emit insert->activated(i);
        EXPECT_EQ(header->text(), QString("x") + expected[i]) << i;
    }
    // The same entry again appends again; the footer's list feeds the footer only.
    header->setText("");
    emit insert->activated(4);
    emit insert->activated(4);
    EXPECT_EQ(header->text(), "~filename~~filename~");
    auto* footerInsert = Control<QComboBox>(d.Watermark(), W::kIdFooterInsert);
    auto* footer = Control<QLineEdit>(d.Watermark(), W::kIdFooterText);
    emit footerInsert->activated(5);
    EXPECT_EQ(footer->text(), " ~page NO~");
    EXPECT_EQ(header->text(), "~filename~~filename~");
    EXPECT_EQ(W::InsertedText("no colon"), "no colon");
}

TEST(SettingsDialog, PositionListsHoldTheirNamesAndRoundTrip) {
    ConversionOptions options;
    options.HeaderText = "h";
    options.HeaderPosition = 2;
    options.FooterPosition = 1;
    options.WatermarkPosition = 5;
    SettingsDialog d(options);
    auto* header = Control<QComboBox>(d.Watermark(), W::kIdHeaderPosition);
    auto* watermark = Control<QComboBox>(d.Watermark(), W::kIdWatermarkPosition);
    EXPECT_EQ(header->currentText(), "Right");
    EXPECT_EQ(Control<QComboBox>(d.Watermark(), W::kIdFooterPosition)->currentText(), "Center");
    EXPECT_EQ(watermark->currentText(), "Right");
    QStringList names;
    for (int i = 0; i < watermark->count(); ++i) names << watermark->itemText(i);
    EXPECT_EQ(names, QStringList({"Left-Top", "Top", "Right-Top", "Left", "Center", "Right"}));
    EXPECT_FALSE(watermark->isEditable());
    watermark->setCurrentIndex(1);
    d.accept();
    EXPECT_EQ(d.Options().WatermarkPosition, 1);
    EXPECT_EQ(d.Options().HeaderPosition, 2);
}

TEST(SettingsDialog, WatermarkSizeShowsInShortestFormAndRejectsWhatIsNoNumber) {
    struct Shown {
        double value;
        const char* text;
    } shown[] = {{4.0, "4"}, {2.5, "2.5"}, {0.1, "0.1"}, {12.125, "12.125"}, {1e-20, "1e-20"}, {-3, "-3"}};
    for (const Shown& s : shown) EXPECT_EQ(W::FormatSize(s.value), s.text);
    struct Read {
        const char* text;
        bool ok;
        double value;
    } reads[] = {{"4", true, 4},       {" 5.5 ", true, 5.5}, {"1e1", true, 10}, {"", false, 0},
                 {"abc", false, 0},    {"4mm", false, 0},    {"nan", false, 0}, {"inf", false, 0},
                 {"4,5", false, 0}};
    for (const Read& r : reads) {
        double v = -1;
        EXPECT_EQ(W::ParseSize(r.text, v), r.ok) << r.text;
        if (r.ok) {
            EXPECT_DOUBLE_EQ(v, r.value) << r.text;
        }
    }

    // Through the dialog: OK with a bad size says so, stays open on the size field and
    // keeps what was typed; a good size then goes through.
    ConversionOptions options;
    options.WatermarkText = "old";
    testing::BoxRecord box;
    bool stillOpen = false, sizeFocused = false;
    QString keptText;
    ASSERT_TRUE(RunEditOptions(options, [&](SettingsDialog& d) {
        d.Tabs()->setCurrentIndex(0);
        Control<QLineEdit>(d.Watermark(), W::kIdWatermarkText)->setText("new");
        auto* size = Control<QLineEdit>(d.Watermark(), W::kIdWatermarkSize);
        size->setText("big");
        {
            ModalDriver answer({AnswerBox("Please enter a number.", QMessageBox::Ok, &box)});
            d.OkButton()->click();
        }
        stillOpen = d.isVisible();
        sizeFocused = d.Tabs()->currentWidget() == d.Watermark() && d.focusWidget() == size;
        keptText = Control<QLineEdit>(d.Watermark(), W::kIdWatermarkText)->text();
        size->setText("6.5");
        d.OkButton()->click();
    }));
    EXPECT_EQ(box.text, "Please enter a number.");
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(sizeFocused);
    EXPECT_EQ(keptText, "new");
    EXPECT_DOUBLE_EQ(options.WatermarkSize, 6.5);
    EXPECT_EQ(options.WatermarkText, "new");
}

TEST(SettingsDialog, SecurityControlsFollowTheEncryptBox) {
    ConversionOptions options;
    options.KeyLength128 = false;
    options.OwnerPassword = "owner";
    ASSERT_TRUE(RunEditOptions(options, [](SettingsDialog& d) {
        QWidget* page = d.Security();
        const int dependent[] = {Sec::kIdAllowPrint, Sec::kIdAllowCopy,  Sec::kIdAllowModify, Sec::kIdLevel40,
                                 Sec::kIdLevel128,   Sec::kIdUserPassword, Sec::kIdOwnerPassword};
        for (int id : dependent) EXPECT_FALSE(FindControl(page, id)->isEnabled()) << id;
        EXPECT_TRUE(Control<QRadioButton>(page, Sec::kIdLevel40)->isChecked());
        Control<QCheckBox>(page, Sec::kIdEncrypt)->click();
        for (int id : dependent) EXPECT_TRUE(FindControl(page, id)->isEnabled()) << id;
        Control<QCheckBox>(page, Sec::kIdAllowCopy)->click();
        Control<QRadioButton>(page, Sec::kIdLevel128)->click();
        Control<QLineEdit>(page, Sec::kIdUserPassword)->setText("secret");
        Control<QCheckBox>(d.Fonts(), FontsPage::kIdEmbedFonts)->click();
        Control<QLineEdit>(d.Descriptions(), DescriptionsPage::kIdKeywords)->setText("k1; k2");
        d.OkButton()->click();
    }));
    EXPECT_TRUE(options.Encrypt);
    EXPECT_FALSE(options.AllowPrint);
    EXPECT_TRUE(options.AllowCopy);
    EXPECT_FALSE(options.AllowModify);
    EXPECT_TRUE(options.KeyLength128);
    EXPECT_EQ(options.UserPassword, "secret");
    EXPECT_EQ(options.OwnerPassword, "owner");
    EXPECT_TRUE(options.EmbedFonts);
    EXPECT_EQ(options.Keywords, "k1; k2");
    EXPECT_EQ(PermissionBits(options), 0xF30u);
}

TEST(SettingsDialog, EnterIsSwallowedOnThreePagesButConfirmsOnTheWatermarkPage) {
    struct Case {
        int tab;
        int id;  // an edit or box of that page
        bool closes;
    } cases[] = {{0, DescriptionsPage::kIdTitle, false},
                 {1, Sec::kIdEncrypt, false},
                 {3, FontsPage::kIdEmbedFonts, false},
                 {2, W::kIdWatermarkSize, true}};
    for (const Case& c : cases) {
        SettingsDialog d(ConversionOptions{});
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.Tabs()->setCurrentIndex(c.tab);
        QWidget* target = FindControl(d.Tabs()->currentWidget(), c.id);
        ASSERT_NE(target, nullptr);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        EXPECT_EQ(d.isVisible(), !c.closes) << "tab " << c.tab;
        EXPECT_EQ(d.result() == QDialog::Accepted, c.closes) << "tab " << c.tab;
    }
}

}  // namespace
}  // namespace slidemill
