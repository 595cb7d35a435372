// Any bytes through the WMF converter; what comes out must frame cleanly.
#include <cstdlib>

#include "platform/wmf2emf/WmfToEmf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> emf;
    if (!slidemill::ConvertWmfToEmf(std::span<const uint8_t>(data, size), {}, emf)) return 0;
    slidemill::EmfRecordWalker walker(emf);
    slidemill::EmfRecord rec;
    while (walker.Next(rec)) {
    }
    if (walker.Status() != slidemill::EmfWalkStatus::End) std::abort();
    return 0;
}
