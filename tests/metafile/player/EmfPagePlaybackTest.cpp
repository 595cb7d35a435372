// The writer's playback seam over an in-memory EMF.
#include <gtest/gtest.h>

#include <vector>

#include "metafile/EmfRecordTypes.h"
#include "metafile/player/EmfPagePlayback.h"
#include "metafile/player/EmfParser.h"
#include "tests/metafile/player/EmfBuilder.h"
#include "tests/metafile/player/RecordingRenderer.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

TEST(EmfPagePlayback, ResolutionComesFromTheHeader) {
    CEmfPagePlayback picture(testing::EmfBuilder().Finish());
    int32_t dpiX = 0, dpiY = 0;
    ASSERT_TRUE(picture.PictureResolution(dpiX, dpiY));
    EXPECT_EQ(dpiX, 254);  // 1000 pixels over 100 mm
    EXPECT_EQ(dpiY, 254);

    CEmfPagePlayback broken(std::vector<uint8_t>(40, 0));
    EXPECT_FALSE(broken.PictureResolution(dpiX, dpiY));
    testing::RecordingPageWriter writer;
    EXPECT_EQ(broken.Play(writer, PlayRect{0, 0, 10, 10}, RenderOptions{}, 1.0), kPlayNoHeader);
    EXPECT_TRUE(writer.calls.empty());
}

TEST(EmfPagePlayback, PlaysWithTheWritersScaleAndGeometry) {
    testing::EmfBuilder b;
    b.Ints(EMR_SETMAPMODE, {8});
    b.Ints(EMR_SETWINDOWEXTEX, {1440, 1080});
    b.Record(EMR_POLYLINE16, [](ByteWriter& w) { testing::Points16(w, {{0, 0}, {1440, 1080}}); });
    CEmfPagePlayback picture(b.Finish(), std::make_shared<testing::FakeMeasurer>());
    testing::RecordingPageWriter writer;
    writer.geometry.pageWidth = writer.geometry.playWidth = 720;
    writer.geometry.pageHeight = 540;
    writer.geometry.offX = writer.geometry.offY = 0;
    EXPECT_EQ(picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0), kPlayDone);
    // The stock font is selected as well; the recording writer knows no face, so Arial follows.
    std::vector<std::string> expected = {"SetPenColor 0x000000", "SetPenWidth 0", "SetBrushColor 0xffffff",
                                         "SetFont System 1 0",   "SetFont Arial 1 0", "ClipToPlayArea",
                                         "DrawLine 0 0 720 540"};
    EXPECT_EQ(writer.calls, expected);
    EXPECT_DOUBLE_EQ(writer.geometry.scale, 0.5);
    EXPECT_DOUBLE_EQ(writer.geometry.playHeight, 540);
    EXPECT_EQ(picture.LastRecordCount(), 5u);
}

TEST(EmfPagePlayback, StatesThePictureLeavesOpenAreClosedAfterIt) {
    testing::EmfBuilder b;
    b.Ints(EMR_SAVEDC, {});
    b.Ints(EMR_SAVEDC, {});
    b.Ints(EMR_RESTOREDC, {-1});
    b.Ints(EMR_INTERSECTCLIPRECT, {0, 0, 10, 10});
    b.Record(EMR_POLYLINE16, [](ByteWriter& w) { testing::Points16(w, {{0, 0}, {5, 5}}); });
    CEmfPagePlayback picture(b.Finish(false), std::make_shared<testing::FakeMeasurer>());  // stops in the bracket
    testing::RecordingPageWriter writer;
    writer.geometry.pageHeight = 540;
    writer.geometry.offX = writer.geometry.offY = 0;
    EXPECT_EQ(picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0), kPlayStopped);
    int depth = 0;
    for (const auto& c : writer.calls) depth += c == "SaveState" ? 1 : c == "RestoreState" ? -1 : 0;
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(writer.calls.back(), "RestoreState");
}

TEST(EmfPagePlayback, BitmapRecordsReachThePageAsImages) {
    testing::EmfBuilder b;
    b.Record(EMR_STRETCHDIBITS, [](ByteWriter& w) {
        testing::Bounds(w);
        for (int v : {10, 20, 0, 0, 2, 1}) w.I32(v);  // dest x, y; src x, y, cx, cy
        w.U32(80);                                     // offBmiSrc
        w.U32(40);
        w.U32(120);                                    // offBitsSrc
        w.U32(8);
        w.U32(0);           // DIB_RGB_COLORS
        w.U32(0x00CC0020);  // SRCCOPY
        w.I32(30);
        w.I32(40);
        w.U32(40);  // BITMAPINFOHEADER: 2 x 1, 32 bits
        w.I32(2);
        w.I32(1);
        w.U16(1);
        w.U16(32);
        w.Zeros(24);
        w.U32(0x000000FF);
        w.U32(0x0000FF00);
    });
    CEmfPagePlayback picture(b.Finish(), std::make_shared<testing::FakeMeasurer>());
    testing::RecordingPageWriter writer;
    writer.geometry.pageWidth = writer.geometry.playWidth = 720;
    writer.geometry.pageHeight = 540;
    writer.geometry.offX = writer.geometry.offY = 0;
    ASSERT_EQ(picture.Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0), kPlayDone);
    ASSERT_EQ(writer.calls.size(), 6u);  // pen, width, brush, two font selections, the image
    EXPECT_EQ(writer.calls[5].rfind("DrawImage 10 20 30 40 2x1", 0), 0u) << writer.calls[5];
}

}  // namespace
}  // namespace slidemill
