#include "worker/worker_sandbox.h"

#include "worker/worker_privileges.h"
#include "worker/worker_syscalls.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace imaging {

namespace {

// Landlock's interface, declared here because Debian's kernel headers stop at
// its second version while the kernels it runs on go further.
struct LandlockRulesetAttr {
    std::uint64_t handledAccessFs;
    std::uint64_t handledAccessNet; // from ABI 4
    std::uint64_t scoped;           // from ABI 6
};
constexpr unsigned kCreateRulesetVersion = 1u << 0;

// Every file-system right an ABI version knows: execute, write, read, read a
// folder, remove, make each kind of node (v1), refer (v2), truncate (v3),
// device ioctl (v5).
std::uint64_t fileSystemRights(int abi)
{
    std::uint64_t rights = (1u << 13) - 1;
    if (abi >= 2)
        rights |= 1u << 13;
    if (abi >= 3)
        rights |= 1u << 14;
    if (abi >= 5)
        rights |= 1u << 15;
    return rights;
}
constexpr std::uint64_t kNetBindAndConnectTcp = (1u << 0) | (1u << 1);
constexpr std::uint64_t kScopeAbstractSocketsAndSignals = (1u << 0) | (1u << 1);

int landlockAbi()
{
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return abi < 0 ? 0 : int(abi);
}

// A ruleset that handles every right and grants none: once in force, no file
// or folder can be opened, created or changed by name, no TCP port bound or
// connected, no abstract socket reached and no process signalled outside the
// worker's own domain. Descriptors opened before (the channel, the pictures
// handed over) keep working.
int refuseEverythingRuleset(int abi)
{
    LandlockRulesetAttr attr{fileSystemRights(abi), abi >= 4 ? kNetBindAndConnectTcp : 0,
                             abi >= 6 ? kScopeAbstractSocketsAndSignals : 0};
    const std::size_t attrSize = abi >= 6 ? sizeof attr : abi >= 4 ? 2 * sizeof(std::uint64_t) : sizeof(std::uint64_t);
    return int(::syscall(SYS_landlock_create_ruleset, &attr, attrSize, 0));
}

// The worker's root becomes an empty, read-only tmpfs: no path resolves to
// anything of the system's any more. The tmpfs is mounted over a folder every
// system has (in the worker's own mount namespace: nobody else sees it), made
// the root with pivot_root, and the old root is detached whole.
std::string enterEmptyRoot()
{
    const char *mountPoint = nullptr;
    for (const char *folder : {"/tmp", "/mnt", "/proc", "/dev"}) {
        if (::mount("tarvel-worker", folder, "tmpfs", MS_RDONLY | MS_NOSUID | MS_NODEV | MS_NOEXEC,
                    "size=4k,nr_inodes=2,mode=0555")
            == 0) {
            mountPoint = folder;
            break;
        }
    }
    if (!mountPoint)
        return "no empty root could be mounted";
    if (::chdir(mountPoint) != 0 || ::syscall(SYS_pivot_root, ".", ".") != 0)
        return "pivot_root into the empty root failed";
    // The old root now lies over the new one, at ".".
    if (::umount2(".", MNT_DETACH) != 0 || ::chdir("/") != 0)
        return "the old root could not be detached";
    return {};
}

// The tasks of this process's real user, counted in /proc: what the kernel
// counts against RLIMIT_NPROC outside a user namespace of the worker's own.
// Those that end meanwhile are counted all the same.
std::uint64_t tasksOfThisUser()
{
    const uid_t user = ::getuid();
    std::uint64_t tasks = 0;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return 0;
    while (const dirent *entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        char path[300];
        std::snprintf(path, sizeof path, "/proc/%s/status", entry->d_name);
        FILE *status = std::fopen(path, "re");
        if (!status)
            continue;
        char line[256];
        unsigned long long threads = 0;
        bool mine = false;
        while (std::fgets(line, sizeof line, status)) {
            unsigned real = 0;
            if (std::sscanf(line, "Uid: %u", &real) == 1)
                mine = real == user;
            else
                std::sscanf(line, "Threads: %llu", &threads);
        }
        std::fclose(status);
        if (mine)
            tasks += threads;
    }
    ::closedir(proc);
    return tasks;
}

} // namespace

std::string capWorkerTasks(bool ownNamespaces)
{
    const rlim_t most = rlim_t(ownNamespaces ? 0 : tasksOfThisUser()) + rlim_t(kMostWorkerTasks);
    rlimit limit{};
    if (::getrlimit(RLIMIT_NPROC, &limit) != 0)
        return "RLIMIT_NPROC could not be read";
    limit.rlim_cur = limit.rlim_max = std::min(limit.rlim_max, most);
    if (::setrlimit(RLIMIT_NPROC, &limit) != 0)
        return "RLIMIT_NPROC could not be set";
    if (ownNamespaces) {
        // A kernel without a pid_max per namespace (before Linux 6.14)
        // refuses the write; RLIMIT_NPROC then holds every user but root.
        const int fd = ::open("/proc/sys/kernel/pid_max", O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            char text[16];
            const int length = std::snprintf(text, sizeof text, "%d\n", kWorkerPidMax);
            [[maybe_unused]] const ssize_t written = ::write(fd, text, std::size_t(length));
            ::close(fd);
        }
    }
    return {};
}

std::string prepareWorkerMounts()
{
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return "the mounts could not be made private";
    return {};
}

SandboxReport enterWorkerSandbox(bool ownNamespaces)
{
    SandboxReport report;
    // A crashing decoder leaves no core file anywhere.
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // The threads are listed through it after the file system has gone.
    const int taskFolder = ::open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (taskFolder < 0) {
        report.problem = "/proc/self/task could not be opened";
        return report;
    }
    if (ownNamespaces) {
        report.problem = enterEmptyRoot();
        if (!report.problem.empty()) {
            ::close(taskFolder);
            report.namespacesFailed = true;
            return report;
        }
        report.emptyRoot = true;
    }
    const int abi = landlockAbi();
    const int ruleset = abi >= 1 ? refuseEverythingRuleset(abi) : -1;
    if (abi >= 1 && ruleset < 0) {
        ::close(taskFolder);
        report.problem = "landlock_create_ruleset failed";
        return report;
    }
    report.problem = confineEveryThread(taskFolder, ruleset);
    ::close(taskFolder);
    if (ruleset >= 0)
        ::close(ruleset);
    if (!report.problem.empty())
        return report;
    report.landlockAbi = abi;
    report.problem = loadWorkerSyscallFilter();
    report.confined = report.problem.empty();
    return report;
}

} // namespace imaging
