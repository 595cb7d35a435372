#pragma once
// The conversion job's view of the PDF page writer: the life-cycle operations it drives,
// in the order it drives them. The PDF writer stands behind it in a real run; tests put a
// recording double there. Every operation may throw when the PDF library fails.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "pdf/EncryptResave.h"
#include "pdf/LinkRecords.h"
#include "pdf/PagePlayback.h"

namespace slidemill {

// The error the job writer raises when the PDF library fails.
class PdfWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IJobWriter {
public:
    virtual ~IJobWriter() = default;
    virtual void CreateDocument() = 0;
    virtual void SetSourcePath(const std::string& path) = 0;
    virtual void SetOutputPath(const std::string& path) = 0;
    virtual void SetEmbedFontsFlag(bool embed) = 0;
    virtual std::vector<InternalLinkRecord>& InternalLinks() = 0;
    virtual std::vector<std::string>& LinkAddresses() = 0;
    virtual std::vector<std::string>& LinkTexts() = 0;
    virtual void SetPageOrdinal(int ordinal) = 0;
    virtual void BeginPage(int slideIndex, double width, double height) = 0;
    virtual void SetPictureExtent(double x, double y, int scaleMode) = 0;
    virtual void SaveState() = 0;
    virtual void RestoreState() = 0;
    virtual int PlayMetafile(IPagePlayback& picture, double x0, double y0, double width, double height) = 0;
    virtual void DrawFooter(const std::string& text, int alignment) = 0;
    virtual void DrawHeader(const std::string& text, int alignment) = 0;
    virtual void DrawWatermark(const std::string& text, int position, double sizeMm) = 0;
    virtual void EndPage() = 0;
    virtual void AddInternalLinks() = 0;
    virtual void SetDocumentInfo(const std::string& creator, const std::string& author, const std::string& title,
                                 const std::string& subject, const std::string& keywords) = 0;
    virtual void Close() = 0;
};

// Creates the writer for the path the document is written to.
using JobWriterFactory = std::function<std::unique_ptr<IJobWriter>(const std::string& writtenPath)>;

// The writer of a real run: the PoDoFo page writer.
std::unique_ptr<IJobWriter> MakePdfJobWriter(const std::string& writtenPath);

// The PDF library's encrypted re-save with its errors turned into PdfWriteError.
void EncryptResaveChecked(const std::string& inputPath, const std::string& outputPath, const std::string& userPassword,
                          const std::string& ownerPassword, EncryptionAlgorithm algorithm, uint32_t permissions);

}  // namespace slidemill
