#pragma once
// The writer's operation list: the one output interface of the renderer. Everything a
// played metafile puts on a page goes through these calls, in page coordinates (points
// from the top-left corner, y downward) unless an operation says otherwise.
//
// Implementations: CPdfPageWriter (PoDoFo), a recording double that tests read, and a
// null writer for benchmarks. The renderer knows nothing else about the writer.

#include <cstdint>
#include <string>

namespace slidemill {

using COLORREF = uint32_t;  // 0x00BBGGRR

struct DecodedImage;  // platform/dib/DibTypes.h: RGB rows top first, optional alpha

// What of a placed image lets the page show through.
struct ImageMask {
    enum class Kind {
        None,      // every pixel is painted
        ColorKey,  // pixels of exactly `key` are left out (the image's /Mask [r r g g b b])
        SoftMask,  // the image's alpha channel (none, or all opaque: painted as None)
    };
    Kind kind = Kind::None;
    COLORREF key = 0;  // ColorKey only; the top byte is ignored

    static ImageMask Keyed(COLORREF color) { return {Kind::ColorKey, color}; }
    static ImageMask Alpha() { return {Kind::SoftMask, 0}; }
};

// Page geometry the renderer reads and, while it maps a metafile, writes (scale, offX,
// offY, play height). Owned by the writer, shared by reference for one playback.
struct PageGeometry {
    double pageWidth = 1.0;   // W_page, points
    double pageHeight = 1.0;  // H, points; every y flip uses it
    double playWidth = 0.0;   // points
    double playHeight = 0.0;  // points; written by the renderer's window-extent handling
    double x0 = 0.0;          // top-left of the play area on the page, points
    double y0 = 0.0;
    int32_t offX = 1;         // play offset in logical units
    int32_t offY = 1;
    double scale = 1.0;       // points per logical unit; multiplies the pen width
    double textScale = 1.0;   // multiplies character cell heights and advances
    COLORREF textColor = 0;   // written by the renderer's text-colour handling
};

class IPageWriter {
public:
    virtual ~IPageWriter() = default;

    virtual PageGeometry& Geometry() = 0;

    // Colours and pen.
    virtual void SetPenColor(const COLORREF& color) = 0;
    virtual void SetPenWidth(double width) = 0;  // logical units; stroke width = width x scale
    virtual void SetBrushColor(const COLORREF& color) = 0;
    virtual void SetDrawColor(const COLORREF& color) = 0;

    // Lines and fills. FillPolygon flips the caller's ys in place (y := H - y).
    virtual void DrawLine(double x1, double y1, double x2, double y2) = 0;
    virtual void DrawPolyline(const double* xs, const double* ys, int count) = 0;
    virtual void FillPolygon(const double* xs, double* ys, int count) = 0;

    // Clipping. SetClipRect takes PDF coordinates (bottom-left origin, no flip).
    virtual void SetClipRect(double x, double y, double w, double h) = 0;
    virtual void ClipToPlayArea() = 0;

    // Painter state.
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;

    // Text: SetFont answers whether a font file exists for the face.
    virtual int SetFont(const std::string& faceName, bool bold, bool italic) = 0;
    virtual void DrawChar(uint16_t code, double x, double y, double cellHeight) = 0;
    // The angle of the characters drawn from now on, in degrees counterclockwise around
    // each character's own position (a font's escapement); 0 draws them upright.
    virtual void SetTextRotation(double /*degrees*/) {}

    // Hyperlinks of the current slide.
    virtual bool IsLinkText(const std::string& text) = 0;
    virtual bool FindLinkTarget(const std::string& text, std::string& target) = 0;
    virtual void AddUriLink(float x, float y, float w, float h, const std::string& target) = 0;  // PDF coordinates
    virtual void AddTextRun(const std::string& text, double x, double y, double w, double h, int side) = 0;
    // True while the previous run was a link run whose address was found. The flag lives
    // in the writer for the whole run, across pages and playbacks; the renderer's link
    // classification reads and writes it.
    virtual bool& LinkContinues() = 0;

    // Images: the pixels scaled to fill the rectangle whose top-left corner is (x, y).
    // Pixels that cannot be placed are skipped; nothing is reported. Writers that have no
    // use for images keep this default, which draws nothing.
    virtual void DrawImage(double /*x*/, double /*y*/, double /*w*/, double /*h*/, const DecodedImage& /*image*/,
                           const ImageMask& /*mask*/) {}
};

}  // namespace slidemill
