#include "shell/OutputPath.h"

namespace slidemill {

std::string DefaultOutputPath(const std::string& inputPath) {
    std::string path = inputPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return path + ".pdf";
    // A "." that belongs to a "." or ".." folder component is no extension.
    size_t begin = dot;
    while (begin > 0 && path[begin - 1] == '.') --begin;
    const bool componentStart = begin == 0 || path[begin - 1] == '/';
    const bool componentEnd = dot + 1 == path.size() || path[dot + 1] == '/';
    if (componentStart && componentEnd && dot - begin < 2) return path + ".pdf";
    return path.substr(0, dot) + ".pdf";
}

}  // namespace slidemill
