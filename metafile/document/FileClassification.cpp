#include "metafile/document/FileClassification.h"

#include <zlib.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "metafile/ByteReader.h"
#include "metafile/EmfHeader.h"
#include "metafile/document/TypeCodes.h"
#include "platform/ini/IniFile.h"
#include "platform/wmf/PlaceableHeader.h"

namespace slidemill {

bool IsGzipHeader(const uint8_t* bytes, size_t length) {
    return bytes && length > 9 && bytes[0] == 0x1F && bytes[1] == 0x8B && bytes[2] == 8 && bytes[3] < 32;
}

bool ReadGzipPrefix(const std::string& path, uint8_t* buffer, size_t count, size_t* read) {
    if (read) *read = 0;
    gzFile gz = gzopen(path.c_str(), "rb");
    if (!gz) return false;
    int n = gzread(gz, buffer, unsigned(count));
    gzclose(gz);
    if (n < 0) return false;
    if (read) *read = size_t(n);
    return true;
}

bool InflateGzipFile(const std::string& path, std::vector<uint8_t>& sink, size_t maxBytes) {
    gzFile gz = gzopen(path.c_str(), "rb");
    if (!gz) return false;
    std::vector<uint8_t> chunk(32768);
    bool ok = true;
    for (;;) {
        int n = gzread(gz, chunk.data(), unsigned(chunk.size()));
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (sink.size() + size_t(n) > maxBytes) {
            ok = false;
            break;
        }
        sink.insert(sink.end(), chunk.begin(), chunk.begin() + n);
    }
    // A stream cut short reads as a clean end with an error pending.
    int err = Z_OK;
    gzerror(gz, &err);
    if (ok && err != Z_OK && err != Z_STREAM_END) ok = false;
    gzclose(gz);
    return ok;
}

uint32_t LookupExtensionType(const std::string& path) {
    static const struct {
        const char* ext;
        uint32_t code;
    } kTable[] = {{".jpg", typecode::kJpeg},  {".jpeg", typecode::kJpeg}, {".png", typecode::kPng},
                  {".bmp", typecode::kBmp},   {".gif", typecode::kGif},   {".tiff", typecode::kTiff},
                  {".tif", typecode::kTiff},  {".rtf", typecode::kRtf},   {".txt", typecode::kPlainText},
                  {".exif", typecode::kExif}, {".exi", typecode::kExif}};
    std::string name = std::filesystem::path(path).filename().string();
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return typecode::kNone;
    std::string ext = name.substr(dot);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& e : kTable)
        if (ext == e.ext) return e.code;
    return typecode::kNone;
}

namespace {

enum class Content { None, Placeable, Emf, Wmf };

// The three content tests on the first bytes; `emfBytesAvailable` says whether all 108
// header bytes could be read.
Content Probe(const uint8_t* b, bool emfBytesAvailable) {
    ByteReader r(b, kEmfHeaderFullSize);
    const uint32_t first = r.PeekU32(0);
    if (first == kPlaceableKey) return Content::Placeable;
    if (first == 1) {
        if (emfBytesAvailable && r.PeekU32(40) == kEmfSignature) return Content::Emf;
        // Not an EMF: the WMF test below may still take it.
    }
    const uint16_t type = r.PeekU16(0);
    const uint16_t version = r.PeekU16(4);
    if ((type == 1 || type == 2) && (version == 0x0100 || version == 0x0300)) return Content::Wmf;
    return Content::None;
}

}  // namespace

uint32_t ClassifyFile(const std::string& path) {
    // 1. A list file says so in its section "General".
    std::optional<IniFile> ini = IniFile::Load(path);
    if (ini) {
        std::string id = ini->GetString("General", "ID", "", 260);
        if (!id.empty() && id.size() == 3 && std::tolower(static_cast<unsigned char>(id[0])) == 'm' &&
            std::tolower(static_cast<unsigned char>(id[1])) == 'l' &&
            std::tolower(static_cast<unsigned char>(id[2])) == 'f')
            return typecode::kListFile;
    }
    // 2. Existing, readable files only (a folder cannot be opened as a file).
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return typecode::kCannotOpen;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return typecode::kCannotOpen;

    uint32_t kind = typecode::kNone;
    uint8_t buf[kEmfHeaderFullSize] = {};
    if (std::fread(buf, 1, 22, f) == 22) {
        bool haveAll = false;
        if (ByteReader(buf, 22).PeekU32(0) == 1) haveAll = std::fread(buf + 22, 1, 86, f) == 86;
        switch (Probe(buf, haveAll)) {
            case Content::Placeable: kind = typecode::kWmf; break;
            case Content::Emf: kind = typecode::kEmf; break;
            case Content::Wmf: kind = typecode::kWmf; break;
            case Content::None:
                if (IsGzipHeader(buf, 22)) {
                    uint8_t inflated[kEmfHeaderFullSize] = {};
                    size_t got = 0;
                    if (ReadGzipPrefix(path, inflated, sizeof inflated, &got)) {
                        switch (Probe(inflated, got == sizeof inflated)) {
                            case Content::Placeable: kind = typecode::kGzipWmf; break;
                            case Content::Emf: kind = typecode::kGzipEmf; break;
                            case Content::Wmf: kind = typecode::kGzipWmf; break;
                            case Content::None: break;
                        }
                    }
                }
                break;
        }
    }
    std::fclose(f);
    return kind != typecode::kNone ? kind : LookupExtensionType(path);
}

}  // namespace slidemill
