#include "shell/gui/AboutDialog.h"

#include <QLabel>
#include <QPushButton>

#include "resources/Artwork.h"
#include "resources/StringTable.h"
#include "shell/gui/DialogUnits.h"

namespace slidemill {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QString("About ") + strings::kProductName);
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.X(269), du.Y(85));

    auto* picture = new QLabel(this);
    const QRect pictureRect = du.Rect(11, 11, 40, 40);
    picture->setGeometry(pictureRect);
    picture->setPixmap(artwork::LoadBitmap(artwork::kBitmapPicture, pictureRect.size()));

    auto* name = new QLabel(QString(strings::kProductName) + " " + strings::kVersion, this);
    name->setObjectName("aboutName");
    name->setGeometry(du.Rect(62, 14, 190, 10));
    auto* line = new QLabel("Presentations to PDF, one page per selected slide.", this);
    line->setGeometry(du.Rect(62, 30, 190, 10));

    auto* ok = new QPushButton("OK", this);
    SetControlId(ok, 1);
    ok->setDefault(true);
    ok->setGeometry(du.Rect(212, 64, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace slidemill
