#include "metafile/EmfHeader.h"

#include <gtest/gtest.h>

#include <vector>

#include "metafile/EmfRecordTypes.h"

namespace slidemill {
namespace {

std::vector<uint8_t> Header(uint32_t size, int32_t devX, int32_t devY, int32_t mmX, int32_t mmY) {
    EmfHeader h;
    h.size = size;
    h.device = {devX, devY};
    h.millimeters = {mmX, mmY};
    h.handles = 3;
    ByteWriter w;
    WriteEmfHeader(w, h);
    return w.Take();
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    struct Case {
        int32_t a, b, d, expected;
    } cases[] = {
        {1280, 254, 3200, 102},  // 101.6
        {1024, 254, 2400, 108},  // 108.37
        {1, 1, 2, 1},            // 0.5
        {-1, 1, 2, -1},          // -0.5
        {3, 1, -2, -2},          // -1.5
        {5, 0, 7, 0},
        {7, 3, 0, -1},  // zero divisor
        {0x7FFFFFFF, 4, 1, -1},  // does not fit
        {0x40000000, 4, 2, -1},
        {1000000, 1000000, 1000000, 1000000},  // 64-bit intermediate
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.d);
        EXPECT_EQ(MulDiv(c.a, c.b, c.d), c.expected);
    }
}

TEST(EmfHeader, ReadsFieldsAndResolution) {
    auto bytes = Header(108, 1280, 1024, 320, 240);
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(bytes, h));
    EXPECT_EQ(h.type, 1u);
    EXPECT_EQ(h.handles, 3);
    EXPECT_TRUE(h.hasExtension2);
    int32_t dx = 0, dy = 0, w = 0, hh = 0;
    ASSERT_TRUE(ReadPictureResolution(bytes, dx, dy, w, hh));
    EXPECT_EQ(dx, 102);
    EXPECT_EQ(dy, 108);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(hh, 1024);
}

TEST(EmfHeader, ZeroMillimetersGivesMinusOne) {
    auto bytes = Header(108, 1280, 1024, 0, 240);
    int32_t dx = 0, dy = 0, w = 0, h = 0;
    ASSERT_TRUE(ReadPictureResolution(bytes, dx, dy, w, h));
    EXPECT_EQ(dx, -1);
    EXPECT_EQ(dy, 108);
}

TEST(EmfHeader, HandlesIsSixteenBits) {
    auto bytes = Header(108, 1, 1, 1, 1);
    bytes[58] = 0xFF;  // the reserved half after Handles
    bytes[59] = 0xFF;
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(bytes, h));
    EXPECT_EQ(h.handles, 3);
}

TEST(EmfHeader, RejectsInvalidHeaders) {
    struct Case {
        const char* what;
        size_t offset;
        uint32_t value;
        size_t truncateTo;
    } cases[] = {
        {"wrong type", 0, 2, 0},
        {"wrong signature", 40, 0x464D4521, 0},
        {"size below 88", 4, 84, 0},
        {"size not aligned", 4, 90, 0},
        {"size past end", 4, 112, 0},
        {"truncated", 0, 1, 87},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = Header(108, 1, 1, 1, 1);
        ByteWriter w;
        w.Bytes(bytes);
        w.PatchU32(c.offset, c.value);
        auto patched = w.Take();
        if (c.truncateTo) patched.resize(c.truncateTo);
        EmfHeader h;
        EXPECT_FALSE(ReadEmfHeader(patched, h));
        int32_t a = 11, b = 11, x = 11, y = 11;
        EXPECT_FALSE(ReadPictureResolution(patched, a, b, x, y));
        EXPECT_EQ(a, 11);  // nothing written on failure
    }
}

TEST(EmfHeader, ShortHeaderHasNoExtensions) {
    auto bytes = Header(88, 1, 1, 1, 1);
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(bytes, h));
    EXPECT_FALSE(h.hasExtension1);
    EXPECT_FALSE(h.hasExtension2);
}

TEST(EmfHeader, DescriptionOutsideRecordIsIgnored) {
    auto bytes = Header(108, 1, 1, 1, 1);
    ByteWriter w;
    w.Bytes(bytes);
    w.PatchU32(60, 0x40000000);  // nDescription
    w.PatchU32(64, 100);
    EmfHeader h;
    ASSERT_TRUE(ReadEmfHeader(w.Buffer(), h));
    EXPECT_TRUE(h.description.empty());
}

TEST(EmfRecordWalker, FramesRecordsAndReportsFaults) {
    struct Case {
        const char* what;
        std::vector<std::pair<uint32_t, uint32_t>> records;  // type, declared size (body zero)
        size_t cut;                                          // bytes removed from the end
        EmfWalkStatus status;
        size_t delivered;
    } cases[] = {
        {"clean", {{EMR_SAVEDC, 8}, {EMR_EOF, 20}}, 0, EmfWalkStatus::End, 3},
        {"records after eof are not read", {{EMR_EOF, 20}, {EMR_SAVEDC, 8}}, 0, EmfWalkStatus::End, 2},
        {"no eof", {{EMR_SAVEDC, 8}}, 0, EmfWalkStatus::NoEof, 2},
        {"size zero", {{EMR_SAVEDC, 0}}, 0, EmfWalkStatus::SizeTooSmall, 1},
        {"size 4", {{EMR_SAVEDC, 4}}, 0, EmfWalkStatus::SizeTooSmall, 1},
        {"size 10", {{EMR_SAVEDC, 10}}, 0, EmfWalkStatus::SizeNotAligned, 1},
        {"truncated record", {{EMR_SAVEDC, 8}, {EMR_EOF, 20}}, 4, EmfWalkStatus::PastEnd, 2},
        {"dangling bytes", {{EMR_SAVEDC, 8}}, 0, EmfWalkStatus::PastEnd, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ByteWriter w;
        w.Bytes(Header(108, 1, 1, 1, 1));
        for (auto [type, size] : c.records) {
            w.U32(type);
            w.U32(size);
            if (size > 8 && size % 4 == 0) w.Zeros(size - 8);
        }
        auto bytes = w.Take();
        bytes.resize(bytes.size() - c.cut);
        if (std::string(c.what) == "dangling bytes") bytes.insert(bytes.end(), {1, 2, 3});
        EmfRecordWalker walker(bytes);
        EmfRecord rec;
        size_t n = 0;
        while (walker.Next(rec)) {
            ++n;
            EXPECT_EQ(rec.bytes.size(), rec.size);
            EXPECT_EQ(rec.Reader().U32(), rec.type);
        }
        EXPECT_EQ(walker.Status(), c.status);
        EXPECT_EQ(n, c.delivered);
        EXPECT_EQ(walker.Count(), c.delivered);
    }
}

}  // namespace
}  // namespace slidemill
