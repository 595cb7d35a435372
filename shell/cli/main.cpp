// slidemill: the command line. `slidemill convert INPUT [-o OUTPUT] [options]` turns a
// presentation into a PDF, one page per selected slide; `slidemill info INPUT` shows what
// the presentation application reports about it; `slidemill inspect FILE` reports on a
// picture file (metafile, compressed metafile or list file) record by record;
// `slidemill export-deck INPUT DIR` writes a deck folder from any presentation.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include "metafile/inspect/Inspect.h"
#include "platform/Clipboard.h"
#include "platform/automation/DeckApp.h"
#include "platform/automation/HeldAppFactory.h"
#include "platform/files/Files.h"
#include "shell/ConversionJob.h"
#include "shell/DocumentSummary.h"
#include "platform/office/OfficePresentationApp.h"
#include "platform/office/PresentationSummary.h"
#include "render/SharedFontCollection.h"
#include "shell/pictures/DocumentPictureSource.h"
#include "shell/OutputPath.h"
#include "shell/cli/TerminalProgress.h"
#include "shell/cli/TerminalPrompt.h"
#include "shell/cli/DeckExport.h"

extern char** environ;

namespace slidemill {
namespace {

// Opens the PDF with the desktop's default application, without waiting for it.
bool LaunchViewer(const std::string& path) {
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        std::fprintf(stderr, "slidemill: cannot start xdg-open to show %s\n", path.c_str());
        return false;
    }
    return true;
}

template <size_t N>
std::map<std::string, int32_t> NameMap(const std::array<std::string_view, N>& names) {
    std::map<std::string, int32_t> m;
    for (size_t i = 0; i < N; ++i) m.emplace(std::string(names[i]), int32_t(i));
    return m;
}

struct ConvertArgs {
    std::string input, output, pages, app = "auto";
    ConversionOptions options;
    // Information fields given on the command line; the others come from the presentation.
    bool hasTitle = false, hasSubject = false, hasAuthor = false, hasKeywords = false, hasCreator = false;
    int keyLength = 128;
    bool yes = false, view = false, quiet = false;
};

// deck for a folder (or a deck.json), office for anything else.
std::string ChooseApp(const std::string& requested, const std::string& input) {
    if (requested != "auto") return requested;
    return IsDirectory(input) || FileNameOf(input) == kDeckManifestName ? "deck" : "office";
}

struct InfoArgs {
    std::string input, app = "auto";
    bool json = false;
};

struct ExportArgs {
    std::string input, folder, app = "auto";
};

// Starts the application the input asks for, runs `work` with it and asks it to quit,
// also when `work` fails; a failure is one line on stderr and status 1.
int WithPresentationApp(const std::string& input, const std::string& requestedApp,
                        const std::function<void(PresentationApp&, Clipboard&)>& work) {
    if (!PathExists(input)) {
        std::fprintf(stderr, "slidemill: no such file or folder: %s\n", input.c_str());
        return 1;
    }
    Clipboard clipboard;
    DeckAppFactory deck(clipboard);
    OfficePresentationAppFactory office(clipboard);
    PresentationAppFactory& factory =
        ChooseApp(requestedApp, input) == "deck" ? static_cast<PresentationAppFactory&>(deck) : office;
    std::unique_ptr<PresentationApp> app = factory.Create();
    if (!app) {
        std::fprintf(stderr, "slidemill: %s\n", OneLine(kNoApplicationMessage).c_str());
        return 1;
    }
    try {
        work(*app, clipboard);
        app->Quit();
        return 0;
    } catch (const std::exception& e) {
        try {
            app->Quit();
        } catch (...) {
        }
        std::fprintf(stderr, "slidemill: %s\n", OneLine(e.what()).c_str());
        return 1;
    }
}

// `slidemill export-deck`: a deck folder made from any presentation.
int Export(const ExportArgs& args) {
    return WithPresentationApp(args.input, args.app, [&](PresentationApp& app, Clipboard& clipboard) {
        ExportDeck(app, clipboard, args.input, args.folder);
    });
}

// `slidemill info`: what the presentation application reports about a presentation.
int Info(const InfoArgs& args) {
    std::string text;
    const int status = WithPresentationApp(args.input, args.app, [&](PresentationApp& app, Clipboard&) {
        const PresentationSummary summary = CollectPresentationSummary(app, args.input);
        text = args.json ? PresentationSummaryJson(summary) : PresentationSummaryText(summary);
    });
    if (status != 0) return status;
    std::fputs(text.c_str(), stdout);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
    return 0;
}

int Convert(const ConvertArgs& args) {
    TerminalOutput out;
    out.tty = isatty(STDERR_FILENO) != 0;

    if (!PathExists(args.input)) {
        std::fprintf(stderr, "slidemill: no such file or folder: %s\n", args.input.c_str());
        return 1;
    }
    const std::string app = ChooseApp(args.app, args.input);

    Clipboard clipboard;
    DeckAppFactory deck(clipboard);
    OfficePresentationAppFactory office(clipboard);
    PresentationAppFactory& chosen = app == "deck" ? static_cast<PresentationAppFactory&>(deck) : office;
    // The summary and the conversion share one running application and open deck.
    HeldAppFactory factory(chosen);

    ConversionRequest request;
    request.sourcePath = args.input;
    request.outputPath = args.output.empty() ? DefaultOutputPath(args.input) : args.output;

    // As when a presentation is picked in the window: its summary gives the information
    // fields and the slide count; what the command line sets wins.
    try {
        factory.SetHolding(true);
        if (auto summary = ReadDocumentSummary(factory, args.input))
            ApplyDocumentSummary(*summary, request.options, request.pages);
        factory.SetHolding(false);
    } catch (const AutomationError& e) {
        std::fprintf(stderr, "slidemill: %s\n", OneLine(e.what()).c_str());
        return 1;
    }
    const ConversionOptions& given = args.options;
    ConversionOptions options = given;
    options.Title = args.hasTitle ? given.Title : request.options.Title;
    options.Subject = args.hasSubject ? given.Subject : request.options.Subject;
    options.Author = args.hasAuthor ? given.Author : request.options.Author;
    options.Keywords = args.hasKeywords ? given.Keywords : request.options.Keywords;
    options.Creator = args.hasCreator ? given.Creator : request.options.Creator;
    options.KeyLength128 = args.keyLength == 128;
    request.options = options;
    if (!args.pages.empty()) {
        request.pages.SetRangeMode(PageRange::kListedPages);
        request.pages.SetRangeText(args.pages);
    }
    request.pages.ParsePageRange();
    DocumentPictureSource pictures;
    const bool interactive = isatty(STDIN_FILENO) && out.tty;
    TerminalPrompt prompt(out, args.yes, args.view, interactive);
    ProgressMessage progress;
    TerminalProgress display(out, !args.quiet && out.tty);

    ConversionServices services(factory, clipboard, pictures, prompt, progress);
    services.display = &display;
    services.launchViewer = LaunchViewer;
    services.releaseSharedFontCollection = [] { ReleaseSharedFontCollection(); };
    TerminalProgress::CatchInterrupt();

    const ConversionResult result = RunConversion(request, services);
    display.FinishProgress();
    if (result.ok()) {
        if (!args.quiet)
            std::fprintf(stderr, "%s: %d page%s%s\n", request.outputPath.c_str(), result.pagesWritten,
                         result.pagesWritten == 1 ? "" : "s", result.stopped ? " (stopped)" : "");
        return 0;
    }
    if (!prompt.Reported())
        std::fprintf(stderr, "slidemill: %s not overwritten\n", request.outputPath.c_str());
    return 1;
}

}  // namespace
}  // namespace slidemill

int main(int argc, char** argv) {
    using namespace slidemill;
    CLI::App cli{"Slidemill turns a presentation into a PDF, one page per selected slide."};
    cli.set_version_flag("--version", std::string("slidemill ") + SLIDEMILL_VERSION);
    cli.require_subcommand(1);

    ConvertArgs a;
    ConversionOptions& o = a.options;
    CLI::App* convert = cli.add_subcommand("convert", "Convert a presentation (a deck folder or a presentation file) to PDF");
    convert->add_option("INPUT", a.input, "Deck folder (with deck.json) or presentation file")->required();
    convert->add_option("-o,--output", a.output, "PDF to write (default: INPUT with its last extension replaced by .pdf)");
    convert->add_option("--pages", a.pages, "Slides to convert, e.g. 1,3,5-12 (default: all)");
    convert->add_option("--app", a.app, "Presentation application: auto, deck or office")
        ->check(CLI::IsMember({"auto", "deck", "office"}));
    convert->add_option("--title", o.Title, "Document title");
    convert->add_option("--subject", o.Subject, "Document subject");
    convert->add_option("--author", o.Author, "Document author");
    convert->add_option("--keywords", o.Keywords, "Document keywords");
    convert->add_option("--creator", o.Creator, "Document creator");
    convert->add_flag("--encrypt", o.Encrypt, "Encrypt the PDF (RC4)");
    convert->add_option("--user-password", o.UserPassword, "Password to open the PDF");
    convert->add_option("--owner-password", o.OwnerPassword, "Owner password");
    convert->add_flag("--allow-print", o.AllowPrint, "Allow printing of the encrypted PDF");
    convert->add_flag("--allow-copy", o.AllowCopy, "Allow copying from the encrypted PDF");
    convert->add_flag("--allow-modify", o.AllowModify, "Allow changing the encrypted PDF");
    convert->add_option("--key-length", a.keyLength, "RC4 key length: 40 or 128")->check(CLI::IsMember({40, 128}));
    convert->add_option("--header", o.HeaderText, "Page header text (macros: ~hour : mintute~, ~page NO~, ...)");
    convert->add_option("--header-position", o.HeaderPosition, "Left, Center or Right")
        ->transform(CLI::CheckedTransformer(NameMap(kHeaderFooterPositionNames), CLI::ignore_case));
    convert->add_option("--footer", o.FooterText, "Page footer text");
    convert->add_option("--footer-position", o.FooterPosition, "Left, Center or Right")
        ->transform(CLI::CheckedTransformer(NameMap(kHeaderFooterPositionNames), CLI::ignore_case));
    convert->add_option("--watermark", o.WatermarkText, "Text watermark");
    convert->add_option("--watermark-position", o.WatermarkPosition,
                        "Left-Top, Top, Right-Top, Left, Center or Right")
        ->transform(CLI::CheckedTransformer(NameMap(kWatermarkPositionNames), CLI::ignore_case));
    convert->add_option("--watermark-size", o.WatermarkSize, "Watermark size in millimetres (default 4)")
        ->check(CLI::Range(0.0, 10000.0));
    convert->add_flag("--embed-fonts", o.EmbedFonts, "Embed the fonts in the PDF");
    convert->add_flag("-y,--yes", a.yes, "Overwrite an existing output without asking");
    convert->add_flag("--view", a.view, "Open the PDF when done (xdg-open)");
    convert->add_flag("-q,--quiet", a.quiet, "Show no progress");

    InfoArgs info;
    CLI::App* infoCommand = cli.add_subcommand("info", "Show a presentation's slides, sizes, links and properties");
    infoCommand->add_option("INPUT", info.input, "Deck folder (with deck.json) or presentation file")->required();
    infoCommand->add_option("--app", info.app, "Presentation application: auto, deck or office")
        ->check(CLI::IsMember({"auto", "deck", "office"}));
    infoCommand->add_flag("--json", info.json, "Print JSON instead of text");

    ExportArgs exportArgs;
    CLI::App* exportCommand = cli.add_subcommand(
        "export-deck", "Write a deck folder (deck.json and one metafile per slide) from a presentation");
    exportCommand->add_option("INPUT", exportArgs.input, "Deck folder (with deck.json) or presentation file")->required();
    exportCommand->add_option("DIR", exportArgs.folder, "Folder to write the deck into (made when missing)")->required();
    exportCommand->add_option("--app", exportArgs.app, "Presentation application: auto, deck or office")
        ->check(CLI::IsMember({"auto", "deck", "office"}));

    std::string inspectPath;
    CLI::App* inspectCommand =
        cli.add_subcommand("inspect", "Report on a picture file: type, EMF header, resolution, records by name");
    inspectCommand->add_option("FILE", inspectPath, "EMF, WMF, gzip-compressed metafile or list file")->required();

    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }
    a.hasTitle = convert->count("--title") > 0;
    a.hasSubject = convert->count("--subject") > 0;
    a.hasAuthor = convert->count("--author") > 0;
    a.hasKeywords = convert->count("--keywords") > 0;
    a.hasCreator = convert->count("--creator") > 0;
    try {
        if (infoCommand->parsed()) return Info(info);
        if (exportCommand->parsed()) return Export(exportArgs);
        if (inspectCommand->parsed()) return InspectFile(inspectPath, std::cout);
        return Convert(a);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "slidemill: %s\n", e.what());
        return 1;
    }
}
