#include "worker/hostile_worker.h"

#include "protocol/worker_protocol.h"
#include "worker/worker_sandbox.h"

#include <vips/vips.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/futex.h>
#include <linux/securebits.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/timex.h>
#include <sys/uio.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace hostile {

namespace {

using Attack = std::pair<std::string, std::function<bool()>>; // true: it worked

// A call the filter or the kernel refused outright. Any other failure means
// the kernel went ahead and looked at the arguments: the call got through.
bool refused(long result) { return result < 0 && (errno == EPERM || errno == ENOSYS); }
bool through(long result) { return !refused(result); }

bool opens(const std::string &path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

// Threads that wait until released, started by clone() itself with a small
// stack each, as fast as the kernel lets them: how many of `attempts` ran at
// once. All have ended when it returns.
std::atomic<int> g_release{0};

int parked(void *)
{
    while (g_release.load() == 0)
        ::syscall(SYS_futex, reinterpret_cast<int *>(&g_release), FUTEX_WAIT, 0, nullptr, nullptr, 0);
    return 0;
}

int threadsStartedAtOnce(int attempts)
{
    constexpr std::size_t kStack = 16 * 1024;
    std::vector<char> stacks;
    try {
        stacks.resize(std::size_t(attempts) * kStack);
    } catch (...) {
        return -1;
    }
    // Each set to the thread's id, and cleared by the kernel when it ends.
    std::vector<pid_t> ids(std::size_t(attempts), 0);
    g_release = 0;
    int started = 0;
    for (int i = 0; i < attempts; ++i) {
        const int flags = CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND | CLONE_THREAD | CLONE_SYSVSEM
                          | CLONE_PARENT_SETTID | CLONE_CHILD_CLEARTID;
        if (::clone(parked, stacks.data() + (std::size_t(i) + 1) * kStack, flags, nullptr, &ids[std::size_t(i)],
                    nullptr, &ids[std::size_t(i)])
            > 0)
            ++started;
    }
    g_release = 1;
    ::syscall(SYS_futex, reinterpret_cast<int *>(&g_release), FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
    for (pid_t &id : ids) {
        while (const pid_t running = __atomic_load_n(&id, __ATOMIC_ACQUIRE))
            ::syscall(SYS_futex, &id, FUTEX_WAIT, running, nullptr, nullptr, 0);
    }
    return started;
}

struct Targets {
    std::vector<std::string> read, create, change;
    int parentNice = 0;
    bool linger = false;
    bool steal = false;
};

Targets parseTargets(const std::string &text)
{
    Targets targets;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (key == "read")
            targets.read.push_back(value);
        else if (key == "create")
            targets.create.push_back(value);
        else if (key == "change")
            targets.change.push_back(value);
        else if (key == "nice")
            targets.parentNice = std::atoi(value.c_str());
        else if (key == "linger")
            targets.linger = true;
        else if (key == "steal")
            targets.steal = true;
    }
    return targets;
}

// Everything a taken-over decoder would try, against the parent, the
// process that started the worker, and PID 1.
std::vector<Attack> attacks(const Targets &targets, int parent)
{
    std::vector<Attack> list;
    // The terminal: typing into it, or reading and writing its console.
    // The terminal: typing into it, or its console. No descriptor may be a
    // terminal, and the filter refuses both requests on any descriptor (on
    // /dev/null the kernel would answer ENOTTY).
    list.push_back({"tiocsti", [] {
                        const char c = '\n';
                        for (int fd = 0; fd < 1024; ++fd) {
                            if (::ioctl(fd, TIOCSTI, &c) == 0)
                                return true;
                        }
                        return through(::ioctl(0, TIOCSTI, &c));
                    }});
    list.push_back({"tioclinux", [] {
                        char subcode = 7; // the mouse reporting mode
                        for (int fd = 0; fd < 1024; ++fd) {
                            if (::ioctl(fd, TIOCLINUX, &subcode) == 0)
                                return true;
                        }
                        return through(::ioctl(0, TIOCLINUX, &subcode));
                    }});
    list.push_back({"controlling-terminal", [] { return opens("/dev/tty", O_RDWR); }});
    // Other processes, each by number.
    const std::pair<const char *, pid_t> others[] = {{"parent", pid_t(parent)}, {"starter", ::getppid()}, {"pid1", 1}};
    for (const auto &[who, pid] : others) {
        const std::string name = who;
        const int nice = pid == parent ? targets.parentNice : 0;
        list.push_back({"prlimit-" + name, [pid] {
                            rlimit old{};
                            const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
                            return through(::prlimit(pid, RLIMIT_CORE, nullptr, &old))
                                   || through(::prlimit(pid, RLIMIT_FSIZE, &unlimited, nullptr));
                        }});
        list.push_back({"priority-" + name, [pid, nice] {
                            errno = 0;
                            const int now = ::getpriority(PRIO_PROCESS, id_t(pid));
                            const bool read = !(now == -1 && errno != 0);
                            return read || through(::setpriority(PRIO_PROCESS, id_t(pid), nice));
                        }});
        list.push_back({"affinity-" + name, [pid] {
                            cpu_set_t mine;
                            CPU_ZERO(&mine);
                            ::sched_getaffinity(0, sizeof mine, &mine);
                            cpu_set_t theirs;
                            return through(::sched_getaffinity(pid, sizeof theirs, &theirs))
                                   || through(::sched_setaffinity(pid, sizeof mine, &mine));
                        }});
        list.push_back({"ioprio-" + name, [pid] {
                            constexpr int whoProcess = 1;
                            return through(::syscall(SYS_ioprio_get, whoProcess, pid))
                                   || through(::syscall(SYS_ioprio_set, whoProcess, pid, 0));
                        }});
        list.push_back({"signal-" + name, [pid] {
                            return through(::kill(pid, 0)) || through(::syscall(SYS_tgkill, pid, pid, 0))
                                   || through(::syscall(SYS_tkill, pid, 0));
                        }});
        list.push_back({"pidfd-" + name, [pid] { return through(::syscall(SYS_pidfd_open, pid, 0)); }});
        list.push_back({"ptrace-" + name, [pid] {
                            const long seized = ::syscall(SYS_ptrace, 0x4206 /* PTRACE_SEIZE */, pid, 0, 0);
                            if (seized == 0)
                                ::syscall(SYS_ptrace, 17 /* PTRACE_DETACH */, pid, 0, 0);
                            return through(seized);
                        }});
        list.push_back({"memory-" + name, [pid] {
                            char byte = 0;
                            iovec local{&byte, 1};
                            iovec remote{&byte, 1};
                            return through(::syscall(SYS_process_vm_readv, pid, &local, 1, &remote, 1, 0));
                        }});
    }
    // Files by name: the targets, and other processes' secrets.
    std::vector<std::string> secrets = targets.read;
    for (const std::string &process : {std::to_string(parent), std::string("1")}) {
        for (const char *entry : {"/environ", "/cmdline", "/mem", "/root/"})
            secrets.push_back("/proc/" + process + entry);
    }
    for (const std::string &path : secrets)
        list.push_back({"read:" + path, [path] { return opens(path, O_RDONLY); }});
    list.push_back({"list-root", [] { return opens("/", O_RDONLY | O_DIRECTORY); }});
    // A file's size and times by its name, which an empty root hides and
    // the filter refuses without one.
    list.push_back({"stat-by-name", [] {
                        struct stat status{};
                        struct statx extended{};
                        return ::stat("/etc/passwd", &status) == 0
                               || ::fstatat(AT_FDCWD, "/etc/passwd", &status, AT_EMPTY_PATH) == 0
                               || ::syscall(SYS_statx, AT_FDCWD, "/etc/passwd", 0, STATX_SIZE, &extended) == 0;
                    }});
    for (const std::string &path : targets.create)
        list.push_back({"create:" + path, [path] {
                            return opens(path, O_WRONLY | O_CREAT) || ::mkdir((path + ".d").c_str(), 0755) == 0
                                   || ::symlink("/", (path + ".l").c_str()) == 0;
                        }});
    for (const std::string &path : targets.change)
        list.push_back({"change:" + path, [path] {
                            return opens(path, O_WRONLY) || opens(path, O_RDWR) || ::truncate(path.c_str(), 0) == 0
                                   || ::chmod(path.c_str(), 0777) == 0
                                   || ::rename(path.c_str(), (path + ".x").c_str()) == 0 || ::unlink(path.c_str()) == 0;
                        }});
    // The environment: only what the worker is given on purpose.
    for (char **entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (variable != "VIPS_DISC_THRESHOLD=1024g")
            list.push_back({"environment:" + variable.substr(0, variable.find('=')), [] { return true; }});
    }
    // The network, and other processes through sockets.
    list.push_back({"sockets", [] {
                        int pair[2];
                        return through(::socket(AF_INET, SOCK_STREAM, 0)) || through(::socket(AF_INET6, SOCK_DGRAM, 0))
                               || through(::socket(AF_UNIX, SOCK_STREAM, 0))
                               || through(::socket(AF_NETLINK, SOCK_RAW, 0))
                               || through(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair));
                    }});
    // Programs and processes of its own.
    list.push_back({"exec", [] {
                        char *const none[] = {nullptr};
                        return through(::execve("/nonexistent-program", none, none))
                               || through(::syscall(SYS_execveat, AT_FDCWD, "/nonexistent-program", none, none, 0));
                    }});
    list.push_back({"fork", [] {
                        const pid_t child = ::fork();
                        if (child == 0)
                            ::_exit(0);
                        return child > 0;
                    }});
    // Clocks, the terminal's owner, mounts and namespaces, the kernel.
    list.push_back({"set-time", [] {
                        timeval now{};
                        ::gettimeofday(&now, nullptr);
                        timespec clock{};
                        ::clock_gettime(CLOCK_REALTIME, &clock);
                        timex read{};
                        return through(::settimeofday(&now, nullptr))
                               || through(::clock_settime(CLOCK_REALTIME, &clock)) || through(::adjtimex(&read))
                               || through(::syscall(SYS_clock_adjtime, CLOCK_REALTIME, &read));
                    }});
    list.push_back({"vhangup", [] { return through(::vhangup()); }});
    list.push_back({"mounts", [] {
                        return through(::mount("none", "/nonexistent", "tmpfs", 0, nullptr))
                               || through(::umount2("/nonexistent", MNT_DETACH))
                               || through(::syscall(SYS_pivot_root, "/nonexistent", "/nonexistent"))
                               || through(::chroot("/nonexistent"))
                               || through(::syscall(SYS_open_tree, AT_FDCWD, "/nonexistent", 0))
                               || through(::syscall(SYS_fsopen, "tmpfs", 0))
                               || through(::syscall(SYS_fsmount, -1, 0, 0))
                               || through(::syscall(SYS_fsconfig, -1, 0, nullptr, nullptr, 0))
                               || through(::syscall(SYS_move_mount, -1, "", -1, "", 0));
                    }});
    list.push_back({"namespaces", [] {
                        return through(::unshare(CLONE_NEWUSER)) || through(::unshare(CLONE_NEWNS))
                               || through(::setns(0, 0));
                    }});
    list.push_back({"kernel", [] {
                        return through(::syscall(SYS_keyctl, 0, 0, 0, 0, 0))
                               || through(::syscall(SYS_add_key, "user", "x", "x", 1, 0))
                               || through(::syscall(SYS_request_key, "user", "x", nullptr, 0))
                               || through(::syscall(SYS_bpf, 0, nullptr, 0))
                               || through(::syscall(SYS_perf_event_open, nullptr, 0, -1, -1, 0))
                               || through(::syscall(SYS_userfaultfd, 0))
                               || through(::syscall(SYS_io_uring_setup, 1, nullptr))
                               || through(::syscall(SYS_reboot, 0, 0, 0, nullptr))
                               || through(::syscall(SYS_kexec_load, 0, 0, nullptr, 0))
                               || through(::syscall(SYS_init_module, nullptr, 0, ""))
                               || through(::syscall(SYS_finit_module, -1, "", 0))
                               || through(::syscall(SYS_delete_module, "", 0))
                               || through(::syscall(SYS_memfd_create, "x", 0));
                    }});
    // Its own privileges: none, and none to be had back.
    list.push_back({"pdeathsig", [] { return ::prctl(PR_SET_PDEATHSIG, 0) == 0; }});
    list.push_back({"setuid", [] {
                        return through(::syscall(SYS_setresuid, 0, 0, 0)) || through(::syscall(SYS_setuid, 0))
                               || through(::syscall(SYS_setgroups, 0, nullptr));
                    }});
    list.push_back({"capabilities", [] {
                        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
                        __user_cap_data_struct data[2] = {};
                        if (::syscall(SYS_capget, &header, data) != 0)
                            return true; // cannot tell: counted as got out
                        for (const auto &word : data) {
                            if (word.effective || word.permitted || word.inheritable)
                                return true;
                        }
                        return false;
                    }});
    list.push_back({"bounding-set", [] {
                        for (int capability = 0; capability < 64; ++capability) {
                            const int held = ::prctl(PR_CAPBSET_READ, capability, 0, 0, 0);
                            if (held == 1)
                                return true;
                            if (held < 0)
                                return errno != EINVAL;
                        }
                        return false;
                    }});
    list.push_back({"securebits", [] {
                        const int locked = SECBIT_NOROOT | SECBIT_NOROOT_LOCKED | SECBIT_NO_SETUID_FIXUP
                                           | SECBIT_NO_SETUID_FIXUP_LOCKED | SECBIT_KEEP_CAPS_LOCKED;
                        const int bits = ::prctl(PR_GET_SECUREBITS, 0, 0, 0, 0);
                        return bits < 0 || (bits & locked) != locked;
                    }});
    list.push_back({"new-privileges", [] { return ::prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) != 1; }});
    // Its memory budget: its limits it may read, not raise, and the soft
    // limit is the hard one. With the limit raised, 2 GiB could be mapped.
    list.push_back({"lift-memory-limit", [] {
                        rlimit before{};
                        if (::getrlimit(RLIMIT_AS, &before) != 0)
                            return true; // cannot tell: counted as got out
                        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
                        const rlimit toHard{before.rlim_max, before.rlim_max};
                        ::prlimit(0, RLIMIT_AS, &unlimited, nullptr);
                        ::setrlimit(RLIMIT_AS, &toHard);
                        ::prlimit(0, RLIMIT_AS, &toHard, nullptr);
                        rlimit after{};
                        ::getrlimit(RLIMIT_AS, &after);
                        constexpr std::size_t kTwoGib = std::size_t(2) << 30;
                        void *mapped = ::mmap(nullptr, kTwoGib, PROT_READ | PROT_WRITE,
                                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
                        if (mapped != MAP_FAILED)
                            ::munmap(mapped, kTwoGib);
                        return before.rlim_cur != before.rlim_max || after.rlim_cur > before.rlim_cur
                               || mapped != MAP_FAILED;
                    }});
    // Tasks without end: 3,000 threads, of which no more than the cap start.
    list.push_back({"threads", [] {
                        const int started = threadsStartedAtOnce(3000);
                        return started < 0 || started >= imaging::kWorkerPidMax;
                    }});
    // What it must still be able to do, or the rest proves nothing.
    list.push_back({"cannot-start-a-thread", [] {
                        std::atomic<bool> ran{false};
                        try {
                            std::thread([&] { ran = true; }).join();
                        } catch (...) { }
                        return !ran;
                    }});
    return list;
}

std::string tryAll(const std::vector<Attack> &list, const char *where)
{
    std::string escaped;
    for (const auto &[name, attack] : list) {
        if (attack())
            escaped += std::string(" ") + name + "@" + where;
    }
    return escaped;
}

// The same attacks from one of libvips' own threads: a picture's pixels are
// made there, so a decoder runs there.
struct InThread {
    const std::vector<Attack> *list = nullptr;
    pid_t mainThread = -1;
    std::atomic<bool> done{false};
    std::string escaped;
};

int generate(VipsRegion *out, void *, void *a, void *, gboolean *)
{
    auto *state = static_cast<InThread *>(a);
    if (!state->done.exchange(true)) {
        state->escaped = tryAll(*state->list, "libvips-thread");
        if (pid_t(::syscall(SYS_gettid)) == state->mainThread)
            state->escaped += " not-in-a-libvips-thread";
    }
    vips_region_black(out);
    return 0;
}

std::string tryFromLibvipsThread(const std::vector<Attack> &list)
{
    InThread state;
    state.list = &list;
    state.mainThread = pid_t(::syscall(SYS_gettid));
    VipsImage *image = vips_image_new();
    vips_image_init_fields(image, 8, 8, 1, VIPS_FORMAT_UCHAR, VIPS_CODING_NONE, VIPS_INTERPRETATION_B_W, 1, 1);
    vips_image_pipelinev(image, VIPS_DEMAND_STYLE_ANY, nullptr);
    vips_image_generate(image, nullptr, generate, nullptr, &state, nullptr);
    size_t size = 0;
    g_free(vips_image_write_to_memory(image, &size));
    g_object_unref(image);
    return state.done ? state.escaped : " no-libvips-thread-ran";
}

// A worker taken over by one picture, after its answer: every descriptor it
// has is tried for a request of the program's, with the descriptors that
// come with one, for a second. A picture that reaches it this way is read,
// and its first bytes go back as the answer to that request.
void stealLaterPictures()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < until) {
        for (int fd = 0; fd < 64; ++fd) {
            imaging::worker::Request request;
            iovec io{&request, sizeof request};
            alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
            msghdr message{};
            message.msg_iov = &io;
            message.msg_iovlen = 1;
            message.msg_control = control;
            message.msg_controllen = sizeof control;
            if (::recvmsg(fd, &message, MSG_DONTWAIT) <= 0)
                continue;
            const cmsghdr *c = CMSG_FIRSTHDR(&message);
            int source = -1;
            if (c && c->cmsg_type == SCM_RIGHTS)
                std::memcpy(&source, CMSG_DATA(c), sizeof source);
            char picture[32] = {};
            const ssize_t n = source >= 0 ? ::pread(source, picture, sizeof picture, 0) : 0;
            const std::string detail = "stolen: " + std::string(picture, picture + std::max<ssize_t>(n, 0));
            imaging::worker::Reply reply;
            reply.status = std::uint32_t(imaging::ConversionStatus::Damaged);
            reply.detailLength = std::uint32_t(detail.size());
            imaging::worker::sendAll(fd, &reply, sizeof reply);
            imaging::worker::sendAll(fd, detail.data(), detail.size());
        }
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

} // namespace

bool isHostile(int source)
{
    char start[8] = {};
    return ::pread(source, start, sizeof start, 0) == ssize_t(sizeof start)
           && std::memcmp(start, "#hostile", sizeof start) == 0;
}

int attackFromInside(int channel, int source, int parent)
{
    std::string text(4096, '\0');
    const ssize_t n = ::pread(source, text.data(), text.size(), 0);
    text.resize(n > 0 ? std::size_t(n) : 0);
    const Targets targets = parseTargets(text);
    const std::vector<Attack> list = attacks(targets, parent);
    std::string escaped = tryAll(list, "main") + tryFromLibvipsThread(list);
    if (escaped.empty())
        escaped = " none";
    const std::string detail = "escaped:" + escaped;
    imaging::worker::Reply reply;
    reply.status = std::uint32_t(imaging::ConversionStatus::Damaged);
    reply.detailLength = std::uint32_t(std::min<std::size_t>(detail.size(), imaging::worker::kMaxDetailBytes));
    imaging::worker::sendAll(channel, &reply, sizeof reply);
    imaging::worker::sendAll(channel, detail.data(), reply.detailLength);
    if (targets.steal)
        stealLaterPictures();
    if (targets.linger) {
        // A decoder that wants to outlive the program: it clears its
        // parent-death signal (if it may) and waits for the parent to go.
        ::prctl(PR_SET_PDEATHSIG, 0);
        for (;;) {
            const timespec second{1, 0};
            ::nanosleep(&second, nullptr);
        }
    }
    return 0;
}

} // namespace hostile
