#include "metafile/document/MetafileDocument.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "metafile/EmfHeader.h"
#include "metafile/document/FileClassification.h"
#include "platform/ini/IniFile.h"
#include "platform/wmf/PlaceableHeader.h"
#include "platform/wmf2emf/WmfToEmf.h"

namespace slidemill {

namespace fs = std::filesystem;

namespace {

// A hostile "NbFiles" must not make the document allocate billions of slots.
constexpr long kMaxListPages = 65535;

std::string FolderOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    if (parent.empty()) return {};
    std::string s = parent.string();
    if (s.back() != '/') s += '/';
    return s;
}

bool RemoveFile(const std::string& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

void ClearReadOnly(const std::string& path) {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, ec);
}

}  // namespace

// ---- page ----

const EnhMetaFile* CMetafilePage::LoadMetafile() {
    if (metafile_) return metafile_.get();
    if (typecode::State(typeCode_) == typecode::kStateUnclassified) {
        const uint32_t code = ClassifyFile(path_);
        if (code & typecode::kCannotOpen) {
            typeCode_ = (code & ~typecode::kStateMask) | typecode::kStateFailed;
            return nullptr;
        }
        if (typecode::Kind(code) == typecode::kNone) {
            if (owner_) owner_->ShowMessage("File type not supported:\n" + path_);
            typeCode_ = code | typecode::kStateFailed;
            return nullptr;
        }
        typeCode_ = code;
    }
    if (typecode::State(typeCode_) == typecode::kStateFailed) return nullptr;

    std::unique_ptr<EnhMetaFile> emf;
    switch (typecode::Kind(typeCode_)) {
        case typecode::kEmf: emf = GetEnhMetaFileA(path_); break;
        case typecode::kWmf:
            if (owner_) emf = owner_->LoadWmfFile(path_);
            break;
        case typecode::kImage:
            if (owner_) emf = owner_->ImageToMetafile(path_);
            break;
        case typecode::kGzipEmf:
        case typecode::kGzipWmf: {
            std::vector<uint8_t> sink;
            sink.reserve(1024);
            if (InflateGzipFile(path_, sink)) {
                if (typecode::Kind(typeCode_) == typecode::kGzipEmf)
                    emf = SetEnhMetaFileBits(sink.size(), sink.data());
                else if (owner_)
                    emf = owner_->ConvertWmfBits(sink.size(), sink.data());
            }
            break;
        }
        default: break;  // list files, text documents, anything else
    }
    // A failed conversion leaves the state alone: the next request tries again.
    metafile_ = std::move(emf);
    return metafile_.get();
}

// ---- document ----

CMetafileDocument::CMetafileDocument(IMessagePrompt* prompt, IPrivateFontTable* fonts, std::string tempFolder)
    : prompt_(prompt), fonts_(fonts), tempFolder_(std::move(tempFolder)) {
    if (!fonts_) {
        ownFonts_ = std::make_unique<FontconfigFontTable>();
        fonts_ = ownFonts_.get();
    }
}

CMetafileDocument::~CMetafileDocument() {
    Clear();
    PurgePendingDeletions(true);
    if (!privateTemp_.empty()) {
        std::error_code ec;
        fs::remove_all(privateTemp_, ec);
    }
}

void CMetafileDocument::ShowMessage(const std::string& text) {
    if (prompt_) prompt_->ShowMessage(text);
}

void CMetafileDocument::Clear() {
    pages_.clear();
    UnregisterFonts();
    documentPath_.clear();
}

void CMetafileDocument::Reset(size_t slots) {
    Clear();
    pages_.resize(slots);
}

std::string CMetafileDocument::DocumentPathFor(const std::string& filePath) {
    // Only a dot in the file name counts: one in a folder name is not an extension.
    const size_t slash = filePath.find_last_of('/');
    const size_t dot = filePath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return filePath + ".mlf";
    return filePath.substr(0, dot) + ".mlf";
}

uint32_t CMetafileDocument::OpenFile(const std::string& path) {
    const uint32_t code = ClassifyFile(path);
    switch (typecode::Kind(code)) {
        case typecode::kNone: return code;
        case typecode::kListFile: return LoadListFile(path);
        case typecode::kText: return OpenTextDocument(path, code);
        default: break;
    }
    Reset(1);
    pages_[0] = std::make_unique<CMetafilePage>(this, path, code);
    documentPath_ = DocumentPathFor(path);
    ScanFontsFolder();
    return code;
}

const EnhMetaFile* CMetafileDocument::GetPageMetafile(int index) {
    CMetafilePage* page = Page(index);
    return page ? page->LoadMetafile() : nullptr;
}

uint32_t CMetafileDocument::LoadListFile(const std::string& path) {
    std::optional<IniFile> loaded = IniFile::Load(path);
    const IniFile ini = loaded ? std::move(*loaded) : IniFile::Parse("");
    long n = std::strtol(ini.GetString("General", "NbFiles", "", 260).c_str(), nullptr, 10);
    n = std::clamp(n, 0L, kMaxListPages);
    Reset(size_t(n));
    documentPath_ = path;
    const std::string folder = FolderOf(path);
    for (long i = 0; i < n; ++i) {
        // Page files always sit next to the list file: only the name is taken.
        std::string file = ini.GetString("Files", "File" + std::to_string(i), "", 260);
        for (char& c : file)
            if (c == '\\') c = '/';
        const std::string pagePath = folder + fs::path(file).filename().string();
        auto page = std::make_unique<CMetafilePage>(this, pagePath);
        if (i == 0) {
            const uint32_t code = ClassifyFile(pagePath);
            const int kind = int(code & 0xF) >= 8 ? int(code & 0xF) - 16 : int(code & 0xF);  // signed 4 bits
            page->SetTypeCode(kind <= 0 || kind == int(typecode::kListFile) ? typecode::kStateUnclassified : code);
        }
        const std::string section = "Page" + std::to_string(i);
        page->url = ini.GetString(section, "URL", "", 1024);
        page->credit = ini.GetString(section, "Credit", "", 1024);
        page->comment = ini.GetString(section, "Comment", "", 1024);
        pages_[size_t(i)] = std::move(page);
    }
    ScanFontsFolder();
    url_ = ini.GetString("General", "URL", "", 1024);
    credit_ = ini.GetString("General", "Credit", "", 1024);
    settings_ = ReadListSettings(ini);
    return typecode::kListFile;
}

uint32_t CMetafileDocument::OpenTextDocument(const std::string& path, uint32_t code) {
    std::vector<std::unique_ptr<EnhMetaFile>> emfs;
    const int count = PaginateTextDocument(path, code == typecode::kRtf, emfs);
    if (count <= 0 || emfs.empty()) return typecode::kNone;
    Reset(emfs.size());
    // notes.rtf gives notes_rtf_p1.emf, notes_rtf_p2.emf, ...; the document path is
    // empty, so the names carry no folder.
    std::string base = fs::path(path).filename().string();
    if (size_t dot = base.find_last_of('.'); dot != std::string::npos) base[dot] = '_';
    const std::string folder = documentPath_.empty() ? std::string() : FolderOf(documentPath_);
    for (size_t i = 0; i < emfs.size(); ++i) {
        auto page = std::make_unique<CMetafilePage>(this, folder + base + "_p" + std::to_string(i + 1) + ".emf",
                                                    typecode::kEmf);
        page->SetMetafile(std::move(emfs[i]));
        pages_[i] = std::move(page);
    }
    ScanFontsFolder();
    return code;
}

std::unique_ptr<EnhMetaFile> CMetafileDocument::LoadWmfFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return nullptr;
    return ConvertWmfBits(bytes.size(), bytes.data());
}

std::unique_ptr<EnhMetaFile> CMetafileDocument::ConvertWmfBits(size_t size, const uint8_t* bytes) {
    if (!bytes) return nullptr;
    std::span<const uint8_t> all(bytes, size);
    std::optional<PlaceableHeader> placeable = ReadPlaceableHeader(all);
    std::span<const uint8_t> bits = all;
    if (placeable) bits = all.subspan(kPlaceableHeaderSize);
    else if (size >= 4 && ByteReader(all).PeekU32(0) == kPlaceableKey)
        return nullptr;  // the key without a whole header
    MetafilePict picture;
    bool hasPicture = false;
    std::optional<EmfRectL> bounds;
    if (placeable && placeable->inch != 0) {
        picture.mm = 8;
        picture.xExt = MulDiv(placeable->Width(), 2540, placeable->inch);
        picture.yExt = MulDiv(placeable->Height(), 2540, placeable->inch);
        hasPicture = true;
    }
    if (placeable) bounds = EmfRectL{placeable->left, placeable->top, placeable->right, placeable->bottom};
    return SetWinMetaFileBits(bits.size(), bits.data(), hasPicture ? &picture : nullptr, nullptr, bounds);
}

std::unique_ptr<EnhMetaFile> CMetafileDocument::ImageToMetafile(const std::string&) { return nullptr; }

int CMetafileDocument::PaginateTextDocument(const std::string&, bool, std::vector<std::unique_ptr<EnhMetaFile>>&) {
    return 0;
}

// ---- private fonts ----

std::string CMetafileDocument::TempSubfolderPath(const std::string& name) const {
    std::string base = tempFolder_.empty() ? privateTemp_ : tempFolder_;
    if (base.empty()) return {};
    if (base.back() != '/') base += '/';
    return base + name + '/';
}

std::string CMetafileDocument::MakeTempSubfolder(const std::string& name) const {
    // Without a run folder, a private one is made: a fixed name in the shared temporary
    // folder could be a link planted by another user.
    if (tempFolder_.empty() && privateTemp_.empty()) {
        std::error_code ec;
        std::string pattern = fs::temp_directory_path(ec).string();
        if (ec || pattern.empty()) return {};
        if (pattern.back() != '/') pattern += '/';
        pattern += "slidemill-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) return {};
        privateTemp_ = buf.data();
    }
    std::string folder = TempSubfolderPath(name);
    if (folder.empty()) return {};
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) return {};
    return folder;
}

void CMetafileDocument::ScanFontsFolder() {
    PurgePendingDeletions(false);
    if (documentPath_.empty()) return;
    const std::string fontsFolder = FolderOf(documentPath_) + "Fonts";
    std::error_code ec;
    if (!fs::is_directory(fontsFolder, ec)) return;
    std::vector<std::string> files;
    for (fs::directory_iterator it(fontsFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (it->is_regular_file(e2)) files.push_back(it->path().string());
    }
    if (files.empty()) return;
    std::sort(files.begin(), files.end());
    const bool copying = !IsOnFixedDrive(documentPath_);
    std::string copies;
    if (copying) {
        copies = MakeTempSubfolder("Metascope");
        if (copies.empty()) return;
    }
    for (const std::string& file : files) {
        if (!IsTrueTypeFile(file)) continue;
        std::string path = file;
        if (copying) {
            path = copies + fs::path(file).stem().string() + ".eft";
            std::error_code ce;
            if (!fs::exists(path, ce)) fs::copy_file(file, path, ce);
        }
        RegisterFont(path, copying);
    }
}

// There is no resource file to make here: the font file itself is registered, and the
// registered list holds it (the ".eft" copy when the fonts were copied).
bool CMetafileDocument::RegisterFont(const std::string& fontPath, bool isTemporaryCopy) {
    if (fonts_ && fonts_->Add(fontPath)) {
        registeredFonts_.push_back(fontPath);
        return true;
    }
    if (isTemporaryCopy) RemoveFile(fontPath);
    return false;
}

void CMetafileDocument::UnregisterFonts() {
    const std::string copies = TempSubfolderPath("Metascope");
    bool decided = false;
    bool cleanCopies = false;
    for (const std::string& font : registeredFonts_) {
        if (!fonts_ || !fonts_->Remove(font)) continue;
        // Only copies this document made are deleted: ".eft" files in the temporary
        // subfolder, never a font next to the document.
        const bool isCopy = !copies.empty() && FolderOf(font) == copies && fs::path(font).extension() == ".eft";
        if (!decided) {
            std::error_code ec;
            cleanCopies = isCopy && fs::exists(font, ec);
            decided = true;
        }
        if (cleanCopies && isCopy) {
            ClearReadOnly(font);
            if (!RemoveFile(font)) pendingDeletions_.push_back(font);
        }
    }
    registeredFonts_.clear();
}

void CMetafileDocument::PurgePendingDeletions(bool final) {
    if (final) {
        for (const std::string& f : pendingDeletions_) {
            ClearReadOnly(f);
            RemoveFile(f);
        }
        pendingDeletions_.clear();
        return;
    }
    std::vector<std::string> still;
    for (const std::string& f : pendingDeletions_) {
        std::error_code ec;
        if (!RemoveFile(f) && fs::exists(f, ec)) still.push_back(f);
    }
    pendingDeletions_ = std::move(still);
}

}  // namespace slidemill
