// The first thing tarvel-worker does: split into a guard and the worker.
//
// The process the parent starts stays behind as the guard. In a PID namespace
// of the worker's own it is that namespace's init (PID 1): when it dies, the
// kernel kills everything in the namespace, and it dies with the parent
// (PR_SET_PDEATHSIG, set before it ran a single instruction of its own). The
// worker, its child, decodes the pictures; whatever code runs there cannot
// undo that: it cannot reach the guard's parent-death signal, and signals
// from inside a namespace do not reach its init. Without namespaces, the
// worker's own parent-death signal (towards the guard) does the same, and
// the seccomp filter keeps it from clearing it.
//
// The guard holds nothing: no descriptor (the parent sees the channel close
// when the worker ends), no capability, no system call but waiting and
// exiting. It ends as the worker did (worker::kSignalExitBase).
#pragma once

namespace imaging {

struct GuardedWorker {
    bool started = false;       // false: no worker could be made; exit
    bool ownNamespaces = false; // the worker is in namespaces of its own
};

// Returns in the worker only; the guard never returns from it.
GuardedWorker splitOffGuard();

} // namespace imaging
