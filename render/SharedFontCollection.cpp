#include "render/SharedFontCollection.h"

namespace slidemill {

namespace {
struct FontCollectionHolder {
    int count = 0;
};
}  // namespace

// The holder and the collection: the two globals of the shared raster font collection.
// Touched only from the conversion thread.
static FontCollectionHolder* g_fontCollectionHolder = nullptr;
static RasterFontCollection* g_fontCollection = nullptr;

RasterFontCollection* AcquireSharedFontCollection() {
    if (!g_fontCollectionHolder) {
        g_fontCollectionHolder = new FontCollectionHolder{1};
        g_fontCollection = new RasterFontCollection();
    }
    ++g_fontCollectionHolder->count;
    return g_fontCollection;
}

void ReleaseSharedFontCollection() {
    if (!g_fontCollectionHolder) return;
    if (--g_fontCollectionHolder->count > 0) return;
    delete g_fontCollection;
    delete g_fontCollectionHolder;
    g_fontCollection = nullptr;
    g_fontCollectionHolder = nullptr;
}

RasterFontCollection* SharedFontCollection() { return g_fontCollection; }
int SharedFontCollectionCount() { return g_fontCollectionHolder ? g_fontCollectionHolder->count : 0; }

}  // namespace slidemill
