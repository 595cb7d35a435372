// The main window: its layout, the pick and convert commands with their questions, and
// whole runs of the conversion job behind the window.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <thread>

#include "FakePresentation.h"
#include "GuiTestSupport.h"
#include "platform/automation/DeckApp.h"
#include "platform/office/OfficePresentationApp.h"
#include "render/SharedFontCollection.h"
#include "shell/FramedWmfPictureSource.h"
#include "shell/pictures/DocumentPictureSource.h"
#include "shell/gui/DialogUnits.h"
#include "shell/gui/MainWindow.h"
#include "shell/gui/ProgressDialog.h"
#include "shell/gui/WaitDialog.h"

namespace slidemill {
namespace {

using testing::AnswerBox;
using testing::BoxRecord;
using testing::FakeAppFactory;
using testing::FakeDeck;
using testing::ModalDriver;
using testing::WaitFor;
using MW = MainWindow;

void Touch(const std::string& path) { std::ofstream(path) << "old"; }
bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// A window over a fake application, with a record of the documents it opened.
struct Fixture {
    QTemporaryDir dir;
    Clipboard clipboard;
    FakeDeck deck;
    FakeAppFactory factory{deck, clipboard};
    FramedWmfPictureSource pictures;
    std::vector<QUrl> opened;
    std::unique_ptr<MainWindow> window;

    explicit Fixture(bool installed = true, MainWindowServices extra = {}) : factory(deck, clipboard, installed) {
        MainWindowServices s = std::move(extra);
        s.appFactory = &factory;
        s.pictures = &pictures;
        s.clipboard = &clipboard;
        s.nativeFileDialogs = false;
        s.temporaryFolder = dir.path().toStdString() + "/";
        s.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        window = std::make_unique<MainWindow>(std::move(s));
    }
    std::string Path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    QLineEdit* Edit(int id) const { return FindControlAs<QLineEdit>(window.get(), id); }
    QPushButton* Button(int id) const { return FindControlAs<QPushButton>(window.get(), id); }
};

QString LabelTexts(QWidget* w) {
    QStringList texts;
    for (QLabel* l : w->findChildren<QLabel*>())
        if (!l->text().isEmpty()) texts << l->text();
    return texts.join("|");
}

TEST(MainWindow, LayoutTextsIdsAndStartState) {
    Fixture f;
    MainWindow& w = *f.window;
    EXPECT_EQ(w.windowTitle(), "Slidemill");
    EXPECT_FALSE(w.windowIcon().isNull());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    const DialogUnits du(w.font());
    EXPECT_EQ(w.size(), QSize(du.X(481), du.Y(303)));

    struct Control {
        int id;
        const char* text;
        int x, y, width, height;
    } buttons[] = {{MW::kIdPickSource, "...", 445, 104, 15, 14}, {MW::kIdPickOutput, "...", 445, 149, 15, 14},
                   {MW::kIdHelpButton, "Help", 20, 274, 50, 14},  {MW::kIdOption, "Option", 306, 274, 50, 14},
                   {MW::kIdConvert, "Convert", 358, 274, 50, 14}, {MW::kIdCancel, "Cancel", 410, 274, 50, 14},
                   {MW::kIdAllPages, "ALL pages", 76, 193, 52, 10}, {MW::kIdPages, "Pages", 76, 217, 36, 10}};
    for (const Control& c : buttons) {
        auto* b = FindControlAs<QAbstractButton>(&w, c.id);
        ASSERT_NE(b, nullptr) << c.id;
        EXPECT_EQ(b->text(), c.text);
        EXPECT_EQ(b->geometry(), du.Rect(c.x, c.y, c.width, c.height)) << c.id;
    }
    EXPECT_EQ(f.Edit(MW::kIdSourcePath)->geometry(), du.Rect(76, 105, 368, 13));
    EXPECT_EQ(f.Edit(MW::kIdOutputPath)->geometry(), du.Rect(76, 150, 370, 13));
    EXPECT_EQ(f.Edit(MW::kIdRangeText)->geometry(), du.Rect(118, 217, 342, 14));
    const QString labels = LabelTexts(&w);
    for (const char* text : {"Select file", "Input powerpoint file:", "Output pdf file:", "Page range",
                             "Enter page numbers and/or page ranges separated by commas, for example, 1,3,5-12."})
        EXPECT_TRUE(labels.contains(text)) << text;

    EXPECT_TRUE(f.Button(MW::kIdConvert)->isDefault());
    EXPECT_TRUE(FindControlAs<QRadioButton>(&w, MW::kIdAllPages)->isChecked());
    EXPECT_FALSE(f.Edit(MW::kIdRangeText)->isEnabled());
    FindControlAs<QRadioButton>(&w, MW::kIdPages)->click();
    EXPECT_TRUE(f.Edit(MW::kIdRangeText)->isEnabled());
    EXPECT_EQ(w.Pages().RangeMode(), PageRange::kListedPages);
    FindControlAs<QRadioButton>(&w, MW::kIdAllPages)->click();
    EXPECT_FALSE(f.Edit(MW::kIdRangeText)->isEnabled());
    EXPECT_EQ(w.Pages().RangeMode(), PageRange::kAllPages);

    // The Help menu: About, Help, then the About entry.
    QStringList entries;
    for (QAction* a : w.HelpButton()->Menu()->actions()) entries << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(entries, QStringList({"About", "Help", "-", "&About Slidemill..."}));

    // Tab order follows the layout.
    EXPECT_EQ(f.Edit(MW::kIdSourcePath)->nextInFocusChain(), f.Button(MW::kIdPickSource));

    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    testing::SaveScreenshot(&w, "main-window");
}

TEST(MainWindow, OutputPathComesFromTheLastDotOfTheWholePath) {
    struct Case {
        const char* source;
        const char* current;
        const char* output;
    } cases[] = {{"C:\\Talks\\Deck.ppt", "", "C:\\Talks\\Deck.pdf"},
                 {"D:\\a.b\\deck", "", "D:\\a.pdf"},
                 {"/home/u/talk.final.PPT", "x", "/home/u/talk.final.pdf"},
                 {"/home/u/noextension", "/kept.pdf", "/kept.pdf"},
                 {"deck.", "", "deck.pdf"}};
    for (const Case& c : cases) EXPECT_EQ(MainWindow::DeriveOutputPath(c.source, c.current), c.output) << c.source;
}

TEST(MainWindow, PickingAnInputReadsTheSummary) {
    struct Case {
        int slides;
        const char* rangeText;
    } cases[] = {{23, "1-23"}, {9, "1-9"}, {8, "1,2,3,4,5,6,7,8,"}, {3, "1,2,3,"}, {1, "1,"}, {0, ""}};
    for (const Case& c : cases) {
        Fixture f;
        f.deck.slides = c.slides;
        f.window->Options().Title = "typed by the user";
        const std::string source = f.Path("talk.ppt");
        f.window->SetPickedInput(source);
        EXPECT_EQ(f.deck.openedPath, source);
        EXPECT_EQ(f.Edit(MW::kIdSourcePath)->text().toStdString(), source);
        EXPECT_EQ(f.Edit(MW::kIdOutputPath)->text().toStdString(), f.Path("talk.pdf"));
        EXPECT_EQ(f.Edit(MW::kIdRangeText)->text(), c.rangeText) << c.slides;
        EXPECT_EQ(f.window->Pages().SlideCountBound(), c.slides);
        EXPECT_EQ(f.window->Pages().RangeMode(), PageRange::kAllPages);
        EXPECT_TRUE(FindControlAs<QRadioButton>(f.window.get(), MW::kIdAllPages)->isChecked());
        const ConversionOptions& o = f.window->Options();
        EXPECT_EQ(o.Title, "Deck title");
        EXPECT_EQ(o.Subject, "Deck subject");
        EXPECT_EQ(o.Author, "Deck author");
        EXPECT_EQ(o.Keywords, "k");
        EXPECT_EQ(o.Creator, "Last author");
        EXPECT_EQ(f.deck.quits, 1);
    }
}

TEST(MainWindow, TypingTheInputByHandReadsNothing) {
    Fixture f;
    f.Edit(MW::kIdSourcePath)->setText("/somewhere/deck.ppt");
    f.Edit(MW::kIdOutputPath)->setText(QString::fromStdString(f.Path("out.pdf")));
    f.window->TakeFields();
    EXPECT_EQ(f.deck.creates, 0);
    EXPECT_EQ(f.Edit(MW::kIdRangeText)->text(), "");
    EXPECT_EQ(f.window->Options().Title, "");
    EXPECT_EQ(f.window->Pages().SlideCountBound(), PageRange::kDefaultSlideCountBound);
}

TEST(MainWindow, AnExistingDerivedPdfIsQuestionedAtPickTime) {
    {  // Yes: deleted at once, then the summary is read.
        Fixture f;
        Touch(f.Path("talk.pdf"));
        BoxRecord box;
        ModalDriver driver({AnswerBox("exists, overwrite?", QMessageBox::Yes, &box)});
        f.window->SetPickedInput(f.Path("talk.ppt"));
        EXPECT_EQ(box.text, "File " + f.Path("talk.pdf") + " exists, overwrite?");
        EXPECT_EQ(box.caption, "Quillon Folio");
        EXPECT_FALSE(box.hadIcon);
        EXPECT_FALSE(Exists(f.Path("talk.pdf")));
        EXPECT_EQ(f.deck.creates, 1);
        EXPECT_EQ(f.Edit(MW::kIdRangeText)->text(), "1,2,3,");
    }
    {  // No: nothing read, the range text and the bound stay.
        Fixture f;
        f.Edit(MW::kIdRangeText)->setText("2-3");
        f.window->TakeFields();
        Touch(f.Path("talk.pdf"));
        ModalDriver driver({AnswerBox("exists, overwrite?", QMessageBox::No)});
        f.window->SetPickedInput(f.Path("talk.ppt"));
        EXPECT_EQ(driver.Handled(), 1);
        EXPECT_TRUE(Exists(f.Path("talk.pdf")));
        EXPECT_EQ(f.deck.creates, 0);
        EXPECT_EQ(f.Edit(MW::kIdRangeText)->text(), "2-3");
        EXPECT_EQ(f.Edit(MW::kIdOutputPath)->text().toStdString(), f.Path("talk.pdf"));
    }
}

TEST(MainWindow, SummaryFailuresAreShown) {
    {
        Fixture f(/*installed=*/false);
        BoxRecord box;
        ModalDriver driver({AnswerBox("PowerPoint installed", QMessageBox::Ok, &box)});
        f.window->SetPickedInput(f.Path("talk.ppt"));
        EXPECT_EQ(box.text,
                  "There is no Microsoft Office PowerPoint installed on this computer, \nso that no PDF file will be "
                  "created. Please install \nMicrosoft Office PowerPoint and re-run Slidemill. ");
        EXPECT_EQ(box.caption, "Slidemill");
    }
    {
        Fixture f;
        f.deck.failOpenWith = "The file cannot be opened.";
        BoxRecord box;
        ModalDriver driver({AnswerBox("cannot be opened", QMessageBox::Ok, &box)});
        f.window->SetPickedInput(f.Path("talk.ppt"));
        EXPECT_EQ(box.text, "The file cannot be opened.");
        EXPECT_EQ(f.deck.quits, 1);  // no instance left running
        EXPECT_EQ(f.Edit(MW::kIdRangeText)->text(), "");
        EXPECT_EQ(f.window->Options().Title, "");
    }
}

TEST(MainWindow, ConvertNeedsBothPaths) {
    int runs = 0;
    MainWindowServices extra;
    extra.runConversion = [&](const ConversionRequest&, ConversionServices&) {
        ++runs;
        return ConversionResult{};
    };
    Fixture f(true, extra);
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    BoxRecord box;
    {
        ModalDriver driver({AnswerBox("Invalid", QMessageBox::Ok, &box)});
        f.Button(MW::kIdConvert)->click();
    }
    EXPECT_EQ(box.text, "Invalid input file");
    EXPECT_EQ(box.caption, "Slidemill");
    f.Edit(MW::kIdSourcePath)->setText("in.ppt");
    {
        ModalDriver driver({AnswerBox("Invalid", QMessageBox::Ok, &box)});
        QTest::keyClick(f.Edit(MW::kIdSourcePath), Qt::Key_Return);  // Enter is Convert
    }
    EXPECT_EQ(box.text, "Invalid output file.");
    EXPECT_EQ(runs, 0);
    // With both paths, Enter runs the job.
    f.Edit(MW::kIdOutputPath)->setText(QString::fromStdString(f.Path("out.pdf")));
    QTest::keyClick(f.Edit(MW::kIdSourcePath), Qt::Key_Return);
    EXPECT_EQ(runs, 1);
}

TEST(MainWindow, ConvertRunsTheJobOnAWorkerWhileTheWindowIsInert) {
    std::thread::id jobThread;
    bool windowEnabledDuringRun = true;
    bool answeredFromWorker = false;
    ConversionRequest seen;
    MainWindow* window = nullptr;
    MainWindowServices extra;
    extra.runConversion = [&](const ConversionRequest& request, ConversionServices& services) {
        jobThread = std::this_thread::get_id();
        seen = request;
        windowEnabledDuringRun = window->isEnabled();
        answeredFromWorker = services.prompt.AskYesNo("A question?", "", true);
        ConversionResult r;
        r.pagesWritten = 2;
        return r;
    };
    Fixture f(true, extra);
    window = f.window.get();
    f.Edit(MW::kIdSourcePath)->setText("in.ppt");
    f.Edit(MW::kIdOutputPath)->setText(QString::fromStdString(f.Path("out.pdf")));
    FindControlAs<QRadioButton>(window, MW::kIdPages)->click();
    f.Edit(MW::kIdRangeText)->setText(" 1,3,5-12 ");
    f.window->Options().Title = "T";
    BoxRecord box;
    ModalDriver driver({AnswerBox("A question?", QMessageBox::Yes, &box)});
    f.Button(MW::kIdConvert)->click();
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_FALSE(windowEnabledDuringRun);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_TRUE(answeredFromWorker);
    EXPECT_EQ(box.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(seen.sourcePath, "in.ppt");
    EXPECT_EQ(seen.options.Title, "T");
    EXPECT_EQ(seen.pages.PageList(), std::vector<uint16_t>({1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(window->LastResult().pagesWritten, 2);
}

TEST(MainWindow, EscEndsTheWindowButNotDuringARun) {
    bool closedDuringRun = false;
    MainWindow* window = nullptr;
    MainWindowServices extra;
    extra.runConversion = [&](const ConversionRequest&, ConversionServices&) {
        // Esc and a close request reach the window while the job runs.
        QMetaObject::invokeMethod(window, [&] {
            QTest::keyClick(window, Qt::Key_Escape);
            window->close();
            closedDuringRun = !window->isVisible();
        }, Qt::BlockingQueuedConnection);
        return ConversionResult{};
    };
    Fixture f(true, extra);
    window = f.window.get();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    f.Edit(MW::kIdSourcePath)->setText("in.ppt");
    f.Edit(MW::kIdOutputPath)->setText(QString::fromStdString(f.Path("out.pdf")));
    f.Button(MW::kIdConvert)->click();
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST(MainWindow, HelpAndAboutCommands) {
    Fixture f;
    f.window->OnCommand(MW::kCmdHelp);
    ASSERT_EQ(f.opened.size(), 1u);
    EXPECT_EQ(f.opened[0].toLocalFile(), QDir(QCoreApplication::applicationDirPath()).filePath("Slidemill.html"));
    for (int command : {MW::kCmdAbout, MW::kCmdAboutBox}) {
        QString name;
        ModalDriver driver({[&](QWidget* w) {
            auto* about = qobject_cast<QDialog*>(w);
            if (!about || about == f.window.get() || !about->isVisible()) return false;
            if (auto* label = about->findChild<QLabel*>("aboutName")) name = label->text();
            testing::SaveScreenshot(about, "about");
            about->accept();
            return true;
        }});
        f.window->OnCommand(command);
        EXPECT_EQ(name, "Slidemill Version 2.0");
    }
}

// Answers the file dialog by typing a name into it.
testing::ModalHandler TypeIntoFileDialog(const QString& path, QStringList* filters = nullptr) {
    return [=](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog || !dialog->isVisible()) return false;
        if (filters) *filters = dialog->nameFilters();
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) return false;
        dialog->setDirectory(QFileInfo(path).absolutePath());
        name->setText(QFileInfo(path).fileName());
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    };
}

TEST(MainWindow, PickOutputTakesATypedNewName) {
    Fixture f;
    f.window->show();
    QStringList filters;
    {
        ModalDriver driver({TypeIntoFileDialog(QString::fromStdString(f.Path("fresh")), &filters)});
        f.Button(MW::kIdPickOutput)->click();
        EXPECT_EQ(driver.Handled(), 1);
    }
    EXPECT_EQ(filters, QStringList({"PDF files (*.PDF *.pdf)"}));
    // A name without extension gets the default one; nothing is asked or read.
    EXPECT_EQ(f.window->OutputPath(), f.Path("fresh.PDF"));
    EXPECT_EQ(f.Edit(MW::kIdOutputPath)->text().toStdString(), f.Path("fresh.PDF"));
    EXPECT_EQ(f.deck.creates, 0);
    // Cancelling the dialog keeps the field.
    {
        ModalDriver driver({[](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) return false;
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
            return true;
        }});
        f.Button(MW::kIdPickOutput)->click();
    }
    EXPECT_EQ(f.window->OutputPath(), f.Path("fresh.PDF"));
}

std::string PdfInfo(const std::string& path, const std::string& field) {
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty()) return "?";
    QProcess p;
    p.start("pdfinfo", {QString::fromStdString(path)});
    p.waitForFinished(20000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QString::fromStdString(field) + ":")) return line.mid(field.size() + 1).trimmed().toStdString();
    return "";
}

int QpdfCheck(const std::string& path) {
    if (QStandardPaths::findExecutable("qpdf").isEmpty()) return 0;
    return QProcess::execute("qpdf", {"--check", QString::fromStdString(path)});
}

TEST(MainWindow, PickAndConvertADeckFolderAnsweringTheQuestions) {
    const std::filesystem::path demo = std::filesystem::path(SLIDEMILL_SOURCE_DIR) / "examples" / "demo-deck";
    if (!std::filesystem::exists(demo / "deck.json")) GTEST_SKIP() << "no demo deck in examples/";
    QTemporaryDir work;
    const std::filesystem::path deckDir = std::filesystem::path(work.path().toStdString()) / "demo-deck";
    std::filesystem::copy(demo, deckDir, std::filesystem::copy_options::recursive);
    const std::string deckJson = (deckDir / "deck.json").string();
    const std::string pdf = (deckDir / "deck.pdf").string();
    Touch(pdf);  // a PDF from an earlier run

    // The real road: the deck application, the metafile document and the record player.
    Clipboard clipboard;
    DeckAppFactory deckApp(clipboard);
    DocumentPictureSource pictures;
    std::vector<QUrl> opened;
    MainWindowServices s;
    s.appFactory = &deckApp;
    s.pictures = &pictures;
    s.clipboard = &clipboard;
    s.releaseSharedFontCollection = [] { ReleaseSharedFontCollection(); };
    s.nativeFileDialogs = false;
    s.temporaryFolder = work.path().toStdString() + "/";
    s.openUrl = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    MainWindow window(s);
    window.show();

    // Pick: the file dialog, then the overwrite question (Yes deletes the old PDF).
    QStringList filters;
    {
        ModalDriver driver({TypeIntoFileDialog(QString::fromStdString(deckJson), &filters),
                            AnswerBox("exists, overwrite?", QMessageBox::Yes)});
        FindControlAs<QPushButton>(&window, MW::kIdPickSource)->click();
        EXPECT_EQ(driver.Handled(), 2);
    }
    EXPECT_EQ(filters, QStringList({"Powerpoint files (*.PPT *.ppt)"}));
    EXPECT_FALSE(Exists(pdf));
    EXPECT_EQ(window.SourcePath(), deckJson);
    EXPECT_EQ(window.OutputPath(), pdf);
    const int slides = window.Pages().SlideCountBound();
    ASSERT_GE(slides, 1);
    EXPECT_FALSE(FindControlAs<QLineEdit>(&window, MW::kIdRangeText)->text().isEmpty());

    // Convert: the progress window comes and goes, then the view question (default No).
    BoxRecord view;
    bool sawProgress = false;
    {
        ModalDriver driver({[&](QWidget* w) {
                                if (!qobject_cast<ProgressDialog*>(w) || !w->isVisible()) return false;
                                sawProgress = true;
                                return true;
                            },
                            AnswerBox("View the output pdf ?", QMessageBox::Yes, &view)});
        FindControlAs<QPushButton>(&window, MW::kIdConvert)->click();
    }
    EXPECT_TRUE(window.LastResult().ok()) << window.LastResult().message;
    EXPECT_EQ(window.LastResult().pagesWritten, slides);
    EXPECT_TRUE(sawProgress);
    EXPECT_EQ(view.defaultButton, QMessageBox::No);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toLocalFile().toStdString(), pdf);
    ASSERT_TRUE(Exists(pdf));
    EXPECT_EQ(QpdfCheck(pdf), 0);
    const std::string pages = PdfInfo(pdf, "Pages");
    if (pages != "?") {
        EXPECT_EQ(pages, std::to_string(slides));
    }
    if (!testing::ScreenshotDir().empty())
        std::filesystem::copy_file(pdf, testing::ScreenshotDir() + "/demo-deck.pdf",
                                   std::filesystem::copy_options::overwrite_existing);
}

TEST(MainWindow, StopDuringAMultiSlideRunEndsThePdfAfterTheCurrentSlide) {
    Fixture f;
    f.deck.slides = 6;
    // Slide 3 is captured only once Stop has been pressed, so the stop lands during it.
    std::atomic<bool> slide3Started{false};
    MainWindow* window = f.window.get();
    f.deck.onCopy = [&](int16_t number) {
        if (number != 3) return;
        slide3Started = true;
        for (int i = 0; i < 500 && !window->Progress().StopRequested(); ++i) QThread::msleep(10);
    };
    const std::string pdf = f.Path("stopped.pdf");
    f.Edit(MW::kIdSourcePath)->setText("deck.ppt");
    f.Edit(MW::kIdOutputPath)->setText(QString::fromStdString(pdf));
    window->show();

    bool stopped = false;
    BoxRecord view;
    ModalDriver driver({[&](QWidget* w) {
                            auto* d = qobject_cast<ProgressDialog*>(w);
                            if (!d || !d->isVisible() || !slide3Started) return false;
                            if (d->MessageLine()->text() != "Converting... page 3 of 6.") return false;
                            testing::SaveScreenshot(d, "progress-slide3");
                            d->StopButton()->click();
                            stopped = true;
                            return true;
                        },
                        AnswerBox("View the output pdf ?", QMessageBox::No, &view)});
    f.Button(MW::kIdConvert)->click();
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(window->LastResult().stopped);
    EXPECT_EQ(window->LastResult().pagesWritten, 3);
    EXPECT_EQ(view.text, "View the output pdf ?");
    EXPECT_EQ(f.deck.copies, 3);
    EXPECT_TRUE(f.opened.empty());
    EXPECT_TRUE(WaitFor([] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ProgressDialog*>(w) && w->isVisible()) return false;
        return true;
    }, 2000));
    ASSERT_TRUE(Exists(pdf));
    EXPECT_EQ(QpdfCheck(pdf), 0);
    const std::string pages = PdfInfo(pdf, "Pages");
    if (pages != "?") {
        EXPECT_EQ(pages, "3");
    }
}

// The office suite behind the window: picking a real presentation reads its summary, and
// converting one listed slide gives a one-page PDF. Skipped without the corpus or soffice.
TEST(MainWindow, PickAndConvertAPresentationThroughTheOfficeSuite) {
    const std::filesystem::path deck =
        std::filesystem::path(SLIDEMILL_CORPUS) / "ppt" / "poi__test-data__slideshow__WithLinks.ppt";
    if (!std::filesystem::exists(deck)) GTEST_SKIP() << "corpus presentation not found";
    if (QStandardPaths::findExecutable("soffice").isEmpty()) GTEST_SKIP() << "soffice not installed";
    QTemporaryDir work;
    Clipboard clipboard;
    OfficePresentationAppFactory office(clipboard);
    DocumentPictureSource pictures;
    MainWindowServices s;
    s.appFactory = &office;
    s.pictures = &pictures;
    s.clipboard = &clipboard;
    s.releaseSharedFontCollection = [] { ReleaseSharedFontCollection(); };
    s.temporaryFolder = work.path().toStdString() + "/";
    s.openUrl = [](const QUrl&) { return true; };
    MainWindow window(s);
    window.show();

    // The derived PDF would land beside the corpus file: pick, then choose another output.
    BoxRecord problem;
    {
        ModalDriver driver({AnswerBox("", QMessageBox::Ok, &problem)});
        window.SetPickedInput(deck.string());
    }
    if (!problem.text.empty()) GTEST_SKIP() << "the office suite did not serve: " << problem.text;
    const int slides = window.Pages().SlideCountBound();
    ASSERT_GE(slides, 1);
    EXPECT_EQ(FindControlAs<QLineEdit>(&window, MW::kIdRangeText)->text().toStdString(),
              PageRange::PrefillText(slides));
    const std::string pdf = work.filePath("withlinks.pdf").toStdString();
    FindControlAs<QLineEdit>(&window, MW::kIdOutputPath)->setText(QString::fromStdString(pdf));
    FindControlAs<QRadioButton>(&window, MW::kIdPages)->click();
    FindControlAs<QLineEdit>(&window, MW::kIdRangeText)->setText("1");
    {
        ModalDriver driver({AnswerBox("View the output pdf ?", QMessageBox::No)});
        FindControlAs<QPushButton>(&window, MW::kIdConvert)->click();
    }
    EXPECT_TRUE(window.LastResult().ok()) << window.LastResult().message;
    EXPECT_EQ(window.LastResult().pagesWritten, 1);
    ASSERT_TRUE(Exists(pdf));
    EXPECT_EQ(QpdfCheck(pdf), 0);
    if (!testing::ScreenshotDir().empty())
        std::filesystem::copy_file(pdf, testing::ScreenshotDir() + "/office.pdf",
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace slidemill
