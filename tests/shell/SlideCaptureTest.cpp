#include "shell/SlideCapture.h"

#include <gtest/gtest.h>

#include "metafile/ByteReader.h"
#include "platform/files/Files.h"
#include "platform/wmf/WmfRecorder.h"

namespace slidemill {
namespace {

struct Rec {
    uint16_t function;
    std::vector<uint16_t> params;
};

std::vector<Rec> ReadRecords(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    EXPECT_TRUE(bytes.has_value());
    std::vector<Rec> out;
    if (!bytes) return out;
    ByteReader r(*bytes);
    EXPECT_EQ(r.U16(), 1);  // metafile type
    EXPECT_EQ(r.U16(), 9);
    r.Seek(18);
    while (r.Has(6)) {
        const uint32_t words = r.U32();
        Rec rec{r.U16(), {}};
        for (uint32_t i = 3; i < words; ++i) rec.params.push_back(r.U16());
        out.push_back(rec);
        if (rec.function == wmf::kEof) break;
    }
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(r.Remaining(), 0u);
    return out;
}

std::vector<uint8_t> SmallPicture() {
    WmfRecorder pic;
    pic.SetWindowExt(1000, 750);
    pic.Rectangle(0, 0, 100, 100);
    return pic.Finish();
}

class SlideCaptureTest : public ::testing::Test {
protected:
    PrivateTempFolder temp;
    std::string path = temp.Path() + "drda.er";
    Clipboard clipboard;
};

TEST_F(SlideCaptureTest, FitsThePictureIntoAThirdOfTheBox) {
    struct Case {
        int32_t xExt, yExt;
        int16_t cx, cy;
    };
    // A 720 x 540 point slide: the job's box is 360 x 270, a third of it 120 x 90.
    const Case cases[] = {
        {25400, 19050, 120, 90},  // 4:3, the box's own ratio
        {20000, 10000, 120, 60},  // 2:1, wider than the box
        {20000, 30000, 60, 90},   // 2:3, narrower
        {0, 19050, 120, 90},      // no usable extent: the whole box
        {-5, -5, 120, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.xExt << "x" << c.yExt);
        clipboard.SetMetafilePicture({8, c.xExt, c.yExt, SmallPicture()});
        float w = -1, h = -1;
        ASSERT_EQ(CaptureClipboardPicture(clipboard, path, 360, 270, w, h), 1);
        EXPECT_EQ(w, float(c.xExt));
        EXPECT_EQ(h, float(c.yExt));
        EXPECT_EQ(clipboard.GetMetafilePicture(), nullptr);  // emptied
        EXPECT_FALSE(clipboard.IsOpen());

        const auto recs = ReadRecords(path);
        ASSERT_EQ(recs.size(), 8u);
        EXPECT_EQ(recs[0].function, wmf::kSaveDC);
        EXPECT_EQ(recs[1].function, wmf::kSetMapMode);
        EXPECT_EQ(recs[1].params, std::vector<uint16_t>{8});
        EXPECT_EQ(recs[2].function, wmf::kSetViewportExt);
        EXPECT_EQ(recs[2].params, (std::vector<uint16_t>{uint16_t(c.cy), uint16_t(c.cx)}));
        EXPECT_EQ(recs[3].function, wmf::kSetViewportOrg);
        EXPECT_EQ(recs[3].params, (std::vector<uint16_t>{0, 0}));
        EXPECT_EQ(recs[4].function, wmf::kSetWindowExt);  // the picture's own records
        EXPECT_EQ(recs[5].function, wmf::kRectangle);
        EXPECT_EQ(recs[6].function, wmf::kRestoreDC);
        EXPECT_EQ(recs[6].params, std::vector<uint16_t>{0xFFFF});
        EXPECT_EQ(recs[7].function, wmf::kEof);
    }
}

TEST_F(SlideCaptureTest, EmptyClipboardLeavesAnEmptyMetafileAndTheExtentUntouched) {
    ASSERT_TRUE(WriteFileBytes(path, std::vector<uint8_t>(100, 0xAB)));  // an older capture
    float w = 7, h = 8;
    EXPECT_EQ(CaptureClipboardPicture(clipboard, path, 360, 270, w, h), 0);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 8);
    const auto recs = ReadRecords(path);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0].function, wmf::kEof);
}

TEST_F(SlideCaptureTest, DamagedPictureStillGivesAFramedFile) {
    auto bytes = SmallPicture();
    bytes.resize(bytes.size() - 8);  // cut into the last records
    clipboard.SetMetafilePicture({8, 100, 100, bytes});
    float w = 0, h = 0;
    EXPECT_EQ(CaptureClipboardPicture(clipboard, path, 360, 270, w, h), 1);
    const auto recs = ReadRecords(path);
    ASSERT_GE(recs.size(), 3u);
    EXPECT_EQ(recs[recs.size() - 2].function, wmf::kRestoreDC);
    EXPECT_EQ(clipboard.GetMetafilePicture(), nullptr);
}

TEST_F(SlideCaptureTest, UnwritablePathFailsWithoutTouchingTheClipboard) {
    clipboard.SetMetafilePicture({8, 100, 100, SmallPicture()});
    float w = 0, h = 0;
    EXPECT_EQ(CaptureClipboardPicture(clipboard, temp.Path() + "no/such/folder/drda.er", 360, 270, w, h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_NE(clipboard.GetMetafilePicture(), nullptr);
}

TEST(FitPictureToBox, TinyAndExtremeInputsStayFinite) {
    EXPECT_EQ(FitPictureToBox(0, 0, 100, 100).cx, 0);
    const auto wide = FitPictureToBox(120, 90, 2147483647, 1);
    EXPECT_EQ(wide.cx, 120);
    EXPECT_EQ(wide.cy, 0);
    const auto tall = FitPictureToBox(120, 90, 1, 2147483647);
    EXPECT_EQ(tall.cx, 0);
    EXPECT_EQ(tall.cy, 90);
}

}  // namespace
}  // namespace slidemill
