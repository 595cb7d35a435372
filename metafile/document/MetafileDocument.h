#pragma once
// The picture collection the PDF side draws from: an ordered list of pages, each a
// picture backed by a file and turned into an in-memory EMF the first time it is asked
// for. Opening a file classifies it by content (then by extension), makes it the only
// content (a list file or a text document gives several pages) and registers the
// TrueType fonts found in a "Fonts" folder next to the document.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "metafile/document/ListSettings.h"
#include "metafile/document/MessagePrompt.h"
#include "metafile/document/TypeCodes.h"
#include "platform/emf/EnhMetaFile.h"
#include "platform/fonts/PrivateFontTable.h"

namespace slidemill {

class CMetafileDocument;

class CMetafilePage {
public:
    CMetafilePage(CMetafileDocument* owner, std::string path, uint32_t typeCode = typecode::kStateUnclassified)
        : owner_(owner), typeCode_(typeCode), path_(std::move(path)) {}

    // The page's EMF, made on first use; null when the file cannot be opened, is not
    // recognised (the page then stays failed) or does not convert (tried again later).
    const EnhMetaFile* LoadMetafile();

    uint32_t TypeCode() const { return typeCode_; }
    void SetTypeCode(uint32_t code) { typeCode_ = code; }
    const EnhMetaFile* Metafile() const { return metafile_.get(); }
    void SetMetafile(std::unique_ptr<EnhMetaFile> emf) { metafile_ = std::move(emf); }
    const std::string& Path() const { return path_; }

    std::string url;
    std::string credit;
    std::string comment;

private:
    CMetafileDocument* owner_;
    uint32_t typeCode_;
    std::unique_ptr<EnhMetaFile> metafile_;
    std::string path_;
};

class CMetafileDocument {
public:
    // `prompt` shows the document's messages (may be null: messages are dropped);
    // `fonts` is the private font table (null: fontconfig's application fonts);
    // `tempFolder` is the run's temporary folder (empty: a private folder made in the
    // system's on first need and removed with the document).
    explicit CMetafileDocument(IMessagePrompt* prompt = nullptr, IPrivateFontTable* fonts = nullptr,
                               std::string tempFolder = {});
    virtual ~CMetafileDocument();
    CMetafileDocument(const CMetafileDocument&) = delete;
    CMetafileDocument& operator=(const CMetafileDocument&) = delete;

    // Classifies the file and replaces the content; the low four bits of the result are
    // 0 when nothing was opened (the document is then unchanged).
    uint32_t OpenFile(const std::string& path);
    // Page `index`'s EMF (the document keeps it), or null.
    const EnhMetaFile* GetPageMetafile(int index);
    // Deletes the pages and their EMFs, unregisters the private fonts, empties the path.
    void Clear();

    int PageCount() const { return int(pages_.size()); }
    CMetafilePage* Page(int index) { return index >= 0 && index < PageCount() ? pages_[size_t(index)].get() : nullptr; }
    const std::string& DocumentPath() const { return documentPath_; }
    const std::string& Url() const { return url_; }
    const std::string& Credit() const { return credit_; }
    const ListSettings& Settings() const { return settings_; }
    const std::vector<std::string>& RegisteredFonts() const { return registeredFonts_; }
    const std::vector<std::string>& PendingDeletions() const { return pendingDeletions_; }
    void SetTempFolder(std::string folder) { tempFolder_ = std::move(folder); }

    // Conversion helpers (also used by the pages).
    std::unique_ptr<EnhMetaFile> LoadWmfFile(const std::string& path);
    std::unique_ptr<EnhMetaFile> ConvertWmfBits(size_t size, const uint8_t* bytes);
    // Raster images and text documents; this build has no decoder for them yet, so
    // they give nothing. A derived document may supply them.
    virtual std::unique_ptr<EnhMetaFile> ImageToMetafile(const std::string& path);
    virtual int PaginateTextDocument(const std::string& path, bool isRtf,
                                     std::vector<std::unique_ptr<EnhMetaFile>>& result);

    // Private fonts.
    void ScanFontsFolder();
    bool RegisterFont(const std::string& fontPath, bool isTemporaryCopy);
    void UnregisterFonts();
    void PurgePendingDeletions(bool final);
    // The run's temporary folder plus `name` and a separator, created as needed; empty
    // when it cannot be made.
    std::string MakeTempSubfolder(const std::string& name) const;
    // The same path, without creating anything.
    std::string TempSubfolderPath(const std::string& name) const;

    // The document path of a single file: its extension replaced by ".mlf".
    static std::string DocumentPathFor(const std::string& filePath);

protected:
    // Whether fonts next to the document can be used in place; otherwise they are
    // copied to the temporary folder first (network and removable file systems).
    virtual bool IsOnFixedDrive(const std::string& path) const { return IsFixedDrive(path); }

private:
    friend class CMetafilePage;
    void ShowMessage(const std::string& text);
    void Reset(size_t slots);
    uint32_t LoadListFile(const std::string& path);
    uint32_t OpenTextDocument(const std::string& path, uint32_t code);

    IMessagePrompt* prompt_;
    std::unique_ptr<IPrivateFontTable> ownFonts_;
    IPrivateFontTable* fonts_;
    std::string tempFolder_;
    mutable std::string privateTemp_;  // made on demand when no run folder was given

    std::vector<std::unique_ptr<CMetafilePage>> pages_;
    std::string documentPath_;
    std::vector<std::string> registeredFonts_;
    std::vector<std::string> pendingDeletions_;
    std::string url_;
    std::string credit_;
    ListSettings settings_;
};

}  // namespace slidemill
