#pragma once
// The application's one window: input and output file, page range, the Settings dialog,
// the Help menu and the Convert command. Picking an input reads the presentation's
// summary (slide count, information fields); Convert runs the conversion job on a worker
// thread while this window stays inert and the progress window shows what the job does.

#include <functional>
#include <memory>
#include <string>

#include <QDialog>
#include <QString>
#include <QUrl>

#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"
#include "shell/ConversionJob.h"
#include "shell/ConversionOptions.h"
#include "shell/PageRange.h"
#include "shell/Progress.h"
#include "shell/gui/GuiPrompt.h"
#include "shell/gui/MenuButton.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace slidemill {

class cWaitDialog;

// What the window works with; the program passes the real ones, tests their doubles.
struct MainWindowServices {
    PresentationAppFactory* appFactory = nullptr;  // the presentation application
    // When set, picks the application for a source path (a prepared deck or the office
    // suite); appFactory is then not used.
    std::function<PresentationAppFactory*(const std::string& sourcePath)> appFactoryFor;
    ISlidePictureSource* pictures = nullptr;       // the metafile document the job opens captures into
    // The clipboard the application's Copy fills; the window's own when not given.
    Clipboard* clipboard = nullptr;
    JobWriterFactory makeWriter = MakePdfJobWriter;
    std::function<void()> releaseSharedFontCollection;
    // The job itself; RunConversion unless a test replaces it.
    std::function<ConversionResult(const ConversionRequest&, ConversionServices&)> runConversion;
    // Opens a document with the desktop's default application (QDesktopServices unless replaced).
    std::function<bool(const QUrl&)> openUrl;
    // The help page; by default "Slidemill.html" beside the program.
    QString helpPath;
    bool nativeFileDialogs = true;
    std::string temporaryFolder;  // empty: the system's temporary folder
};

class MainWindow : public QDialog, public ICommandTarget {
    Q_OBJECT
public:
    // Control ids of the window's layout.
    static constexpr int kIdSourcePath = 1000, kIdPickSource = 1001, kIdOutputPath = 1002, kIdPickOutput = 1003,
                         kIdConvert = 1004, kIdHelpButton = 1008, kIdOption = 1010, kIdAllPages = 1014,
                         kIdPages = 1015, kIdRangeText = 1016, kIdCancel = 2;
    // Commands of the Help menu.
    static constexpr int kCmdAbout = 114, kCmdHelp = 116, kCmdAboutBox = 0x10;

    explicit MainWindow(MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The commands.
    void PickInput();
    void PickOutput();
    void Convert();
    void EditOptionsCommand();
    void ShowAbout();
    void OpenHelp();
    void OnCommand(int commandId) override;

    // Reads the fields' controls into the fields / writes the fields into the controls.
    void TakeFields();
    void ShowFields();
    // After a pick: the source path and the derived output path are set, then the
    // summary is read.
    void SetPickedInput(const std::string& path);
    void ReadPresentationSummary();

    // "C:\Talks\Deck.ppt" -> "C:\Talks\Deck.pdf", from the last "." of the whole path;
    // unchanged `current` when the path has no ".".
    static std::string DeriveOutputPath(const std::string& sourcePath, const std::string& current);
    QString HelpFilePath() const;

    const std::string& SourcePath() const { return sourcePath_; }
    const std::string& OutputPath() const { return outputPath_; }
    const PageRange& Pages() const { return pages_; }
    ConversionOptions& Options() { return options_; }
    const ConversionResult& LastResult() const { return lastResult_; }
    bool IsConverting() const { return converting_; }
    // The progress record the job of a run shares with the progress window.
    ProgressMessage& Progress() { return progress_; }
    cWaitDialog& WaitDialog() const { return *waitDialog_; }
    MenuButton* HelpButton() const { return helpButton_; }
    // The window's message boxes, usable from any thread.
    IPrompt& Prompt() { return prompt_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void SetRangeMode(int mode);
    QString PickFile(const QString& caption, const QString& filter, const QString& suffix, const QString& start);
    bool OpenUrl(const QUrl& url);
    PresentationAppFactory* FactoryFor(const std::string& sourcePath) const;

    MainWindowServices services_;
    std::string sourcePath_;
    std::string outputPath_;
    PageRange pages_;
    ConversionOptions options_;
    Clipboard clipboard_;
    ProgressMessage progress_;
    GuiPrompt prompt_;
    cWaitDialog* waitDialog_;
    ConversionResult lastResult_;
    bool converting_ = false;

    QLineEdit* sourceEdit_ = nullptr;
    QLineEdit* outputEdit_ = nullptr;
    QLineEdit* rangeEdit_ = nullptr;
    QRadioButton* allPages_ = nullptr;
    QRadioButton* listedPages_ = nullptr;
    QPushButton* convertButton_ = nullptr;
    MenuButton* helpButton_ = nullptr;
};

}  // namespace slidemill
