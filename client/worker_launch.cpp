#include "client/worker_launch.h"

#include "platform/retry_on_eintr.h"
#include "platform/text_lines.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace imaging {

namespace {

constexpr int kNamespaces
    = CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNS | CLONE_NEWNET | CLONE_NEWIPC | CLONE_NEWUTS | CLONE_NEWCGROUP;

// What the new process needs, prepared by the caller: between clone() and
// execve() the child shares the caller's memory and may only make system
// calls (no allocation, no locks).
struct Child {
    const char *path;
    char *const *argv;
    char *const *envp;
    int sources[4]; // what becomes descriptors 0 to 3
    bool ownNamespaces;
    char uidMap[32];
    char gidMap[32];
    // Written by the child when it fails, read by the caller once the child
    // has exited (CLONE_VFORK holds the caller until then).
    int error;
    bool namespaceFailed;
};

bool writeWhole(const char *path, const char *text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::size_t length = std::strlen(text);
    const bool written = ::write(fd, text, length) == ssize_t(length);
    ::close(fd);
    return written;
}

[[noreturn]] void fail(Child &child, bool inNamespaces)
{
    child.error = errno != 0 ? errno : EIO; // a short write leaves errno alone
    child.namespaceFailed = inNamespaces;
    ::_exit(127);
}

int childMain(void *argument)
{
    Child &child = *static_cast<Child *>(argument);
    // Gone with the thread that started it, before it runs any code of its
    // own. That thread is held in clone() until the execve() below.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        fail(child, false);
    // The caller's handlers mean nothing here; every signal was blocked
    // before clone() and is unblocked only once the defaults are back.
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        ::sigaction(signal, &action, nullptr);
    }
    // The program's user and group, and only they, are root inside: the
    // only mapping a process may write for itself without privileges, and
    // one that gives it no more rights on files than the program has. Root
    // inside keeps the namespace's capabilities across execve(), which the
    // worker needs for its mounts; it drops them all before it reads a
    // picture (worker_privileges.h).
    if (child.ownNamespaces
        && (!writeWhole("/proc/self/setgroups", "deny") || !writeWhole("/proc/self/uid_map", child.uidMap)
            || !writeWhole("/proc/self/gid_map", child.gidMap)))
        fail(child, true);
    // A process group of its own: nothing typed at the terminal (Ctrl-C,
    // Ctrl-\, Ctrl-Z) reaches it. And no controlling terminal, so that no
    // /dev/tty leads to one. Not a session of its own: with the scheduler's
    // autogroups (Debian's default) a new session is a new scheduling group,
    // and on a busy machine every request and reply then waited for another
    // group's time slice: 3,000 small pictures took 1.5 times as long.
    if (::setpgid(0, 0) != 0)
        fail(child, false);
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal >= 0) {
        const int dropped = ::ioctl(terminal, TIOCNOTTY);
        ::close(terminal);
        if (dropped != 0)
            fail(child, false);
    }
    // Copied above 10 first, so that no source is overwritten by a target.
    int moved[4];
    for (int target = 0; target < 4; ++target) {
        moved[target] = ::fcntl(child.sources[target], F_DUPFD, 10);
        if (moved[target] < 0)
            fail(child, false);
    }
    for (int target = 0; target < 4; ++target) {
        if (::dup2(moved[target], target) < 0)
            fail(child, false);
    }
    if (::close_range(4, ~0u, 0) != 0)
        fail(child, false);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(child.path, child.argv, child.envp);
    fail(child, false);
}

std::atomic<bool> g_namespacesRefused{false};

} // namespace

bool workerNamespacesWanted()
{
    if (g_namespacesRefused)
        return false;
    const char *setting = std::getenv("TARVEL_WORKER_NAMESPACES");
    return !setting || std::strcmp(setting, "off") != 0;
}

void refuseWorkerNamespaces() { g_namespacesRefused = true; }

LaunchedWorker launchWorker(const char *path, const char *const *argv, const WorkerDescriptors &descriptors,
                            bool ownNamespaces)
{
    std::vector<char *> environment;
    for (const char *entry : kWorkerEnvironment)
        environment.push_back(const_cast<char *>(entry));
    environment.push_back(nullptr);

    Child child{};
    child.path = path;
    child.argv = const_cast<char *const *>(argv);
    child.envp = environment.data();
    child.sources[0] = descriptors.devNull;
    child.sources[1] = descriptors.devNull;
    child.sources[2] = descriptors.errors;
    child.sources[3] = descriptors.channel;
    child.ownNamespaces = ownNamespaces;
    std::snprintf(child.uidMap, sizeof child.uidMap, "0 %u 1\n", unsigned(::geteuid()));
    std::snprintf(child.gidMap, sizeof child.gidMap, "0 %u 1\n", unsigned(::getegid()));

    // The child runs on a stack of its own in the caller's memory (as
    // posix_spawn does): no copy of the program's pages, however large it is.
    std::vector<char> stack(64 * 1024);
    sigset_t all;
    sigset_t previous;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const int flags = CLONE_VM | CLONE_VFORK | SIGCHLD | (ownNamespaces ? kNamespaces : 0);
    const pid_t pid = ::clone(childMain, stack.data() + stack.size(), flags, &child);
    const int cloneError = errno;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);

    LaunchedWorker launched;
    if (pid < 0) {
        launched.error = cloneError;
        // EPERM: switched off (kernel.unprivileged_userns_clone=0, a
        // container's filter); ENOSPC: user.max_user_namespaces reached;
        // EINVAL: a kernel without one of them.
        launched.namespacesRefused
            = ownNamespaces
              && (cloneError == EPERM || cloneError == ENOSPC || cloneError == EINVAL || cloneError == EUSERS);
        return launched;
    }
    if (child.error != 0) {
        // It has exited already; only its zombie is left to collect.
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        launched.error = child.error;
        launched.namespacesRefused = child.namespaceFailed;
        return launched;
    }
    launched.pid = pid;
    return launched;
}

ssize_t receiveWithSender(int fd, void *data, std::size_t size, pid_t &sender)
{
    iovec io{data, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_DONTWAIT);
    for (cmsghdr *c = n > 0 ? CMSG_FIRSTHDR(&message) : nullptr; c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS && sender <= 0) {
            ucred credentials{};
            std::memcpy(&credentials, CMSG_DATA(c), sizeof credentials);
            sender = credentials.pid;
        }
    }
    return n;
}

QString takeWorkerErrors(int fd)
{
    const QString said = workerErrorsSoFar(fd);
    if (fd >= 0)
        ::close(fd);
    return said;
}

QString workerErrorsSoFar(int fd)
{
    if (fd < 0)
        return {};
    char text[1024];
    const ssize_t n = platform::retryOnEintr([&] { return ::read(fd, text, sizeof text); });
    if (n <= 0)
        return {};
    QStringList lines = platform::splitLines(QString::fromUtf8(text, n));
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return platform::printableText(lines.join(QStringLiteral("; ")));
}

void warnOnceWithoutLandlock()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString warning = QCoreApplication::translate(
            "imaging", "tarvel：此系统的内核没有 Landlock，转换进程少了这一层限制，其余的限制照常有效。\n");
        std::fputs(warning.toLocal8Bit().constData(), stderr);
    });
}

void warnOnceWithoutNamespaces()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const QString warning = QCoreApplication::translate(
            "imaging", "tarvel：此系统不允许转换进程有自己的命名空间，其余的限制照常有效。\n");
        std::fputs(warning.toLocal8Bit().constData(), stderr);
    });
}

} // namespace imaging
