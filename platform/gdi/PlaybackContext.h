#pragma once
// The playback device context: what the metafile records are played into while a picture
// is walked, standing in for a screen device context of the platform. It keeps
//  - the objects the records create (pens, extended pens, brushes, fonts, palettes,
//    colour spaces) behind handles, with the stock objects and their standard
//    descriptions, and the slots of the walk's object table;
//  - the selected objects, the mapping (map mode, window and viewport), the world
//    transform and the save/restore stack, as playing a record changes them;
//  - description queries (LOGPEN, EXTLOGPEN, LOGBRUSH, LOGFONT) and the device
//    capabilities of the reference display;
//  - text measurement in the selected font, in logical units;
//  - the record walk that maps the picture's frame onto the play rectangle.
//
// Background mode, colours, fill mode, ROP2, text alignment, current position, clipping
// and paths are never played into it: those stay at their initial values (the renderer
// keeps its own copies).

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/TextMeasurer.h"

namespace slidemill {

// One object of the context. Only the description of its kind is meaningful.
struct GdiObject {
    GdiObjectKind kind = GdiObjectKind::None;
    LOGPEN pen;
    EXTLOGPEN extPen;
    LOGBRUSH brush;
    LOGFONTW font;
    std::vector<COLORREF> palette;
    // Pattern brushes: the packed device-independent bitmap (BITMAPINFO + bits) and the
    // colour usage of its table; monochrome pattern brushes keep their bitmap the same way.
    std::vector<uint8_t> packedDib;
    uint32_t dibUsage = 0;
};

// The object table of one walk: Handles slots, slot 0 standing for the metafile itself.
struct HandleTable {
    std::vector<GdiHandle> slots;
};

// The play rectangle the walk maps the picture's frame onto (left, top, right, bottom).
struct PlaybackRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class PlaybackContext {
public:
    // The measurer may be shared by several contexts (its caches then serve a whole run);
    // without one, a FreeType measurer of its own is made on first use.
    explicit PlaybackContext(std::shared_ptr<ITextMeasurer> measurer = nullptr);
    ~PlaybackContext();
    PlaybackContext(const PlaybackContext&) = delete;
    PlaybackContext& operator=(const PlaybackContext&) = delete;

    // --- objects ----------------------------------------------------------------------
    GdiHandle GetStockObject(uint32_t number) const;  // 0 for numbers that name nothing
    GdiObjectKind GetObjectType(GdiHandle handle) const;
    const GdiObject* Object(GdiHandle handle) const;  // null when the handle names nothing

    // GetObject-style reads: the size of the description written, 0 when the handle is
    // not an object of that kind.
    int GetObject(GdiHandle handle, LOGPEN& out) const;
    int GetObject(GdiHandle handle, EXTLOGPEN& out) const;  // 24 + 4 x entries
    int GetObject(GdiHandle handle, LOGBRUSH& out) const;
    int GetObject(GdiHandle handle, LOGFONTW& out) const;

    GdiHandle CreatePen(const LOGPEN& pen);
    GdiHandle CreateExtPen(const EXTLOGPEN& pen, std::vector<uint8_t> packedDib = {}, uint32_t usage = 0);
    GdiHandle CreateBrushIndirect(const LOGBRUSH& brush);
    GdiHandle CreateFontIndirect(const LOGFONTW& font);
    GdiHandle CreatePalette(std::vector<COLORREF> entries);
    GdiHandle CreateColorSpace();
    // Pattern brushes from a packed DIB (BITMAPINFO followed by the bits).
    GdiHandle CreateDibPatternBrush(std::vector<uint8_t> packedDib, uint32_t usage);
    GdiHandle CreatePatternBrush(std::vector<uint8_t> packedDib);

    // Selects a pen, extended pen, brush or font and returns the previous one of its
    // kind; 0 (nothing changed) for other kinds and unknown handles.
    GdiHandle SelectObject(GdiHandle handle);
    GdiHandle SelectPalette(GdiHandle handle);
    // Deletes an object. A selected object stays usable until it is replaced; stock
    // objects are never deleted.
    bool DeleteObject(GdiHandle handle);
    // The selected object of a kind (Pen covers extended pens too).
    GdiHandle GetCurrentObject(GdiObjectKind kind) const;
    size_t ObjectCount() const { return objects_.size(); }

    // --- state ------------------------------------------------------------------------
    struct State {
        int32_t mapMode = 1;
        int32_t graphicsMode = 1;
        POINTL windowOrg;
        SIZEL windowExt{1, 1};
        POINTL viewportOrg;
        SIZEL viewportExt{1, 1};
        XFORM world;
        POINTL brushOrg;
        int32_t stretchMode = 1;
        uint32_t mapperFlags = 0;
        uint32_t icmMode = 0;
        GdiHandle pen = 0, brush = 0, font = 0, palette = 0;
        POINTL position;
        // Never played: stay at the initial values of a fresh context.
        int32_t bkMode = 2;
        int32_t polyFillMode = 1;
        int32_t rop2 = 13;
        uint32_t textAlign = 0;
        COLORREF bkColor = 0xFFFFFF;
        COLORREF textColor = 0;
        int32_t arcDirection = 1;
        float miterLimit = 10.0f;
    };
    const State& Current() const { return state_; }
    State& Mutable() { return state_; }

    void SetMapMode(int32_t mode);
    void SetWindowExt(int32_t cx, int32_t cy);
    void SetViewportExt(int32_t cx, int32_t cy);
    void SetWindowOrg(int32_t x, int32_t y) { state_.windowOrg = {x, y}; }
    void SetViewportOrg(int32_t x, int32_t y) { state_.viewportOrg = {x, y}; }
    void ScaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd);
    void ScaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd);
    void SetWorldTransform(const XFORM& xf) { state_.world = xf; }
    void ModifyWorldTransform(const XFORM& xf, uint32_t mode);
    void MoveTo(POINTL p) { state_.position = p; }
    int SaveDC();                 // the new save level
    bool RestoreDC(int32_t level);  // negative: relative; positive: absolute level
    size_t SaveDepth() const { return saved_.size(); }

    // Logical to device: world transform, then window/viewport mapping, then the frame
    // mapping of the walk.
    void LogicalToDevice(double& x, double& y) const;
    bool DeviceToLogical(double& x, double& y) const;

    int32_t GetDeviceCaps(int index) const;
    static int32_t GetSystemMetrics(int index);
    // The clip box in logical units: the whole reference screen unless a test sets one.
    RECTL GetClipBox() const;
    void SetClipBoxOverride(const RECTL* box);  // null: back to the screen
    bool HasMetaRegion() const { return false; }
    bool SelectedBitmapIsMonochrome() const { return false; }

    // --- text -------------------------------------------------------------------------
    // Cumulative extents of the characters in the selected font (GetTextExtentExPointW).
    bool GetTextExtentExPoint(const char16_t* text, int count, std::vector<int32_t>& extents);
    // Extent of the whole run (GetTextExtentPoint32W).
    bool GetTextExtentPoint(const char16_t* text, int count, SIZEL& size);
    // The selected font's ascent (GetTextMetrics' tmAscent), in logical units.
    bool GetTextAscent(int32_t& ascent);
    ITextMeasurer& Measurer();

    // --- records ----------------------------------------------------------------------
    // Applies one record as playing it on a device context does (PlayEnhMetaFileRecord):
    // object creation into the table's slots, selection, deletion, mapping, world
    // transform, save/restore, palettes. Records of other kinds change nothing. False
    // when the record is malformed (it is then ignored).
    bool PlayRecord(HandleTable& table, std::span<const uint8_t> record);
    // Puts an object into a slot of the table, deleting the slot's previous object; an
    // object for a slot the table does not have is deleted at once.
    void PutObject(HandleTable& table, uint32_t slot, GdiHandle handle);

    // The record walk (EnumEnhMetaFile): validates the framing, sets up the mapping of
    // the header's frame onto the rectangle, makes the object table of Handles slots and
    // calls back for every record in file order until the end-of-file record. The
    // callback answers false to stop. The context's state is restored afterwards and the
    // objects the walk left in the table are deleted. False when the header is unusable,
    // the framing is broken or the callback stopped the walk.
    using RecordCallback = std::function<bool(std::span<const uint8_t> record, HandleTable& table)>;
    bool Enumerate(std::span<const uint8_t> emf, const PlaybackRect& rect, const RecordCallback& callback);

    // The frame mapping in force during a walk: device = logical * scale + offset.
    double FrameScaleX() const { return frameSx_; }
    double FrameScaleY() const { return frameSy_; }

private:
    GdiHandle Add(GdiObject object);
    GdiHandle Resolve(const HandleTable& table, uint32_t index) const;
    bool IsSelected(GdiHandle handle) const;
    void CollectGarbage(GdiHandle handle);

    std::unordered_map<GdiHandle, GdiObject> objects_;
    std::vector<GdiHandle> pendingDelete_;  // deleted while still selected
    GdiObject stock_[stock::kCount];
    GdiHandle nextHandle_ = 0x100;
    State state_;
    std::vector<State> saved_;
    size_t saveFloor_ = 0;
    bool clipOverride_ = false;
    RECTL clipBox_;
    double frameSx_ = 1.0, frameSy_ = 1.0, frameDx_ = 0.0, frameDy_ = 0.0;
    std::shared_ptr<ITextMeasurer> measurer_;
};

// Windows-1252 bytes to UTF-16 (the ANSI code page of this system).
std::u16string WidenAnsi(const uint8_t* bytes, size_t count);

}  // namespace slidemill
