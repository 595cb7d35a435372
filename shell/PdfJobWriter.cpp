// The job writer of a real run: forwards to the PoDoFo page writer and turns the PDF
// library's errors (which are not std::exceptions) into PdfWriteError, so that the job
// can end the run with a message instead of letting them escape.

#include <podofo/podofo.h>

#include "pdf/EncryptResave.h"
#include "pdf/PdfPageWriter.h"
#include "shell/ConversionJob.h"
#include "shell/JobWriter.h"

namespace slidemill {

namespace {

std::string Describe(const PoDoFo::PdfError& e) {
    std::string text = PoDoFo::PdfError::ErrorMessage(e.GetError()) ? PoDoFo::PdfError::ErrorMessage(e.GetError())
                                                                      : "";
    if (text.empty()) text = PoDoFo::PdfError::ErrorName(e.GetError()) ? PoDoFo::PdfError::ErrorName(e.GetError()) : "";
    for (const auto& info : e.GetCallstack())
        if (!info.GetInformation().empty()) {
            text += " (" + info.GetInformation() + ")";
            break;
        }
    return text.empty() ? "the PDF library failed" : text;
}

template <typename F>
auto Guard(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const PoDoFo::PdfError& e) {
        throw PdfWriteError(Describe(e));
    }
}

class PdfJobWriter : public IJobWriter {
public:
    explicit PdfJobWriter(const std::string& path) : writer_(Guard([&] { return std::make_unique<CPdfPageWriter>(path); })) {}
    ~PdfJobWriter() override {
        try {
            writer_.reset();
        } catch (...) {
            // An unfinished document may fail to tidy up; nothing more can be done here.
        }
    }

    void CreateDocument() override { Guard([&] { writer_->CreateDocument(); }); }
    void SetSourcePath(const std::string& p) override { writer_->SetSourcePath(p); }
    void SetOutputPath(const std::string& p) override { writer_->SetOutputPath(p); }
    void SetEmbedFontsFlag(bool e) override { writer_->SetEmbedFontsFlag(e); }
    std::vector<InternalLinkRecord>& InternalLinks() override { return writer_->InternalLinks(); }
    std::vector<std::string>& LinkAddresses() override { return writer_->LinkAddresses(); }
    std::vector<std::string>& LinkTexts() override { return writer_->LinkTexts(); }
    void SetPageOrdinal(int o) override { writer_->SetPageOrdinal(o); }
    void BeginPage(int i, double w, double h) override { Guard([&] { writer_->BeginPage(i, w, h); }); }
    void SetPictureExtent(double x, double y, int m) override { writer_->SetPictureExtent(x, y, m); }
    void SaveState() override { Guard([&] { writer_->SaveState(); }); }
    void RestoreState() override { Guard([&] { writer_->RestoreState(); }); }
    int PlayMetafile(IPagePlayback& p, double x0, double y0, double w, double h) override {
        return Guard([&] { return writer_->PlayMetafile(p, x0, y0, w, h); });
    }
    void DrawFooter(const std::string& t, int a) override { Guard([&] { writer_->DrawFooter(t, a); }); }
    void DrawHeader(const std::string& t, int a) override { Guard([&] { writer_->DrawHeader(t, a); }); }
    void DrawWatermark(const std::string& t, int p, double s) override { Guard([&] { writer_->DrawWatermark(t, p, s); }); }
    void EndPage() override { Guard([&] { writer_->EndPage(); }); }
    void AddInternalLinks() override { Guard([&] { writer_->AddInternalLinks(); }); }
    void SetDocumentInfo(const std::string& c, const std::string& a, const std::string& t, const std::string& s,
                         const std::string& k) override {
        Guard([&] { writer_->SetDocumentInfo(c, a, t, s, k); });
    }
    void Close() override { Guard([&] { writer_->Close(); }); }

private:
    std::unique_ptr<CPdfPageWriter> writer_;
};

}  // namespace

void EncryptResaveChecked(const std::string& inputPath, const std::string& outputPath, const std::string& userPassword,
                          const std::string& ownerPassword, EncryptionAlgorithm algorithm, uint32_t permissions) {
    Guard([&] { EncryptResave(inputPath, outputPath, userPassword, ownerPassword, algorithm, permissions); });
}

std::unique_ptr<IJobWriter> MakePdfJobWriter(const std::string& writtenPath) {
    return std::make_unique<PdfJobWriter>(writtenPath);
}

}  // namespace slidemill
