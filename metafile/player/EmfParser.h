#pragma once
// The record parser: walks one EMF from its header to its end and turns every record
// into an OnRecord announcement followed by at most one renderer operation (the
// multi-string text records call theirs once per string). Handlers are found through
// static record maps, one per parser class, chained to the base class's map; the first
// play builds a lookup table indexed by record type in which the most derived class's
// entry wins. While it walks, the parser keeps the playback context in step with the
// metafile (objects, mapping, save/restore), so the renderer can read objects back and
// text can be measured in the metafile's own units.
//
// Every count and offset inside a record is checked against the record before use; a
// record whose fields do not fit is announced and otherwise left alone.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/gdi/PlaybackContext.h"
#include "render/EmfRenderer.h"

namespace slidemill {

class CRecordDispatcher;

// A record handler: a member-function reference to a virtual handler, so a derived
// class's override is the one called.
using RecordHandler = int (CRecordDispatcher::*)();

struct RecordMapEntry {
    int type;  // -1 ends an entry list
    RecordHandler handler;
};

struct RecordMap {
    const RecordMap* base;  // null for the root
    const RecordMapEntry* entries;
};

// Result codes of Play.
constexpr int kPlayDone = 0;
constexpr int kPlayNoHeader = 3;
constexpr int kPlayStopped = 5;
constexpr int kPlayNoRenderer = 17;

class CRecordDispatcher {
public:
    CRecordDispatcher() = default;
    CRecordDispatcher(const CRecordDispatcher&) = delete;
    CRecordDispatcher& operator=(const CRecordDispatcher&) = delete;

    virtual ~CRecordDispatcher();
    virtual int OnUnhandledRecord(int type);
    virtual int CurrentRecordSize();
    virtual const RecordMap& GetRecordMap() const;

    // Calls the handler of the type, or OnUnhandledRecord for types without one.
    int Dispatch(uint32_t type);
    size_t LookupSize() const { return lookupSize_; }

protected:
    // Builds the lookup table from the chain of record maps (once per object).
    void BuildLookup();
    bool HasLookup() const { return lookup_ != nullptr; }

    std::span<const uint8_t> record_;  // the record being handled (Type and Size included)

private:
    std::unique_ptr<const RecordMapEntry*[]> lookup_;
    size_t lookupSize_ = 0;
};

class CEmfEnumerator : public CRecordDispatcher {
public:
    int OnUnhandledRecord(int type) override;
    int CurrentRecordSize() override;
    const RecordMap& GetRecordMap() const override;
    virtual int BeginPlay(PlaybackContext* dc, int playArgument, const PlaybackRect& rect);
    virtual void EndPlay();
    virtual int BeforeRecord();
    virtual int AfterRecord();
    virtual int HandleHeader();  // 1

    // Plays the whole metafile: 0 done, 3 unreadable header, 5 stopped or failed,
    // 17 no renderer.
    int Play(PlaybackContext* dc, std::span<const uint8_t> emf, int playArgument, const PlaybackRect& rect);
    // Per-record entry point of the walk; 0 continues.
    int ProcessRecord(std::span<const uint8_t> record, HandleTable& table);

    uint64_t RecordCount() const { return recordCount_; }
    int LastError() const { return lastError_; }

protected:
    // Applies the current record to the playback context.
    void PlayCurrentRecord();

    PlaybackContext* dc_ = nullptr;
    int playArgument_ = 0;
    PlaybackRect rect_;
    HandleTable* table_ = nullptr;
    std::span<const uint8_t> emf_;  // the metafile being played, for a look at the next record
    uint32_t tableSize_ = 0;
    uint64_t recordCount_ = 0;
    int lastError_ = 0;
};

class CEmfParser : public CEmfEnumerator {
public:
    ~CEmfParser() override;
    int OnUnhandledRecord(int type) override;
    const RecordMap& GetRecordMap() const override;
    int BeginPlay(PlaybackContext* dc, int playArgument, const PlaybackRect& rect) override;
    int HandleHeader() override;  // 1

    // One handler per record type, in type order.
    virtual int HandlePolyBezier();  // 2
    virtual int HandlePolygon();  // 3
    virtual int HandlePolyline();  // 4
    virtual int HandlePolyBezierTo();  // 5
    virtual int HandlePolylineTo();  // 6
    virtual int HandlePolyPolyline();  // 7
    virtual int HandlePolyPolygon();  // 8
    virtual int HandleSetWindowExtEx();  // 9
    virtual int HandleSetWindowOrgEx();  // 10
    virtual int HandleSetViewportExtEx();  // 11
    virtual int HandleSetViewportOrgEx();  // 12
    virtual int HandleSetBrushOrgEx();  // 13
    virtual int HandleEof();  // 14
    virtual int HandleSetPixelV();  // 15
    virtual int HandleSetMapperFlags();  // 16
    virtual int HandleSetMapMode();  // 17
    virtual int HandleSetBkMode();  // 18
    virtual int HandleSetPolyFillMode();  // 19
    virtual int HandleSetRop2();  // 20
    virtual int HandleSetStretchBltMode();  // 21
    virtual int HandleSetTextAlign();  // 22
    virtual int HandleSetColorAdjustment();  // 23
    virtual int HandleSetTextColor();  // 24
    virtual int HandleSetBkColor();  // 25
    virtual int HandleOffsetClipRgn();  // 26
    virtual int HandleMoveToEx();  // 27
    virtual int HandleSetMetaRgn();  // 28
    virtual int HandleExcludeClipRect();  // 29
    virtual int HandleIntersectClipRect();  // 30
    virtual int HandleScaleViewportExtEx();  // 31
    virtual int HandleScaleWindowExtEx();  // 32
    virtual int HandleSaveDc();  // 33
    virtual int HandleRestoreDc();  // 34
    virtual int HandleSetWorldTransform();  // 35
    virtual int HandleModifyWorldTransform();  // 36
    virtual int HandleSelectObject();  // 37
    virtual int HandleCreatePen();  // 38
    virtual int HandleCreateBrushIndirect();  // 39
    virtual int HandleDeleteObject();  // 40
    virtual int HandleAngleArc();  // 41
    virtual int HandleEllipse();  // 42
    virtual int HandleRectangle();  // 43
    virtual int HandleRoundRect();  // 44
    virtual int HandleArc();  // 45
    virtual int HandleChord();  // 46
    virtual int HandlePie();  // 47
    virtual int HandleSelectPalette();  // 48
    virtual int HandleCreatePalette();  // 49
    virtual int HandleSetPaletteEntries();  // 50
    virtual int HandleResizePalette();  // 51
    virtual int HandleRealizePalette();  // 52
    virtual int HandleExtFloodFill();  // 53
    virtual int HandleLineTo();  // 54
    virtual int HandleArcTo();  // 55
    virtual int HandlePolyDraw();  // 56
    virtual int HandleSetArcDirection();  // 57
    virtual int HandleSetMiterLimit();  // 58
    virtual int HandleBeginPath();  // 59
    virtual int HandleEndPath();  // 60
    virtual int HandleCloseFigure();  // 61
    virtual int HandleFillPath();  // 62
    virtual int HandleStrokeAndFillPath();  // 63
    virtual int HandleStrokePath();  // 64
    virtual int HandleFlattenPath();  // 65
    virtual int HandleWidenPath();  // 66
    virtual int HandleSelectClipPath();  // 67
    virtual int HandleAbortPath();  // 68
    virtual int HandleComment();  // 70
    virtual int HandleFillRgn();  // 71
    virtual int HandleFrameRgn();  // 72
    virtual int HandleInvertRgn();  // 73
    virtual int HandlePaintRgn();  // 74
    virtual int HandleExtSelectClipRgn();  // 75
    virtual int HandleBitBlt();  // 76
    virtual int HandleStretchBlt();  // 77
    virtual int HandleMaskBlt();  // 78
    virtual int HandlePlgBlt();  // 79
    virtual int HandleSetDiBitsToDevice();  // 80
    virtual int HandleStretchDiBits();  // 81
    virtual int HandleExtCreateFontIndirectW();  // 82
    virtual int HandleExtTextOutA();  // 83
    virtual int HandleExtTextOutW();  // 84
    virtual int HandlePolyBezier16();  // 85
    virtual int HandlePolygon16();  // 86
    virtual int HandlePolyline16();  // 87
    virtual int HandlePolyBezierTo16();  // 88
    virtual int HandlePolylineTo16();  // 89
    virtual int HandlePolyPolyline16();  // 90
    virtual int HandlePolyPolygon16();  // 91
    virtual int HandlePolyDraw16();  // 92
    virtual int HandleCreateMonoBrush();  // 93
    virtual int HandleCreateDibPatternBrushPt();  // 94
    virtual int HandleExtCreatePen();  // 95
    virtual int HandlePolyTextOutA();  // 96
    virtual int HandlePolyTextOutW();  // 97
    virtual int HandleSetIcmMode();  // 98
    virtual int HandleCreateColorSpace();  // 99
    virtual int HandleSetColorSpace();  // 100
    virtual int HandleDeleteColorSpace();  // 101
    virtual int HandleGlsRecord();  // 102
    virtual int HandleGlsBoundedRecord();  // 103
    virtual int HandlePixelFormat();  // 104
    virtual int HandleDrawEscape();  // 105
    virtual int HandleExtEscape();  // 106
    virtual int HandleUndefined107();  // 107
    virtual int HandleSmallTextOut();  // 108
    virtual int HandleForceUfiMapping();  // 109
    virtual int HandleNamedEscape();  // 110
    virtual int HandleColorCorrectPalette();  // 111
    virtual int HandleSetIcmProfileA();  // 112
    virtual int HandleSetIcmProfileW();  // 113
    virtual int HandleAlphaBlend();  // 114
    virtual int HandleSetLayout();  // 115
    virtual int HandleTransparentBlt();  // 116
    virtual int HandleReserved117();  // 117
    virtual int HandleGradientFill();  // 118
    virtual int HandleSetLinkedUfis();  // 119
    virtual int HandleSetTextJustification();  // 120
    virtual int HandleColorMatchToTargetW();  // 121
    virtual int HandleCreateColorSpaceW();  // 122

protected:
    CEmfRenderer* renderer_ = nullptr;

private:
    // One text string (an EMRTEXT at the offset) of a text record.
    void TextString(size_t emrText, bool wide, uint32_t graphicsMode, float exScale, float eyScale);
    void MeasureAdvances(const char16_t* text, int count, int32_t* advances);
    int Blt(uint32_t type);
    // The record after the current one, or an empty span at the end of the metafile.
    std::span<const uint8_t> NextRecord() const;
    // A SRCPAINT mask record followed by its SRCAND image: plays both as one masked
    // block transfer. True when the pair was played (the image record is then skipped).
    bool PlayPaintMaskPair();

    const uint8_t* pairedImage_ = nullptr;  // the image record already played with its mask
};

class CEmfPlayer : public CEmfParser {
public:
    CEmfPlayer() { renderer_ = &renderer; }
    ~CEmfPlayer() override;
    CEmfRenderer& GetRenderer() { return renderer; }

private:
    CEmfRenderer renderer;
};

}  // namespace slidemill
