#include <gtest/gtest.h>

#include "metafile/document/FileClassification.h"
#include "metafile/document/TypeCodes.h"
#include "tests/metafile/document/Fixtures.h"
#include "tests/metafile/document/TempDir.h"

namespace slidemill {
namespace {

using namespace testing_doc;

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<uint8_t> b;
    for (int x : v) b.push_back(uint8_t(x));
    return b;
}

TEST(Classification, ByContentThenExtension) {
    TempDir dir;
    std::vector<uint8_t> key22 = Bytes({0xD7, 0xCD, 0xC6, 0x9A});
    key22.resize(22, 0xEE);
    std::vector<uint8_t> shortEmfLikeWmf = Bytes({1, 0, 0, 0, 0x00, 0x01});
    shortEmfLikeWmf.resize(60, 0);
    std::vector<uint8_t> garbage(200, 0x41);
    std::vector<uint8_t> emfWithoutSignature = TinyEmf();
    emfWithoutSignature[40] = 0;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool gzip;
        uint32_t expected;
    } cases[] = {
        {"key.bin", key22, false, typecode::kWmf},
        {"short.bin", shortEmfLikeWmf, false, typecode::kWmf},
        {"real.emf", TinyEmf(), false, typecode::kEmf},
        {"nosig.emf", emfWithoutSignature, false, typecode::kNone},
        {"plain.wmf", TinyWmf(), false, typecode::kWmf},
        {"placeable.wmf", TinyWmf(true), false, typecode::kWmf},
        {"emf-named.wmz", TinyEmf(), true, typecode::kGzipEmf},
        {"wmf.gz", TinyWmf(), true, typecode::kGzipWmf},
        {"placeable.wmz", TinyWmf(true), true, typecode::kGzipWmf},
        {"other.emz", garbage, true, typecode::kNone},
        {"short-gzip.txt", Bytes({1, 2}), true, typecode::kPlainText},
        {"photo.JPG", garbage, false, typecode::kJpeg},
        {"x.emf", garbage, false, typecode::kNone},
        {"scan.Tif", garbage, false, typecode::kTiff},
        {"scan.tiff", garbage, false, typecode::kTiff},
        {"notes.rtf", garbage, false, typecode::kRtf},
        {"empty.txt", {}, false, typecode::kPlainText},
        {"pic.exi", garbage, false, typecode::kExif},
        {"noext", garbage, false, typecode::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Path(c.name);
        if (c.gzip)
            WriteGzip(path, c.bytes);
        else
            WriteFile(path, c.bytes);
        EXPECT_EQ(ClassifyFile(path), c.expected);
    }
}

TEST(Classification, ListFilesByTheirId) {
    TempDir dir;
    struct Case {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"[General]\nID=MLF\n", typecode::kListFile},
        {"[general]\r\n id = mlf \r\n", typecode::kListFile},
        {"[General]\nID=\"MlF\"\n", typecode::kListFile},
        {"[General]\nID=MLFX\n", typecode::kNone},
        {"[Other]\nID=MLF\n", typecode::kNone},
        {"ID=MLF\n", typecode::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteText(dir.Path("list.dat"), c.text);
        EXPECT_EQ(ClassifyFile(dir.Path("list.dat")), c.expected);
    }
}

TEST(Classification, UnopenableFiles) {
    TempDir dir;
    EXPECT_EQ(ClassifyFile(dir.Path("missing.wmf")), typecode::kCannotOpen);
    EXPECT_EQ(ClassifyFile(dir.Root()), typecode::kCannotOpen);
}

TEST(Gzip, HeaderTest) {
    struct Case {
        std::vector<uint8_t> bytes;
        bool expected;
    } cases[] = {
        {Bytes({0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3}), true},
        {Bytes({0x1F, 0x8B, 8, 31, 0, 0, 0, 0, 0, 3}), true},
        {Bytes({0x1F, 0x8B, 8, 32, 0, 0, 0, 0, 0, 3}), false},  // reserved flag bits
        {Bytes({0x1F, 0x8B, 7, 0, 0, 0, 0, 0, 0, 3}), false},
        {Bytes({0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0}), false},  // 9 bytes
        {Bytes({0x1F, 0x8C, 8, 0, 0, 0, 0, 0, 0, 3}), false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsGzipHeader(c.bytes.data(), c.bytes.size()), c.expected);
    EXPECT_FALSE(IsGzipHeader(nullptr, 20));
}

TEST(Gzip, InflateKeepsWhatItReadAndCapsTheSize) {
    TempDir dir;
    std::vector<uint8_t> data(300000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7);
    WriteGzip(dir.Path("a.gz"), data);
    std::vector<uint8_t> sink;
    ASSERT_TRUE(InflateGzipFile(dir.Path("a.gz"), sink));
    EXPECT_EQ(sink, data);

    // A bomb: far more output than the cap allows.
    WriteGzip(dir.Path("bomb.gz"), std::vector<uint8_t>(4 << 20, 0));
    sink.clear();
    EXPECT_FALSE(InflateGzipFile(dir.Path("bomb.gz"), sink, 1 << 20));
    EXPECT_LE(sink.size(), size_t(1) << 20);

    // Cut short: an error, with the part before the cut kept.
    auto gz = ReadBytes(dir.Path("a.gz"));
    gz.resize(gz.size() / 2);
    WriteFile(dir.Path("cut.gz"), gz);
    sink.clear();
    EXPECT_FALSE(InflateGzipFile(dir.Path("cut.gz"), sink));
    EXPECT_FALSE(InflateGzipFile(dir.Path("missing.gz"), sink));

    size_t got = 0;
    uint8_t prefix[108];
    EXPECT_TRUE(ReadGzipPrefix(dir.Path("a.gz"), prefix, sizeof prefix, &got));
    EXPECT_EQ(got, 108u);
    EXPECT_EQ(prefix[1], data[1]);
}

}  // namespace
}  // namespace slidemill
