// The cell a conversion worker lives in. Most of a worker's code is decoders of
// untrusted files, so it is shut in as if an attacker's code ran there:
//   - nothing inherited: no terminal, no environment, no descriptor but the
//     channel (worker_launch.h);
//   - no privileges: every capability dropped, securebits locked, "no new
//     privileges", also when the program runs as root;
//   - namespaces of its own where the kernel allows them (user, PID, mount,
//     network, IPC, UTS, cgroup): no other process, no network interface;
//   - no file system: once the warm-up (worker_warm_up.h) has loaded what the
//     decoders need, the worker's root becomes an empty read-only folder, and
//     Landlock and the seccomp filter refuse every file by name on top of
//     that. Pictures come in as open descriptors;
//   - a seccomp filter that lets through only the system calls the decoders
//     were measured to make (worker_syscalls.cpp), and of those that name a
//     process, only the ones aimed at the worker itself;
//   - death with the parent (worker_guard.h).
#pragma once

#include <string>

namespace imaging {

struct SandboxReport {
    bool confined = false;         // every step below was taken
    int landlockAbi = 0;           // the Landlock ABI that confines it, 0 for none
    bool emptyRoot = false;        // its root is an empty folder of its own
    bool namespacesFailed = false; // the namespaces it has could not be used
    std::string problem;           // why confinement failed, when it did
};

// The most tasks (processes and threads, the guard's and its own included) a
// worker may have at once, as RLIMIT_NPROC counts them. Measured on 2 cores
// (bench/worker_tasks.sh): a picture's process ran at most 10 threads, its
// template 6, so a worker 17 tasks with its guard; the rest is room for
// machines with more cores, whose codecs (x265, dav1d, libjxl) start a thread
// per core.
inline constexpr int kMostWorkerTasks = 300;
// Its PID namespace's pid_max. The kernel hands a namespace's process ids out
// in turn and, once past 300 (its reserved ids), from 300 up: this leaves
// kMostWorkerTasks at once then, and twice as many until the ids first wrap.
inline constexpr int kWorkerPidMax = 300 + kMostWorkerTasks + 1;

// Before the warm-up: caps the tasks the worker may start at
// kMostWorkerTasks. In namespaces of its own, its user namespace counts them
// (RLIMIT_NPROC, which the kernel does not apply to root) and so does its PID
// namespace (kWorkerPidMax, where the kernel has a pid_max per namespace).
// Without, RLIMIT_NPROC counts every task of the user, so the worker may
// start that many more than the user runs now. Empty text on success.
std::string capWorkerTasks(bool ownNamespaces);

// Before the warm-up, in namespaces of its own: the worker's mounts are made
// private, so that nothing it mounts shows outside. Empty text on success.
std::string prepareWorkerMounts();

// Shuts the calling process in, for good, with all its threads. Call it after
// the warm-up and before anything untrusted is read. `ownNamespaces`: the
// worker is in namespaces of its own (splitOffGuard), and its root can be
// emptied.
SandboxReport enterWorkerSandbox(bool ownNamespaces);

} // namespace imaging
