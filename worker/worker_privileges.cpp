#include "worker/worker_privileges.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace imaging {

namespace {

// Root gets no capability from its user id, setuid() neither keeps nor gives
// any, ambient capabilities cannot be raised; and all of it locked.
constexpr unsigned long kSecureBits = SECBIT_NOROOT | SECBIT_NOROOT_LOCKED | SECBIT_NO_SETUID_FIXUP
                                      | SECBIT_NO_SETUID_FIXUP_LOCKED | SECBIT_KEEP_CAPS_LOCKED
                                      | SECBIT_NO_CAP_AMBIENT_RAISE | SECBIT_NO_CAP_AMBIENT_RAISE_LOCKED;

// Capability numbers go up to 40 today; the kernel answers EINVAL past its last.
constexpr int kCapabilitiesToTry = 64;

struct Capabilities {
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
};

bool readCapabilities(Capabilities &capabilities)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, capabilities.data) == 0;
}

bool restrictSelf(int ruleset)
{
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return false;
    return ruleset < 0 || ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
}

bool confineThisThread(int ruleset)
{
    return dropPrivilegesOfThisThread(mayDropPrivilegeBits()) && restrictSelf(ruleset);
}

std::atomic<int> g_ruleset{-1};
std::atomic<int> g_pending{0};
std::atomic<int> g_failed{0};

void onConfineSignal(int)
{
    const int savedErrno = errno;
    if (!confineThisThread(g_ruleset))
        ++g_failed;
    --g_pending;
    errno = savedErrno;
}

constexpr pid_t kThreadGone = 0;
constexpr pid_t kThreadUnknown = -1;

// A thread's id in the worker's own PID namespace: the last one on the
// "NSpid:" line of its status. /proc belongs to the PID namespace it was
// mounted in, the system's, and names the threads by their ids there.
pid_t threadIdHere(int taskFolder, const char *name)
{
    char path[64];
    std::snprintf(path, sizeof path, "%s/status", name);
    const int fd = ::openat(taskFolder, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ESRCH ? kThreadGone : kThreadUnknown;
    char text[4096];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    const int readError = errno;
    ::close(fd);
    if (n < 0 && readError == ESRCH)
        return kThreadGone;
    if (n <= 0)
        return kThreadUnknown;
    text[n] = '\0';
    const char *line = std::strstr(text, "\nNSpid:");
    if (!line)
        return kThreadUnknown;
    pid_t id = kThreadUnknown;
    for (const char *p = line + 7; *p && *p != '\n';) {
        char *end = nullptr;
        const long value = std::strtol(p, &end, 10);
        if (end == p)
            break;
        id = pid_t(value);
        p = end;
    }
    return id;
}

// The threads of the process, by their ids in its own PID namespace.
bool listThreads(int taskFolder, std::vector<pid_t> &threads)
{
    threads.clear();
    if (::lseek(taskFolder, 0, SEEK_SET) != 0)
        return false;
    alignas(8) char buffer[4096];
    for (;;) {
        const long n = ::syscall(SYS_getdents64, taskFolder, buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (long offset = 0; offset < n;) {
            // struct linux_dirent64: d_ino, d_off, d_reclen, d_type, d_name.
            const char *entry = buffer + offset;
            unsigned short length = 0;
            std::memcpy(&length, entry + 16, sizeof length);
            const char *name = entry + 19;
            if (name[0] >= '1' && name[0] <= '9') {
                // One that ended between the listing and its status needs
                // nothing; one that cannot be told fails the whole.
                const pid_t id = threadIdHere(taskFolder, name);
                if (id == kThreadUnknown)
                    return false;
                if (id != kThreadGone)
                    threads.push_back(id);
            }
            offset += length;
        }
    }
}

} // namespace

bool mayDropPrivilegeBits()
{
    Capabilities capabilities;
    return readCapabilities(capabilities)
           && (capabilities.data[CAP_TO_INDEX(CAP_SETPCAP)].effective & CAP_TO_MASK(CAP_SETPCAP));
}

bool dropPrivilegesOfThisThread(bool canSetPrivilegeBits)
{
    if (canSetPrivilegeBits) {
        if (::prctl(PR_SET_SECUREBITS, kSecureBits, 0, 0, 0) != 0)
            return false;
        for (int capability = 0; capability < kCapabilitiesToTry; ++capability) {
            if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0) {
                if (errno == EINVAL)
                    break;
                return false;
            }
        }
    }
    if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0)
        return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    Capabilities none;
    if (::syscall(SYS_capset, &header, none.data) != 0)
        return false;
    Capabilities left;
    if (!readCapabilities(left))
        return false;
    for (const auto &word : left.data) {
        if (word.effective || word.permitted || word.inheritable)
            return false;
    }
    return true;
}

std::string confineEveryThread(int taskFolder, int landlockRuleset)
{
    g_ruleset = landlockRuleset;
    g_failed = 0;
    struct sigaction action = {};
    action.sa_handler = onConfineSignal;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    const int signal = SIGRTMIN;
    if (::sigaction(signal, &action, nullptr) != 0)
        return "no handler for the confinement signal";
    const pid_t self = ::getpid();
    const pid_t me = pid_t(::syscall(SYS_gettid));
    std::vector<pid_t> confined{me};
    std::vector<pid_t> threads;
    // Rounds until no thread is left out: one that was not confined yet may
    // have started another meanwhile.
    for (int round = 0;; ++round) {
        if (!listThreads(taskFolder, threads))
            return "the threads could not be listed";
        std::vector<pid_t> fresh;
        for (const pid_t thread : threads) {
            if (std::find(confined.begin(), confined.end(), thread) == confined.end())
                fresh.push_back(thread);
        }
        if (fresh.empty())
            break;
        if (round == 8)
            return "threads kept starting while they were confined";
        for (const pid_t thread : fresh) {
            ++g_pending;
            // One that has ended meanwhile needs nothing.
            if (::syscall(SYS_tgkill, self, thread, signal) != 0)
                --g_pending;
            confined.push_back(thread);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (g_pending > 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return "a thread did not take the confinement signal";
            const timespec pause{0, 1'000'000};
            ::nanosleep(&pause, nullptr);
        }
    }
    const bool selfConfined = confineThisThread(landlockRuleset);
    // A later signal of this number, sent by whatever runs here, does nothing.
    action.sa_handler = SIG_IGN;
    ::sigaction(signal, &action, nullptr);
    if (g_failed > 0)
        return "a thread could not drop its privileges";
    return selfConfined ? std::string() : "the privileges could not be dropped";
}

} // namespace imaging
