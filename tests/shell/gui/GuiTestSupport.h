#pragma once
// Qt under GoogleTest: one QApplication for the whole test program (offscreen unless a
// display is asked for), and a driver that answers modal windows as a user would, by
// polling the top-level windows while the code under test sits in its modal loop.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace slidemill::testing {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// Handles one kind of modal window: returns true when it has dealt with `w`.
using ModalHandler = std::function<bool(QWidget* w)>;

// Polls every 20 ms while alive; each handler is used at most once, in order.
class ModalDriver {
public:
    explicit ModalDriver(std::vector<ModalHandler> handlers);
    ~ModalDriver();
    // Handlers used so far.
    int Handled() const { return handled_; }
    // Texts of the message boxes seen, in order.
    const std::vector<std::string>& Seen() const { return seen_; }

private:
    void Poll();
    std::vector<ModalHandler> handlers_;
    int handled_ = 0;
    std::vector<std::string> seen_;
    QTimer timer_;
};

// A handler that answers the next message box whose text contains `textPart` with the
// button `answer`; the box's text, caption and default button are recorded.
struct BoxRecord {
    std::string text;
    std::string caption;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool hadIcon = false;
};
ModalHandler AnswerBox(const std::string& textPart, QMessageBox::StandardButton answer, BoxRecord* record = nullptr);

// Processes events until `done` holds or the time runs out; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

// Where screenshots go when SLIDEMILL_SCREENSHOT_DIR is set; empty otherwise.
std::string ScreenshotDir();
void SaveScreenshot(QWidget* w, const std::string& name);

}  // namespace slidemill::testing
