#include "platform/wmf/WmfRecorder.h"

#include <gtest/gtest.h>

#include "metafile/ByteReader.h"

namespace slidemill {
namespace {

struct Rec {
    uint16_t function;
    std::vector<uint16_t> params;
};

struct Parsed {
    uint16_t type = 0, headerWords = 0, objects = 0;
    uint32_t sizeWords = 0, maxRecord = 0;
    std::vector<Rec> records;  // including the EOF record
};

Parsed Parse(const std::vector<uint8_t>& bytes) {
    Parsed p;
    ByteReader r(bytes);
    p.type = r.U16();
    p.headerWords = r.U16();
    r.U16();
    p.sizeWords = r.U32();
    p.objects = r.U16();
    p.maxRecord = r.U32();
    r.U16();
    while (r.Has(6)) {
        const uint32_t words = r.U32();
        Rec rec{r.U16(), {}};
        for (uint32_t i = 3; i < words; ++i) rec.params.push_back(r.U16());
        p.records.push_back(rec);
        if (rec.function == wmf::kEof) break;
    }
    EXPECT_TRUE(r.Ok());
    return p;
}

TEST(WmfRecorder, HeaderMatchesWhatWasRecorded) {
    WmfRecorder rec;
    rec.SaveDC();
    rec.SetWindowExt(2540, 1905);  // stored y first
    const WmfPoint pts[] = {{0, 0}, {10, 0}, {10, 10}};
    rec.Polygon(pts);
    const auto bytes = rec.Finish();
    const Parsed p = Parse(bytes);
    EXPECT_EQ(p.type, 1);
    EXPECT_EQ(p.headerWords, 9);
    EXPECT_EQ(p.sizeWords * 2, bytes.size());
    EXPECT_EQ(p.maxRecord, 3u + 1 + 6);  // the polygon
    EXPECT_EQ(p.objects, 0);
    ASSERT_EQ(p.records.size(), 4u);
    EXPECT_EQ(p.records[1].params, (std::vector<uint16_t>{1905, 2540}));
    EXPECT_EQ(p.records.back().function, wmf::kEof);
    EXPECT_EQ(rec.Finish(), bytes);  // finishing twice changes nothing
}

TEST(WmfRecorder, ObjectsTakeTheLowestFreeSlot) {
    WmfRecorder rec;
    EXPECT_EQ(rec.CreatePen(0, 1, 0x0000FF), 0);
    EXPECT_EQ(rec.CreateSolidBrush(0x00FF00), 1);
    rec.DeleteObject(0);
    EXPECT_EQ(rec.CreateFont(-20, 400, false, "Arial"), 0);
    EXPECT_EQ(rec.CreateNullBrush(), 2);
    EXPECT_EQ(Parse(rec.Finish()).objects, 3);
}

// A picture with its own object table: a brush in its slot 0, selected, a pen in its
// slot 1, deleted, then a font reusing its slot 1 and never deleted.
std::vector<uint8_t> PictureWithObjects() {
    WmfRecorder pic;
    pic.CreateSolidBrush(0x112233);
    pic.SelectObject(0);
    pic.CreatePen(0, 2, 0);
    pic.DeleteObject(1);
    pic.CreateFont(-12, 700, true, "Times New Roman");
    pic.SelectObject(1);
    pic.Rectangle(1, 2, 3, 4);
    return pic.Finish();
}

TEST(WmfRecorder, PlayedPictureIsRemappedAndItsLeftoversDeleted) {
    WmfRecorder rec;
    rec.CreatePen(0, 1, 0);       // our slot 0 is taken
    rec.CreateSolidBrush(0);      // and slot 1
    rec.DeleteObject(0);          // slot 0 free again
    ASSERT_TRUE(rec.PlayMetafile(PictureWithObjects()));
    EXPECT_EQ(rec.LiveObjects(), 1u);  // only our own brush remains
    const Parsed p = Parse(rec.Finish());

    std::vector<std::pair<uint16_t, uint16_t>> uses;  // (function, index) of the played part
    for (size_t i = 3; i < p.records.size(); ++i) {
        const Rec& r = p.records[i];
        if (r.function == wmf::kSelectObject || r.function == wmf::kDeleteObject)
            uses.emplace_back(r.function, r.params[0]);
        else if (wmf::CreatesObject(r.function))
            uses.emplace_back(r.function, 0xEEEE);
    }
    const std::vector<std::pair<uint16_t, uint16_t>> expected = {
        {wmf::kCreateBrushIndirect, 0xEEEE}, {wmf::kSelectObject, 0},  // picture 0 -> our 0
        {wmf::kCreatePenIndirect, 0xEEEE},   {wmf::kDeleteObject, 2},  // picture 1 -> our 2
        {wmf::kCreateFontIndirect, 0xEEEE},  {wmf::kSelectObject, 2},  // picture 1 again -> our 2
        {wmf::kDeleteObject, 0},             {wmf::kDeleteObject, 2},  // left behind: deleted
    };
    EXPECT_EQ(uses, expected);
    EXPECT_EQ(p.objects, 3);
}

TEST(WmfRecorder, ReferenceToAMissingObjectIsNotRecorded) {
    WmfRecorder pic;
    pic.SelectObject(5);
    pic.Rectangle(0, 0, 1, 1);
    WmfRecorder rec;
    ASSERT_TRUE(rec.PlayMetafile(pic.Finish()));
    const Parsed p = Parse(rec.Finish());
    ASSERT_EQ(p.records.size(), 2u);
    EXPECT_EQ(p.records[0].function, wmf::kRectangle);
}

TEST(WmfRecorder, MalformedPicturesKeepWhatPlayedBefore) {
    std::vector<uint8_t> good;
    {
        WmfRecorder pic;
        pic.SaveDC();
        pic.CreatePen(0, 1, 0);
        pic.Rectangle(0, 0, 5, 5);
        good = pic.Finish();
    }
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t recordsKept;  // records of the picture that reach the recording
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}, 0});
    cases.push_back({"header only, cut", std::vector<uint8_t>(good.begin(), good.begin() + 10), 0});
    auto badHeader = good;
    badHeader[2] = 7;  // header size must be 9 words
    cases.push_back({"bad header size", badHeader, 0});
    auto noEof = good;
    noEof.resize(noEof.size() - 6);
    cases.push_back({"no end-of-file record", noEof, 3});
    auto huge = good;
    huge[18 + 6] = 0xFF;  // the pen record claims far more words than there are
    huge[18 + 7] = 0xFF;
    cases.push_back({"record beyond the end", huge, 1});
    auto tiny = good;
    tiny[18] = 2;  // a record of fewer than three words
    cases.push_back({"record too small", tiny, 0});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WmfRecorder rec;
        EXPECT_FALSE(rec.PlayMetafile(c.bytes));
        const Parsed p = Parse(rec.Finish());
        size_t played = 0;
        for (const Rec& r : p.records)
            if (r.function != wmf::kEof && r.function != wmf::kDeleteObject) ++played;
        EXPECT_EQ(played, c.recordsKept);
        EXPECT_EQ(rec.LiveObjects(), 0u);
    }
}

TEST(WmfRecorder, ExtTextOutPacksTheStringIntoWords) {
    WmfRecorder rec;
    rec.ExtTextOut(10, 20, "abc");
    const Parsed p = Parse(rec.Finish());
    ASSERT_GE(p.records.size(), 1u);
    EXPECT_EQ(p.records[0].function, wmf::kExtTextOut);
    EXPECT_EQ(p.records[0].params, (std::vector<uint16_t>{20, 10, 3, 0, uint16_t('a' | 'b' << 8), uint16_t('c')}));
}

// Every cut and many single-byte changes of a valid picture: playback never reads outside
// the bytes (the sanitizers watch) and always leaves a well-formed recording behind.
TEST(WmfRecorder, DamagedPicturesNeverBreakTheRecording) {
    const std::vector<uint8_t> good = PictureWithObjects();
    auto check = [](const std::vector<uint8_t>& bytes) {
        WmfRecorder rec;
        rec.PlayMetafile(bytes);
        EXPECT_EQ(rec.LiveObjects(), 0u);
        const auto out = rec.Finish();
        const Parsed p = Parse(out);
        EXPECT_EQ(p.sizeWords * 2, out.size());
        ASSERT_FALSE(p.records.empty());
        EXPECT_EQ(p.records.back().function, wmf::kEof);
    };
    for (size_t n = 0; n <= good.size(); ++n) check(std::vector<uint8_t>(good.begin(), good.begin() + n));
    uint32_t seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        auto bytes = good;
        seed = seed * 1103515245 + 12345;
        const size_t at = (seed >> 8) % bytes.size();
        seed = seed * 1103515245 + 12345;
        bytes[at] = uint8_t(seed >> 16);
        check(bytes);
    }
}

TEST(WmfRecorder, FullObjectTableDropsFurtherObjects) {
    // A picture that creates more objects than a table can index and never deletes them.
    ByteWriter pic;
    pic.U16(1);
    pic.U16(9);
    pic.U16(0x0300);
    pic.U32(0);
    pic.U16(0);
    pic.U32(7);
    pic.U16(0);
    const int kCreated = 70000;
    for (int i = 0; i < kCreated; ++i) {
        pic.U32(7);
        pic.U16(wmf::kCreateBrushIndirect);
        pic.Zeros(8);
    }
    for (uint16_t index : {uint16_t(0), uint16_t(65534)}) {
        pic.U32(4);
        pic.U16(wmf::kSelectObject);
        pic.U16(index);
    }
    pic.U32(3);
    pic.U16(wmf::kEof);

    WmfRecorder rec;
    EXPECT_TRUE(rec.PlayMetafile(pic.Buffer()));
    EXPECT_EQ(rec.LiveObjects(), 0u);
    const Parsed p = Parse(rec.Finish());
    size_t creates = 0, selects = 0, deletes = 0;
    for (const Rec& r : p.records) {
        creates += r.function == wmf::kCreateBrushIndirect;
        selects += r.function == wmf::kSelectObject;
        deletes += r.function == wmf::kDeleteObject;
    }
    EXPECT_EQ(creates, size_t(WmfRecorder::kNoSlot));
    EXPECT_EQ(selects, 2u);
    EXPECT_EQ(deletes, creates);
    EXPECT_EQ(p.objects, WmfRecorder::kNoSlot);
}

}  // namespace
}  // namespace slidemill
