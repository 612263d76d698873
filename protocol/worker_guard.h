// tarvel-worker-guard: the process the program starts for each conversion
// worker, and the worker's parent (worker_guard_main.cpp). In the worker's own
// PID namespace it is that namespace's init (PID 1): when it dies, the kernel
// kills everything in the namespace, and it dies with the program
// (PR_SET_PDEATHSIG, set before it ran an instruction of its own). Whatever code
// runs in the worker cannot undo that: it cannot reach the guard's
// parent-death signal, and signals from inside a namespace do not reach its
// init. Without namespaces, the worker's own parent-death signal (towards the
// guard) does the same, and the worker's seccomp filter keeps it from
// clearing it.
//
//     tarvel-worker-guard WORKER ARGUMENT...
//
// The guard holds nothing once the worker runs: no descriptor (the program
// sees the channel close when the worker ends), no capability, no system call
// but waiting and exiting. It is a program of its own, linked statically, so
// that it takes a few hundred KB of memory rather than the worker's libraries.
#pragma once

namespace imaging::guard {

// Its name, beside tarvel-worker.
inline constexpr const char kProgramName[] = "tarvel-worker-guard";

// The guard ends as the worker did: with the worker's exit status, or with
// this plus the number of the signal that ended the worker.
inline constexpr int kSignalExitBase = 128;

} // namespace imaging::guard
