// Capabilities, securebits, "no new privileges" and Landlock domains belong
// to a thread, not to a process. The worker has threads by the time it shuts
// itself in (libvips' worker threads and ImageMagick's OpenMP threads, started
// by the warm-up and kept for later pictures), and any of them may run a
// decoder; so each of them is made to take the same steps, through a signal
// that runs them in the thread itself, as glibc does for setuid().
#pragma once

#include <string>

namespace imaging {

// Drops every capability of the calling thread (effective, permitted,
// inheritable, ambient and the bounding set) and locks the securebits so
// that neither root nor setuid() brings one back. A thread without
// CAP_SETPCAP (an ordinary user's, without a user namespace) can neither
// shrink its bounding set nor set securebits, and needs neither: it has no
// capability to lose, and "no new privileges" keeps it from gaining one.
// Nothing but system calls: it runs in signal handlers. False when a step
// failed or a capability is left.
bool dropPrivilegesOfThisThread(bool canSetPrivilegeBits);

// Whether the calling thread may set securebits and shrink its bounding set.
bool mayDropPrivilegeBits();

// Takes every thread of the process, this one last, through: no privileges
// (as above), PR_SET_NO_NEW_PRIVS, and the Landlock domain `landlockRuleset`
// (skipped when negative). `taskFolder` is an open /proc/self/task, read for
// the threads (opened before the file system was taken away). Empty text on
// success, else what failed.
std::string confineEveryThread(int taskFolder, int landlockRuleset);

} // namespace imaging
