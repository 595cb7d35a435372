// Any bytes as an INI file.
#include <string>

#include "platform/ini/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    slidemill::IniFile ini = slidemill::IniFile::Parse(std::string(reinterpret_cast<const char*>(data), size));
    ini.GetString("General", "ID", "", 260);
    ini.GetInt("Settings", "Scale", 10000);
    return 0;
}
