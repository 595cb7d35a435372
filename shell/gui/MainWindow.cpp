#include "shell/gui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

#include "resources/Artwork.h"
#include "resources/StringTable.h"
#include "shell/DocumentSummary.h"
#include "shell/gui/AboutDialog.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/GuiThread.h"
#include "shell/gui/SettingsDialog.h"
#include "shell/gui/WaitDialog.h"

namespace slidemill {

namespace {

// The wait cursor for as long as the object lives, or until Release.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { Release(); }
    void Release() {
        if (active_) QApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

}  // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)), prompt_(this), waitDialog_(new cWaitDialog(this)) {
    if (!services_.runConversion) services_.runConversion = RunConversion;
    if (!services_.openUrl) services_.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    setObjectName("MainWindow");
    setWindowTitle(strings::kProductName);
    setFont(DialogFont());
    BuildControls();

    // Window icon, the Help menu (About, Help; and the About entry the title bar's menu
    // would carry elsewhere), "ALL pages" with the range field disabled.
    setWindowIcon(artwork::LoadIcon(artwork::kIconApp));
    helpButton_->SetOwner(this);
    helpButton_->SetBitmap(artwork::kBitmapHelpButton, QColor(255, 0, 255));
    helpButton_->AddMenuItem(kCmdAbout, strings::LoadString(strings::kAboutId));
    helpButton_->AddMenuItem(kCmdHelp, strings::LoadString(strings::kHelpId));
    const QString aboutEntry = strings::LoadString(strings::kAboutMenuId);
    if (!aboutEntry.isEmpty()) {
        helpButton_->AddMenuItem(0, QString(), kMenuSeparator);
        helpButton_->AddMenuItem(kCmdAboutBox, aboutEntry);
    }
    allPages_->setChecked(true);
    SetRangeMode(PageRange::kAllPages);
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    const DialogUnits du(font());
    setFixedSize(du.X(481), du.Y(303));

    auto place = [&du](QWidget* w, int id, int x, int y, int width, int height) {
        w->setGeometry(du.Rect(x, y, width, height));
        if (id) SetControlId(w, id);
        return w;
    };
    auto etched = [&](int x, int y, int width) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        // An etched line is two pixels high whatever the unit.
        line->setGeometry(du.X(x), du.Y(y), du.X(width), 2);
        return line;
    };
    auto label = [&](const char* text, int x, int y, int width, int height) {
        return place(new QLabel(text, this), 0, x, y, width, height);
    };

    // The banner fills the window's top; the line under it marks its lower edge.
    auto* banner = new QLabel(this);
    place(banner, 0, 0, 0, 480, 71);
    banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    banner->setPixmap(artwork::LoadBitmap(artwork::kBitmapBanner, QSize(du.X(481), du.Y(55))));
    etched(1, 55, 480);

    label("Select file", 20, 69, 45, 8);
    etched(65, 74, 410);
    label("Input powerpoint file:", 77, 92, 89, 8);
    sourceEdit_ = new QLineEdit(this);
    sourceEdit_->setObjectName("sourceEdit");
    place(sourceEdit_, kIdSourcePath, 76, 105, 368, 13);
    auto* pickSource = new QPushButton("...", this);
    place(pickSource, kIdPickSource, 445, 104, 15, 14);
    label("Output pdf file:", 76, 137, 65, 8);
    outputEdit_ = new QLineEdit(this);
    outputEdit_->setObjectName("outputEdit");
    place(outputEdit_, kIdOutputPath, 76, 150, 370, 13);
    auto* pickOutput = new QPushButton("...", this);
    place(pickOutput, kIdPickOutput, 445, 149, 15, 14);

    label("Page range", 20, 177, 41, 8);
    etched(68, 181, 406);
    allPages_ = new QRadioButton("ALL pages", this);
    place(allPages_, kIdAllPages, 76, 193, 52, 10);
    listedPages_ = new QRadioButton("Pages", this);
    place(listedPages_, kIdPages, 76, 217, 36, 10);
    rangeEdit_ = new QLineEdit(this);
    rangeEdit_->setObjectName("rangeEdit");
    place(rangeEdit_, kIdRangeText, 118, 217, 342, 14);
    label("Enter page numbers and/or page ranges separated by commas, for example, 1,3,5-12.", 118, 240, 325, 8);
    etched(0, 266, 481);

    helpButton_ = new MenuButton(this);
    helpButton_->setText(strings::kHelp);
    place(helpButton_, kIdHelpButton, 20, 274, 50, 14);
    auto* option = new QPushButton("Option", this);
    place(option, kIdOption, 306, 274, 50, 14);
    convertButton_ = new QPushButton("Convert", this);
    place(convertButton_, kIdConvert, 358, 274, 50, 14);
    convertButton_->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    place(cancel, kIdCancel, 410, 274, 50, 14);
    for (QPushButton* b : {pickSource, pickOutput, option, cancel}) b->setAutoDefault(false);

    connect(pickSource, &QPushButton::clicked, this, [this] { PickInput(); });
    connect(pickOutput, &QPushButton::clicked, this, [this] { PickOutput(); });
    connect(allPages_, &QRadioButton::clicked, this, [this] { SetRangeMode(PageRange::kAllPages); });
    connect(listedPages_, &QRadioButton::clicked, this, [this] { SetRangeMode(PageRange::kListedPages); });
    connect(option, &QPushButton::clicked, this, [this] { EditOptionsCommand(); });
    connect(convertButton_, &QPushButton::clicked, this, [this] { Convert(); });
    connect(cancel, &QPushButton::clicked, this, &MainWindow::reject);
}

void MainWindow::SetRangeMode(int mode) {
    pages_.SetRangeMode(mode);
    rangeEdit_->setEnabled(mode == PageRange::kListedPages);
}

void MainWindow::TakeFields() {
    sourcePath_ = sourceEdit_->text().toStdString();
    outputPath_ = outputEdit_->text().toStdString();
    pages_.SetRangeText(rangeEdit_->text().toStdString());
}

void MainWindow::ShowFields() {
    sourceEdit_->setText(QString::fromStdString(sourcePath_));
    outputEdit_->setText(QString::fromStdString(outputPath_));
    rangeEdit_->setText(QString::fromStdString(pages_.RangeText()));
}

std::string MainWindow::DeriveOutputPath(const std::string& sourcePath, const std::string& current) {
    const size_t dot = sourcePath.rfind('.');
    if (dot == std::string::npos) return current;
    return sourcePath.substr(0, dot) + ".pdf";
}

QString MainWindow::PickFile(const QString& caption, const QString& filter, const QString& suffix,
                             const QString& start) {
    QFileDialog dialog(this, caption, start, filter);
    dialog.setObjectName("fileDialog");
    // An open dialog in which a new name may be typed as well.
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (!services_.nativeFileDialogs) dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!start.isEmpty() && !QFileInfo(start).isDir()) dialog.selectFile(start);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void MainWindow::PickInput() {
    TakeFields();
    // The platform's file names are case-sensitive: both spellings of the extension.
    const QString chosen =
        PickFile("Open", "Powerpoint files (*.PPT *.ppt)", "PPT", QString::fromStdString(sourcePath_));
    if (chosen.isEmpty()) return;
    SetPickedInput(QDir::toNativeSeparators(chosen).toStdString());
}

void MainWindow::SetPickedInput(const std::string& path) {
    sourcePath_ = path;
    outputPath_ = DeriveOutputPath(sourcePath_, outputPath_);
    ShowFields();
    ReadPresentationSummary();
    ShowFields();
}

void MainWindow::ReadPresentationSummary() {
    if (!ConfirmOutputOverwrite(outputPath_, prompt_)) return;
    WaitCursor wait;
    PresentationAppFactory* factory = FactoryFor(sourcePath_);
    try {
        // Starts the application, opens the presentation, reads and asks it to quit (after
        // a failure as well, so that no instance stays behind the window).
        std::optional<DocumentSummary> summary =
            factory ? ReadDocumentSummary(*factory, sourcePath_) : std::nullopt;
        wait.Release();
        if (!summary) {
            prompt_.ShowMessage(strings::kNoApplication, "");
            return;
        }
        ApplyDocumentSummary(*summary, options_, pages_);
    } catch (const std::exception& e) {
        wait.Release();
        prompt_.ShowMessage(e.what(), "");
    }
}

void MainWindow::PickOutput() {
    TakeFields();
    const QString chosen = PickFile("Open", "PDF files (*.PDF *.pdf)", "PDF", QString::fromStdString(outputPath_));
    if (chosen.isEmpty()) return;
    outputPath_ = QDir::toNativeSeparators(chosen).toStdString();
    ShowFields();
}

void MainWindow::EditOptionsCommand() { EditOptions(options_, this); }

void MainWindow::Convert() {
    if (converting_) return;
    TakeFields();
    if (sourcePath_.empty()) {
        prompt_.ShowMessage(strings::kInvalidInput, "");
        return;
    }
    if (outputPath_.empty()) {
        prompt_.ShowMessage(strings::kInvalidOutput, "");
        return;
    }
    pages_.ParsePageRange();

    ConversionRequest request{sourcePath_, outputPath_, options_, pages_};
    Clipboard& clipboard = services_.clipboard ? *services_.clipboard : clipboard_;
    progress_.ResetStop();
    progress_.Set(std::string());

    // Without a metafile document no capture can be opened; the job then ends at the
    // first slide as it does for an unreadable capture.
    struct NoPictures : ISlidePictureSource {
        uint32_t OpenFile(const std::string&) override { return 0; }
        IPagePlayback& FirstPage() override { throw std::logic_error("no picture"); }
    } noPictures;
    struct NoApplication : PresentationAppFactory {
        std::unique_ptr<PresentationApp> Create() override { return nullptr; }
    } noApplication;

    PresentationAppFactory* factory = FactoryFor(sourcePath_);
    ConversionServices services{factory ? *factory : noApplication,
                                clipboard,
                                services_.pictures ? *services_.pictures : noPictures,
                                prompt_,
                                progress_};
    services.display = waitDialog_;
    services.makeWriter = services_.makeWriter ? services_.makeWriter : JobWriterFactory(MakePdfJobWriter);
    services.releaseSharedFontCollection = services_.releaseSharedFontCollection;
    services.temporaryFolder = services_.temporaryFolder;
    services.launchViewer = [this](const std::string& path) {
        return RunOnThreadOf(this, [&] { return OpenUrl(QUrl::fromLocalFile(QString::fromStdString(path))); });
    };

    // The job runs on a worker; this window takes no input until it has ended, while the
    // progress window and the job's questions stay live.
    converting_ = true;
    setEnabled(false);
    ConversionResult result;
    QEventLoop loop;
    QThread* worker = QThread::create([&] {
        try {
            result = services_.runConversion(request, services);
        } catch (const std::exception& e) {
            result.outcome = ConversionOutcome::WriteFailed;
            result.message = e.what();
            prompt_.ShowMessage(e.what(), "");
        }
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    setEnabled(true);
    converting_ = false;
    lastResult_ = result;
    activateWindow();
}

void MainWindow::ShowAbout() {
    AboutDialog about(this);
    about.exec();
}

QString MainWindow::HelpFilePath() const {
    if (!services_.helpPath.isEmpty()) return services_.helpPath;
    // Beside the program, as the help file of the program's own name would be.
    return QDir(QCoreApplication::applicationDirPath()).filePath("Slidemill.html");
}

void MainWindow::OpenHelp() {
    // Nothing is reported when the page is missing.
    OpenUrl(QUrl::fromLocalFile(HelpFilePath()));
}

bool MainWindow::OpenUrl(const QUrl& url) { return services_.openUrl(url); }

PresentationAppFactory* MainWindow::FactoryFor(const std::string& sourcePath) const {
    return services_.appFactoryFor ? services_.appFactoryFor(sourcePath) : services_.appFactory;
}

void MainWindow::OnCommand(int commandId) {
    switch (commandId) {
        case kCmdAbout:
        case kCmdAboutBox: ShowAbout(); break;
        case kCmdHelp: OpenHelp(); break;
        default: break;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (converting_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void MainWindow::reject() {
    if (!converting_) QDialog::reject();
}

}  // namespace slidemill
