#pragma once
// CEmfRenderer: the device-context state machine the record parser drives while a
// metafile is played onto a page. It keeps the state the records build up, maps logical
// coordinates onto the page and calls the page writer for lines, polylines, filled
// polygons and clips; what the page has no output for goes to a raster surface that is
// never read back.
//
// The operation list below is the record-facing interface, in its fixed order (entry 0
// first, the destructor at 84, AttachSurface last). Record fields arrive decoded or as
// bounds-checked views into the record (render/RecordViews.h).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pdf/PagePlayback.h"
#include "pdf/PageWriter.h"
#include "platform/gdi/GdiTypes.h"
#include "render/RasterObjects.h"
#include "render/RasterSurface.h"
#include "render/RecordViews.h"
#include "render/RenderSurface.h"
#include "render/text/LinkRunClassifier.h"
#include "render/text/TextRunPlacement.h"

namespace slidemill {

class PlaybackContext;
struct RasterFontCollection;

// One entry of the save stack, in this field order.
struct SavedDCState {
    ObjectRefHandle pen, brush, font, path;
    POINTL position;
    uint32_t surfaceToken = 0;
    int32_t mapMode = 1;
    int32_t bkMode = 2;
    int32_t polyFillMode = 1;
    int32_t stretchMode = 3;
    uint32_t textAlign = 24;
    int32_t rop2 = 13;
    COLORREF bkColor = 0xFFFFFF;
    COLORREF textColor = 0;
    int32_t arcDirection = 1;
    float miterLimit = 10.0f;
    SIZEL windowExt{1, 1};
    SIZEL viewportExt{1, 1};
    POINTL windowOrg;
    POINTL viewportOrg;
    RECTL clipBounds;
    // The colours and width last sent to the writer: a restored pen or brush is drawn
    // with its own colour, not with that of the objects selected after the save.
    COLORREF penColor = 0;
    int32_t penWidth = 0;
    COLORREF brushColor = 0;
};

class CEmfRenderer : public IRenderSurface {
public:
    CEmfRenderer();
    CEmfRenderer(const CEmfRenderer&) = delete;
    CEmfRenderer& operator=(const CEmfRenderer&) = delete;

    // Linking by the page writer before playback.
    void Link(IPageWriter* writer, bool pdfMode, double pdfScale);
    void SetRenderOptions(const RenderOptions& options) { options_ = options; }
    // After playback: gives the writer back the states this playback saved and never
    // restored (an open clip bracket, save records without their restore), so what the
    // page draws next is neither clipped by the picture nor left inside its states.
    void CloseOpenStates();

    // ---- operation list ---------------------------------------------------------------
    virtual void OnRecord(int32_t type);                                             // 0
    virtual int OnBegin(PlaybackContext* target, PlaybackContext* playback);          // 1
    virtual void OnEnd();                                                             // 2
    virtual void OnPolyline(PointsL points, int32_t count);                           // 3
    virtual void OnPolyline16(PointsS points, int32_t count);                         // 4
    virtual void OnPolylineTo(PointsL points, int32_t count);                         // 5
    virtual void OnPolylineTo16(PointsS points, int32_t count);                       // 6
    virtual void OnPolyBezier(PointsL points, int32_t count);                         // 7
    virtual void OnPolyBezierTo(PointsL points, int32_t count);                       // 8
    virtual void OnPolyBezier16(PointsS points, int32_t count);                       // 9
    virtual void OnPolyBezierTo16(PointsS points, int32_t count);                     // 10
    virtual void OnPolygon(PointsL points, int32_t count);                            // 11
    virtual void OnPolygon16(PointsS points, int32_t count);                          // 12
    virtual void OnPolyPolygon(PointsL points, int32_t total, U32Array counts, int32_t polys);      // 13
    virtual void OnPolyPolygon16(PointsS points, int32_t total, U32Array counts, int32_t polys);    // 14
    virtual void OnPolyPolyline(PointsL points, int32_t total, U32Array counts, int32_t polys);     // 15
    virtual void OnPolyPolyline16(PointsS points, int32_t total, U32Array counts, int32_t polys);   // 16
    virtual void OnPolyDraw(PointsL points, int32_t count, RecordBytes types);       // 17
    virtual void OnPolyDraw16(PointsS points, int32_t count, RecordBytes types);     // 18
    virtual void OnRectangle(const RECTL& box);                                       // 19
    virtual void OnRoundRect(const RECTL& box, int32_t cornerW, int32_t cornerH);     // 20
    virtual void OnEllipse(const RECTL& box);                                         // 21
    virtual void OnAngleArc(const POINTL& center, uint32_t radius, float startAngle, float sweepAngle);  // 22
    virtual void OnArc(const RECTL& box, const POINTL& start, const POINTL& end);     // 23
    virtual void OnChord(const RECTL& box, const POINTL& start, const POINTL& end);   // 24
    virtual void OnPie(const RECTL& box, const POINTL& start, const POINTL& end);     // 25
    virtual void OnArcTo(const RECTL& box, const POINTL& start, const POINTL& end);   // 26
    virtual void OnExtTextOut(int32_t x, int32_t y, uint32_t options, const RECTL& rect, const char16_t* text,
                              int32_t count, const int32_t* advances, float xScale, float yScale);  // 27
    virtual void OnStretchBlt(const RECTL& dest, const RECTL& src, RecordBytes bits, RecordBytes bmi,
                              uint32_t usage, uint32_t rop, const XFORM* xform);     // 28
    virtual void OnPlgBlt(const POINTL* dest3, const RECTL& src, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                          const XFORM* xform, COLORREF bkColor, int32_t xMask, int32_t yMask, RecordBytes maskBits,
                          RecordBytes maskBmi, uint32_t maskUsage);                   // 29
    virtual void OnMaskBlt(const RECTL& dest, const RECTL& src, RecordBytes bits, RecordBytes bmi, uint32_t usage,
                           uint32_t rop, const XFORM* xform, COLORREF bkColor, int32_t xMask, int32_t yMask,
                           RecordBytes maskBits, RecordBytes maskBmi, uint32_t maskUsage);  // 30
    virtual void OnTransparentBlt(const RECTL& dest, const RECTL& src, RecordBytes bits, RecordBytes bmi,
                                  uint32_t usage, uint32_t transparent, const XFORM* xform, COLORREF bkColor);  // 31
    virtual void OnAlphaBlend(const RECTL& dest, const RECTL& src, RecordBytes bits, RecordBytes bmi,
                              uint32_t usage, uint32_t blend, const XFORM* xform, COLORREF bkColor);  // 32
    virtual void OnSetPixel(int32_t x, int32_t y, COLORREF color);                    // 33
    virtual void OnPatBlt(const RECTL& dest, uint32_t rop, const XFORM* xform);       // 34
    virtual void OnGradientFill(RecordBytes vertices, uint32_t vertexCount, RecordBytes mesh, uint32_t meshCount,
                                uint32_t mode);                                       // 35
    virtual void OnExtFloodFill(const POINTL& point, COLORREF color, uint32_t mode);  // 36
    virtual void OnDrawPathData(const PointF* points, const uint8_t* types, int32_t count, uint32_t flags);  // 37
    virtual void OnClipPathData(const PointF* points, const uint8_t* types, int32_t count, int32_t mode);   // 38
    virtual void OnBeginPath();                                                       // 39
    virtual void OnCloseFigure();                                                     // 40
    virtual void OnEndPath();                                                         // 41
    virtual void OnUsePath(uint32_t flags, int32_t mode);                             // 42
    virtual void OnFlattenPath();                                                     // 43
    virtual void OnWidenPath();                                                       // 44
    virtual void OnAbortPath();                                                       // 45
    virtual void OnSelectPen(GdiHandle pen);                                          // 46
    virtual void OnSelectExtPen(GdiHandle pen);                                       // 47
    virtual void OnSelectBrush(GdiHandle brush);                                      // 48
    virtual void OnSelectFont(GdiHandle font);                                        // 49
    virtual void OnSelectPalette(uint32_t index);                                     // 50
    virtual void OnIntersectClipRect(const RECTL& rect);                              // 51
    virtual void OnExcludeClipRect(const RECTL& rect);                                // 52
    virtual void OnOffsetClipRgn(const POINTL& offset);                               // 53
    virtual void OnExtSelectClipRgn(RecordBytes data, uint32_t size, int32_t mode);   // 54
    virtual void OnSetMetaRgn();                                                      // 55
    virtual void OnFillRgn(GdiHandle brush, RecordBytes data, uint32_t size);         // 56
    virtual void OnFrameRgn(GdiHandle brush, int32_t width, int32_t height, RecordBytes data, uint32_t size);  // 57
    virtual void OnInvertRgn(RecordBytes data, uint32_t size);                        // 58
    virtual void OnPaintRgn(RecordBytes data, uint32_t size);                         // 59
    virtual void OnSaveDC();                                                          // 60
    virtual void OnRestoreDC(int32_t index);                                          // 61
    virtual void OnMoveTo(const POINTL& point);                                       // 62
    virtual void OnSetMapMode(int32_t mode);                                          // 63
    virtual void OnSetBkMode(int32_t mode);                                           // 64
    virtual void OnSetPolyFillMode(int32_t mode);                                     // 65
    virtual void OnSetStretchBltMode(int32_t mode);                                   // 66
    virtual void OnSetTextAlign(uint32_t flags);                                      // 67
    virtual void OnSetROP2(int32_t rop);                                              // 68
    virtual void OnSetBkColor(COLORREF color);                                        // 69
    virtual void OnSetTextColor(COLORREF color);                                      // 70
    virtual void OnSetColorAdjustment(RecordBytes adjustment);                        // 71
    virtual void OnSetArcDirection(int32_t direction);                                // 72
    virtual void OnSetMiterLimit(float limit);                                        // 73
    virtual void OnSetBrushOrg(const POINTL& origin);                                 // 74
    virtual void OnSetRasterTransform(const XFORM& xform);                            // 75
    virtual void OnSetWorldTransform(const XFORM& xform);                             // 76
    virtual void OnModifyWorldTransform(const XFORM& xform, uint32_t mode);           // 77
    virtual void OnSetWindowOrg(int32_t x, int32_t y);                                // 78
    virtual void OnSetViewportOrg(int32_t x, int32_t y);                              // 79
    virtual void OnSetWindowExt(int32_t cx, int32_t cy);                              // 80
    virtual void OnSetViewportExt(int32_t cx, int32_t cy);                            // 81
    virtual void OnScaleWindowExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);    // 82
    virtual void OnScaleViewportExt(int32_t xNum, int32_t xDenom, int32_t yNum, int32_t yDenom);  // 83
    virtual ~CEmfRenderer();                                                          // 84
    virtual bool AttachSurface(PlaybackContext* context);                             // 85

    // ---- IRenderSurface ---------------------------------------------------------------
    CRasterSurface* QueryGraphics() override { return surface_.get(); }
    PlaybackContext* QuerySurfaceDC() override { return playback_; }
    void ReleaseSurfaceDC(PlaybackContext*) override {}
    bool QueryMonochrome() override { return monochrome_; }
    int32_t QueryROP2() override { return rop2_; }
    COLORREF QueryTextColor() override { return textColor_; }
    COLORREF QueryBkColor() override { return bkColor_; }
    int32_t QueryBkMode() override { return bkMode_; }
    const RasterBrush* QueryBrush() override { return brush_.As<RasterBrush>(); }
    COLORREF MapColor(COLORREF color) override;
    void DrawImage(const RasterBrush& image, const RectF& rect) override;

    // ---- read-only views for the writer side and tests ---------------------------------
    POINTL CurrentPosition() const { return position_; }
    double PdfScale() const { return pdfScale_; }
    bool PdfMode() const { return pdfMode_; }
    size_t SaveDepth() const { return saveStack_.size(); }
    bool HasPen() const { return pen_.As<RasterPen>() != nullptr; }
    bool HasBrush() const { return brush_.As<RasterBrush>() != nullptr; }
    bool HasPath() const { return path_.As<RasterPath>() != nullptr; }
    const RasterPen* CurrentPen() const { return pen_.As<RasterPen>(); }
    const RasterBrush* CurrentBrush() const { return brush_.As<RasterBrush>(); }
    const RasterPath* CurrentPath() const { return path_.As<RasterPath>(); }
    const LOGFONTW* CurrentFont() const;
    COLORREF PenColor() const { return penColor_; }
    int32_t PenWidth() const { return penWidth_; }
    COLORREF BrushColor() const { return brushColor_; }
    COLORREF TextColor() const { return textColor_; }
    COLORREF BkColor() const { return bkColor_; }
    int32_t MapMode() const { return mapMode_; }
    int32_t PolyFillMode() const { return polyFillMode_; }
    SIZEL WindowExt() const { return windowExt_; }
    SIZEL ViewportExt() const { return viewportExt_; }
    POINTL WindowOrg() const { return windowOrg_; }
    POINTL ViewportOrg() const { return viewportOrg_; }
    RECTL ClipBounds() const { return clipBounds_; }
    int32_t PreviousRecordType() const { return prevType_; }
    int32_t CurrentRecordType() const { return curType_; }
    bool ClipBracketOpen() const { return clipBracket_; }
    int32_t OpenWriterStates() const { return writerDepth_; }
    const RenderOptions& Options() const { return options_; }

protected:
    // Installs a raster surface (AttachSurface and test doubles).
    void SetSurface(std::unique_ptr<CRasterSurface> surface) { surface_ = std::move(surface); }

private:
    bool ToWriter() const { return pdfMode_ && writer_ != nullptr; }
    // PDF mapping of a logical coordinate.
    double MapX(double x) const;
    double MapY(double y) const;

    // Graphics state helpers.
    std::optional<RasterPen> BuildPen(const LOGPEN& pen) const;
    std::optional<RasterPen> BuildExtPen(const EXTLOGPEN& pen, GdiHandle handle) const;
    std::optional<RasterBrush> BuildBrush(const LOGBRUSH& brush, GdiHandle handle, bool& usesTextColors) const;
    void ReselectColorBrush();
    void RestoreWriterColours(const SavedDCState& s);
    void SnapshotState(PlaybackContext* playback);

    // Mapping helpers.
    void RecomputeRasterTransform();
    void ApplyMapMode(int32_t mode);

    // Shape helpers.
    template <typename Points>
    void Polyline(const Points& points, int32_t count);
    template <typename Points>
    void PolylineTo(const Points& points, int32_t count);
    template <typename Points>
    void Polygon(const Points& points, int32_t count);
    template <typename Points>
    void PolyPoly(const Points& points, int32_t total, U32Array counts, int32_t polys, bool polygons);
    template <typename Points>
    void PolyDraw(const Points& points, int32_t count, RecordBytes types);
    void FillAndOutline(RasterPath& figure);
    RasterPath* OpenPath();
    void ArcAngles(const RECTL& box, const POINTL& start, const POINTL& end, RectF& rbox, float& a1, float& sweep) const;

    // Clip helpers.
    void ResetClipToBounds(CombineMode mode);
    bool BuildRegion(RecordBytes data, uint32_t size, ClipRegion& out) const;
    std::vector<PointF> InverseTransform(const std::vector<PointF>& pts) const;

    // Record tracking.
    int32_t curType_ = -1;
    int32_t prevType_ = -1;
    bool clipBracket_ = false;
    RECTL lastIntersect_;

    // PDF link.
    IPageWriter* writer_ = nullptr;
    int32_t writerDepth_ = 0;  // writer SaveState calls minus RestoreState calls of this playback
    bool pdfMode_ = false;
    double pdfScale_ = 1.0;
    COLORREF brushColor_ = 0;
    COLORREF penColor_ = 0;
    int32_t penWidth_ = 0;

    // Playback.
    PlaybackContext* playback_ = nullptr;
    bool monochrome_ = false;

    // Raster surface.
    std::unique_ptr<CRasterSurface> surface_;
    Matrix extra_;
    bool imageRemap_ = false;  // image attributes: white is remapped to the replacement colour

    // Current objects.
    ObjectRefHandle pen_, brush_, font_, path_;

    // DC state.
    POINTL position_;
    int32_t mapMode_ = 1;
    int32_t bkMode_ = 2;
    int32_t polyFillMode_ = 1;
    int32_t stretchMode_ = 3;
    uint32_t textAlign_ = 24;
    int32_t rop2_ = 13;
    COLORREF bkColor_ = 0xFFFFFF;
    COLORREF textColor_ = 0;
    int32_t arcDirection_ = 1;
    float miterLimit_ = 10.0f;
    SIZEL windowExt_{1, 1};
    SIZEL viewportExt_{1, 1};
    POINTL windowOrg_;
    POINTL viewportOrg_;
    RECTL clipBounds_;
    std::vector<SavedDCState> saveStack_;

    // Text: the selected face, where the previous run ended and the link-run state of
    // this playback (both start afresh with every Link).
    std::string faceName_;
    int32_t fontHeight_ = 0;
    TextRunCursor textCursor_;
    LinkRunState linkRuns_;
    void PdfTextOut(int32_t x, int32_t y, const char16_t* text, int32_t count, const int32_t* advances);

    // Images.
    uint32_t colorKey_ = 0xFF000000;

    RenderOptions options_;
    RasterFontCollection* fontCollection_ = nullptr;
};

}  // namespace slidemill
