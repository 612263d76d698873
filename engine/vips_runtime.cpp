#include "engine/vips_runtime.h"

#include <vips/vips8>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace imaging {

bool ensureVipsStarted()
{
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        // libvips allocates and frees picture-sized buffers on many threads.
        // glibc raises its mmap threshold after such frees, and later buffers
        // then come from per-thread heaps that never shrink: a batch of large
        // photos grew to twice the memory it needs. A fixed threshold keeps
        // big buffers in mmap, returned to the system when freed; at 1 MB the
        // many smaller region buffers stay on the heap (128 KB cost 3% in
        // page faults).
        mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
        // Every thread that allocates would otherwise get a heap of its own,
        // each reserving 64 MB of address space up front: a worker's
        // address space then grew by 200 MB with a picture's first thread,
        // whatever the picture, and its memory budget (an address-space
        // limit) measured threads instead of pictures. One heap for all
        // threads costs nothing measurable with the few threads a picture
        // has.
        mallopt(M_ARENA_MAX, 1);
        if (VIPS_INIT("tarvel") != 0)
            return;
        // The operation cache would hand back a picture loaded before its file
        // was rewritten (an in-place conversion, a second run); pictures are
        // never loaded twice on purpose, so the cache only costs memory.
        vips_cache_set_max(0);
        // The JPEG XL loader (and ImageMagick's) are not made for hostile
        // files; only the worker, shut in, lets them run.
        vips_block_untrusted_set(TRUE);
        // libvips warns on stderr about things like odd EXIF units or the end
        // of a damaged file; the program reports failed pictures itself.
        g_log_set_handler(
            "VIPS", G_LOG_LEVEL_WARNING, [](const gchar *, GLogLevelFlags, const gchar *, gpointer) {}, nullptr);
        started = true;
    });
    return started;
}

} // namespace imaging

namespace imaging {

namespace {
std::atomic<bool> g_untrustedAllowed{false};
}

void allowUntrustedLoaders()
{
    if (ensureVipsStarted()) {
        vips_block_untrusted_set(FALSE);
        g_untrustedAllowed = true;
    }
}

bool untrustedLoadersAllowed()
{
    return g_untrustedAllowed;
}

void setThreadsPerPicture(int threads)
{
    if (ensureVipsStarted())
        vips_concurrency_set(std::max(1, threads));
}

} // namespace imaging
