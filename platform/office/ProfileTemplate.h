#pragma once
// A template for the private office profiles. An office suite that starts on an empty
// profile registers its bundled extensions and then restarts itself, which costs every
// run more than half a second. The extension registry that first start writes is kept
// in the user's cache folder, once per office version, and copied into each new
// profile, so later instances start once. Nothing else of a profile is kept: it may
// name the documents a run opened.

#include <string>

namespace slidemill {

// The template folder for an office version under the user's cache folder
// (SLIDEMILL_CACHE_DIR, else $XDG_CACHE_HOME/slidemill, else ~/.cache/slidemill).
// Empty when the version or every cache location is unknown.
std::string OfficeProfileTemplateFolder(const std::string& officeVersion);

// Copies the template's extension registry into the profile's user folder. False
// when there is no complete template, or it cannot be copied (the profile then
// starts as an empty one would).
bool SeedProfileFromTemplate(const std::string& templateFolder, const std::string& profileFolder);

// Keeps the extension registry of a profile whose instance ended in order as the
// template, unless one exists already. Several runs may do this at once: each builds
// its own folder and only one rename wins.
void SaveProfileTemplate(const std::string& templateFolder, const std::string& profileFolder);

}  // namespace slidemill
