// System calls made again when a signal interrupts them.
#pragma once

#include <cerrno>

namespace platform {

// Calls `call`, a system call that returns a negative number and sets errno
// when it fails, again for as long as it fails with EINTR: a signal arrived
// before it did anything, so it can simply be made again. Gives the last
// result, errno as that call left it.
template <typename Call> auto retryOnEintr(Call call)
{
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR))
            return result;
    }
}

} // namespace platform
