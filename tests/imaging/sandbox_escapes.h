// What sandbox_escape_probe attempts, one bit each in its exit status.
#pragma once

enum SandboxEscape {
    kCreateFile = 1 << 0,
    kWriteExisting = 1 << 1,
    kDeleteFile = 1 << 2,
    kInternetSocket = 1 << 3,
    kLocalSocket = 1 << 4,
    kStartProgram = 1 << 5,
    kSignalParent = 1 << 6,
    kReadUserFile = 1 << 7,
};
