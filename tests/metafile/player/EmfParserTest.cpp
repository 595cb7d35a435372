// The record parser: lookup table, result codes, record announcements and the
// arguments each handler passes on, over small hand-built pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "metafile/EmfRecordTypes.h"
#include "tests/metafile/player/EmfBuilder.h"
#include "metafile/player/EmfParser.h"
#include "tests/metafile/player/RecordingRenderer.h"
#include "platform/gdi/PlaybackContext.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

using testing::EmfBuilder;
using testing::RecordingRenderer;
using testing::TestParser;

struct Harness {
    std::shared_ptr<testing::FakeMeasurer> measurer = std::make_shared<testing::FakeMeasurer>();
    PlaybackContext dc{measurer};
    testing::RecordingPageWriter writer;
    RecordingRenderer renderer;
    TestParser parser{&renderer};

    Harness() {
        writer.geometry.pageHeight = 540;
        writer.geometry.playWidth = 720;
        writer.geometry.offX = 0;
        writer.geometry.offY = 0;
        renderer.Link(&writer, true, 1.0);
    }
    int Play(const std::vector<uint8_t>& emf) { return parser.Play(&dc, emf, 0, PlaybackRect{0, 0, 720, 540}); }
    // The writer's calls without the pen and brush calls of the start-of-playback snapshot.
    std::vector<std::string> Drawn() const {
        // Past the start of playback: pen, width and brush, then the stock font's selection.
        size_t first = std::min<size_t>(3, writer.calls.size());
        while (first < writer.calls.size() && writer.calls[first].rfind("SetFont ", 0) == 0) ++first;
        std::vector<std::string> out(writer.calls.begin() + static_cast<std::ptrdiff_t>(first), writer.calls.end());
        return out;
    }
    // The log lines that start with the prefix.
    std::vector<std::string> Lines(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& l : renderer.log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
};

void FontRecord(EmfBuilder& b, uint32_t slot, int32_t height, int32_t escapement = 0) {
    b.Record(EMR_EXTCREATEFONTINDIRECTW, [&](ByteWriter& w) {
        w.U32(slot);
        w.I32(height);
        w.I32(0);
        w.I32(escapement);
        w.I32(escapement);
        w.I32(400);
        w.Zeros(8);
        const char* face = "Arial";
        for (int i = 0; i < 32; ++i) w.U16(i < 5 ? uint16_t(face[i]) : 0);
    });
    b.Ints(EMR_SELECTOBJECT, {int32_t(slot)});
}

// An EMR_EXTTEXTOUTA/W with its string (and spacing array when given) after the fields.
void TextRecord(EmfBuilder& b, bool wide, const std::string& text, const std::vector<int32_t>* dx,
                uint32_t graphicsMode = 1, float ex = 2.0f, float ey = 3.0f, int32_t nChars = -1) {
    b.Record(wide ? EMR_EXTTEXTOUTW : EMR_EXTTEXTOUTA, [&](ByteWriter& w) {
        testing::Bounds(w);
        w.U32(graphicsMode);
        w.F32(ex);
        w.F32(ey);
        w.I32(10);  // reference point
        w.I32(20);
        uint32_t n = nChars == -1 ? uint32_t(text.size()) : uint32_t(nChars);
        w.U32(n);
        uint32_t textBytes = uint32_t(text.size() * (wide ? 2 : 1));
        uint32_t textAt = 76, dxAt = (76 + textBytes + 3) / 4 * 4;
        w.U32(textAt);
        w.U32(0);  // options
        for (int v : {1, 2, 3, 4}) w.I32(v);
        w.U32(dx ? dxAt : 0);
        for (char c : text) wide ? w.U16(uint8_t(c)) : w.U8(uint8_t(c));
        w.PadTo(4);
        if (dx)
            for (int32_t v : *dx) w.I32(v);
    });
}

TEST(RecordParser, LookupTableHas123EntriesAndTheDerivedClassWins) {
    Harness h;
    ASSERT_EQ(h.Play(EmfBuilder().Finish()), kPlayDone);
    EXPECT_EQ(h.parser.LookupSize(), 123u);

    // A class that lists EMR_LINETO again overrides the parser's handler.
    struct Derived : TestParser {
        using TestParser::TestParser;
        int lineTos = 0;
        int HandleLineTo() override {
            ++lineTos;
            return 0;
        }
        const RecordMap& GetRecordMap() const override {
            static const RecordMapEntry entries[] = {
                {int(EMR_LINETO), static_cast<RecordHandler>(&Derived::HandleLineTo)}, {-1, nullptr}};
            static const RecordMap map = {&CEmfParser::GetRecordMap(), entries};
            return map;
        }
    };
    RecordingRenderer r;
    Derived d(&r);
    PlaybackContext dc(h.measurer);
    EmfBuilder b;
    b.Ints(EMR_LINETO, {5, 5});
    EXPECT_EQ(d.Play(&dc, b.Finish(), 0, {0, 0, 10, 10}), kPlayDone);
    EXPECT_EQ(d.lineTos, 1);
    EXPECT_TRUE(r.log.size() == 3 && r.log[0] == "OnSelectPen");  // only the snapshot's selections
}

TEST(RecordParser, ResultCodes) {
    Harness h;
    // No renderer.
    TestParser bare(nullptr);
    EXPECT_EQ(bare.Play(&h.dc, EmfBuilder().Finish(), 0, {}), kPlayNoRenderer);
    // Unreadable header.
    std::vector<uint8_t> junk(200, 0x41);
    EXPECT_EQ(h.Play(junk), kPlayNoHeader);
    // A record whose size runs past the end stops the walk; what came before stays drawn.
    EmfBuilder b;
    b.Record(EMR_POLYLINE16, [](ByteWriter& w) { testing::Points16(w, {{1, 1}, {2, 2}}); });
    b.Raw({4, 0, 0, 0, 0xF0, 0, 0, 0});
    EXPECT_EQ(h.Play(b.Finish(false)), kPlayStopped);
    EXPECT_EQ(h.parser.LastError(), kPlayStopped);
    EXPECT_EQ(h.Drawn(), std::vector<std::string>{"DrawLine 1 1 2 2"});
    // A picture without an end-of-file record.
    EXPECT_EQ(h.Play(EmfBuilder().Finish(false)), kPlayStopped);
}

TEST(RecordParser, UnknownTypesArePlayedButNotAnnounced) {
    Harness h;
    h.renderer.logRecords = true;
    EmfBuilder b;
    b.Ints(69, {1, 2});
    b.Ints(200, {3});
    b.Ints(0, {});
    b.Ints(EMR_SETBKMODE, {1});
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnRecord"), (std::vector<std::string>{"OnRecord 1", "OnRecord 18", "OnRecord 14"}));
    EXPECT_EQ(h.parser.RecordCount(), 6u);
}

TEST(RecordParser, CommentsWithEmfPlusRecordsOnlyReachTheContext) {
    Harness h;
    EmfBuilder b;
    b.Record(EMR_COMMENT, [](ByteWriter& w) {
        w.U32(16);
        w.U32(0x2B464D45);  // "EMF+"
        w.U16(0x4008);      // an EMF+ object record
        w.U16(0);
        w.U32(12);
        w.U32(0);
    });
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_TRUE(h.Drawn().empty());
}

TEST(RecordParser, LineToBecomesOnePointPolylineTo) {
    Harness h;
    EmfBuilder b;
    b.Ints(EMR_MOVETOEX, {5, 5});
    b.Ints(EMR_LINETO, {15, 5});
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnPolylineTo"), std::vector<std::string>{"OnPolylineTo 1: 15,5"});
    EXPECT_EQ(h.writer.calls.back(), "DrawLine 5 5 15 5");
}

TEST(RecordParser, ObjectSelectionByKind) {
    Harness h;
    EmfBuilder b(4);
    b.Ints(EMR_SELECTOBJECT, {int32_t(0x80000000)});  // stock white brush
    b.Ints(EMR_SELECTOBJECT, {int32_t(0x80000007)});  // stock 7, black pen: not slot 7
    b.Ints(EMR_SELECTOBJECT, {int32_t(0x8000000F)});  // stock palette: nothing
    b.Ints(EMR_CREATEPEN, {3, 0, 2, 0, 0x0000FF});
    b.Ints(EMR_SELECTOBJECT, {3});
    b.Ints(EMR_SELECTOBJECT, {7});  // beyond the table: nothing
    b.Ints(EMR_SELECTPALETTE, {int32_t(0x8000000F)});
    h.renderer.log.clear();
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    std::vector<std::string> expected = {"OnSelectPen", "OnSelectBrush", "OnSelectFont",  // OnBegin's snapshot
                                         "OnSelectBrush", "OnSelectPen", "OnSelectPen", "OnSelectPalette 2147483663"};
    EXPECT_EQ(h.renderer.log, expected);
    EXPECT_EQ(h.writer.calls.back(), "SetPenWidth 2");
}

TEST(RecordParser, BlockTransfersWithAndWithoutSource) {
    Harness h;
    auto bitblt = [](EmfBuilder& b, bool withSource) {
        b.Record(EMR_BITBLT, [&](ByteWriter& w) {
            testing::Bounds(w);
            for (int v : {10, 20, 30, 40}) w.I32(v);  // dest x, y, cx, cy
            w.U32(0x00F00021);
            w.I32(1);
            w.I32(2);  // src
            for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) w.F32(f);
            w.U32(0);  // bk colour
            w.U32(0);  // usage
            w.U32(withSource ? 100 : 0);
            w.U32(withSource ? 40 : 0);
            w.U32(withSource ? 140 : 0);
            w.U32(withSource ? 4 : 0);
            if (withSource) {
                w.U32(40);
                w.I32(1);
                w.I32(1);
                w.U16(1);
                w.U16(32);
                w.Zeros(24);
                w.U32(0x00FF00FF);
            }
        });
    };
    EmfBuilder b;
    bitblt(b, false);
    bitblt(b, true);
    b.Record(EMR_ALPHABLEND, [](ByteWriter& w) {
        testing::Bounds(w);
        w.Zeros(4 * 5 + 8 + 24 + 8 + 16 + 8);
    });
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnPatBlt"), std::vector<std::string>{"OnPatBlt 10,20,40,60 00f00021 xform"});
    EXPECT_EQ(h.Lines("OnStretchBlt"),
              std::vector<std::string>{"OnStretchBlt 10,20,40,60 1,2,31,42 bits=4 bmi=40 usage=0 00f00021 xform"});
    EXPECT_TRUE(h.Lines("OnAlphaBlend").empty());
}

TEST(RecordParser, BlockTransferWithBitmapOutsideTheRecordDrawsNothing) {
    Harness h;
    EmfBuilder b;
    b.Record(EMR_STRETCHDIBITS, [](ByteWriter& w) {
        testing::Bounds(w);
        for (int v : {0, 0, 0, 0, 8, 8}) w.I32(v);
        w.U32(80);
        w.U32(40);
        w.U32(0x7FFFFFF0);  // bits far beyond the record
        w.U32(256);
        w.U32(0);
        w.U32(0x00CC0020);
        w.I32(8);
        w.I32(8);
        w.Zeros(40);
    });
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_TRUE(h.Lines("OnStretchBlt").empty());
    EXPECT_TRUE(h.Lines("OnPatBlt").empty());
}

// ---- a SRCPAINT mask followed by its SRCAND image -------------------------------------

// An EMR_STRETCHDIBITS of a 2 x 2 24-bit bitmap given top row first.
void StretchDib(EmfBuilder& b, uint32_t rop, RECTL dest, const uint32_t (&pixels)[4], int32_t width = 2) {
    b.Record(EMR_STRETCHDIBITS, [&](ByteWriter& w) {
        testing::Bounds(w);
        w.I32(dest.left);
        w.I32(dest.top);
        w.I32(0);
        w.I32(0);
        w.I32(width);
        w.I32(2);
        w.U32(80);  // header at the end of the fixed fields
        w.U32(40);
        w.U32(120);
        w.U32(width == 2 ? 16 : 24);
        w.U32(0);  // DIB_RGB_COLORS
        w.U32(rop);
        w.I32(dest.right - dest.left);
        w.I32(dest.bottom - dest.top);
        w.U32(40);
        w.I32(width);
        w.I32(2);
        w.U16(1);
        w.U16(24);
        w.Zeros(24);
        for (int row : {1, 0}) {  // bottom-up
            for (int x = 0; x < width; ++x) {
                const uint32_t c = pixels[size_t(row * 2 + (x % 2))];
                w.U8(uint8_t(c >> 16));
                w.U8(uint8_t(c >> 8));
                w.U8(uint8_t(c));
            }
            w.PadTo(4);
        }
    });
}

constexpr uint32_t kSrcPaint = 0x00EE0086, kSrcAnd = 0x008800C6;
constexpr uint32_t kMaskPixels[4] = {0x000000, 0xFFFFFF, 0xFFFFFF, 0x101010};  // top row first
constexpr uint32_t kImagePixels[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0xFFFFFF};

TEST(RecordParser, PaintMaskThenAndImagePlayAsOneMaskedTransfer) {
    Harness h;
    EmfBuilder b;
    StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
    StretchDib(b, kSrcAnd, {10, 20, 110, 120}, kImagePixels);
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_TRUE(h.Lines("OnStretchBlt").empty());
    // Bit 1 (opaque) where the mask is light; bottom row stored first.
    EXPECT_EQ(h.Lines("OnMaskBlt"), std::vector<std::string>{"OnMaskBlt 10,20,110,120 0,0,2,2 bits=16 bmi=40 usage=0 "
                                                             "aacc0020 mask@0,0 maskBmi=48 maskBits=8000000040000000"});
}

// The icon form: an AND mask (white where transparent) and then an XOR image.
TEST(RecordParser, AndMaskThenInvertImagePlayAsOneMaskedTransfer) {
    constexpr uint32_t kSrcInvert = 0x00660046;
    constexpr uint32_t kAndMask[4] = {0xFFFFFF, 0x000000, 0x000000, 0x000000};
    Harness h;
    EmfBuilder b;
    StretchDib(b, kSrcAnd, {0, 0, 32, 32}, kAndMask);
    StretchDib(b, kSrcInvert, {0, 0, 32, 32}, kImagePixels);
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_TRUE(h.Lines("OnStretchBlt").empty());
    EXPECT_EQ(h.Lines("OnMaskBlt"), std::vector<std::string>{"OnMaskBlt 0,0,32,32 0,0,2,2 bits=16 bmi=40 usage=0 "
                                                             "aacc0020 mask@0,0 maskBmi=48 maskBits=c000000040000000"});
}

TEST(RecordParser, UnpairedPaintAndAndRecordsStaySeparate) {
    struct Case {
        const char* what;
        std::function<void(EmfBuilder&)> build;
    } cases[] = {
        {"destinations differ",
         [](EmfBuilder& b) {
             StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
             StretchDib(b, kSrcAnd, {11, 20, 110, 120}, kImagePixels);
         }},
        {"sizes differ",
         [](EmfBuilder& b) {
             StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
             StretchDib(b, kSrcAnd, {10, 20, 110, 120}, kImagePixels, 3);
         }},
        {"the image comes first",
         [](EmfBuilder& b) {
             StretchDib(b, kSrcAnd, {10, 20, 110, 120}, kImagePixels);
             StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
         }},
        {"another record between",
         [](EmfBuilder& b) {
             StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
             b.Ints(EMR_SETBKMODE, {1});
             StretchDib(b, kSrcAnd, {10, 20, 110, 120}, kImagePixels);
         }},
    };
    for (const Case& c : cases) {
        Harness h;
        EmfBuilder b;
        c.build(b);
        ASSERT_EQ(h.Play(b.Finish()), kPlayDone) << c.what;
        EXPECT_EQ(h.Lines("OnStretchBlt").size(), 2u) << c.what;
        EXPECT_TRUE(h.Lines("OnMaskBlt").empty()) << c.what;
    }
    // A mask that is the last drawing record is placed as it is.
    Harness h;
    EmfBuilder b;
    StretchDib(b, kSrcPaint, {10, 20, 110, 120}, kMaskPixels);
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnStretchBlt").size(), 1u);
}

struct TextCase {
    const char* name;
    bool wide;
    std::string text;
    std::vector<int32_t> dx;  // empty: no spacing array
    uint32_t graphicsMode;
    int32_t nChars;  // -1: the text's length
    std::string expected;  // "" = no call
};

TEST(RecordParser, TextRecords) {
    const TextCase cases[] = {
        {"no characters", true, "", {}, 1, 0, ""},
        {"negative count", true, "ab", {}, 1, -5, ""},
        {"ansi, advances measured with the selected font", false, "abc", {}, 1, -1,
         "OnExtTextOut 10,20 opt=0 rect=1,2,3,4 'abc' adv=12,12,12 scale=2,3"},
        {"spacing array used as it is", true, "abc", {4, 5, 6}, 1, -1,
         "OnExtTextOut 10,20 opt=0 rect=1,2,3,4 'abc' adv=4,5,6 scale=2,3"},
        {"last spacing 0: only the last is measured", true, "abc", {4, 5, 0}, 1, -1,
         "OnExtTextOut 10,20 opt=0 rect=1,2,3,4 'abc' adv=4,5,12 scale=2,3"},
        {"advanced graphics mode: scales 1", true, "ab", {7, 8}, 2, -1,
         "OnExtTextOut 10,20 opt=0 rect=1,2,3,4 'ab' adv=7,8 scale=1,1"},
        {"count beyond the record", true, "ab", {}, 1, 1000, ""},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        EmfBuilder b;
        FontRecord(b, 1, -12);
        TextRecord(b, c.wide, c.text, c.dx.empty() ? nullptr : &c.dx, c.graphicsMode, 2.0f, 3.0f, c.nChars);
        ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
        auto lines = h.Lines("OnExtTextOut");
        if (c.expected.empty())
            EXPECT_TRUE(lines.empty());
        else
            EXPECT_EQ(lines, std::vector<std::string>{c.expected});
    }
}

TEST(RecordParser, MeasuringARotatedFontUsesAnUprightCopyAndLeavesTheSelection) {
    Harness h;
    EmfBuilder b;
    FontRecord(b, 1, -20, 900);
    TextRecord(b, true, "ab", nullptr);
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnExtTextOut"),
              std::vector<std::string>{"OnExtTextOut 10,20 opt=0 rect=1,2,3,4 'ab' adv=20,20 scale=2,3"});
    // Only the stock objects are left once the walk has cleaned its table.
    EXPECT_EQ(h.dc.ObjectCount(), 0u);
}

TEST(RecordParser, SmallTextOutLayouts) {
    struct Case {
        uint32_t options;
        std::string expected;
    } cases[] = {
        {0x100, "OnExtTextOut 3,4 opt=256 rect=0,0,0,0 'hi' adv=12,12 scale=2,3"},
        {0x204, "OnExtTextOut 3,4 opt=516 rect=5,6,7,8 'hi' adv=12,12 scale=2,3"},
        {0x300, "OnExtTextOut 3,4 opt=768 rect=0,0,0,0 'hi' adv=12,12 scale=2,3"},
        {0x006, "OnExtTextOut 3,4 opt=2 rect=0,0,0,0 'hi' adv=12,12 scale=2,3"},  // clipped bit cleared
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        Harness h;
        EmfBuilder b;
        FontRecord(b, 1, -12);
        b.Record(EMR_SMALLTEXTOUT, [&](ByteWriter& w) {
            w.I32(3);
            w.I32(4);
            w.U32(2);
            w.U32(c.options);
            w.U32(1);
            w.F32(2);
            w.F32(3);
            if (c.options == 0x100) {
                w.U16('h');
                w.U16('i');
            } else {
                if (c.options == 0x204)
                    for (int v : {5, 6, 7, 8}) w.I32(v);
                w.U8('h');
                w.U8('i');
            }
        });
        ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
        EXPECT_EQ(h.Lines("OnExtTextOut"), std::vector<std::string>{c.expected});
    }
}

TEST(RecordParser, PolyTextOutCallsOncePerString) {
    Harness h;
    EmfBuilder b;
    FontRecord(b, 1, -12);
    b.Record(EMR_POLYTEXTOUTW, [](ByteWriter& w) {
        testing::Bounds(w);
        w.U32(1);
        w.F32(1);
        w.F32(1);
        w.U32(2);  // strings
        for (int i = 0; i < 2; ++i) {
            w.I32(i * 10);
            w.I32(0);
            w.U32(1);
            w.U32(120 + 4 * i);  // offString
            w.U32(0);
            w.Zeros(16);
            w.U32(0);
        }
        w.U16('x');
        w.U16(0);
        w.U16('y');
        w.U16(0);
    });
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnExtTextOut").size(), 2u);
}

TEST(RecordParser, PathRecordsMapToUsePath) {
    Harness h;
    EmfBuilder b;
    for (uint32_t t : {EMR_FILLPATH, EMR_STROKEANDFILLPATH, EMR_STROKEPATH}) {
        b.Ints(EMR_BEGINPATH, {});
        b.Record(t, [](ByteWriter& w) { testing::Bounds(w); });
    }
    b.Ints(EMR_BEGINPATH, {});
    b.Ints(EMR_SELECTCLIPPATH, {4});
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_EQ(h.Lines("OnUsePath"),
              (std::vector<std::string>{"OnUsePath 2 5", "OnUsePath 3 5", "OnUsePath 1 5", "OnUsePath 16 4"}));
}

TEST(RecordParser, HostileCountsNeverReachTheRenderer) {
    Harness h;
    EmfBuilder b;
    b.Record(EMR_POLYGON, [](ByteWriter& w) {
        testing::Bounds(w);
        w.U32(0x40000000);  // far more points than follow
        w.I32(1);
        w.I32(2);
    });
    b.Record(EMR_POLYPOLYGON16, [](ByteWriter& w) {
        testing::Bounds(w);
        w.U32(2);
        w.U32(3);
        w.U32(2);
        w.U32(5);  // counts add up to more than the total
        for (int i = 0; i < 3; ++i) w.I16(1), w.I16(1);
    });
    b.Record(EMR_EXTSELECTCLIPRGN, [](ByteWriter& w) {
        w.U32(0x10000);  // region data past the record
        w.U32(1);
    });
    b.Ints(EMR_FILLRGN, {0, 0, 0, 0, 64, 1});
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    EXPECT_TRUE(h.Lines("OnPolygon").empty());
    EXPECT_TRUE(h.Lines("OnPolyPolygon16").empty());
    EXPECT_TRUE(h.Lines("OnFillRgn").empty());
    EXPECT_TRUE(h.Drawn().empty());
}

TEST(RecordParser, DibPatternBrushIsBuiltIntoTheSlot) {
    Harness h;
    EmfBuilder b(4);
    b.Record(EMR_CREATEDIBPATTERNBRUSHPT, [](ByteWriter& w) {
        w.U32(2);
        w.U32(0);
        w.U32(32);
        w.U32(48);
        w.U32(80);
        w.U32(32);
        w.U32(40);
        w.I32(8);
        w.I32(8);
        w.U16(1);
        w.U16(1);
        w.Zeros(24);
        w.U32(0);
        w.U32(0xFFFFFF);
        w.Zeros(32);
    });
    b.Ints(EMR_SELECTOBJECT, {2});
    ASSERT_EQ(h.Play(b.Finish()), kPlayDone);
    auto selects = h.Lines("OnSelectBrush");
    EXPECT_EQ(selects.size(), 2u);  // snapshot, then the pattern brush
    EXPECT_TRUE(h.renderer.HasBrush());
}

}  // namespace
}  // namespace slidemill
