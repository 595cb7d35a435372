#pragma once
// The tabbed "Settings" dialog over a copy of the option set: Descriptions, Security,
// Watermark and Fonts. EditOptions is the main window's "Option" command.

#include <QDialog>

#include "shell/ConversionOptions.h"

class QTabWidget;
class QPushButton;

namespace slidemill {

class DescriptionsPage;
class SecurityPage;
class WatermarkPage;
class FontsPage;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdTabs = 1025;
    // The standard text of a number field that does not hold a number.
    static constexpr const char* kEnterNumberMessage = "Please enter a number.";

    explicit SettingsDialog(const ConversionOptions& options, QWidget* parent = nullptr);

    // The values as confirmed with OK.
    const ConversionOptions& Options() const { return options_; }

    QTabWidget* Tabs() const { return tabs_; }
    DescriptionsPage* Descriptions() const { return descriptions_; }
    SecurityPage* Security() const { return security_; }
    WatermarkPage* Watermark() const { return watermark_; }
    FontsPage* Fonts() const { return fonts_; }
    QPushButton* OkButton() const { return ok_; }

public slots:
    void accept() override;

private:
    ConversionOptions options_;
    QTabWidget* tabs_;
    DescriptionsPage* descriptions_;
    SecurityPage* security_;
    WatermarkPage* watermark_;
    FontsPage* fonts_;
    QPushButton* ok_;
};

// Runs the dialog over `options`. The three decoration texts of `options` are trimmed at
// both ends first, whatever the dialog's end. Returns true (and takes every value back)
// when the dialog ends with OK.
bool EditOptions(ConversionOptions& options, QWidget* parent);

// Removes white space at both ends.
std::string TrimText(const std::string& text);

}  // namespace slidemill
