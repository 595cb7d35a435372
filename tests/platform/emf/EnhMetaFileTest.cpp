#include "platform/emf/EnhMetaFile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "metafile/EmfRecordTypes.h"

namespace slidemill {
namespace {

std::vector<uint8_t> Emf(uint32_t headerSize, uint32_t bytesField, size_t trailing = 0) {
    ByteWriter w;
    EmfHeader h;
    h.size = headerSize;
    h.bytes = bytesField;
    h.device = {1280, 1024};
    h.millimeters = {320, 240};
    WriteEmfHeader(w, h);
    w.U32(EMR_EOF);
    w.U32(20);
    w.U32(0);
    w.U32(16);
    w.U32(20);
    w.Zeros(trailing);
    return w.Take();
}

TEST(EnhMetaFile, OwnsBytesAndHeader) {
    auto bytes = Emf(108, 128);
    auto emf = SetEnhMetaFileBits(bytes.size(), bytes.data());
    ASSERT_NE(emf, nullptr);
    bytes[0] = 9;  // the metafile has its own copy
    EXPECT_EQ(emf->Bytes()[0], 1);
    EXPECT_EQ(emf->Size(), 128u);
    EXPECT_EQ(emf->Header().device.cx, 1280);
}

TEST(EnhMetaFile, TheBytesFieldDoesNotCutTheData) {
    // A writer that left Bytes short of the records: nothing is lost.
    auto emf = EnhMetaFile::FromBytes(Emf(108, 110, 64));
    ASSERT_NE(emf, nullptr);
    EXPECT_EQ(emf->Size(), 192u);
    EmfRecordWalker walker(emf->Bytes());
    EmfRecord rec;
    while (walker.Next(rec)) {
    }
    EXPECT_EQ(walker.Status(), EmfWalkStatus::End);
}

TEST(EnhMetaFile, RejectsWhatIsNotAnEmf) {
    auto bytes = Emf(108, 128);
    bytes[40] = 0;
    EXPECT_EQ(EnhMetaFile::FromBytes(bytes), nullptr);
    EXPECT_EQ(SetEnhMetaFileBits(10, bytes.data()), nullptr);
    EXPECT_EQ(SetEnhMetaFileBits(0, nullptr), nullptr);
    EXPECT_EQ(GetEnhMetaFileA("/nonexistent/file.emf"), nullptr);
}

TEST(EnhMetaFile, HeaderCopyAndResolution) {
    auto full = EnhMetaFile::FromBytes(Emf(108, 128));
    auto base = EnhMetaFile::FromBytes(Emf(88, 108));
    ASSERT_NE(full, nullptr);
    ASSERT_NE(base, nullptr);
    uint8_t buf[108];
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(GetEnhMetaFileHeader(full.get(), 108, buf), 108u);
    EXPECT_EQ(std::memcmp(buf, full->Bytes().data(), 108), 0);
    std::memset(buf, 0xAA, sizeof buf);
    EXPECT_EQ(GetEnhMetaFileHeader(base.get(), 108, buf), 88u);
    EXPECT_EQ(buf[88], 0);  // past the short header: zeros, not the next record
    EXPECT_EQ(GetEnhMetaFileHeader(nullptr, 108, buf), 0u);
    EXPECT_EQ(GetEnhMetaFileHeader(full.get(), 40, buf), 0u);

    int32_t dx = 0, dy = 0, w = 0, h = 0;
    ASSERT_TRUE(ReadPictureResolution(full.get(), dx, dy, w, h));
    EXPECT_EQ(dx, 102);
    EXPECT_EQ(dy, 108);
    EXPECT_FALSE(ReadPictureResolution(static_cast<const EnhMetaFile*>(nullptr), dx, dy, w, h));
}

}  // namespace
}  // namespace slidemill
