#include "shell/ConversionJob.h"

#include <cmath>
#include <cstdio>

#include "platform/files/Files.h"
#include "shell/SlideCapture.h"

namespace slidemill {

namespace {

std::string Format(const char* pattern, const std::string& s) {
    std::string out = pattern;
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, s);
    return out;
}

std::string ConvertingText(int32_t slide, int32_t total) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Converting... page %d of %d.", slide, total);
    return buf;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Half a slide side in points as the capture's integer box, safe for any float.
int32_t HalfSide(float side) {
    const double half = std::trunc(double(side) * 0.5);
    if (!(half > 0)) return 0;
    return half > 1e9 ? 1000000000 : int32_t(half);
}

// Slide size in 0.01 mm, the extent used when the clipboard held no picture.
double HundredthsMm(float points) { return std::isfinite(points) ? double(points) * 2540.0 / 72.0 : 0.0; }

// Everything one run holds on the presentation application, released in reverse order
// when the run ends, however it ends.
struct AutomationRefs {
    std::unique_ptr<PresentationApp> app;
    std::shared_ptr<Presentations> presentations;
    std::shared_ptr<Presentation> presentation;
    std::shared_ptr<Slides> slides;
    std::shared_ptr<PageSetup> pageSetup;
    std::shared_ptr<Slide> slide;
    std::shared_ptr<Hyperlinks> hyperlinks;
    std::shared_ptr<Hyperlink> hyperlink;

    void Release() {
        hyperlink.reset();
        hyperlinks.reset();
        slide.reset();
        pageSetup.reset();
        slides.reset();
        presentation.reset();
        presentations.reset();
        app.reset();
    }
    // Asks the application to quit on a failed run as well, so that no instance is left
    // running behind it; a failing quit changes nothing then.
    void QuitQuietly() {
        if (!app) return;
        try {
            app->Quit();
        } catch (...) {
        }
    }
    ~AutomationRefs() { Release(); }
};

std::string ReadDisplayText(Hyperlink& link) {
    try {
        return link.TextToDisplay();
    } catch (const AutomationError&) {
        return {};  // a picture's hyperlink has no readable text
    }
}

int32_t CountSelected(const PageRange& pages, int32_t total) {
    int32_t n = 0;
    for (int32_t i = 1; i <= total; ++i)
        if (pages.IsPageSelected(i)) ++n;
    return n;
}

}  // namespace

std::string IntermediatePath(const std::string& outputPath) {
    const std::string folder = FolderOf(outputPath);
    std::string name = FileNameOf(outputPath);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    bool replaced = false;
    for (size_t at = 0; (at = name.find(".pdf", at)) != std::string::npos; at += 6) {
        name.replace(at, 4, "_0.pdf");
        replaced = true;
    }
    // Without ".pdf" in the name the lower-cased name could still be the output itself
    // or another file of the user's; a suffix keeps it apart.
    if (!replaced) name += "_0.pdf";
    return folder + name;
}

std::string NormalizeSubAddress(const std::string& subAddress) {
    std::string s = subAddress;
    for (char& c : s)
        if (c == '_') c = ' ';
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool ConfirmOutputOverwrite(const std::string& outputPath, IPrompt& prompt) {
    if (!PathExists(outputPath)) return true;
    if (!prompt.AskYesNo(Format("File %s exists, overwrite?", outputPath), kOverwriteCaption, false)) return false;
    // Only a file (or a link) is replaced: deleting a folder, a device such as /dev/null or
    // a pipe to make room for a PDF would destroy something that is no output at all.
    if (!IsReplaceableFile(outputPath) || !DeleteFilePath(outputPath)) {
        prompt.ShowMessage(Format("File %s cannot be overwitten.", outputPath), "");
        return false;
    }
    return true;
}

ConversionResult RunConversion(const ConversionRequest& request, ConversionServices& services) {
    ConversionResult result;
    const ConversionOptions& options = request.options;
    auto fail = [&](ConversionOutcome outcome, const std::string& message) {
        result.outcome = outcome;
        result.message = message;
        if (!message.empty()) services.prompt.ShowMessage(message, "");
        return result;
    };

    // 1. The capture file lives in a folder of this run's own, so nobody else can put a
    //    link or a file in its place.
    PrivateTempFolder temp(services.temporaryFolder);
    if (!temp.Ok()) {
        const std::string parent = services.temporaryFolder.empty() ? TemporaryFolder() : services.temporaryFolder;
        return fail(ConversionOutcome::WriteFailed, "Cannot create a temporary folder in " + parent + ".");
    }
    const std::string capturePath = temp.Path() + kCaptureFileName;
    DeleteFilePath(capturePath);

    // 2.
    if (!ConfirmOutputOverwrite(request.outputPath, services.prompt)) {
        result.outcome = ConversionOutcome::Declined;
        return result;
    }

    // 3.
    AutomationRefs refs;
    try {
        refs.app = services.appFactory.Create();
    } catch (const std::exception&) {
        refs.app.reset();
    }
    if (!refs.app) return fail(ConversionOutcome::NoApplication, kNoApplicationMessage);

    // 4., 5.
    ProgressMessage& progress = services.progress;
    progress.ResetStop();  // a stop belongs to one run, like the progress window that offers it
    progress.SetSlidesDone(0, 0);
    if (services.display) services.display->StartProgress(progress);
    progress.Set(Format("Parsing file %s's data.", request.sourcePath));

    const bool encrypt = options.Encrypt;
    const std::string writtenPath = encrypt ? IntermediatePath(request.outputPath) : request.outputPath;
    std::unique_ptr<IJobWriter> writer;
    bool writerStarted = false;  // the written path holds this run's (unfinished) file
    // A run that fails leaves no unfinished PDF behind: the file at the written path is
    // this run's own (any earlier output was deleted with the user's consent).
    auto discardWriter = [&] {
        writer.reset();
        if (writerStarted) DeleteFilePath(writtenPath);
    };

    try {
        // 6.
        refs.presentations = refs.app->GetPresentations();
        refs.presentation = refs.presentations->Open(request.sourcePath, 0, 0, 0);
        refs.slides = refs.presentation->GetSlides();
        refs.pageSetup = refs.presentation->GetPageSetup();
        const int32_t slideTotal = refs.slides->Count();
        progress.SetSlidesDone(0, CountSelected(request.pages, slideTotal));

        // 7., 8.
        writerStarted = true;
        writer = services.makeWriter(writtenPath);
        writer->CreateDocument();
        writer->SetSourcePath(request.sourcePath);
        writer->SetOutputPath(request.outputPath);
        writer->SetEmbedFontsFlag(options.EmbedFonts);

        // 9. Internal-link pre-pass over the whole presentation.
        for (int32_t s = 1; s <= slideTotal && s <= 32767; ++s) {
            refs.slide = refs.slides->Item(int16_t(s));
            refs.hyperlinks = refs.slide->GetHyperlinks();
            const int32_t count = refs.hyperlinks->Count();
            for (int32_t h = 1; h <= count; ++h) {
                refs.hyperlink = refs.hyperlinks->Item(h);
                const std::string text = ReadDisplayText(*refs.hyperlink);
                const std::string subAddress = refs.hyperlink->SubAddress();
                if (!subAddress.empty()) {
                    InternalLinkRecord record;
                    record.linkText = text;
                    record.targetText = NormalizeSubAddress(subAddress);
                    writer->InternalLinks().push_back(std::move(record));
                }
            }
            refs.hyperlink.reset();
            refs.hyperlinks.reset();
            refs.slide.reset();
        }

        // 10. The slide loop.
        int32_t pagesWritten = 0;
        for (int32_t index = 0;; ++index) {
            if (index >= refs.slides->Count()) break;
            if (progress.StopRequested()) {
                result.stopped = true;
                break;
            }
            const int32_t number = index + 1;
            if (!request.pages.IsPageSelected(number)) continue;
            if (number > 32767) throw AutomationError("slide " + std::to_string(number) + " cannot be addressed");

            writer->LinkAddresses().clear();
            writer->LinkTexts().clear();
            progress.Set(ConvertingText(number, slideTotal));

            const float width = refs.pageSetup->SlideWidth();
            const float height = refs.pageSetup->SlideHeight();
            refs.slide = refs.slides->Item(int16_t(number));
            refs.slide->Copy();

            // Without a picture on the clipboard the capture reports no extent; the
            // slide's own size then stands in, so the page is scaled as a full slide.
            float extentX = float(HundredthsMm(width));
            float extentY = float(HundredthsMm(height));
            CaptureClipboardPicture(services.clipboard, capturePath, HalfSide(width), HalfSide(height), extentX,
                                    extentY);
            if (services.releaseSharedFontCollection) services.releaseSharedFontCollection();

            if ((services.pictures.OpenFile(capturePath) & 0xF) == 0) {
                discardWriter();
                refs.QuitQuietly();
                refs.Release();
                if (services.display) services.display->FinishProgress();
                result.pagesWritten = pagesWritten;
                return fail(ConversionOutcome::CaptureUnreadable,
                            "The picture of slide " + std::to_string(number) + " cannot be opened.");
            }

            refs.hyperlinks = refs.slide->GetHyperlinks();
            const int32_t count = refs.hyperlinks->Count();
            for (int32_t j = 1; j <= count; ++j) {
                refs.hyperlink = refs.hyperlinks->Item(j);
                std::string address = refs.hyperlink->Address();
                std::string text = ReadDisplayText(*refs.hyperlink);
                writer->LinkAddresses().push_back(std::move(address));
                writer->LinkTexts().push_back(std::move(text));
            }
            refs.hyperlink.reset();

            writer->SetPageOrdinal(pagesWritten);
            writer->BeginPage(index, double(width), double(height));
            writer->SetPictureExtent(double(extentX), double(extentY), 2);
            writer->SaveState();
            writer->PlayMetafile(services.pictures.FirstPage(), 0.0, 0.0, double(width), double(height));
            writer->RestoreState();
            writer->DrawFooter(options.FooterText, options.FooterPosition);
            writer->DrawHeader(options.HeaderText, options.HeaderPosition);
            writer->DrawWatermark(options.WatermarkText, options.WatermarkPosition, options.WatermarkSize);
            writer->EndPage();
            ++pagesWritten;
            result.pagesWritten = pagesWritten;
            progress.SetSlidesDone(pagesWritten, progress.SlidesSelected());

            refs.hyperlinks.reset();
            refs.slide.reset();
        }

        // 11.
        writer->AddInternalLinks();
        writer->SetDocumentInfo(options.Creator, options.Author, options.Title, options.Subject, options.Keywords);
        writer->Close();

        // 12.
        if (encrypt) {
            try {
                // Without an owner password the owner key is made from the user password,
                // as the PDF standard prescribes; an empty owner password would open the
                // file for anyone, without the user password.
                const std::string& owner = options.OwnerPassword.empty() ? options.UserPassword : options.OwnerPassword;
                services.encryptResave(writtenPath, request.outputPath, options.UserPassword, owner,
                                       options.KeyLength128 ? EncryptionAlgorithm::Rc4V2_128
                                                            : EncryptionAlgorithm::Rc4V1_40,
                                       PermissionBits(options));
            } catch (...) {
                DeleteFilePath(writtenPath);
                writerStarted = false;
                throw;
            }
            DeleteFilePath(writtenPath);
        }
        writerStarted = false;  // the file is complete

        // 13., 14.
        writer.reset();
        progress.Set("Save the output data.");
        refs.app->Quit();
    } catch (const AutomationError& e) {
        discardWriter();
        refs.QuitQuietly();
        refs.Release();
        fail(ConversionOutcome::AutomationFailed, std::string("The presentation application failed: ") + e.what());
        if (services.display) services.display->FailProgress();
        return result;
    } catch (const std::exception& e) {
        // The PDF library (or the file system under it) failed.
        discardWriter();
        refs.QuitQuietly();
        refs.Release();
        if (services.display) services.display->FinishProgress();
        return fail(ConversionOutcome::WriteFailed,
                    "Cannot write the PDF file " + request.outputPath + ": " + e.what());
    }

    // 15., 16., 17.
    if (services.display) services.display->FinishProgress();
    if (services.prompt.AskYesNo(kViewQuestion, "", false) && services.launchViewer)
        services.launchViewer(request.outputPath);
    refs.Release();
    return result;
}

}  // namespace slidemill
