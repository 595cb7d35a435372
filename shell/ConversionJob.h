#pragma once
// The conversion job: one presentation in, one PDF out, one page per selected slide. It
// starts the presentation application, walks the slides in order, has each selected
// slide copied to the clipboard, captures the picture into a metafile file, opens that
// file and has the PDF writer play it onto a page of the slide's size. Links, header,
// footer, watermark, document information and the optional encrypted re-save follow.
//
// The job asks and tells the user only through IPrompt and reports progress only through
// ProgressMessage, so it can run on any thread, under a window or on a terminal.

#include <cstdint>
#include <functional>
#include <string>

#include "pdf/EncryptResave.h"
#include "platform/Clipboard.h"
#include "platform/automation/PresentationApp.h"
#include "shell/ConversionOptions.h"
#include "shell/JobWriter.h"
#include "shell/PageRange.h"
#include "shell/Progress.h"
#include "shell/Prompt.h"
#include "shell/SlidePictureSource.h"

namespace slidemill {

// String 102: the presentation application could not be started.
inline constexpr const char* kNoApplicationMessage =
    "There is no Microsoft Office PowerPoint installed on this computer, \r\nso that no PDF file will be "
    "created. Please install \r\nMicrosoft Office PowerPoint and re-run Slidemill. ";
inline constexpr const char* kOverwriteCaption = "Quillon Folio";
inline constexpr const char* kCaptureFileName = "drda.er";
inline constexpr const char* kViewQuestion = "View the output pdf ?";

struct ConversionRequest {
    std::string sourcePath;
    std::string outputPath;
    ConversionOptions options;
    PageRange pages;  // parsed already (ParsePageRange)
};

// Everything the job works with besides the request. References must outlive the run.
struct ConversionServices {
    ConversionServices(PresentationAppFactory& app, Clipboard& clip, ISlidePictureSource& pics, IPrompt& ask,
                       ProgressMessage& prog)
        : appFactory(app), clipboard(clip), pictures(pics), prompt(ask), progress(prog) {}

    PresentationAppFactory& appFactory;
    Clipboard& clipboard;
    ISlidePictureSource& pictures;
    IPrompt& prompt;
    ProgressMessage& progress;
    IProgressDisplay* display = nullptr;                 // optional progress window
    JobWriterFactory makeWriter = MakePdfJobWriter;      // the PDF writer for the written path
    // The encrypted re-save of the written file into the output path.
    std::function<void(const std::string& in, const std::string& out, const std::string& user,
                       const std::string& owner, EncryptionAlgorithm, uint32_t permissions)>
        encryptResave = EncryptResaveChecked;
    std::function<void()> releaseSharedFontCollection;  // optional: renderer's shared raster fonts
    std::function<bool(const std::string&)> launchViewer;  // optional: opens the PDF
    std::string temporaryFolder;                         // empty: the system's temporary folder
};

enum class ConversionOutcome {
    Completed,          // the PDF is complete (also after a stop request)
    Declined,           // the existing output was not to be overwritten (or could not be deleted)
    NoApplication,      // the presentation application could not be started
    CaptureUnreadable,  // a slide's capture file could not be opened
    AutomationFailed,   // the presentation application reported an error
    WriteFailed,        // the PDF could not be written
};

struct ConversionResult {
    ConversionOutcome outcome = ConversionOutcome::Completed;
    std::string message;  // what was shown to the user, empty when nothing was
    int32_t pagesWritten = 0;
    bool stopped = false;  // the loop ended on a stop request
    bool ok() const { return outcome == ConversionOutcome::Completed; }
};

ConversionResult RunConversion(const ConversionRequest& request, ConversionServices& services);

// True when the run may go on: no file at the output path, or the user agreed and the
// file was deleted.
bool ConfirmOutputOverwrite(const std::string& outputPath, IPrompt& prompt);

// The file the writer creates when encryption is on: the output path with its file name
// lower-cased and ".pdf" replaced by "_0.pdf" (folders untouched); never the output path.
std::string IntermediatePath(const std::string& outputPath);

// "Slide_3" -> "Slide 3": underscores to blanks, white space trimmed at both ends.
std::string NormalizeSubAddress(const std::string& subAddress);

}  // namespace slidemill
