#include "shell/ConversionJob.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files/Files.h"
#include "platform/wmf/WmfRecorder.h"
#include "shell/FramedWmfPictureSource.h"

namespace slidemill {
namespace {

// ---- A scripted presentation application that logs every call ---------------------------

struct FakeLink {
    std::string address, subAddress, text;
    bool unreadable = false;
};

struct Script {
    std::vector<std::string> log;
    std::vector<std::vector<FakeLink>> slides;  // hyperlinks per slide
    float width = 720, height = 540;
    std::string failOn;            // a log entry that throws instead
    ProgressMessage* progress = nullptr;
    std::vector<std::string> messagesAtCopy;  // the progress message when each slide is copied
    Clipboard* clipboard = nullptr;

    void Call(const std::string& what) {
        log.push_back(what);
        if (what == failOn) throw AutomationError("call " + what + " failed");
    }
};

class FakeHyperlink : public Hyperlink {
public:
    FakeHyperlink(Script& s, FakeLink l) : s_(s), l_(std::move(l)) {}
    std::string Address() override { return s_.Call("Address"), l_.address; }
    std::string SubAddress() override { return s_.Call("SubAddress"), l_.subAddress; }
    std::string TextToDisplay() override {
        s_.Call("TextToDisplay");
        if (l_.unreadable) throw AutomationError("no text");
        return l_.text;
    }

private:
    Script& s_;
    FakeLink l_;
};

class FakeHyperlinks : public Hyperlinks {
public:
    FakeHyperlinks(Script& s, int slide) : s_(s), slide_(slide) {}
    int32_t Count() override { return s_.Call("Hyperlinks.Count"), int32_t(s_.slides[slide_].size()); }
    std::shared_ptr<Hyperlink> Item(int32_t i) override {
        s_.Call("Hyperlinks.Item");
        return std::make_shared<FakeHyperlink>(s_, s_.slides[slide_].at(size_t(i - 1)));
    }

private:
    Script& s_;
    int slide_;
};

std::vector<uint8_t> TinyWmf() {
    WmfRecorder r;
    r.Rectangle(0, 0, 10, 10);
    return r.Finish();
}

class FakeSlide : public Slide {
public:
    FakeSlide(Script& s, int slide) : s_(s), slide_(slide) {}
    void Copy() override {
        s_.Call("Copy " + std::to_string(slide_ + 1));
        s_.messagesAtCopy.push_back(s_.progress->Get());
        s_.clipboard->SetMetafilePicture({8, 25400, 19050, TinyWmf()});
    }
    std::shared_ptr<Hyperlinks> GetHyperlinks() override {
        s_.Call("Hyperlinks");
        return std::make_shared<FakeHyperlinks>(s_, slide_);
    }

private:
    Script& s_;
    int slide_;
};

class FakeSlides : public Slides {
public:
    explicit FakeSlides(Script& s) : s_(s) {}
    int32_t Count() override { return s_.Call("Slides.Count"), int32_t(s_.slides.size()); }
    std::shared_ptr<Slide> Item(int16_t n) override {
        s_.Call("Slides.Item " + std::to_string(n));
        return std::make_shared<FakeSlide>(s_, n - 1);
    }

private:
    Script& s_;
};

class FakePageSetup : public PageSetup {
public:
    explicit FakePageSetup(Script& s) : s_(s) {}
    float SlideWidth() override { return s_.Call("SlideWidth"), s_.width; }
    float SlideHeight() override { return s_.Call("SlideHeight"), s_.height; }

private:
    Script& s_;
};

class FakePresentation : public Presentation {
public:
    explicit FakePresentation(Script& s) : s_(s) {}
    std::shared_ptr<Slides> GetSlides() override { return s_.Call("Slides"), std::make_shared<FakeSlides>(s_); }
    std::shared_ptr<PageSetup> GetPageSetup() override {
        return s_.Call("PageSetup"), std::make_shared<FakePageSetup>(s_);
    }
    std::shared_ptr<DocumentProperties> BuiltInDocumentProperties() override { return nullptr; }

private:
    Script& s_;
};

class FakePresentations : public Presentations {
public:
    explicit FakePresentations(Script& s) : s_(s) {}
    std::shared_ptr<Presentation> Open(const std::string& f, int32_t ro, int32_t un, int32_t win) override {
        s_.Call("Open " + f + " " + std::to_string(ro) + std::to_string(un) + std::to_string(win));
        return std::make_shared<FakePresentation>(s_);
    }

private:
    Script& s_;
};

class FakeApp : public PresentationApp {
public:
    explicit FakeApp(Script& s) : s_(s) {}
    std::shared_ptr<Presentations> GetPresentations() override {
        return s_.Call("Presentations"), std::make_shared<FakePresentations>(s_);
    }
    void Quit() override { s_.Call("Quit"); }

private:
    Script& s_;
};

class FakeFactory : public PresentationAppFactory {
public:
    explicit FakeFactory(Script& s, bool installed = true) : s_(s), installed_(installed) {}
    std::unique_ptr<PresentationApp> Create() override {
        s_.log.push_back("Create");
        return installed_ ? std::make_unique<FakeApp>(s_) : nullptr;
    }

private:
    Script& s_;
    bool installed_;
};

// ---- A writer that logs the life-cycle calls and writes a small file -------------------

struct WriterLog {
    std::vector<std::string> calls;
    std::string writtenPath;
    std::vector<InternalLinkRecord> internal;
    std::vector<std::vector<std::string>> pageAddresses, pageTexts;
    std::vector<int> ordinals;
    std::string failOn;
    ProgressMessage* stopAfterPages = nullptr;
    int stopAt = 0;
};

class FakeWriter : public IJobWriter {
public:
    FakeWriter(WriterLog& log, std::string path) : log_(log) { log_.writtenPath = std::move(path); }
    void CreateDocument() override {
        Call("CreateDocument");
        WriteFileBytes(log_.writtenPath, {'%', 'P', 'D', 'F'});  // the unfinished file
    }
    void SetSourcePath(const std::string& p) override { Call("SetSourcePath " + p); }
    void SetOutputPath(const std::string& p) override { Call("SetOutputPath " + p); }
    void SetEmbedFontsFlag(bool e) override { Call(std::string("SetEmbedFontsFlag ") + (e ? "1" : "0")); }
    std::vector<InternalLinkRecord>& InternalLinks() override { return log_.internal; }
    std::vector<std::string>& LinkAddresses() override { return addresses_; }
    std::vector<std::string>& LinkTexts() override { return texts_; }
    void SetPageOrdinal(int o) override { log_.ordinals.push_back(o); }
    void BeginPage(int, double w, double h) override {
        Call("BeginPage " + std::to_string(int(w)) + "x" + std::to_string(int(h)));
        log_.pageAddresses.push_back(addresses_);
        log_.pageTexts.push_back(texts_);
    }
    void SetPictureExtent(double x, double y, int m) override {
        Call("SetPictureExtent " + std::to_string(int(x)) + " " + std::to_string(int(y)) + " " + std::to_string(m));
    }
    void SaveState() override { Call("SaveState"); }
    void RestoreState() override { Call("RestoreState"); }
    int PlayMetafile(IPagePlayback&, double, double, double w, double h) override {
        Call("PlayMetafile " + std::to_string(int(w)) + "x" + std::to_string(int(h)));
        return 1;
    }
    void DrawFooter(const std::string& t, int a) override { Call("DrawFooter " + t + " " + std::to_string(a)); }
    void DrawHeader(const std::string& t, int a) override { Call("DrawHeader " + t + " " + std::to_string(a)); }
    void DrawWatermark(const std::string& t, int p, double) override {
        Call("DrawWatermark " + t + " " + std::to_string(p));
    }
    void EndPage() override {
        Call("EndPage");
        if (log_.stopAfterPages && int(log_.ordinals.size()) == log_.stopAt) log_.stopAfterPages->RequestStop();
    }
    void AddInternalLinks() override { Call("AddInternalLinks"); }
    void SetDocumentInfo(const std::string& c, const std::string& a, const std::string& t, const std::string& s,
                         const std::string& k) override {
        Call("SetDocumentInfo " + c + "|" + a + "|" + t + "|" + s + "|" + k);
    }
    void Close() override {
        Call("Close");
        WriteFileBytes(log_.writtenPath, {'%', 'P', 'D', 'F', '-', 'o', 'k'});
    }

private:
    void Call(const std::string& what) {
        log_.calls.push_back(what);
        if (what.rfind(log_.failOn, 0) == 0 && !log_.failOn.empty()) throw PdfWriteError("disk full");
    }
    WriterLog& log_;
    std::vector<std::string> addresses_, texts_;
};

class FakePrompt : public IPrompt {
public:
    std::vector<std::string> questions, messages;
    std::vector<bool> defaults;
    bool answer = false;
    bool AskYesNo(const std::string& text, const std::string& caption, bool defaultYes) override {
        questions.push_back(caption.empty() ? text : caption + ": " + text);
        defaults.push_back(defaultYes);
        return answer;
    }
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
};

class FakeDisplay : public IProgressDisplay {
public:
    std::vector<std::string> events;
    void StartProgress(ProgressMessage&) override { events.push_back("start"); }
    void FinishProgress() override { events.push_back("finish"); }
    void FailProgress() override { events.push_back("fail"); }
};

// ---- The fixture -------------------------------------------------------------------------

class ConversionJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.progress = &progress;
        script.clipboard = &clipboard;
        script.slides.resize(5);
        request.sourcePath = "/decks/talk.ppt";
        request.outputPath = temp.Path() + "talk.pdf";
    }
    ConversionResult Run() {
        ConversionServices services{factory, clipboard, pictures, prompt, progress};
        services.display = &display;
        services.makeWriter = [this](const std::string& path) { return std::make_unique<FakeWriter>(writer, path); };
        services.encryptResave = [this](const std::string& in, const std::string& out, const std::string& user,
                                        const std::string& owner, EncryptionAlgorithm alg, uint32_t perms) {
            encryptCalls.push_back(in + " -> " + out + " " + user + "/" + owner + " " +
                                   (alg == EncryptionAlgorithm::Rc4V1_40 ? "40" : "128") + " " + std::to_string(perms));
            ASSERT_TRUE(PathExists(in));
            WriteFileBytes(out, {'e', 'n', 'c'});
        };
        services.releaseSharedFontCollection = [this] { ++fontReleases; };
        services.launchViewer = [this](const std::string& p) {
            viewed.push_back(p);
            return true;
        };
        services.temporaryFolder = temp.Path();
        return RunConversion(request, services);
    }
    std::vector<std::string> WriterCallsStartingWith(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : writer.calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    PrivateTempFolder temp;
    Script script;
    FakeFactory factory{script};
    Clipboard clipboard;
    FramedWmfPictureSource pictures;
    FakePrompt prompt;
    ProgressMessage progress;
    FakeDisplay display;
    WriterLog writer;
    ConversionRequest request;
    std::vector<std::string> encryptCalls, viewed;
    int fontReleases = 0;
};

TEST_F(ConversionJobTest, PagesOneAndThreeOfFive) {
    script.slides[2] = {{"https://example.org", "", "Example"}};
    request.pages.SetRangeMode(PageRange::kListedPages);
    request.pages.SetRangeText("1,3");
    request.pages.ParsePageRange();
    request.options.FooterText = "foot";
    request.options.FooterPosition = 2;
    prompt.answer = true;

    const ConversionResult r = Run();
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(r.pagesWritten, 2);
    EXPECT_EQ(writer.ordinals, (std::vector<int>{0, 1}));
    EXPECT_EQ(script.messagesAtCopy,
              (std::vector<std::string>{"Converting... page 1 of 5.", "Converting... page 3 of 5."}));
    EXPECT_EQ(progress.Get(), "Save the output data.");
    EXPECT_EQ(progress.SlidesDone(), 2);
    EXPECT_EQ(progress.SlidesSelected(), 2);
    EXPECT_EQ(fontReleases, 2);

    // The application sees the calls in the documented order.
    const std::vector<std::string> head = {"Create", "Presentations", "Open /decks/talk.ppt 000", "Slides", "PageSetup",
                                           "Slides.Count"};
    ASSERT_GE(script.log.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(script.log.begin(), script.log.begin() + 6), head);
    std::vector<std::string> loop;
    bool inLoop = false;
    for (const auto& c : script.log) {
        if (c == "SlideWidth") inLoop = true;
        if (inLoop) loop.push_back(c);
    }
    const std::vector<std::string> expectedLoop = {
        "SlideWidth", "SlideHeight", "Slides.Item 1", "Copy 1", "Hyperlinks", "Hyperlinks.Count", "Slides.Count",
        "Slides.Count", "SlideWidth", "SlideHeight", "Slides.Item 3", "Copy 3", "Hyperlinks", "Hyperlinks.Count",
        "Hyperlinks.Item", "Address", "TextToDisplay", "Slides.Count", "Slides.Count", "Slides.Count", "Quit"};
    EXPECT_EQ(loop, expectedLoop);

    // The writer is driven page by page in the documented order.
    const std::vector<std::string> page = {"BeginPage 720x540", "SetPictureExtent 25400 19050 2", "SaveState",
                                           "PlayMetafile 720x540", "RestoreState", "DrawFooter foot 2",
                                           "DrawHeader  0", "DrawWatermark  0", "EndPage"};
    auto it = std::find(writer.calls.begin(), writer.calls.end(), "BeginPage 720x540");
    ASSERT_NE(it, writer.calls.end());
    EXPECT_EQ(std::vector<std::string>(it, it + 9), page);
    EXPECT_EQ(writer.calls.back(), "Close");
    EXPECT_EQ(writer.calls[writer.calls.size() - 2], "SetDocumentInfo ||||");
    // Each page's link lists hold that slide's links only, filled before the page begins.
    EXPECT_EQ(writer.pageAddresses, (std::vector<std::vector<std::string>>{{}, {"https://example.org"}}));
    EXPECT_EQ(writer.pageTexts, (std::vector<std::vector<std::string>>{{}, {"Example"}}));
    EXPECT_EQ(display.events, (std::vector<std::string>{"start", "finish"}));
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"View the output pdf ?"});
    EXPECT_EQ(prompt.defaults, std::vector<bool>{false});
    EXPECT_EQ(viewed, std::vector<std::string>{request.outputPath});
}

TEST_F(ConversionJobTest, StopAfterSlideFourKeepsFourPagesAndFinishesNormally) {
    script.slides.resize(10);
    writer.stopAfterPages = &progress;
    writer.stopAt = 4;
    const ConversionResult r = Run();
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.pagesWritten, 4);
    EXPECT_EQ(WriterCallsStartingWith("EndPage").size(), 4u);
    EXPECT_EQ(script.log.back(), "Quit");
    EXPECT_EQ(writer.calls.back(), "Close");
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"View the output pdf ?"});
    EXPECT_TRUE(viewed.empty());  // answered No
}

TEST_F(ConversionJobTest, HyperlinkTextsAndSubAddresses) {
    script.slides[0] = {{"", "Slide_3", "Go to three"},
                        {"https://x.org", "", "pic", true},  // a picture's link: no readable text
                        {"", "   ", "blanks"},
                        {"", "_Slide_4_ ", "", true}};
    script.slides[1] = {{"mailto:a@b.c", "", "Mail"}};
    const ConversionResult r = Run();
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(writer.internal.size(), 3u);
    EXPECT_EQ(writer.internal[0].linkText, "Go to three");
    EXPECT_EQ(writer.internal[0].targetText, "Slide 3");
    EXPECT_EQ(writer.internal[1].linkText, "blanks");
    EXPECT_EQ(writer.internal[1].targetText, "");  // not empty when tested, empty once trimmed
    EXPECT_EQ(writer.internal[2].linkText, "");
    EXPECT_EQ(writer.internal[2].targetText, "Slide 4");
    for (const auto& rec : writer.internal) {
        EXPECT_EQ(rec.sourcePage, -1);
        EXPECT_EQ(rec.targetPage, -1);
    }
    EXPECT_EQ(writer.pageAddresses[0], (std::vector<std::string>{"", "https://x.org", "", ""}));
    EXPECT_EQ(writer.pageTexts[0], (std::vector<std::string>{"Go to three", "", "blanks", ""}));
    EXPECT_EQ(writer.pageTexts[1], std::vector<std::string>{"Mail"});
}

TEST_F(ConversionJobTest, EncryptedRunWritesBesideTheOutputAndRemovesTheIntermediate) {
    ASSERT_EQ(::mkdir((temp.Path() + "Out").c_str(), 0700), 0);
    request.outputPath = temp.Path() + "Out/Deck.PDF";
    request.options.Encrypt = true;
    request.options.KeyLength128 = false;
    request.options.UserPassword = "secret";
    request.options.Title = "T";
    request.options.Creator = "C";
    const ConversionResult r = Run();
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(writer.writtenPath, temp.Path() + "Out/deck_0.pdf");
    EXPECT_EQ(encryptCalls,
              std::vector<std::string>{temp.Path() + "Out/deck_0.pdf -> " + request.outputPath + " secret/secret 40 3872"});
    EXPECT_FALSE(PathExists(writer.writtenPath));
    EXPECT_TRUE(PathExists(request.outputPath));
    EXPECT_EQ(WriterCallsStartingWith("SetOutputPath"), std::vector<std::string>{"SetOutputPath " + request.outputPath});
    EXPECT_EQ(WriterCallsStartingWith("SetDocumentInfo"), std::vector<std::string>{"SetDocumentInfo C||T||"});
}

TEST_F(ConversionJobTest, PermissionBitsAndAlgorithm) {
    request.options.Encrypt = true;
    request.options.AllowPrint = true;
    request.options.AllowCopy = true;
    request.options.AllowModify = true;
    ASSERT_TRUE(Run().ok());
    ASSERT_EQ(encryptCalls.size(), 1u);
    EXPECT_NE(encryptCalls[0].find(" 128 3900"), std::string::npos) << encryptCalls[0];  // 0xF3C
    ConversionOptions o;
    EXPECT_EQ(PermissionBits(o), 0xF20u);
    o.AllowPrint = true;
    EXPECT_EQ(PermissionBits(o), 0xF24u);
}

TEST(IntermediatePath, LowerCasesOnlyTheNameAndNeverEqualsTheOutput) {
    const std::pair<const char*, const char*> cases[] = {
        {"/Out/Deck.pdf", "/Out/deck_0.pdf"},
        {"/D/Decks/Q3.PDF", "/D/Decks/q3_0.pdf"},
        {"/Talks.pdf/Deck", "/Talks.pdf/deck_0.pdf"},
        {"/x/out", "/x/out_0.pdf"},
        {"/x/A.pdf.PDF", "/x/a_0.pdf_0.pdf"},
        {"rel.pdf", "rel_0.pdf"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(IntermediatePath(in), out) << in;
        EXPECT_NE(IntermediatePath(in), in);
    }
}

TEST_F(ConversionJobTest, NoApplicationShowsStringOneHundredTwoAndWritesNothing) {
    FakeFactory missing(script, false);
    ConversionServices services{missing, clipboard, pictures, prompt, progress};
    services.display = &display;
    services.makeWriter = [this](const std::string& path) { return std::make_unique<FakeWriter>(writer, path); };
    services.temporaryFolder = temp.Path();
    const ConversionResult r = RunConversion(request, services);
    EXPECT_EQ(r.outcome, ConversionOutcome::NoApplication);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{kNoApplicationMessage});
    EXPECT_TRUE(display.events.empty());
    EXPECT_TRUE(writer.calls.empty());
    EXPECT_FALSE(PathExists(request.outputPath));
}

TEST_F(ConversionJobTest, AutomationFailureEndsTheRunWithItsDescription) {
    script.failOn = "Copy 2";
    const ConversionResult r = Run();
    EXPECT_EQ(r.outcome, ConversionOutcome::AutomationFailed);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_NE(prompt.messages[0].find("call Copy 2 failed"), std::string::npos);
    EXPECT_EQ(r.pagesWritten, 1);
    EXPECT_FALSE(PathExists(request.outputPath));  // no unfinished PDF left behind
    EXPECT_EQ(script.log.back(), "Quit");            // the application is not left running
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(display.events, (std::vector<std::string>{"start", "fail"}));
}

TEST_F(ConversionJobTest, OpenFailureNeverCreatesAWriter) {
    script.failOn = "Open /decks/talk.ppt 000";
    EXPECT_EQ(Run().outcome, ConversionOutcome::AutomationFailed);
    EXPECT_TRUE(writer.calls.empty());
}

TEST_F(ConversionJobTest, PdfFailureEndsWithAMessageAndNoPartialFile) {
    for (const char* failing : {"CreateDocument", "BeginPage", "EndPage", "Close"}) {
        SCOPED_TRACE(failing);
        writer = WriterLog{};
        writer.failOn = failing;
        prompt.messages.clear();
        script.log.clear();
        const ConversionResult r = Run();
        EXPECT_EQ(r.outcome, ConversionOutcome::WriteFailed);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0], "Cannot write the PDF file " + request.outputPath + ": disk full");
        EXPECT_FALSE(PathExists(request.outputPath));
        EXPECT_EQ(script.log.back(), "Quit");
    }
}

TEST_F(ConversionJobTest, EncryptionFailureLeavesNeitherFile) {
    request.options.Encrypt = true;
    ConversionServices services{factory, clipboard, pictures, prompt, progress};
    services.makeWriter = [this](const std::string& path) { return std::make_unique<FakeWriter>(writer, path); };
    services.encryptResave = [](const std::string&, const std::string&, const std::string&, const std::string&,
                                EncryptionAlgorithm, uint32_t) { throw PdfWriteError("cannot encrypt"); };
    services.temporaryFolder = temp.Path();
    const ConversionResult r = RunConversion(request, services);
    EXPECT_EQ(r.outcome, ConversionOutcome::WriteFailed);
    EXPECT_FALSE(PathExists(request.outputPath));
    EXPECT_FALSE(PathExists(IntermediatePath(request.outputPath)));
}

class NothingOpens : public ISlidePictureSource {
public:
    uint32_t OpenFile(const std::string&) override { return 0x10; }  // low four bits 0
    IPagePlayback& FirstPage() override { std::abort(); }
};

TEST_F(ConversionJobTest, UnreadableCaptureEndsTheRunWithAMessage) {
    NothingOpens none;
    ConversionServices services{factory, clipboard, none, prompt, progress};
    services.display = &display;
    services.makeWriter = [this](const std::string& path) { return std::make_unique<FakeWriter>(writer, path); };
    services.temporaryFolder = temp.Path();
    const ConversionResult r = RunConversion(request, services);
    EXPECT_EQ(r.outcome, ConversionOutcome::CaptureUnreadable);
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"The picture of slide 1 cannot be opened."});
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(display.events, (std::vector<std::string>{"start", "finish"}));
    EXPECT_TRUE(WriterCallsStartingWith("Close").empty());
    EXPECT_FALSE(PathExists(request.outputPath));
}

TEST_F(ConversionJobTest, EmptyPresentationStillGivesAClosedDocument) {
    script.slides.clear();
    request.options.Encrypt = true;
    const ConversionResult r = Run();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.pagesWritten, 0);
    EXPECT_EQ(writer.calls.back(), "Close");
    EXPECT_EQ(encryptCalls.size(), 1u);
    EXPECT_EQ(prompt.questions.size(), 1u);
}

TEST_F(ConversionJobTest, ExistingOutputIsOnlyReplacedWithConsent) {
    ASSERT_TRUE(WriteFileBytes(request.outputPath, {'o', 'l', 'd'}));
    prompt.answer = false;
    ConversionResult r = Run();
    EXPECT_EQ(r.outcome, ConversionOutcome::Declined);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{"Quillon Folio: File " + request.outputPath + " exists, overwrite?"});
    EXPECT_EQ(prompt.defaults, std::vector<bool>{false});
    EXPECT_TRUE(script.log.empty());  // the application was never started
    EXPECT_EQ(ReadFileBytes(request.outputPath)->size(), 3u);

    prompt.answer = true;
    prompt.questions.clear();
    r = Run();
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(prompt.questions.size(), 2u);  // the overwrite and the view question
    EXPECT_EQ(ReadFileBytes(request.outputPath)->size(), 7u);
}

TEST_F(ConversionJobTest, OutputThatCannotBeDeletedIsReported) {
    const std::string folder = temp.Path() + "folder.pdf";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    for (const std::string& path : {folder, std::string("/dev/null")}) {
        request.outputPath = path;
        prompt.answer = true;
        prompt.messages.clear();
        const ConversionResult r = Run();
        EXPECT_EQ(r.outcome, ConversionOutcome::Declined);
        EXPECT_EQ(prompt.messages, std::vector<std::string>{"File " + path + " cannot be overwitten."});
        EXPECT_TRUE(script.log.empty());
    }
    EXPECT_TRUE(IsDirectory(folder));
    EXPECT_TRUE(PathExists("/dev/null"));
}

TEST_F(ConversionJobTest, CaptureFileLivesInAPrivateFolderThatIsRemoved) {
    ASSERT_TRUE(Run().ok());
    // Nothing of the run is left in the temporary folder besides the output.
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(temp.Path())) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"talk.pdf"});
}

}  // namespace
}  // namespace slidemill
