#include "shell/gui/ProgressDialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "resources/Artwork.h"
#include "shell/Progress.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/IconProgressStrip.h"
#include "shell/gui/WaitDialog.h"

namespace slidemill {

namespace {
// Ticks since program start, modulo 100; only the GUI thread touches it.
int g_tickCounter = 0;

constexpr int kTimerPeriodMs = 50;
const QColor kStripBackground(0, 96, 96);
constexpr int kStripSpacing = 20;
}  // namespace

int ProgressDialog::TickCounter() { return g_tickCounter; }
void ProgressDialog::SetTickCounter(int value) { g_tickCounter = value; }

ProgressDialog::ProgressDialog(cWaitDlgThread* owner, ProgressMessage& progress,
                               std::shared_ptr<ProgressWindowState> state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), owner_(owner), progress_(progress),
      state_(std::move(state)) {
    setFont(DialogFont());
    setObjectName("ProgressDialog");
    const DialogUnits du(font());
    setFixedSize(du.X(315), du.Y(95));
    // A thin frame, since the window has no border of its own.
    setStyleSheet("QDialog#ProgressDialog { border: 1px solid palette(shadow); }");

    auto* picture = new QLabel(this);
    const QRect pictureRect = du.Rect(7, 7, 54, 54);
    picture->setGeometry(pictureRect);
    picture->setPixmap(artwork::LoadBitmap(artwork::kBitmapPicture, pictureRect.size()));

    messageLine_ = new QLabel(this);
    SetControlId(messageLine_, kIdProgressMessageLine);
    messageLine_->setObjectName("messageLine");
    messageLine_->setGeometry(du.Rect(72, 10, 234, 20));
    messageLine_->setWordWrap(true);
    messageLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    messageLine_->setTextFormat(Qt::PlainText);

    auto* placeholder = new QLabel(this);
    SetControlId(placeholder, kIdProgressStrip);
    placeholder->setGeometry(du.Rect(72, 36, 231, 15));

    stopButton_ = new QPushButton("Stop", this);
    SetControlId(stopButton_, kIdProgressStop);
    stopButton_->setObjectName("stopButton");
    stopButton_->setGeometry(du.Rect(256, 72, 50, 14));
    // Enter must not reach Stop through the default-button rule; Esc is handled below.
    stopButton_->setAutoDefault(false);
    stopButton_->setDefault(false);
    connect(stopButton_, &QPushButton::clicked, this, &ProgressDialog::OnStop);

    // Initialisation: the (empty) title text, the strip at 0 of 0-100, the timer.
    messageLine_->setText(QString::fromStdString(state_->TitleText()));
    strip_ = new IconProgressStrip(this);
    strip_->Create(kIdProgressStrip, this, artwork::kIconProgress, kStripSpacing, kStripBackground);
    strip_->setObjectName("iconStrip");
    strip_->SetRange(0, 100);
    strip_->SetPos(0);

    timer_ = new QTimer(this);
    timer_->setInterval(kTimerPeriodMs);
    connect(timer_, &QTimer::timeout, this, &ProgressDialog::OnTick);
    timer_->start();

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::OnTick() {
    if (closing_) return;
    const QString title = QString::fromStdString(state_->TitleText());
    messageLine_->setText(title);
    if (state_->finished.load()) {
        strip_->SetPos(100);
        messageLine_->setText(title);
        strip_->hide();
        if (state_->closeEvent.load()) {
            closing_ = true;
            done(QDialog::Accepted);
        }
        return;
    }
    messageLine_->setText(QString::fromStdString(progress_.Get()));
    // Activity, not the share of slides done: the strip fills in 100 ticks and starts again.
    ++g_tickCounter;
    strip_->SetPos(g_tickCounter);
    g_tickCounter %= 100;
    if (state_->closeEvent.load()) {
        closing_ = true;
        done(QDialog::Accepted);
    }
}

void ProgressDialog::OnStop() {
    state_->stoppedByUser.store(true);
    if (!progress_.StopRequested()) {
        progress_.RequestStop();
        // Blocks this window for half a second, then lets it close at the next tick.
        if (owner_ && owner_->Controller()) owner_->Controller()->EndWait();
    }
}

void ProgressDialog::SetStopCaption(const QString& caption) { stopButton_->setText(caption); }

void ProgressDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            // Esc means Stop: the stop flag stays with the job, and the window closes
            // the same way as after the button.
            OnStop();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter does nothing here, whatever has the focus.
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // Only the close event of the run closes the window; a request from outside (the
    // window manager) is taken as Stop.
    if (closing_) {
        event->accept();
        return;
    }
    event->ignore();
    OnStop();
}

void ProgressDialog::reject() {
    if (closing_) QDialog::reject();
}

}  // namespace slidemill
