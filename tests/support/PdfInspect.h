#pragma once
// Helpers for tests that write real PDF files: a private temporary folder, the decoded
// content stream of a page (read back with PoDoFo), and running the command-line tools
// (qpdf, pdftoppm) a user would check a file with. Link PkgConfig::PODOFO.

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <podofo/podofo.h>

#include "tests/support/TempFolder.h"

namespace slidemill::testing {

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string Quote(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline bool HaveTool(const std::string& tool) {
    return RunCommand("command -v " + tool + " >/dev/null").exitCode == 0;
}

// The decoded content stream of one page (all streams of a Contents array joined).
inline std::string PageContent(const std::string& pdfPath, int pageIndex) {
    PoDoFo::PdfError::EnableDebug(false);  // the parser would print every trailer it reads
    PoDoFo::PdfMemDocument document(pdfPath.c_str());
    PoDoFo::PdfPage* page = document.GetPage(pageIndex);
    if (page == nullptr) return {};
    PoDoFo::PdfObject* contents = page->GetContents();
    if (contents == nullptr) return {};
    std::string text;
    auto append = [&text](PoDoFo::PdfObject* object) {
        if (object == nullptr || !object->HasStream()) return;
        char* buffer = nullptr;
        PoDoFo::pdf_long length = 0;
        object->GetStream()->GetFilteredCopy(&buffer, &length);
        text.append(buffer, static_cast<size_t>(length));
        PoDoFo::podofo_free(buffer);
    };
    if (contents->IsArray()) {
        for (PoDoFo::PdfObject& item : contents->GetArray())
            append(item.IsReference() ? document.GetObjects().GetObject(item.GetReference()) : &item);
    } else {
        append(contents);
    }
    return text;
}

// Lines of a content stream with surrounding blanks removed, for exact comparisons.
inline std::string NormalisedContent(const std::string& content) {
    std::string out;
    std::string line;
    auto flush = [&] {
        size_t b = line.find_first_not_of(" \t\r");
        size_t e = line.find_last_not_of(" \t\r");
        if (b != std::string::npos) out += line.substr(b, e - b + 1) + "\n";
        line.clear();
    };
    for (char c : content) {
        if (c == '\n') flush();
        else line += c;
    }
    flush();
    return out;
}

}  // namespace slidemill::testing
