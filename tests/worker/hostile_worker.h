// tarvel-worker-hostile: tarvel-worker built with TARVEL_HOSTILE_WORKER, for
// the tests only (never installed). It starts and shuts itself in exactly as
// tarvel-worker does, and converts as it does; but a picture whose file
// starts with "#hostile" stands in for one that took its decoder over: its
// process attacks from inside, once from its main thread and once from a
// libvips thread (one the template had started, started anew in the
// picture's process).
//
// The rest of such a file is a list of targets, one per line:
//     read PATH       a file or folder that must not be readable
//     create PATH     a file that must not come to be
//     change PATH     an existing file that must stay as it is
//     nice N          the parent's nice value (written back unchanged)
//     linger          after the reply: clear the parent-death signal and stay
//     steal           after the reply: for a second, take any request that
//                     reaches it, read the picture that came with it and
//                     answer with that picture's first bytes
// The reply is a failure (Damaged) whose detail is "escaped:" and the names
// of the attacks that worked, or "escaped: none".
#pragma once

namespace hostile {

// Whether the open file `source` is a hostile picture.
bool isHostile(int source);

// The attacks, with `channel` the picture's channel and `source` the
// picture's file; returns the exit status.
int attackFromInside(int channel, int source, int parent);

} // namespace hostile
