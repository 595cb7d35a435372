// The capture file as the job writes it, opened and played through the document-backed
// picture source: the seam between the conversion road and the metafile side.

#include "shell/pictures/DocumentPictureSource.h"

#include <gtest/gtest.h>

#include "platform/files/Files.h"
#include "platform/wmf/WmfRecorder.h"
#include "shell/SlideCapture.h"
#include "tests/support/RecordingPageWriter.h"

namespace slidemill {
namespace {

TEST(DocumentPictureSource, PlaysACapturedSlide) {
    PrivateTempFolder temp;
    const std::string capture = temp.Path() + "drda.er";
    WmfRecorder picture;
    picture.SetMapMode(8);
    picture.SetWindowOrg(0, 0);
    picture.SetWindowExt(25400, 19050);
    const uint16_t brush = picture.CreateSolidBrush(0x0000FF);
    picture.SelectObject(brush);
    picture.Rectangle(0, 0, 12700, 9525);
    Clipboard clipboard;
    clipboard.SetMetafilePicture({8, 25400, 19050, picture.Finish()});
    float w = 0, h = 0;
    ASSERT_EQ(CaptureClipboardPicture(clipboard, capture, 360, 270, w, h), 1);

    DocumentPictureSource source;
    const uint32_t code = source.OpenFile(capture);
    EXPECT_EQ(code & 0xF, 2u);  // a Windows metafile
    int32_t dx = 0, dy = 0;
    EXPECT_TRUE(source.FirstPage().PictureResolution(dx, dy));

    testing::RecordingPageWriter writer;
    writer.geometry.pageWidth = 720;
    writer.geometry.pageHeight = 540;
    writer.geometry.playWidth = 720;
    writer.geometry.playHeight = 540;
    source.FirstPage().Play(writer, PlayRect{0, 0, 720, 540}, RenderOptions{}, 1.0);
    bool red = false, filled = false;
    for (const auto& c : writer.calls) {
        red |= c.rfind("SetBrushColor 0x0000ff", 0) == 0;
        filled |= c.rfind("FillPolygon", 0) == 0;
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(filled);
}

TEST(DocumentPictureSource, RefusesWhatIsNoPicture) {
    PrivateTempFolder temp;
    const std::string path = temp.Path() + "drda.er";
    ASSERT_TRUE(WriteFileBytes(path, {'n', 'o', 'p', 'e'}));
    DocumentPictureSource source;
    EXPECT_EQ(source.OpenFile(path) & 0xF, 0u);
    EXPECT_EQ(source.OpenFile(temp.Path() + "missing") & 0xF, 0u);
    int32_t dx = 0, dy = 0;
    EXPECT_FALSE(source.FirstPage().PictureResolution(dx, dy));
}

}  // namespace
}  // namespace slidemill
