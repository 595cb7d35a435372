#pragma once
// Where the office suite and Slidemill's bridge program are on this machine.

#include <string>

namespace slidemill {

// The soffice launcher: the configured path when given (it must be executable), else
// $SLIDEMILL_SOFFICE, else soffice on PATH, else the Debian location. Empty when none
// is executable.
std::string FindSoffice(const std::string& configured);

// The bridge script: the configured path, else $SLIDEMILL_OFFICE_BRIDGE, else
// slidemill_office_bridge.py beside the running executable or in ../bin from it, else
// where the build put it. Empty when none exists.
std::string FindOfficeBridge(const std::string& configured);

// The suite's "major.minor" version from bootstraprc beside the real soffice, or empty.
// Seeding the private profile with it spares soffice its first-start work.
std::string OfficeProductVersion(const std::string& sofficePath);

}  // namespace slidemill
