#include "metafile/inspect/Inspect.h"

#include <cstdio>
#include <map>
#include <vector>

#include "metafile/EmfHeader.h"
#include "metafile/EmfRecordTypes.h"
#include "metafile/document/FileClassification.h"
#include "metafile/document/MetafileDocument.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf2emf/WmfRecordTypes.h"
#include "platform/wmf2emf/WmfToEmf.h"

namespace slidemill {

namespace {

// Inspecting must not change the process's fonts.
class NoFontTable : public IPrivateFontTable {
public:
    bool Add(const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
};

std::string Hex(uint32_t v, int digits = 4) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

const char* KindName(uint32_t code) {
    switch (code & 0x3FF) {
        case typecode::kEmf: return "enhanced metafile (EMF)";
        case typecode::kWmf: return "Windows metafile (WMF)";
        case typecode::kListFile: return "list file";
        case typecode::kGzipEmf: return "gzip-compressed EMF";
        case typecode::kGzipWmf: return "gzip-compressed WMF";
        case typecode::kJpeg: return "JPEG image";
        case typecode::kPng: return "PNG image";
        case typecode::kBmp: return "BMP image";
        case typecode::kGif: return "GIF image";
        case typecode::kTiff: return "TIFF image";
        case typecode::kExif: return "EXIF image";
        case typecode::kPlainText: return "plain-text document";
        case typecode::kRtf: return "RTF document";
        default: return code == typecode::kCannotOpen ? "cannot be opened" : "not recognised";
    }
}

void PrintRect(std::ostream& out, const char* name, const EmfRectL& r) {
    out << "  " << name << ": " << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "\n";
}

void PrintHistogram(std::ostream& out, const std::map<std::string, uint32_t>& counts) {
    for (const auto& [name, n] : counts) out << "    " << name << " " << n << "\n";
}

// The EMF report; false when its records do not frame cleanly.
bool PrintEmf(std::span<const uint8_t> bytes, std::ostream& out) {
    EmfHeader h;
    if (!ReadEmfHeader(bytes, h)) {
        out << "EMF header: invalid\n";
        return false;
    }
    out << "EMF header:\n";
    out << "  Size: " << h.size << "\n";
    PrintRect(out, "Bounds", h.bounds);
    PrintRect(out, "Frame", h.frame);
    out << "  Signature: " << Hex(h.signature, 8) << "\n";
    out << "  Version: " << Hex(h.version, 8) << "\n";
    out << "  Bytes: " << h.bytes << " (data " << bytes.size() << ")\n";
    out << "  Records: " << h.records << "\n";
    out << "  Handles: " << h.handles << "\n";
    out << "  nDescription: " << h.nDescription << ", offDescription: " << h.offDescription << "\n";
    out << "  nPalEntries: " << h.nPalEntries << "\n";
    out << "  Device: " << h.device.cx << " x " << h.device.cy << " pixels\n";
    out << "  Millimeters: " << h.millimeters.cx << " x " << h.millimeters.cy << "\n";
    if (h.hasExtension1)
        out << "  cbPixelFormat: " << h.cbPixelFormat << ", offPixelFormat: " << h.offPixelFormat
            << ", bOpenGL: " << h.bOpenGL << "\n";
    if (h.hasExtension2) out << "  Micrometers: " << h.micrometersX << " x " << h.micrometersY << "\n";
    if (!h.description.empty()) {
        std::string d;
        for (char16_t c : h.description) d += c == 0 ? '|' : (c < 0x80 ? char(c) : '?');
        out << "  Description: " << d << "\n";
    }
    const PictureResolution res = PictureResolutionOf(h);
    out << "Picture resolution: " << res.dpiX << " x " << res.dpiY << " dpi, device " << res.deviceWidth << " x "
        << res.deviceHeight << "\n";

    std::map<std::string, uint32_t> counts;
    EmfRecordWalker walker(bytes);
    EmfRecord rec;
    while (walker.Next(rec)) {
        std::string name = EmfRecordName(rec.type);
        if (!IsKnownEmfRecordType(rec.type) || name == "EMR_UNKNOWN") name = "EMR_UNKNOWN(" + std::to_string(rec.type) + ")";
        ++counts[name];
    }
    out << "EMF records: " << walker.Count() << "\n";
    PrintHistogram(out, counts);
    if (walker.Failed()) {
        out << "Damaged: " << EmfWalkStatusText(walker.Status()) << " at offset " << walker.Offset() << "\n";
        return false;
    }
    return true;
}

// The WMF as read and as converted; false when damaged.
bool PrintWmf(std::span<const uint8_t> all, std::ostream& out) {
    std::span<const uint8_t> bits = all;
    std::optional<PlaceableHeader> ph = ReadPlaceableHeader(all);
    if (ph) {
        out << "Placeable header: bounds " << ph->left << ", " << ph->top << ", " << ph->right << ", " << ph->bottom
            << ", " << ph->inch << " units per inch, checksum " << (ph->checksumOk ? "ok" : "wrong") << "\n";
        bits = all.subspan(kPlaceableHeaderSize);
    }
    ByteReader r(bits);
    if (!IsWmfHeader(bits)) {
        out << "WMF header: invalid\n";
        return false;
    }
    const uint16_t type = r.U16(), headerSize = r.U16(), version = r.U16();
    const uint32_t sizeWords = r.U32();
    const uint16_t objects = r.U16();
    const uint32_t maxRecord = r.U32();
    out << "WMF header: type " << type << ", header size " << headerSize << " words, version " << Hex(version)
        << ", size " << sizeWords << " words, " << objects << " objects, largest record " << maxRecord
        << " words\n";

    std::map<std::string, uint32_t> counts;
    size_t pos = 18;
    uint32_t records = 0;
    std::string fault;
    while (pos < bits.size()) {
        if (bits.size() - pos < 6) {
            fault = "record header cut short";
            break;
        }
        ByteReader h(bits.subspan(pos));
        const uint32_t words = h.U32();
        const uint16_t function = h.U16();
        if (words < 3 || uint64_t(words) * 2 > bits.size() - pos) {
            fault = words < 3 ? "record size below 3 words" : "record reaches past the end";
            break;
        }
        ++records;
        std::string name = wmf::WmfRecordName(function);
        if (name == "META_UNKNOWN") name += "(" + Hex(function) + ")";
        ++counts[name];
        pos += size_t(words) * 2;
        if (function == wmf::META_EOF) break;
    }
    out << "WMF records: " << records << "\n";
    PrintHistogram(out, counts);
    if (!fault.empty()) out << "Damaged: " << fault << " at offset " << pos << "\n";

    // As converted, with the same picture description the document builds.
    WmfConversionOptions options;
    if (ph && ph->inch) options.picture = MetafilePict{8, MulDiv(ph->Width(), 2540, ph->inch), MulDiv(ph->Height(), 2540, ph->inch)};
    if (ph) options.placeableBounds = EmfRectL{ph->left, ph->top, ph->right, ph->bottom};
    std::vector<uint8_t> emf;
    WmfConversionReport report;
    out << "Converted to EMF:\n";
    if (!ConvertWmfToEmf(bits, options, emf, &report)) {
        out << "  conversion failed: " << report.error << " at offset " << report.errorOffset << "\n";
        return false;
    }
    out << "  " << report.recordsRead << " records read, " << report.recordsWritten << " written, "
        << report.recordsSkipped << " skipped\n";
    for (const auto& [function, n] : report.skippedByFunction) {
        std::string name = wmf::WmfRecordName(function);
        if (name == "META_UNKNOWN") name += "(" + Hex(function) + ")";
        out << "    skipped " << name << " " << n << "\n";
    }
    return PrintEmf(emf, out) && fault.empty();
}

bool PrintListFile(const std::string& path, std::ostream& out) {
    NoFontTable fonts;
    CMetafileDocument doc(nullptr, &fonts);
    doc.OpenFile(path);
    out << "List file: " << doc.PageCount() << " pages\n";
    out << "  URL: " << doc.Url() << "\n  Credit: " << doc.Credit() << "\n";
    for (int i = 0; i < doc.PageCount(); ++i) {
        CMetafilePage* p = doc.Page(i);
        if (!p) continue;
        out << "  Page " << i << ": " << p->Path() << " type " << Hex(p->TypeCode()) << "\n";
        if (!p->url.empty()) out << "    URL: " << p->url << "\n";
        if (!p->credit.empty()) out << "    Credit: " << p->credit << "\n";
        if (!p->comment.empty()) out << "    Comment: " << p->comment << "\n";
    }
    const ListSettings& s = doc.Settings();
    out << "Settings: CtlBorder " << s.ctlBorder << ", CtlColorStyle " << s.ctlColorStyle << ", CtlColor "
        << s.ctlColor << ", PageBorderVisible " << s.pageBorderVisible << ", PageShadowVisible "
        << s.pageShadowVisible << ", PaperColorStyle " << s.paperColorStyle << ", PaperColor " << Hex(s.paperColor, 6)
        << ", FitMode " << s.fitMode << ", Scale " << s.scale << ", Margins " << s.leftMargin << "/" << s.topMargin
        << "/" << s.rightMargin << "/" << s.bottomMargin << ", PageOrientation " << s.pageOrientation
        << ", TransparencyMode " << s.transparencyMode << ", ReverseVideoMode " << s.reverseVideoMode
        << ", GDIplusEnabled " << s.gdiplusEnabled << ", TextRenderingQuality " << s.textRenderingQuality
        << ", TextContrast " << s.textContrast << ", SmoothingMode " << s.smoothingMode << ", InterpolationMode "
        << s.interpolationMode << ", PixelOffsetMode " << s.pixelOffsetMode << "\n";
    return true;
}

}  // namespace

int InspectFile(const std::string& path, std::ostream& out) {
    const uint32_t code = ClassifyFile(path);
    out << "File: " << path << "\n";
    out << "Type code: " << Hex(code) << " (" << KindName(code) << ")\n";
    std::vector<uint8_t> bytes;
    switch (typecode::Kind(code)) {
        case typecode::kEmf:
            if (!ReadWholeFile(path, bytes)) return 1;
            return PrintEmf(bytes, out) ? 0 : 2;
        case typecode::kWmf:
            if (!ReadWholeFile(path, bytes)) return 1;
            return PrintWmf(bytes, out) ? 0 : 2;
        case typecode::kGzipEmf:
        case typecode::kGzipWmf: {
            const bool ok = InflateGzipFile(path, bytes);
            out << "Inflated: " << bytes.size() << " bytes" << (ok ? "" : " (stream damaged or too large)") << "\n";
            if (!ok) return 2;
            const bool clean = typecode::Kind(code) == typecode::kGzipEmf ? PrintEmf(bytes, out) : PrintWmf(bytes, out);
            return clean ? 0 : 2;
        }
        case typecode::kListFile: return PrintListFile(path, out) ? 0 : 2;
        case typecode::kNone: return 1;
        default: return 0;  // images and text documents: the type code is all there is
    }
}

}  // namespace slidemill
