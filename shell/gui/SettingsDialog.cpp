#include "shell/gui/SettingsDialog.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "resources/Artwork.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/SettingsPages.h"

namespace slidemill {

std::string TrimText(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

SettingsDialog::SettingsDialog(const ConversionOptions& options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      options_(options) {
    setWindowTitle("Settings");
    setFont(DialogFont());
    const DialogUnits du(font());

    tabs_ = new QTabWidget(this);
    SetControlId(tabs_, kIdTabs);
    tabs_->tabBar()->setUsesScrollButtons(false);
    tabs_->tabBar()->setExpanding(false);

    // The pages are made in this order: Descriptions, Security, Watermark, Fonts.
    descriptions_ = new DescriptionsPage;
    security_ = new SecurityPage;
    watermark_ = new WatermarkPage;
    fonts_ = new FontsPage;

    // Tab images: a strip of four 16 x 16 pictures with white as the transparent colour;
    // the tabs show images 1, 0, 3 and 2.
    const QPixmap strip = artwork::MaskedBitmap(artwork::LoadBitmap(artwork::kBitmapTabImages), Qt::white);
    auto image = [&strip](int i) { return QIcon(strip.copy(i * 16, 0, 16, 16)); };
    tabs_->setIconSize(QSize(16, 16));
    tabs_->addTab(descriptions_, image(1), "Descriptions");
    tabs_->addTab(security_, image(0), "Security");
    tabs_->addTab(watermark_, image(3), "Watermark");
    tabs_->addTab(fonts_, image(2), "Fonts");
    tabs_->setCurrentIndex(0);

    ok_ = new QPushButton("OK", this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    SetControlId(ok_, 1);
    SetControlId(cancel, 2);
    connect(ok_, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);

    // Frame: the tab control with the pages in its display area, OK and Cancel below.
    tabs_->adjustSize();
    const QSize tabsSize = tabs_->sizeHint().expandedTo(QSize(du.X(276), du.Y(200)));
    tabs_->setGeometry(QRect(QPoint(du.X(7), du.Y(7)), tabsSize));
    const int buttonsTop = tabs_->geometry().bottom() + 1 + du.Y(6);
    const int right = tabs_->geometry().right() + 1;
    cancel->setGeometry(right - du.X(50), buttonsTop, du.X(50), du.Y(14));
    ok_->setGeometry(right - du.X(104), buttonsTop, du.X(50), du.Y(14));
    // Wide enough that all four tabs show without scrolling.
    const int width = std::max(right + du.X(7), tabs_->tabBar()->sizeHint().width() + du.X(14));
    setMinimumWidth(width);
    setFixedSize(width, buttonsTop + du.Y(14) + du.Y(7));

    descriptions_->Load(options_);
    security_->Load(options_);
    watermark_->Load(options_);
    fonts_->Load(options_);
}

void SettingsDialog::accept() {
    ConversionOptions confirmed = options_;
    security_->Store(confirmed);
    descriptions_->Store(confirmed);
    if (!watermark_->Store(confirmed)) {
        // Not a number: say so and stay open on the size field, so that nothing the user
        // typed on the page is lost.
        QMessageBox box(QMessageBox::Warning, windowTitle(), kEnterNumberMessage, QMessageBox::Ok, this);
        box.exec();
        tabs_->setCurrentWidget(watermark_);
        watermark_->SizeEdit()->setFocus();
        watermark_->SizeEdit()->selectAll();
        return;
    }
    fonts_->Store(confirmed);
    options_ = confirmed;
    QDialog::accept();
}

bool EditOptions(ConversionOptions& options, QWidget* parent) {
    // The option set's own texts are trimmed, even when the dialog is then cancelled.
    options.HeaderText = TrimText(options.HeaderText);
    options.FooterText = TrimText(options.FooterText);
    options.WatermarkText = TrimText(options.WatermarkText);
    SettingsDialog dialog(options, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    options = dialog.Options();
    return true;
}

}  // namespace slidemill
