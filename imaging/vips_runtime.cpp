#include "imaging/vips_runtime.h"

#include <vips/vips8>

#include <mutex>

namespace imaging {

bool ensureVipsStarted()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        if (VIPS_INIT("tarvel") != 0)
            return;
        // The operation cache would hand back a picture loaded before its file
        // was rewritten (an in-place conversion, a second run); pictures are
        // never loaded twice on purpose, so the cache only costs memory.
        vips_cache_set_max(0);
        started = true;
    });
    return started;
}

} // namespace imaging
