#include "GuiTestSupport.h"

#include <QDir>
#include <QPushButton>
#include <QPixmap>

namespace slidemill::testing {

namespace {
int g_argc = 1;
char g_arg0[] = "test_shell_gui";
char* g_argv[] = {g_arg0, nullptr};
QApplication* g_app = nullptr;

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

void QtEnvironment::SetUp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    g_app = new QApplication(g_argc, g_argv);
}

void QtEnvironment::TearDown() {
    delete g_app;
    g_app = nullptr;
}

ModalDriver::ModalDriver(std::vector<ModalHandler> handlers) : handlers_(std::move(handlers)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
}

ModalDriver::~ModalDriver() { timer_.stop(); }

void ModalDriver::Poll() {
    if (handled_ >= int(handlers_.size())) return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible()) continue;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            const std::string text = box->text().toStdString();
            if (seen_.empty() || seen_.back() != text) seen_.push_back(text);
        }
        if (handlers_[handled_](w)) {
            ++handled_;
            return;
        }
    }
}

ModalHandler AnswerBox(const std::string& textPart, QMessageBox::StandardButton answer, BoxRecord* record) {
    return [=](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || box->text().toStdString().find(textPart) == std::string::npos) return false;
        if (record) {
            record->text = box->text().toStdString();
            record->caption = box->windowTitle().toStdString();
            record->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                         : QMessageBox::NoButton;
            record->hadIcon = box->icon() != QMessageBox::NoIcon;
        }
        QAbstractButton* button = box->button(answer);
        if (!button) return false;
        button->click();
        return true;
    };
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

std::string ScreenshotDir() { return qEnvironmentVariable("SLIDEMILL_SCREENSHOT_DIR").toStdString(); }

void SaveScreenshot(QWidget* w, const std::string& name) {
    const std::string dir = ScreenshotDir();
    if (dir.empty()) return;
    QDir().mkpath(QString::fromStdString(dir));
    w->grab().save(QString::fromStdString(dir + "/" + name + ".png"));
}

}  // namespace slidemill::testing
