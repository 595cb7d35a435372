#pragma once
// The PDF page writer: owns the streamed PoDoFo document, paints one page per slide with
// the operations the renderer calls, and keeps the link lists the job fills. Every PDF
// library error (PoDoFo::PdfError) of the life-cycle operations travels to the caller.

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "pdf/LinkRecords.h"
#include "pdf/PagePlayback.h"
#include "pdf/PageWriter.h"
#include "pdf/fonts/PdfFontSet.h"
#include "pdf/links/LinkMatching.h"

namespace PoDoFo {
class PdfStreamedDocument;
class PdfOutputDevice;
class PdfPainter;
}  // namespace PoDoFo

namespace slidemill {

class CPdfImageStore;

class CPdfPageWriter : public IPageWriter {
public:
    explicit CPdfPageWriter(std::string outputPath);
    virtual ~CPdfPageWriter();

    CPdfPageWriter(const CPdfPageWriter&) = delete;
    CPdfPageWriter& operator=(const CPdfPageWriter&) = delete;

    // Document life cycle, in the order the job calls it.
    void CreateDocument();
    void SetSourcePath(const std::string& path);
    const std::string& SourcePath() const;
    void SetOutputPath(const std::string& path);  // kept for the job; the file goes to the constructor's path
    const std::string& OutputPath() const;
    void SetEmbedFontsFlag(bool embed);
    bool EmbedFontsFlag() const;

    std::vector<InternalLinkRecord>& InternalLinks();
    std::vector<std::string>& LinkAddresses();
    std::vector<std::string>& LinkTexts();
    void SetPageOrdinal(int ordinal);
    int PageOrdinal() const;

    // slideIndex is not used; width and height are the slide size in points.
    void BeginPage(int slideIndex, double width, double height);
    // Captured picture extent in 0.01 mm; scaleMode changes nothing.
    void SetPictureExtent(double x, double y, int scaleMode);
    void SaveState() override;
    void RestoreState() override;
    // Sizes the play area and plays the picture onto the current page. Returns 1.
    int PlayMetafile(IPagePlayback& picture, double x0, double y0, double width, double height);
    void DrawFooter(const std::string& text, int alignment);
    void DrawHeader(const std::string& text, int alignment);
    void DrawWatermark(const std::string& text, int position, double sizeMm);
    void EndPage();
    void AddInternalLinks();
    void SetDocumentInfo(const std::string& creator, const std::string& author, const std::string& title,
                         const std::string& subject, const std::string& keywords);
    // Completes the file (cross-reference table and trailer). Without it the file is invalid.
    void Close();

    // Rendering option values copied into the renderer before each playback.
    RenderOptions& Options();

    // For the writer's own parts (fonts, images, links): the open document (null before
    // CreateDocument) and the painter of the open page (null outside the page bracket).
    // Objects created while a page is open are held back by the streamed document until
    // Close, so they never interrupt the page's content stream.
    PoDoFo::PdfStreamedDocument* Document();
    PoDoFo::PdfPainter* Painter();

    // IPageWriter
    PageGeometry& Geometry() override;
    void SetPenColor(const COLORREF& color) override;
    void SetPenWidth(double width) override;
    void SetBrushColor(const COLORREF& color) override;
    void SetDrawColor(const COLORREF& color) override;
    void DrawLine(double x1, double y1, double x2, double y2) override;
    void DrawPolyline(const double* xs, const double* ys, int count) override;
    void FillPolygon(const double* xs, double* ys, int count) override;
    void SetClipRect(double x, double y, double w, double h) override;
    void ClipToPlayArea() override;
    int SetFont(const std::string& faceName, bool bold, bool italic) override;
    void DrawChar(uint16_t code, double x, double y, double cellHeight) override;
    void SetTextRotation(double degrees) override { fonts_.SetRotation(degrees); }
    bool IsLinkText(const std::string& text) override;
    bool FindLinkTarget(const std::string& text, std::string& target) override;
    void AddUriLink(float x, float y, float w, float h, const std::string& target) override;
    void AddTextRun(const std::string& text, double x, double y, double w, double h, int side) override;
    bool& LinkContinues() override;
    // Each distinct image is written once per document; its samples go to the file when
    // the page ends (see pdf/images/PdfImageStore.h). A failed placement is skipped.
    void DrawImage(double x, double y, double w, double h, const DecodedImage& image, const ImageMask& mask) override;

    // Image objects written or announced so far in this document.
    size_t DistinctImageCount() const;

    // The text state of the run: installed fonts, PDF fonts made so far, current font.
    CPdfFontSet& Fonts();

private:
    std::string outputPath_;     // where the document is created
    std::string jobOutputPath_;  // the job's output path; nothing here reads it
    std::string sourcePath_;
    bool embedFonts_ = false;

    void CheckFileState(const char* doing);

    // The file is written through our own stream so that write errors (a full disk) are
    // seen: the library's own file device does not report them. Declared in the order
    // they are built; the document goes first.
    std::unique_ptr<std::ofstream> file_;
    std::unique_ptr<PoDoFo::PdfOutputDevice> device_;
    std::unique_ptr<PoDoFo::PdfStreamedDocument> document_;
    std::unique_ptr<PoDoFo::PdfPainter> painter_;
    bool pageOpen_ = false;
    bool closed_ = false;
    std::unique_ptr<CPdfImageStore> images_;  // of the current document

    PageGeometry geometry_;
    double pictureExtentX_ = 0.0;  // 0.01 mm; 0 until the job sets it
    double pictureExtentY_ = 0.0;
    COLORREF penColor_ = 0;
    COLORREF brushColor_ = 0;
    RenderOptions options_;

    std::vector<InternalLinkRecord> internalLinks_;
    std::vector<std::string> linkAddresses_;
    std::vector<std::string> linkTexts_;
    int pageOrdinal_ = 0;

    // Text: fonts for the whole run, and the run bookkeeping of links between slides,
    // which fills internalLinks_ (declared before it).
    CPdfFontSet fonts_;
    CLinkRunBook linkRuns_{internalLinks_};
};

}  // namespace slidemill
