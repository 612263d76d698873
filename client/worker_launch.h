// How a conversion worker process comes to be: a new process that inherits
// nothing of the program's (no terminal, no session, no environment, no
// descriptor but the ones handed to it) and, where the kernel allows it, has a
// user, PID, mount, network, IPC, UTS and cgroup namespace of its own. The
// worker's own start-up (worker_guard.h, worker_sandbox.h) does the rest.
#pragma once

#include <QString>

#include <cstddef>

#include <sys/types.h>

namespace imaging {

// The worker's whole environment. libvips keeps large intermediate pictures
// in temporary files; a worker writes none, and its memory is bounded by the
// budget instead. Nothing else: the locale stays "C" (libvips' messages are
// not translated, so they read the same whatever the user's language), and
// no library finds a configuration of the user's (ImageMagick's policy under
// $HOME, for one) that could make a picture convert differently. libvips
// reads the threshold's units up to "g" only: "1t" was 1 byte, and a WebP
// (whose loader is not sequential) then went to a temporary file that the
// worker cannot write.
inline constexpr const char *kWorkerEnvironment[] = {"VIPS_DISC_THRESHOLD=1024g"};

struct WorkerDescriptors {
    int channel = -1; // becomes descriptor 3 (worker::kChannelDescriptor)
    int errors = -1;  // becomes standard error
    int devNull = -1; // opened read and write; becomes standard input and output
};

struct LaunchedWorker {
    pid_t pid = -1;                 // the process started, -1 when none was
    int error = 0;                  // errno of what failed when none was
    bool namespacesRefused = false; // the kernel would not make the namespaces
};

// Starts the program at `path` with `argv` (ending in nullptr): the worker's
// guard (worker_guard.h), which starts the worker. It runs in a process group
// of its own, without a controlling terminal, with the parent-death signal
// SIGKILL set before it runs a single instruction of its own, and in
// namespaces of its own when `ownNamespaces`.
// The user namespace maps only the caller's own user and group (to root
// inside), so the worker has no more rights on any file than the program has. When the
// kernel refuses the namespaces (user namespaces switched off, a container
// that forbids them), nothing is started and `namespacesRefused` says so.
LaunchedWorker launchWorker(const char *path, const char *const *argv, const WorkerDescriptors &descriptors,
                            bool ownNamespaces);

// Whether workers are started in namespaces of their own: yes, unless the
// kernel refused them once in this process, or TARVEL_WORKER_NAMESPACES=off
// is set (which stands in for such a kernel in the tests, and is a way out
// on a system whose namespaces misbehave).
bool workerNamespacesWanted();
// Remembers that the kernel refused them, for every later worker.
void refuseWorkerNamespaces();

// One receive from the channel without waiting, as recv(MSG_DONTWAIT) does;
// `sender` gets the sending process's id as this process sees it, which the
// kernel attaches (SO_PASSCRED on `fd`), whatever the sender claims.
ssize_t receiveWithSender(int fd, void *data, std::size_t size, pid_t &sender);

// What a worker wrote on its standard error (its own words when it could not
// shut itself in, or a library's), on one line and with no control
// character; the pipe is closed.
QString takeWorkerErrors(int fd);
// The same, of what is there now, leaving the pipe open.
QString workerErrorsSoFar(int fd);

// Said once per process on standard error: workers run without Landlock, or
// without namespaces of their own (the other walls stand either way).
void warnOnceWithoutLandlock();
void warnOnceWithoutNamespaces();

} // namespace imaging
