#include "pdf/PdfPageWriter.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <utility>

#include <podofo/podofo.h>

#include "pdf/AnsiText.h"
#include "pdf/PdfErrorText.h"
#include "pdf/decorations/PageDecorations.h"
#include "pdf/links/LinkAnnotations.h"
#include "pdf/images/PdfImageStore.h"
#include "platform/dib/DibTypes.h"

namespace slidemill {
namespace {

// Rounds toward zero into a 32-bit int; NaN and out-of-range values are clamped so that a
// hostile picture size cannot make an undefined conversion.
int32_t TruncToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);  // truncates toward zero
}

// A number the content stream can carry. A damaged picture can drive the mapping to
// infinities or NaN, which would be written as "inf"/"nan" and break the page for readers.
bool Finite(double a) { return std::isfinite(a); }
bool Finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

struct Rgb {
    double r, g, b;
};

// COLORREF 0x00BBGGRR to DeviceRGB components.
Rgb ToRgb(COLORREF c) {
    return {static_cast<double>(c & 0xFF) / 255.0, static_cast<double>((c >> 8) & 0xFF) / 255.0,
            static_cast<double>((c >> 16) & 0xFF) / 255.0};
}

}  // namespace

CPdfPageWriter::CPdfPageWriter(std::string outputPath)
    : outputPath_(std::move(outputPath)),
      painter_(std::make_unique<PoDoFo::PdfPainter>()),
      images_(std::make_unique<CPdfImageStore>()) {
    // Without an installed-font table no face is found and text is left out; the run goes on.
    fonts_.LoadFontTable();
}

CPdfPageWriter::~CPdfPageWriter() {
    // The destructor must not throw, whatever state a failed run left behind. A page still
    // open is finished first so that the painter lets go of the page stream before the
    // document goes away; the file stays incomplete unless Close ran.
    try {
        if (pageOpen_) {
            pageOpen_ = false;
            painter_->FinishPage();
        }
    } catch (...) {
    }
    try {
        document_.reset();
        device_.reset();
        file_.reset();
    } catch (...) {
    }
    try {
        painter_.reset();
    } catch (...) {
    }
}

void CPdfPageWriter::CreateDocument() {
    if (pageOpen_) {
        pageOpen_ = false;
        try {
            painter_->FinishPage();
        } catch (PoDoFo::PdfError&) {
            // the old document is dropped anyway
        }
    }
    images_->Clear();
    document_.reset();
    device_.reset();
    file_.reset();
    closed_ = false;
    errno = 0;
    file_ = std::make_unique<std::ofstream>(outputPath_, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!file_->is_open()) {
        const int cause = errno;
        std::string context = "cannot create the PDF file \"" + outputPath_ + "\"";
        if (cause != 0) context += ": " + std::string(std::strerror(cause));
        file_.reset();
        PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_FileNotFound, context);
    }
    // Streamed: every finished object goes to the file at once, so memory stays flat.
    device_ = std::make_unique<PoDoFo::PdfOutputDevice>(file_.get());
    document_ = std::make_unique<PoDoFo::PdfStreamedDocument>(device_.get(), PoDoFo::ePdfVersion_1_6, nullptr,
                                                              PoDoFo::ePdfWriteMode_Compact);
}

// Turns a failed write of the output stream into a library error, so that it travels
// like every other failure of writing the file.
void CPdfPageWriter::CheckFileState(const char* doing) {
    if (file_ && file_->good()) return;
    const int cause = errno;
    std::string context = std::string("cannot ") + doing + " \"" + outputPath_ + "\": ";
    context += cause != 0 ? std::string(std::strerror(cause)) : std::string("the data could not be written (disk full?)");
    // The code carries no detail of its own: the text says what went wrong.
    PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_Unknown, context);
}

void CPdfPageWriter::SetSourcePath(const std::string& path) { sourcePath_ = path; }
const std::string& CPdfPageWriter::SourcePath() const { return sourcePath_; }
void CPdfPageWriter::SetOutputPath(const std::string& path) { jobOutputPath_ = path; }
const std::string& CPdfPageWriter::OutputPath() const { return jobOutputPath_; }
void CPdfPageWriter::SetEmbedFontsFlag(bool embed) {
    embedFonts_ = embed;
    fonts_.SetEmbedFonts(embed);
}
bool CPdfPageWriter::EmbedFontsFlag() const { return embedFonts_; }

std::vector<InternalLinkRecord>& CPdfPageWriter::InternalLinks() { return internalLinks_; }
std::vector<std::string>& CPdfPageWriter::LinkAddresses() { return linkAddresses_; }
std::vector<std::string>& CPdfPageWriter::LinkTexts() { return linkTexts_; }
void CPdfPageWriter::SetPageOrdinal(int ordinal) { pageOrdinal_ = ordinal; }
int CPdfPageWriter::PageOrdinal() const { return pageOrdinal_; }

RenderOptions& CPdfPageWriter::Options() { return options_; }
PoDoFo::PdfStreamedDocument* CPdfPageWriter::Document() { return document_.get(); }
PoDoFo::PdfPainter* CPdfPageWriter::Painter() { return pageOpen_ ? painter_.get() : nullptr; }
PageGeometry& CPdfPageWriter::Geometry() { return geometry_; }
CPdfFontSet& CPdfPageWriter::Fonts() { return fonts_; }
bool& CPdfPageWriter::LinkContinues() { return linkRuns_.LinkContinues(); }

void CPdfPageWriter::BeginPage(int /*slideIndex*/, double width, double height) {
    if (!document_ || closed_) {
        PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_InvalidHandle, "BeginPage: no open PDF document");
    }
    if (pageOpen_) EndPage();
    geometry_.pageWidth = width;
    geometry_.pageHeight = height;
    try {
        // The page pointer is only valid until the next CreatePage; the painter holds the
        // page's content stream for the bracket and nothing else keeps the pointer.
        PoDoFo::PdfPage* page = document_->CreatePage(PoDoFo::PdfRect(0.0, 0.0, width, height));
        painter_->SetPage(page);
    } catch (PoDoFo::PdfError& error) {
        AddPdfErrorContext(error, "cannot add a page to \"" + outputPath_ + "\"");
        throw;
    }
    pageOpen_ = true;
}

void CPdfPageWriter::SetPictureExtent(double x, double y, int /*scaleMode*/) {
    pictureExtentX_ = x;
    pictureExtentY_ = y;
}

void CPdfPageWriter::SaveState() {
    if (pageOpen_) painter_->Save();
}

void CPdfPageWriter::RestoreState() {
    if (pageOpen_) painter_->Restore();
}

int CPdfPageWriter::PlayMetafile(IPagePlayback& picture, double x0, double y0, double width, double height) {
    geometry_.playWidth = width;

    int32_t dpiX = 0;
    int32_t dpiY = 0;
    if (!picture.PictureResolution(dpiX, dpiY)) return 0;  // nothing to play

    // Height correction: play into a rectangle of the given width whose height follows the
    // captured picture's aspect ratio rather than the page's.
    if (pictureExtentY_ > 10.0 && pictureExtentX_ > 10.0 && dpiX > 0 && dpiY > 0) {
        const double pxW = static_cast<double>(dpiX) * pictureExtentX_ / 2540.0;
        const double pxH = static_cast<double>(dpiY) * pictureExtentY_ / 2540.0;
        const double corrected = width / (pxW / pxH);
        if (std::isfinite(corrected)) height = corrected;
    }

    geometry_.x0 = x0;
    geometry_.y0 = y0;
    geometry_.offX = TruncToInt32(x0);
    geometry_.offY = TruncToInt32(y0);
    geometry_.scale = 1.0;
    geometry_.textScale = 1.0;

    PlayRect rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = TruncToInt32(width);
    rect.bottom = TruncToInt32(height);

    options_.pageUnitFlag = 0;
    // Objects the playback creates mid-page (fonts, images) are held back by the streamed
    // document until Close, so the open page content stream is never interrupted.
    picture.Play(*this, rect, options_, geometry_.scale);
    return 1;
}

// Header, footer and watermark go onto the open page after the slide; outside the page
// bracket they draw nothing. Each leaves the painter's font changed, so the next slide
// character selects its font again.
void CPdfPageWriter::DrawFooter(const std::string& text, int alignment) {
    if (!pageOpen_ || !document_) return;
    DecorationTarget target{*document_, *painter_, geometry_.pageWidth, geometry_.pageHeight, fonts_,
                            MacroContext{pageOrdinal_, sourcePath_, {}}};
    slidemill::DrawFooter(target, text, alignment);
}

void CPdfPageWriter::DrawHeader(const std::string& text, int alignment) {
    if (!pageOpen_ || !document_) return;
    DecorationTarget target{*document_, *painter_, geometry_.pageWidth, geometry_.pageHeight, fonts_,
                            MacroContext{pageOrdinal_, sourcePath_, {}}};
    slidemill::DrawHeader(target, text, alignment);
}

void CPdfPageWriter::DrawWatermark(const std::string& text, int position, double sizeMm) {
    if (!pageOpen_ || !document_) return;
    DecorationTarget target{*document_, *painter_, geometry_.pageWidth, geometry_.pageHeight, fonts_,
                            MacroContext{pageOrdinal_, sourcePath_, {}}};
    slidemill::DrawWatermark(target, text, position, sizeMm);
}

void CPdfPageWriter::EndPage() {
    if (!pageOpen_) return;
    pageOpen_ = false;
    errno = 0;
    try {
        painter_->FinishPage();
        // The page's content stream is finished: the images it announced can go to the file.
        images_->WritePending();
    } catch (PoDoFo::PdfError& error) {
        AddPdfErrorContext(error, "cannot write a page of \"" + outputPath_ + "\"");
        throw;
    }
    CheckFileState("write a page of");
}

// After the last page: links between slides from the records the text runs filled.
void CPdfPageWriter::AddInternalLinks() {
    if (!document_ || closed_) return;
    if (pageOpen_) EndPage();
    AddInternalLinkAnnotations(*document_, internalLinks_);
}

void CPdfPageWriter::SetDocumentInfo(const std::string& creator, const std::string& author, const std::string& title,
                                     const std::string& subject, const std::string& keywords) {
    if (!document_ || closed_) {
        PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_InvalidHandle, "SetDocumentInfo: no open PDF document");
    }
    // Empty strings are stored as empty strings, not left out. ASCII text is stored as its
    // bytes; other text as a Unicode string, so that readers show what the user typed.
    auto bytes = [](const std::string& s) {
        bool ascii = true;
        for (char c : s) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        if (ascii) return PoDoFo::PdfString(s.data(), static_cast<long>(s.size()));
        const std::string utf8 = InformationTextToUtf8(s);
        return PoDoFo::PdfString(reinterpret_cast<const PoDoFo::pdf_utf8*>(utf8.data()),
                                 static_cast<PoDoFo::pdf_long>(utf8.size()));
    };
    PoDoFo::PdfInfo* info = document_->GetInfo();
    info->SetCreator(bytes(creator));
    info->SetAuthor(bytes(author));
    info->SetTitle(bytes(title));
    info->SetSubject(bytes(subject));
    info->SetKeywords(bytes(keywords));
}

void CPdfPageWriter::Close() {
    if (!document_ || closed_) {
        PODOFO_RAISE_ERROR_INFO(PoDoFo::ePdfError_InvalidHandle, "Close: no open PDF document");
    }
    if (pageOpen_) EndPage();
    closed_ = true;  // a failed Close cannot be retried: the file is in an unknown state
    errno = 0;
    try {
        images_->WritePending();  // nothing is pending after EndPage; kept for safety
        document_->Close();
    } catch (PoDoFo::PdfError& error) {
        AddPdfErrorContext(error, "cannot complete the PDF file \"" + outputPath_ + "\"");
        throw;
    }
    file_->flush();
    CheckFileState("complete the PDF file");
    file_->close();
    CheckFileState("complete the PDF file");
}

// Drawing operations. The job keeps them inside the page bracket; outside it they draw
// nothing rather than fail.

void CPdfPageWriter::SetPenColor(const COLORREF& color) {
    penColor_ = color;
    if (!pageOpen_) return;
    const Rgb c = ToRgb(color);
    painter_->SetColor(c.r, c.g, c.b);
}

void CPdfPageWriter::SetPenWidth(double width) {
    if (!pageOpen_) return;
    const double stroke = width * geometry_.scale;
    if (!Finite(stroke)) return;
    painter_->SetStrokeWidth(stroke);
}

void CPdfPageWriter::SetBrushColor(const COLORREF& color) {
    brushColor_ = color;
    if (!pageOpen_) return;
    const Rgb c = ToRgb(color);
    painter_->SetColor(c.r, c.g, c.b);
}

void CPdfPageWriter::SetDrawColor(const COLORREF& color) {
    if (!pageOpen_) return;
    const Rgb c = ToRgb(color);
    painter_->SetColor(c.r, c.g, c.b);
    painter_->SetStrokingColor(c.r, c.g, c.b);
}

void CPdfPageWriter::DrawLine(double x1, double y1, double x2, double y2) {
    if (!pageOpen_) return;
    SetDrawColor(penColor_);
    const double h = geometry_.pageHeight;
    if (!Finite(x1, h - y1, x2, h - y2)) return;
    painter_->DrawLine(x1, h - y1, x2, h - y2);
}

void CPdfPageWriter::DrawPolyline(const double* xs, const double* ys, int count) {
    if (!pageOpen_) return;
    painter_->Save();
    SetDrawColor(penColor_);
    if (xs != nullptr && ys != nullptr) {
        // The colour is set once for the whole polyline; each segment is its own m l S.
        const double h = geometry_.pageHeight;
        for (int i = 1; i < count; ++i) {
            if (!Finite(xs[i - 1], h - ys[i - 1], xs[i], h - ys[i])) continue;  // that segment only
            painter_->DrawLine(xs[i - 1], h - ys[i - 1], xs[i], h - ys[i]);
        }
    }
    painter_->Restore();
}

void CPdfPageWriter::FillPolygon(const double* xs, double* ys, int count) {
    const double h = geometry_.pageHeight;
    // The caller's ys are flipped in place: callers rely on (and must allow for) this.
    if (ys != nullptr)
        for (int i = 0; i < count; ++i) ys[i] = h - ys[i];
    if (!pageOpen_) return;
    painter_->Save();
    const Rgb c = ToRgb(brushColor_);
    painter_->SetColor(c.r, c.g, c.b);
    bool drawable = count >= 3 && xs != nullptr && ys != nullptr;
    for (int i = 0; drawable && i < count; ++i) drawable = Finite(xs[i]) && Finite(ys[i]);
    if (drawable) {
        painter_->MoveTo(xs[0], ys[0]);
        for (int i = 1; i < count; ++i) painter_->LineTo(xs[i], ys[i]);
        painter_->ClosePath();
        painter_->Fill(false);  // non-zero winding
    }
    painter_->Restore();
}

void CPdfPageWriter::SetClipRect(double x, double y, double w, double h) {
    if (!pageOpen_) return;
    // A clip that cannot be written hides what follows rather than showing everything.
    if (!Finite(x, y, w, h)) x = y = w = h = 0.0;
    painter_->SetClipRect(x, y, w, h);
}

void CPdfPageWriter::ClipToPlayArea() {
    const PageGeometry& g = geometry_;
    SetClipRect(g.offX * g.scale, g.pageHeight - g.offY * g.scale - g.playHeight, g.playWidth, g.playHeight);
}

// Text and links: fonts and characters go to the font set, link questions to the slide's
// hyperlink lists, runs to the bookkeeping of links between slides.

int CPdfPageWriter::SetFont(const std::string& faceName, bool bold, bool italic) {
    return fonts_.SetFont(faceName, bold, italic);
}

void CPdfPageWriter::DrawChar(uint16_t code, double x, double y, double cellHeight) {
    if (!pageOpen_ || !document_) return;
    if (!Finite(x, y, cellHeight, geometry_.pageHeight - y)) return;
    try {
        fonts_.DrawChar(*document_, *painter_, geometry_.pageHeight, code, x, y, cellHeight);
    } catch (PoDoFo::PdfError&) {
        // a character that cannot be drawn is left out; the page goes on
    }
}

bool CPdfPageWriter::IsLinkText(const std::string& text) {
    return slidemill::IsLinkText(SlideLinks{linkAddresses_, linkTexts_}, text);
}

bool CPdfPageWriter::FindLinkTarget(const std::string& text, std::string& target) {
    return slidemill::FindLinkTarget(SlideLinks{linkAddresses_, linkTexts_}, text, target);
}

void CPdfPageWriter::AddUriLink(float x, float y, float w, float h, const std::string& target) {
    if (!pageOpen_ || !document_) return;
    auto* page = dynamic_cast<PoDoFo::PdfPage*>(painter_->GetPage());
    if (page == nullptr) return;
    try {
        AddUriLinkAnnotation(*document_, *page, x, y, w, h, target);
    } catch (PoDoFo::PdfError&) {
        // the run keeps its text without the link
    }
}

void CPdfPageWriter::AddTextRun(const std::string& text, double x, double y, double w, double h, int side) {
    linkRuns_.AddTextRun(text, x, y, w, h, side, pageOrdinal_);
}

void CPdfPageWriter::DrawImage(double x, double y, double w, double h, const DecodedImage& image,
                               const ImageMask& mask) {
    if (!pageOpen_ || !document_) return;
    const double bottom = geometry_.pageHeight - y - h;
    // An empty or unwritable rectangle shows nothing; a singular matrix would only upset readers.
    if (!Finite(x, bottom, w, h) || w == 0.0 || h == 0.0) return;
    try {
        images_->Place(*document_, *painter_, x, bottom, w, h, image, mask);
    } catch (PoDoFo::PdfError&) {
        // a failed image placement is skipped; the page goes on
    } catch (std::exception&) {
        // out of memory or a compression failure: the same
    }
}

size_t CPdfPageWriter::DistinctImageCount() const { return images_->DistinctImages(); }

}  // namespace slidemill
