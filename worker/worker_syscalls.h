// The system calls a conversion worker may make once it is shut in.
#pragma once

#include <string>

namespace imaging {

// Loads the worker's seccomp filter into every thread of the process (and so
// into every thread started later). Empty text on success.
std::string loadWorkerSyscallFilter();

// In a picture's process, forked from the template while it has one thread:
// a filter on top of the worker's, for it and every thread it starts. It may
// start threads but no process, and of the calls that name a process
// (signals, limits, affinity) make only those that name itself, not the
// template. False when it could not be loaded.
bool confinePictureProcess();

} // namespace imaging
