#pragma once
// The About box: the product's picture, its name with the version, and OK.

#include <QDialog>

namespace slidemill {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace slidemill
