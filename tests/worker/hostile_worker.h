// tarvel-worker-hostile: tarvel-worker built with TARVEL_HOSTILE_WORKER, for
// the tests only (never installed). It starts and shuts itself in exactly as
// tarvel-worker does; then, standing in for a decoder an attacker has taken
// over, it answers its first request by attacking from inside, once from its
// main thread and once from one of libvips' worker threads (those started by
// the warm-up, before the sandbox closed).
//
// The request's picture is a list of targets, one per line:
//     read PATH       a file or folder that must not be readable
//     create PATH     a file that must not come to be
//     change PATH     an existing file that must stay as it is
//     nice N          the parent's nice value (written back unchanged)
//     linger          after the reply: clear the parent-death signal and stay
// The reply is a failure (Damaged) whose detail is "escaped:" and the names
// of the attacks that worked, or "escaped: none".
#pragma once

namespace hostile {

int attackFromInside(int channel, int parent);

} // namespace hostile
