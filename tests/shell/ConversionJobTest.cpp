#include "shell/ConversionJob.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace slidemill
