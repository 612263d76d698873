// The cell a conversion worker lives in. Most of a worker's code is decoders of
// untrusted files, so once it is in, the kernel refuses it:
//   - network sockets, and signals or tracing aimed at other processes;
//   - starting programs;
//   - creating, writing, renaming or deleting files, and changing their
//     permissions;
//   - reading files outside the system's own folders (libraries and their
//     data). Pictures come in as open descriptors, so no picture folder is
//     readable by name.
// seccomp (through libseccomp) filters the system calls; Landlock, where the
// kernel has it, confines the file system and the network on its own too.
#pragma once

#include <string>

namespace imaging {

struct SandboxReport {
    bool confined = false; // seccomp's filter is in place
    int landlockAbi = 0;   // the Landlock ABI that confines it, 0 for none
    std::string problem;   // why confinement failed, when it did
};

// Shuts the calling process in, for good. Call it before any thread starts:
// Landlock confines the thread that asks and the threads it starts later.
SandboxReport enterWorkerSandbox();

} // namespace imaging
