// Damaged input never crashes the converter; real metafiles convert cleanly.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "metafile/EmfRecordTypes.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf2emf/WmfRecordTypes.h"
#include "platform/wmf2emf/WmfToEmf.h"
#include "tests/platform/wmf2emf/WmfFixture.h"

namespace slidemill {
namespace {

namespace fs = std::filesystem;
using testing_wmf::WmfBuilder;
using namespace wmf;

// Converts, and when that succeeds checks the EMF frames cleanly up to EMR_EOF.
bool ConvertsCleanly(std::span<const uint8_t> wmf, WmfConversionReport* report = nullptr) {
    std::vector<uint8_t> emf;
    if (!ConvertWmfToEmf(wmf, {}, emf, report)) return false;
    EmfHeader h;
    EXPECT_TRUE(ReadEmfHeader(emf, h));
    EXPECT_EQ(h.bytes, emf.size());
    EmfRecordWalker walker(emf);
    EmfRecord rec;
    uint32_t n = 0;
    while (walker.Next(rec)) ++n;
    EXPECT_EQ(walker.Status(), EmfWalkStatus::End);
    EXPECT_EQ(n, h.records);
    return true;
}

TEST(WmfToEmfRobustness, FramingFaultsAreErrors) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    auto good = WmfBuilder().Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish();
    auto tooSmall = good;
    tooSmall[18] = 2;  // record size 2 words
    auto pastEnd = good;
    pastEnd[18] = 200;
    auto badHeader = good;
    badHeader[2] = 8;
    auto cut = good;
    cut.resize(good.size() - 9);
    Case cases[] = {{"empty", {}},
                    {"header only, cut", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
                    {"size below 3 words", tooSmall},
                    {"size past the end", pastEnd},
                    {"bad header size", badHeader},
                    {"cut inside a record", cut}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WmfConversionReport report;
        std::vector<uint8_t> emf{1, 2, 3};
        EXPECT_FALSE(ConvertWmfToEmf(c.bytes, {}, emf, &report));
        EXPECT_FALSE(report.error.empty());
        EXPECT_TRUE(emf.empty());
        EXPECT_EQ(SetWinMetaFileBits(c.bytes.size(), c.bytes.data(), nullptr), nullptr);
    }
    // Without META_EOF but cleanly framed: converted.
    EXPECT_TRUE(ConvertsCleanly(WmfBuilder().Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish(false)));
    // Zero padding after the records, or anything past the metafile's declared size, ends
    // the records.
    auto padded = WmfBuilder().Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish(false);
    padded.resize(padded.size() + 300, 0);
    EXPECT_TRUE(ConvertsCleanly(padded));
    auto trailing = WmfBuilder().Rec(META_RECTANGLE, {4, 3, 2, 1}).Finish(false);
    trailing.insert(trailing.end(), {0xFF, 0xFF, 0xFF, 0x7F, 0x1B, 0x04, 9, 9});
    EXPECT_TRUE(ConvertsCleanly(trailing));
}

TEST(WmfToEmfRobustness, ShortRecordsAreSkippedNotRead) {
    // Each record is too short for its parameters: skipped and counted.
    WmfBuilder b;
    for (uint16_t f : {META_RECTANGLE, META_POLYLINE, META_POLYPOLYGON, META_EXTTEXTOUT, META_TEXTOUT, META_STRETCHDIB,
                       META_DIBSTRETCHBLT, META_CREATEFONTINDIRECT, META_CREATEREGION, META_SETDIBTODEV,
                       META_DIBCREATEPATTERNBRUSH, META_CREATEPALETTE, META_ESCAPE, META_ARC, META_PATBLT})
        b.Rec(f, {1});
    b.Rec(META_POLYLINE, {30000, 1, 2});                 // count far beyond the record
    b.Rec(META_POLYPOLYGON, {2, 30000, 30000, 1, 2});    // counts beyond the record
    b.Rec(META_EXTTEXTOUT, {0, 0, 1000, 0, 'a'});        // string beyond the record
    WmfConversionReport report;
    EXPECT_TRUE(ConvertsCleanly(b.Finish(), &report));
    EXPECT_EQ(report.recordsSkipped, 18u);
}

TEST(WmfToEmfRobustness, OutputIsBoundedAgainstRegionAmplification) {
    // One large region, selected as the clip over and over: each selection repeats the
    // region's data in the EMF.
    ByteWriter region;
    const int scans = 8000;
    for (int v : {0, 6, 1, 0}) region.I16(int16_t(v));
    region.I16(0);  // region size (not used)
    region.I16(scans);
    region.I16(2);
    for (int v : {0, 0, 100, scans}) region.I16(int16_t(v));
    for (int s = 0; s < scans; ++s)
        for (int v : {2, s, s + 1, 0, 100, 2}) region.I16(int16_t(v));
    WmfBuilder b;
    b.Raw(META_CREATEREGION, region.Buffer());
    for (int i = 0; i < 1000; ++i) b.Rec(META_SELECTCLIPREGION, {0});
    WmfConversionReport report;
    std::vector<uint8_t> emf;
    EXPECT_FALSE(ConvertWmfToEmf(b.Finish(), {}, emf, &report));
    EXPECT_EQ(report.error, "converted metafile would be too large");
}

std::vector<uint8_t> Sample() {
    ByteWriter font;
    font.I16(-12);
    font.Zeros(8);
    font.Zeros(8);
    font.Bytes("Arial", 6);
    ByteWriter text;
    text.I16(5);
    text.I16(6);
    text.I16(3);
    text.U16(0);
    text.Bytes("abc", 3);
    text.U8(0);
    for (int v : {1, 2, 3}) text.I16(int16_t(v));
    return WmfBuilder()
        .Rec(META_SETWINDOWEXT, {100, 100})
        .Rec(META_CREATEPENINDIRECT, {0, 1, 0, 0, 0})
        .Rec(META_SELECTOBJECT, {0})
        .Raw(META_CREATEFONTINDIRECT, font.Buffer())
        .Rec(META_SELECTOBJECT, {1})
        .Rec(META_POLYLINE, {2, 0, 0, 10, 10})
        .Rec(META_CREATEREGION, {0, 6, 1, 0, 34, 1, 1, 0, 0, 20, 10, 2, 0, 10, 0, 20, 2})
        .Rec(META_SELECTCLIPREGION, {2})
        .Raw(META_EXTTEXTOUT, text.Buffer())
        .Rec(META_DELETEOBJECT, {0})
        .Finish();
}

TEST(WmfToEmfRobustness, TruncatedAndBitFlippedVariantsNeverCrash) {
    const auto base = Sample();
    ASSERT_TRUE(ConvertsCleanly(base));
    for (size_t n = 0; n < base.size(); ++n) ConvertsCleanly(std::span<const uint8_t>(base.data(), n));
    std::mt19937 rng(1234);
    for (int round = 0; round < 3000; ++round) {
        auto v = base;
        int flips = 1 + int(rng() % 4);
        for (int k = 0; k < flips; ++k) v[rng() % v.size()] ^= uint8_t(1u << (rng() % 8));
        ConvertsCleanly(v);
    }
}

std::vector<uint8_t> ReadFile(const fs::path& p) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(p.string(), bytes));
    return bytes;
}

TEST(WmfToEmfRobustness, CorpusMetafilesConvert) {
    const fs::path corpus = SLIDEMILL_CORPUS;
    if (!fs::is_directory(corpus / "wmf")) GTEST_SKIP() << "corpus not present";
    int converted = 0;
    for (const char* folder : {"wmf", "lo-slides"}) {
        for (const auto& entry : fs::directory_iterator(corpus / folder)) {
            if (entry.path().extension() != ".wmf") continue;
            SCOPED_TRACE(entry.path().filename().string());
            auto bytes = ReadFile(entry.path());
            std::span<const uint8_t> bits(bytes);
            if (auto ph = ReadPlaceableHeader(bits)) bits = bits.subspan(kPlaceableHeaderSize);
            WmfConversionReport report;
            const bool damaged = entry.path().filename().string().find("61338") != std::string::npos;
            EXPECT_EQ(ConvertsCleanly(bits, &report), !damaged) << report.error;
            if (!damaged) ++converted;
        }
    }
    EXPECT_GT(converted, 30);
}

}  // namespace
}  // namespace slidemill
