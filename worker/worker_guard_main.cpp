// The guard of a conversion worker (worker_guard.h).
#include "protocol/worker_guard.h"
#include "worker/worker_privileges.h"

#include <seccomp.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// All the guard may still do once the worker runs.
void confine()
{
    if (::prctl(PR_SET_DUMPABLE, 0) != 0 || !imaging::dropPrivilegesOfThisThread(imaging::mayDropPrivilegeBits())
        || ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        ::_exit(EXIT_FAILURE);
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (!filter)
        ::_exit(EXIT_FAILURE);
    int failed = 0;
    for (const int call : {SCMP_SYS(wait4), SCMP_SYS(waitid), SCMP_SYS(exit_group), SCMP_SYS(exit),
                           SCMP_SYS(rt_sigreturn), SCMP_SYS(restart_syscall)})
        failed |= seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
    if (failed || seccomp_load(filter) != 0)
        ::_exit(EXIT_FAILURE);
    seccomp_release(filter);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return EXIT_FAILURE;
    const pid_t guard = ::getpid();
    const pid_t worker = ::fork();
    if (worker < 0)
        return EXIT_FAILURE;
    if (worker == 0) {
        // The worker goes with the guard; if the guard has gone already, the
        // parent it has is no longer the one it was started by.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != guard)
            ::_exit(EXIT_FAILURE);
        ::execv(argv[1], argv + 1);
        ::_exit(127);
    }
    // Nothing of the worker's stays open here: the program sees the channel
    // close when the worker ends, not when the guard does.
    ::close_range(0, ~0u, 0);
    confine();
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(-1, &status, __WALL);
        if (ended < 0 && errno == EINTR)
            continue;
        if (ended < 0)
            ::_exit(EXIT_FAILURE);
        if (ended != worker)
            continue; // as a namespace's init, it collects any orphan
        if (WIFSIGNALED(status))
            ::_exit(imaging::guard::kSignalExitBase + WTERMSIG(status));
        ::_exit(WEXITSTATUS(status));
    }
}
