#pragma once
// Minimal metafiles for the document tests.

#include <string>
#include <vector>

#include "metafile/EmfHeader.h"
#include "metafile/document/MessagePrompt.h"
#include "platform/fonts/PrivateFontTable.h"
#include "metafile/EmfRecordTypes.h"

namespace slidemill::testing_doc {

// Keeps every message the document shows.
class RecordingPrompt : public IMessagePrompt {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// A font table that registers nothing.
class NoFonts : public IPrivateFontTable {
public:
    bool Add(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
};


inline std::vector<uint8_t> TinyEmf() {
    ByteWriter w;
    EmfHeader h;
    h.size = 108;
    h.bytes = 108 + 20;
    h.records = 2;
    h.handles = 1;
    h.frame = {0, 0, 1000, 1000};
    h.device = {1920, 1080};
    h.millimeters = {508, 286};
    WriteEmfHeader(w, h);
    w.U32(EMR_EOF);
    w.U32(20);
    w.U32(0);
    w.U32(16);
    w.U32(20);
    return w.Take();
}

// A WMF with a rectangle, optionally behind a placeable header.
inline std::vector<uint8_t> TinyWmf(bool placeable = false, uint16_t inch = 1440, int16_t right = 1440,
                                    int16_t bottom = 720) {
    ByteWriter w;
    if (placeable) {
        w.U32(0x9AC6CDD7);
        w.U16(0);
        w.I16(0);
        w.I16(0);
        w.I16(right);
        w.I16(bottom);
        w.U16(inch);
        w.U32(0);
        w.U16(0);
    }
    const size_t start = w.Size();
    w.U16(1);
    w.U16(9);
    w.U16(0x0300);
    w.U32(0);
    w.U16(0);
    w.U32(7);
    w.U16(0);
    w.U32(7);
    w.U16(0x041B);  // META_RECTANGLE
    for (int v : {40, 30, 20, 10}) w.I16(int16_t(v));
    w.U32(3);
    w.U16(0);
    w.PatchU32(start + 6, uint32_t((w.Size() - start) / 2));
    return w.Take();
}

}  // namespace slidemill::testing_doc
