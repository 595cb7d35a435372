// The office backend against a real headless soffice: decks written by the test itself
// and, when present, the shared corpus. Skips when soffice is not installed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <zlib.h>

#include "metafile/ByteReader.h"
#include "platform/office/OfficeLocator.h"
#include "platform/office/OfficePresentationApp.h"
#include "platform/office/PresentationSummary.h"
#include "platform/wmf/WmfRecorder.h"
#include "tests/platform/office/WmfWalk.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;
using testing::WalkWmf;

// A two-slide flat-XML presentation: document properties, a master with its own
// rectangle, a URL, a mail and a slide link.
constexpr const char* kTinyDeck = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink" xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:meta>
  <dc:title>Tiny deck</dc:title><dc:subject>Testing</dc:subject>
  <meta:initial-creator>Ada Author</meta:initial-creator><dc:creator>Lee Editor</dc:creator>
  <meta:keyword>one</meta:keyword><meta:keyword>two</meta:keyword>
 </office:meta>
 <office:styles/>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:page-width="28cm" fo:page-height="15.75cm" style:print-orientation="landscape"/>
  </style:page-layout>
  <style:style style:name="dp1" style:family="drawing-page"/>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Default" style:page-layout-name="PM1" draw:style-name="dp1">
   <draw:rect svg:x="1cm" svg:y="14cm" svg:width="26cm" svg:height="0.5cm"/>
  </style:master-page>
 </office:master-styles>
 <office:body><office:presentation>
  <draw:page draw:name="First" draw:master-page-name="Default">
   <draw:frame svg:x="2cm" svg:y="1cm" svg:width="24cm" svg:height="3cm">
    <draw:text-box><text:p>Hello tiny deck</text:p></draw:text-box></draw:frame>
   <draw:frame svg:x="2cm" svg:y="5cm" svg:width="24cm" svg:height="6cm"><draw:text-box>
    <text:p>Visit <text:a xlink:href="https://example.com/tiny">the site</text:a></text:p>
    <text:p><text:a xlink:href="#Second">to the end</text:a></text:p>
    <text:p><text:a xlink:href="mailto:ada@example.com">write</text:a></text:p>
   </draw:text-box></draw:frame>
  </draw:page>
  <draw:page draw:name="Second" draw:master-page-name="Default">
   <draw:frame svg:x="2cm" svg:y="1cm" svg:width="24cm" svg:height="3cm">
    <draw:text-box><text:p>The end</text:p></draw:text-box></draw:frame>
  </draw:page>
 </office:presentation></office:body>
</office:document>
)";

// Links inside a group, to files given absolute and relative, and a link after the group.
constexpr const char* kLinkShapesDeck = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:page-width="28cm" fo:page-height="15.75cm"/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1"/></office:master-styles>
 <office:body><office:presentation>
  <draw:page draw:name="Links" draw:master-page-name="Default">
   <draw:frame svg:x="2cm" svg:y="1cm" svg:width="24cm" svg:height="2cm">
    <draw:text-box><text:p>Files and groups</text:p></draw:text-box></draw:frame>
   <draw:g>
    <draw:frame svg:x="2cm" svg:y="4cm" svg:width="12cm" svg:height="2cm"><draw:text-box>
     <text:p><text:a xlink:href="file:///opt/decks/other%20deck.odp">the other deck</text:a></text:p>
    </draw:text-box></draw:frame>
    <draw:frame svg:x="14cm" svg:y="4cm" svg:width="12cm" svg:height="2cm"><draw:text-box>
     <text:p><text:a xlink:href="notes/next.odp">next door</text:a></text:p>
    </draw:text-box></draw:frame>
   </draw:g>
   <draw:frame svg:x="2cm" svg:y="8cm" svg:width="24cm" svg:height="2cm"><draw:text-box>
    <text:p><text:a xlink:href="https://example.com/after">after the group</text:a></text:p>
   </draw:text-box></draw:frame>
  </draw:page>
 </office:presentation></office:body>
</office:document>
)";

constexpr const char* kTextDocument = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:body><office:text><text:p>Just a letter.</text:p></office:text></office:body>
</office:document>
)";

std::string Corpus(const std::string& relative) {
    fs::path p = fs::path(SLIDEMILL_CORPUS) / relative;
    return fs::exists(p) ? p.string() : std::string();
}

// Running members of a process group (by /proc); zombies are left to whoever reaps them.
std::vector<pid_t> GroupMembers(pid_t group) {
    std::vector<pid_t> members;
    DIR* proc = opendir("/proc");
    if (!proc) return members;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(e->d_name, &end, 10);
        if (pid <= 0 || *end) continue;
        std::ifstream stat("/proc/" + std::string(e->d_name) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        std::string state;
        long ppid = 0, pgrp = 0;
        rest >> state >> ppid >> pgrp;
        if (pgrp == group && state != "Z" && state != "X") members.push_back(pid_t(pid));
    }
    closedir(proc);
    return members;
}

bool GroupGone(pid_t group) {
    for (int i = 0; i < 300; ++i) {  // reaping of the orphans by init can lag a little
        if (GroupMembers(group).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "slidemill-office-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Write(const std::string& name, const std::string& content) const {
        std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }

private:
    std::string path_;
};

bool OfficeInstalled() { return !FindSoffice("").empty(); }

// The strings of the text records (META_TEXTOUT, META_EXTTEXTOUT) of a metafile.
std::vector<std::string> TextsOf(std::span<const uint8_t> wmf) {
    std::vector<std::string> texts;
    ByteReader r(wmf);
    r.Seek(18);
    while (r.Has(6)) {
        const size_t at = r.Offset();
        const uint32_t words = r.PeekU32(at);
        if (words < 3 || !r.Has(size_t(words) * 2)) break;
        ByteReader rec = r.Sub(at, size_t(words) * 2);
        r.Skip(size_t(words) * 2);
        rec.Skip(4);
        const uint16_t function = rec.U16();
        if (function == 0x0521) {  // length, string (padded), y, x
            const int16_t n = rec.I16();
            if (n > 0 && rec.Has(size_t(n))) {
                auto v = rec.View(size_t(n));
                texts.emplace_back(v.begin(), v.end());
            }
        } else if (function == wmf::kExtTextOut) {  // y, x, length, options, [rect], string
            rec.I16();
            rec.I16();
            const int16_t n = rec.I16();
            const uint16_t options = rec.U16();
            if (options & 0x0006) rec.Skip(8);
            if (n > 0 && rec.Has(size_t(n))) {
                auto v = rec.View(size_t(n));
                texts.emplace_back(v.begin(), v.end());
            }
        }
        if (function == 0) break;
    }
    return texts;
}

// A zip archive of stored (uncompressed) members.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& members) {
    ByteWriter out, central;
    for (const auto& [name, data] : members) {
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
        const uint32_t offset = uint32_t(out.Size());
        out.U32(0x04034B50);
        out.U16(20);
        out.U16(0);
        out.U16(0);  // stored
        out.U32(0);  // time, date
        out.U32(crc);
        out.U32(uint32_t(data.size()));
        out.U32(uint32_t(data.size()));
        out.U16(uint16_t(name.size()));
        out.U16(0);
        out.Bytes(name.data(), name.size());
        out.Bytes(data.data(), data.size());
        central.U32(0x02014B50);
        central.U16(20);
        central.U16(20);
        central.U16(0);
        central.U16(0);
        central.U32(0);
        central.U32(crc);
        central.U32(uint32_t(data.size()));
        central.U32(uint32_t(data.size()));
        central.U16(uint16_t(name.size()));
        central.U16(0);
        central.U16(0);
        central.U16(0);
        central.U16(0);
        central.U32(0);
        central.U32(offset);
        central.Bytes(name.data(), name.size());
    }
    const uint32_t centralOffset = uint32_t(out.Size());
    out.Bytes(central.Buffer());
    out.U32(0x06054B50);
    out.U16(0);
    out.U16(0);
    out.U16(uint16_t(members.size()));
    out.U16(uint16_t(members.size()));
    out.U32(uint32_t(central.Size()));
    out.U32(centralOffset);
    out.U16(0);
    return std::string(out.Buffer().begin(), out.Buffer().end());
}

// One soffice for the whole suite: starting it is the slow part.
class OfficeApp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!OfficeInstalled()) return;
        clipboard_ = new Clipboard;
        factory_ = new OfficePresentationAppFactory(*clipboard_);
        app_ = factory_->Create().release();
        files_ = new TempFolder;
    }
    static void TearDownTestSuite() {
        if (app_) app_->Quit();
        delete app_;
        delete factory_;
        delete clipboard_;
        delete files_;
        app_ = nullptr;
    }
    void SetUp() override {
        if (!OfficeInstalled()) GTEST_SKIP() << "soffice is not installed";
        ASSERT_NE(app_, nullptr) << factory_->LastError();
    }
    std::shared_ptr<Presentation> Open(const std::string& path) {
        return app_->GetPresentations()->Open(path, 0, 0, 0);
    }
    static std::string Failure(const std::string& path) {
        try {
            app_->GetPresentations()->Open(path, 0, 0, 0);
        } catch (const AutomationError& e) {
            return e.what();
        }
        return "(opened)";
    }

    static inline Clipboard* clipboard_ = nullptr;
    static inline OfficePresentationAppFactory* factory_ = nullptr;
    static inline PresentationApp* app_ = nullptr;
    static inline TempFolder* files_ = nullptr;
};

TEST_F(OfficeApp, TinyDeckCountSizePropertiesAndLinks) {
    auto deck = Open(files_->Write("tiny.fodp", kTinyDeck));
    EXPECT_EQ(deck->GetSlides()->Count(), 2);
    EXPECT_NEAR(deck->GetPageSetup()->SlideWidth(), 28000 * 72.0 / 2540, 0.01);
    EXPECT_NEAR(deck->GetPageSetup()->SlideHeight(), 15750 * 72.0 / 2540, 0.01);

    auto props = deck->BuiltInDocumentProperties();
    EXPECT_EQ(props->Item(1)->Value(), "Tiny deck");
    EXPECT_EQ(props->Item(2)->Value(), "Testing");
    EXPECT_EQ(props->Item(3)->Value(), "Ada Author");
    EXPECT_EQ(props->Item(4)->Value(), "one; two");
    EXPECT_EQ(props->Item(7)->Value(), "Lee Editor");
    EXPECT_THROW(props->Item(99), AutomationError);

    auto links = deck->GetSlides()->Item(1)->GetHyperlinks();
    ASSERT_EQ(links->Count(), 3);
    EXPECT_EQ(links->Item(1)->Address(), "https://example.com/tiny");
    EXPECT_EQ(links->Item(1)->SubAddress(), "");
    EXPECT_EQ(links->Item(1)->TextToDisplay(), "the site");
    // A slide without a title placeholder is named by the topmost text it draws.
    EXPECT_EQ(links->Item(2)->Address(), "");
    EXPECT_EQ(links->Item(2)->SubAddress(), "The end");
    EXPECT_EQ(links->Item(2)->TextToDisplay(), "to the end");
    EXPECT_EQ(links->Item(3)->Address(), "mailto:ada@example.com");
    EXPECT_THROW(links->Item(0), AutomationError);
    EXPECT_THROW(links->Item(4), AutomationError);
    EXPECT_EQ(deck->GetSlides()->Item(2)->GetHyperlinks()->Count(), 0);
    EXPECT_THROW(deck->GetSlides()->Item(3), AutomationError);
    EXPECT_THROW(deck->GetSlides()->Item(0), AutomationError);
}

TEST_F(OfficeApp, LinksInGroupsAndToFiles) {
    const std::string path = files_->Write("links.fodp", kLinkShapesDeck);
    auto links = Open(path)->GetSlides()->Item(1)->GetHyperlinks();
    ASSERT_EQ(links->Count(), 3);
    EXPECT_EQ(links->Item(1)->Address(), "file:///opt/decks/other%20deck.odp");
    EXPECT_EQ(links->Item(1)->TextToDisplay(), "the other deck");
    // A relative link names the file beside the deck, as the suite resolves it.
    const std::string folder = fs::path(path).parent_path().string();
    EXPECT_EQ(links->Item(2)->Address(), "file://" + folder + "/notes/next.odp");
    EXPECT_EQ(links->Item(2)->TextToDisplay(), "next door");
    EXPECT_EQ(links->Item(3)->Address(), "https://example.com/after");
    EXPECT_EQ(links->Item(3)->TextToDisplay(), "after the group");
}

TEST_F(OfficeApp, CopyPutsOneFramedPictureOfTheSlideOnTheClipboard) {
    auto deck = Open(files_->Write("tiny-copy.fodp", kTinyDeck));
    clipboard_->Empty();
    deck->GetSlides()->Item(1)->Copy();
    ASSERT_TRUE(clipboard_->IsFormatAvailable(kClipboardFormatMetafilePict));
    EXPECT_FALSE(clipboard_->IsOpen());
    const MetafilePicture* pic = clipboard_->GetMetafilePicture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->mm, 8);
    EXPECT_EQ(pic->xExt, 28000);
    EXPECT_EQ(pic->yExt, 15750);
    auto walk = WalkWmf(pic->wmf);
    ASSERT_TRUE(walk.framed) << walk.problem;
    // Three pieces (background, the master's rectangle, the slide's shapes), each
    // played inside its own saved state.
    EXPECT_GE(walk.CountOf(wmf::kSaveDC), 3u);
    EXPECT_EQ(walk.CountOf(wmf::kSaveDC), walk.CountOf(wmf::kRestoreDC));
    EXPECT_GE(walk.CountOf(wmf::kExtTextOut), 4u);  // the slide's words
    EXPECT_EQ(walk.CountOf(0x0626), 0u);            // no embedded copies of single pieces
    for (const auto& r : walk.records) {
        if (r.function == wmf::kSetWindowExt) {
            EXPECT_EQ(r.params[1], 28000);
            EXPECT_EQ(r.params[0], 15750);
        }
    }
    // The pieces were read and removed from the private folder.
    const auto* office = dynamic_cast<OfficePresentationApp*>(app_)->Instance();
    size_t wmfLeft = 0;
    for (const auto& e : fs::directory_iterator(office->Folder())) wmfLeft += e.path().extension() == ".wmf";
    EXPECT_EQ(wmfLeft, 0u);
}

TEST_F(OfficeApp, WideSlidesKeepTheirExtentInSixteenBits) {
    // 13.333 in x 7.5 in: 33867 hundredths of a millimetre wide, beyond a 16-bit extent.
    std::string wide = kTinyDeck;
    const std::string from = R"(fo:page-width="28cm" fo:page-height="15.75cm")";
    wide.replace(wide.find(from), from.size(), R"(fo:page-width="33.867cm" fo:page-height="19.05cm")");
    auto deck = Open(files_->Write("wide.fodp", wide));
    EXPECT_NEAR(deck->GetPageSetup()->SlideWidth(), 960.0, 0.05);
    deck->GetSlides()->Item(1)->Copy();
    const MetafilePicture* pic = clipboard_->GetMetafilePicture();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->xExt, 33867);
    EXPECT_EQ(pic->yExt, 19050);
    auto walk = WalkWmf(pic->wmf);
    ASSERT_TRUE(walk.framed) << walk.problem;
    for (const auto& r : walk.records) {
        if (r.function != wmf::kSetWindowExt) continue;
        // Every piece maps the same page: the extent keeps the slide's proportions.
        EXPECT_GT(r.params[1], 0);
        EXPECT_NEAR(double(r.params[0]) / r.params[1], 19050.0 / 33867.0, 0.001);
    }
}

TEST_F(OfficeApp, BadInputsFailWithADescription) {
    TempFolder local;
    std::string zip = "PK\x03\x04";
    zip += std::string(200, '\x17');
    struct Case {
        std::string path;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"/nonexistent/deck.ppt", "does not exist"},
        {local.Write("notes.txt", "just some words\n"), "not a presentation"},
        {local.Write("letter.fodt", kTextDocument), "is not a presentation"},
        {local.Write("broken.pptx", zip), "damaged"},
        {local.Write("noise.ppt", std::string(4096, '\xA5')), "damaged"},
        {local.Write("empty.ppt", ""), "empty"},
        {fs::temp_directory_path().string(), "folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_NE(Failure(c.path).find(c.says), std::string::npos) << Failure(c.path);
    }
    // The application is still usable after all of them.
    EXPECT_EQ(Open(files_->Write("after.fodp", kTinyDeck))->GetSlides()->Count(), 2);
}

TEST_F(OfficeApp, PasswordProtectedFilesSaySo) {
    // Laid out like a password-protected OpenDocument presentation: the manifest lists
    // encryption data for its content, which cannot be read without the password.
    const std::string manifest =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.3\">\n"
        " <manifest:file-entry manifest:full-path=\"/\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.presentation\"/>\n"
        " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\" "
        "manifest:size=\"4000\">\n"
        "  <manifest:encryption-data manifest:checksum-type=\"SHA1/1K\" manifest:checksum=\"AAAA\">\n"
        "   <manifest:algorithm manifest:algorithm-name=\"Blowfish CFB\" "
        "manifest:initialisation-vector=\"AAAAAAAAAAA=\"/>\n"
        "   <manifest:key-derivation manifest:key-derivation-name=\"PBKDF2\" manifest:key-size=\"16\" "
        "manifest:iteration-count=\"1024\" manifest:salt=\"AAAAAAAAAAAAAAAAAAAAAA==\"/>\n"
        "  </manifest:encryption-data>\n"
        " </manifest:file-entry>\n"
        "</manifest:manifest>\n";
    TempFolder local;
    const std::string odp = local.Write(
        "secret.odp", StoredZip({{"mimetype", "application/vnd.oasis.opendocument.presentation"},
                                 {"content.xml", std::string(400, '\x5A')},
                                 {"META-INF/manifest.xml", manifest}}));
    EXPECT_NE(Failure(odp).find("protected by a password"), std::string::npos) << Failure(odp);
}

TEST_F(OfficeApp, CopyDrawsTheMastersSlideNumberForThatSlide) {
    const std::string path = Corpus("ppt/poi__test-data__slideshow__PictureTypeZero.ppt");
    if (path.empty()) GTEST_SKIP() << "corpus not present";
    auto deck = Open(path);
    for (int16_t n : {2, 3}) {
        SCOPED_TRACE(n);
        deck->GetSlides()->Item(n)->Copy();
        const MetafilePicture* pic = clipboard_->GetMetafilePicture();
        ASSERT_NE(pic, nullptr);
        auto texts = TextsOf(pic->wmf);
        EXPECT_NE(std::find(texts.begin(), texts.end(), std::to_string(n)), texts.end());
    }
}

TEST_F(OfficeApp, ProbeDeckLinksOfEveryKind) {
    const std::string path = Corpus("decks-made/probe_deck_shapelinks.pptx");
    if (path.empty()) GTEST_SKIP() << "corpus not present";
    auto deck = Open(path);
    auto slides = deck->GetSlides();
    ASSERT_EQ(slides->Count(), 4);
    EXPECT_FLOAT_EQ(deck->GetPageSetup()->SlideWidth(), 720.0f);
    EXPECT_FLOAT_EQ(deck->GetPageSetup()->SlideHeight(), 540.0f);

    auto text = slides->Item(1)->GetHyperlinks();
    ASSERT_EQ(text->Count(), 4);
    EXPECT_EQ(text->Item(1)->Address(), "https://example.org/path?q=1");
    // The titles are text boxes above an empty title placeholder, which is not drawn.
    EXPECT_EQ(text->Item(2)->SubAddress(), "Slide two: shapes");
    EXPECT_EQ(text->Item(2)->TextToDisplay(), "Go to slide 2");
    EXPECT_EQ(text->Item(3)->SubAddress(), "Slide three (Summary): picture");
    EXPECT_EQ(text->Item(4)->Address(), "mailto:someone@example.com?subject=Hi");

    // Click actions of shapes: no display text, slide targets as sub-addresses.
    auto shapes = slides->Item(2)->GetHyperlinks();
    ASSERT_GE(shapes->Count(), 3);
    for (int32_t i = 1; i <= shapes->Count(); ++i) EXPECT_THROW(shapes->Item(i)->TextToDisplay(), AutomationError);
    EXPECT_EQ(shapes->Item(1)->Address(), "");
    EXPECT_EQ(shapes->Item(1)->SubAddress(), "Slide three (Summary): picture");
    EXPECT_EQ(shapes->Item(3)->Address(), "https://example.net/clicked");

    auto table = slides->Item(4)->GetHyperlinks();
    ASSERT_EQ(table->Count(), 1);
    EXPECT_EQ(table->Item(1)->Address(), "https://example.com/in-table");
    EXPECT_EQ(table->Item(1)->TextToDisplay(), "link in table");
}

TEST_F(OfficeApp, SlideLinksNameTheTargetsTitle) {
    const std::string path = Corpus("decks-made/poi_links.ppt");
    if (path.empty()) GTEST_SKIP() << "corpus not present";
    auto deck = Open(path);
    auto links = deck->GetSlides()->Item(2)->GetHyperlinks();
    bool sawSlideLink = false;
    for (int32_t i = 1; i <= links->Count(); ++i) {
        auto l = links->Item(i);
        if (l->TextToDisplay() == "go to slide 1") {
            sawSlideLink = true;
            EXPECT_EQ(l->Address(), "");
            EXPECT_EQ(l->SubAddress(), "dev@poi.apache.org");  // the only text slide 1 draws
        }
        if (l->TextToDisplay() == "go to last slide") {
            EXPECT_EQ(l->Address(), "");  // the raw "id,-1,LAST" form points at the last slide
            EXPECT_EQ(l->SubAddress(), "go to first slide");
        }
    }
    EXPECT_TRUE(sawSlideLink);
}

TEST_F(OfficeApp, CorpusDecksOpenAndCopy) {
    struct Case {
        const char* file;
        int32_t slides;
        float widthPt;
    };
    const Case cases[] = {
        {"ppt/poi__test-data__slideshow__WithLinks.ppt", 2, 793.7f},
        {"ppt/poi__test-data__slideshow__bug55902-mixedFontChineseCharacters.ppt", -1, 0},
        {"pptx/poi__test-data__slideshow__with_japanese.pptx", -1, 0},
        {"decks-made/probe_deck.odp", 4, 720.0f},
    };
    size_t tried = 0;
    for (const auto& c : cases) {
        const std::string path = Corpus(c.file);
        if (path.empty()) continue;
        SCOPED_TRACE(c.file);
        ++tried;
        auto deck = Open(path);
        const int32_t count = deck->GetSlides()->Count();
        if (c.slides >= 0) {
            EXPECT_EQ(count, c.slides);
        }
        if (c.widthPt > 0) {
            EXPECT_NEAR(deck->GetPageSetup()->SlideWidth(), c.widthPt, 0.05);
        }
        ASSERT_GT(count, 0);
        clipboard_->Empty();
        deck->GetSlides()->Item(1)->Copy();
        const MetafilePicture* pic = clipboard_->GetMetafilePicture();
        ASSERT_NE(pic, nullptr);
        EXPECT_EQ(pic->mm, 8);
        EXPECT_NEAR(pic->xExt, deck->GetPageSetup()->SlideWidth() * 2540 / 72, 1.0);
        auto walk = WalkWmf(pic->wmf);
        EXPECT_TRUE(walk.framed) << walk.problem;
    }
    if (tried == 0) GTEST_SKIP() << "corpus not present";
}

TEST_F(OfficeApp, SummaryOfADeck) {
    PresentationSummary s = CollectPresentationSummary(*app_, files_->Write("summary.fodp", kTinyDeck));
    EXPECT_EQ(s.slideCount, 2);
    EXPECT_EQ(s.title, "Tiny deck");
    EXPECT_EQ(s.lastAuthor, "Lee Editor");
    ASSERT_EQ(s.slides.size(), 2u);
    EXPECT_NEAR(s.slides[0].widthPt, 793.7, 0.05);
    ASSERT_EQ(s.slides[0].hyperlinks.size(), 3u);
    EXPECT_EQ(s.slides[0].hyperlinks[1].subAddress, "The end");
    EXPECT_NE(PresentationSummaryJson(s).find("\"subAddress\": \"The end\""), std::string::npos);
    EXPECT_NE(PresentationSummaryText(s).find("Keywords:    one; two"), std::string::npos);
}

// Lifecycle: every test below starts its own soffice.
class OfficeLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        if (!OfficeInstalled()) GTEST_SKIP() << "soffice is not installed";
    }
    Clipboard clipboard_;
};

struct RunTrace {
    pid_t group = -1;
    std::string folder;
};

RunTrace TraceOf(PresentationApp& app) {
    const OfficeInstance* instance = dynamic_cast<OfficePresentationApp&>(app).Instance();
    return {instance->SofficePid(), instance->Folder()};
}

TEST_F(OfficeLifecycle, QuitAndDestructionLeaveNothingBehind) {
    for (bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "quit" : "destroyed without quit");
        OfficePresentationAppFactory factory(clipboard_);
        auto app = factory.Create();
        ASSERT_NE(app, nullptr) << factory.LastError();
        RunTrace run = TraceOf(*app);
        ASSERT_GT(run.group, 0);
        EXPECT_FALSE(GroupMembers(run.group).empty());
        EXPECT_TRUE(fs::exists(run.folder + "/profile"));
        if (quit) {
            app->Quit();
            EXPECT_THROW(app->GetPresentations(), AutomationError);
        }
        app.reset();
        EXPECT_TRUE(GroupGone(run.group));
        EXPECT_FALSE(fs::exists(run.folder));
    }
}

TEST_F(OfficeLifecycle, TwoRunsAtOnceKeepApart) {
    OfficePresentationAppFactory factory(clipboard_);
    auto first = factory.Create();
    auto second = factory.Create();
    ASSERT_NE(first, nullptr) << factory.LastError();
    ASSERT_NE(second, nullptr) << factory.LastError();
    RunTrace a = TraceOf(*first), b = TraceOf(*second);
    EXPECT_NE(a.group, b.group);
    EXPECT_NE(a.folder, b.folder);
    TempFolder files;
    const std::string deck = files.Write("two.fodp", kTinyDeck);
    EXPECT_EQ(first->GetPresentations()->Open(deck, 0, 0, 0)->GetSlides()->Count(), 2);
    EXPECT_EQ(second->GetPresentations()->Open(deck, 0, 0, 0)->GetSlides()->Count(), 2);
    first->Quit();
    EXPECT_TRUE(GroupGone(a.group));
    EXPECT_FALSE(GroupMembers(b.group).empty()) << "quitting one run leaves the other alone";
    EXPECT_EQ(second->GetPresentations()->Open(deck, 0, 0, 0)->GetSlides()->Count(), 2);
}

TEST_F(OfficeLifecycle, AKilledSofficeIsAnErrorNotAHang) {
    OfficePresentationAppFactory factory(clipboard_);
    auto app = factory.Create();
    ASSERT_NE(app, nullptr) << factory.LastError();
    RunTrace run = TraceOf(*app);
    TempFolder files;
    auto deck = app->GetPresentations()->Open(files.Write("k.fodp", kTinyDeck), 0, 0, 0);
    // Kill soffice itself (not the bridge): every member of the group but the bridge.
    const pid_t bridge = dynamic_cast<OfficePresentationApp&>(*app).Instance()->BridgePid();
    for (pid_t p : GroupMembers(run.group)) {
        if (p != bridge) kill(p, SIGKILL);
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(deck->GetSlides()->Count(), AutomationError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_THROW(deck->GetSlides()->Count(), AutomationError) << "the instance is not used again";
    EXPECT_THROW(app->GetPresentations(), AutomationError);
    app.reset();
    EXPECT_TRUE(GroupGone(run.group));
    EXPECT_FALSE(fs::exists(run.folder));
}

TEST_F(OfficeLifecycle, AHungSofficeTimesOut) {
    OfficeLaunchOptions options;
    options.callTimeout = std::chrono::milliseconds(1500);
    OfficePresentationAppFactory factory(clipboard_, options);
    auto app = factory.Create();
    ASSERT_NE(app, nullptr) << factory.LastError();
    RunTrace run = TraceOf(*app);
    TempFolder files;
    auto deck = app->GetPresentations()->Open(files.Write("h.fodp", kTinyDeck), 0, 0, 0);
    const pid_t bridge = dynamic_cast<OfficePresentationApp&>(*app).Instance()->BridgePid();
    for (pid_t p : GroupMembers(run.group)) {
        if (p != bridge) kill(p, SIGSTOP);  // soffice stops answering, the bridge waits
    }
    const auto start = std::chrono::steady_clock::now();
    try {
        deck->GetSlides()->Count();
        ADD_FAILURE() << "a stopped soffice answered";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("did not answer in time"), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // The timed-out instance was ended at once, stopped processes included.
    EXPECT_TRUE(GroupGone(run.group));
    EXPECT_FALSE(fs::exists(run.folder));
}

TEST_F(OfficeLifecycle, AProgramThatDiesLeavesNoOfficeBehind) {
    // The child starts an application and is killed outright: no destructor runs, so
    // only the watchdog can clean up.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        Clipboard clipboard;
        OfficePresentationAppFactory factory(clipboard);
        auto app = factory.Create();
        std::string report = "0 -";
        if (app) {
            RunTrace run = TraceOf(*app);
            report = std::to_string(run.group) + " " + run.folder;
        }
        report += "\n";
        if (write(fds[1], report.data(), report.size()) < 0) _exit(2);
        raise(SIGKILL);
        _exit(1);
    }
    close(fds[1]);
    std::string report;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::istringstream in(report);
    pid_t group = 0;
    std::string folder;
    in >> group >> folder;
    ASSERT_GT(group, 0) << "the child could not start the application";
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(GroupGone(group));
    bool removed = false;
    for (int i = 0; i < 500 && !removed; ++i) {
        removed = !fs::exists(folder);
        if (!removed) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(removed) << folder;
}

TEST_F(OfficeLifecycle, MissingSofficeOrBridgeGivesNoApplication) {
    OfficeLaunchOptions noSoffice;
    noSoffice.sofficePath = "/nonexistent/soffice";
    OfficePresentationAppFactory a(clipboard_, noSoffice);
    EXPECT_EQ(a.Create(), nullptr);
    EXPECT_NE(a.LastError().find("soffice"), std::string::npos);

    OfficeLaunchOptions noBridge;
    noBridge.bridgePath = "/nonexistent/bridge.py";
    OfficePresentationAppFactory b(clipboard_, noBridge);
    EXPECT_EQ(b.Create(), nullptr);

    // soffice that is not an office suite: starts, never accepts a connection.
    OfficeLaunchOptions notOffice;
    notOffice.sofficePath = "/bin/true";
    notOffice.startTimeout = std::chrono::milliseconds(2000);
    OfficePresentationAppFactory c(clipboard_, notOffice);
    EXPECT_EQ(c.Create(), nullptr);
}

}  // namespace
}  // namespace slidemill
