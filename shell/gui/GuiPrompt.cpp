#include "shell/gui/GuiPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "shell/gui/GuiThread.h"

namespace slidemill {

namespace {
QString Caption(const std::string& caption) {
    return QString::fromStdString(caption.empty() ? std::string(kApplicationTitle) : caption);
}

// A wait cursor must not hide the arrow the user needs to answer.
class NormalCursor {
public:
    NormalCursor() : overridden_(QApplication::overrideCursor() != nullptr) {
        if (overridden_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor() {
        if (overridden_) QApplication::restoreOverrideCursor();
    }

private:
    bool overridden_;
};
}  // namespace

QString GuiPrompt::BoxText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    return s;
}

bool GuiPrompt::AskYesNo(const std::string& text, const std::string& caption, bool defaultYes) {
    return RunOnThreadOf(parent_, [&]() -> bool {
        NormalCursor cursor;
        QMessageBox box(QMessageBox::NoIcon, Caption(caption), BoxText(text), QMessageBox::Yes | QMessageBox::No,
                        parent_);
        box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
        box.setTextFormat(Qt::PlainText);
        return box.exec() == QMessageBox::Yes;
    });
}

void GuiPrompt::ShowMessage(const std::string& text, const std::string& caption) {
    RunOnThreadOf(parent_, [&] {
        NormalCursor cursor;
        QMessageBox box(QMessageBox::Warning, Caption(caption), BoxText(text), QMessageBox::Ok, parent_);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
}

}  // namespace slidemill
