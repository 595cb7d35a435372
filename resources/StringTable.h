#pragma once
// The window's string table: every text the windows show that is not part of a dialog
// layout, by its numeric id. Texts are kept exactly as the users of earlier releases know
// them (spelling included).

namespace slidemill::strings {

constexpr int kAboutMenuId = 101;
constexpr int kNoApplicationId = 102;
constexpr int kHelpId = 103;
constexpr int kAboutId = 104;
constexpr int kConvertCompletelyId = 112;
constexpr int kCloseId = 113;
constexpr int kInvalidInputId = 116;
constexpr int kInvalidOutputId = 117;

inline constexpr const char* kAboutMenu = "&About Slidemill...";
inline constexpr const char* kNoApplication =
    "There is no Microsoft Office PowerPoint installed on this computer, \r\n"
    "so that no PDF file will be created. Please install \r\n"
    "Microsoft Office PowerPoint and re-run Slidemill. ";
inline constexpr const char* kHelp = "Help";
inline constexpr const char* kAbout = "About";
inline constexpr const char* kConvertCompletely = "Convert completely.";
inline constexpr const char* kClose = "Close";
inline constexpr const char* kInvalidInput = "Invalid input file";
inline constexpr const char* kInvalidOutput = "Invalid output file.";

// The product's name: window caption and the About box.
inline constexpr const char* kProductName = "Slidemill";
inline constexpr const char* kVersion = "Version 2.0";

// Looks a text up by id; empty for an unknown id.
inline const char* LoadString(int id) {
    switch (id) {
        case kAboutMenuId: return kAboutMenu;
        case kNoApplicationId: return kNoApplication;
        case kHelpId: return kHelp;
        case kAboutId: return kAbout;
        case kConvertCompletelyId: return kConvertCompletely;
        case kCloseId: return kClose;
        case kInvalidInputId: return kInvalidInput;
        case kInvalidOutputId: return kInvalidOutput;
        default: return "";
    }
}

}  // namespace slidemill::strings
