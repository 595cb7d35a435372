#include "shell/DocumentSummary.h"

#include "platform/automation/BuiltInProperties.h"

namespace slidemill {

std::optional<DocumentSummary> ReadDocumentSummary(PresentationAppFactory& factory, const std::string& path) {
    std::unique_ptr<PresentationApp> app;
    try {
        app = factory.Create();
    } catch (const std::exception&) {
        app.reset();
    }
    if (!app) return std::nullopt;
    try {
        DocumentSummary s;
        auto presentation = app->GetPresentations()->Open(path, 0, 0, 0);
        s.slideCount = presentation->GetSlides()->Count();
        BuiltInProperties properties = ReadBuiltInProperties(*presentation);
        s.title = std::move(properties.title);
        s.subject = std::move(properties.subject);
        s.author = std::move(properties.author);
        s.keywords = std::move(properties.keywords);
        s.lastAuthor = std::move(properties.lastAuthor);
        presentation.reset();
        app->Quit();
        return s;
    } catch (const AutomationError&) {
        try {
            app->Quit();
        } catch (...) {
        }
        throw;
    }
}

void ApplyDocumentSummary(const DocumentSummary& summary, ConversionOptions& options, PageRange& pages) {
    options.Title = summary.title;
    options.Subject = summary.subject;
    options.Author = summary.author;
    options.Keywords = summary.keywords;
    options.Creator = summary.lastAuthor;
    pages.SetSlideCountBound(summary.slideCount);
    pages.SetRangeText(PageRange::PrefillText(summary.slideCount));
}

}  // namespace slidemill
