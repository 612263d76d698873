// The system calls a conversion worker may make once it is shut in.
#pragma once

#include <string>

namespace imaging {

// Loads the worker's seccomp filter into every thread of the process (and so
// into every thread started later). Empty text on success.
std::string loadWorkerSyscallFilter();

} // namespace imaging
