#include "imaging/worker_sandbox.h"

#include <seccomp.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/sched.h>
#include <sys/prctl.h>
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
struct __attribute__((packed)) LandlockPathBeneathAttr {
    std::uint64_t allowedAccess;
    std::int32_t parentFd;
};
constexpr unsigned kCreateRulesetVersion = 1u << 0;
constexpr int kRulePathBeneath = 1;

constexpr std::uint64_t kFsReadFile = 1u << 2;
constexpr std::uint64_t kFsReadDir = 1u << 3;
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

// Folders the libraries read after start-up: loadable modules and their
// dependencies, ImageMagick's configuration, the processor count, and the
// worker's own entry of /proc ("/proc/self" names the worker's own folder
// once opened; the entries of other processes stay closed).
constexpr std::array kReadableFolders{"/usr", "/lib", "/lib64", "/etc", "/sys/devices/system", "/proc/self"};

int landlockAbi()
{
    const long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, kCreateRulesetVersion);
    return abi < 0 ? 0 : int(abi);
}

// Confines the file system and, where the ABI allows, TCP and signals. An
// empty text on success.
std::string enterLandlock(int abi)
{
    LandlockRulesetAttr attr{fileSystemRights(abi), abi >= 4 ? kNetBindAndConnectTcp : 0,
                             abi >= 6 ? kScopeAbstractSocketsAndSignals : 0};
    const std::size_t attrSize = abi >= 6 ? sizeof attr : abi >= 4 ? 2 * sizeof(std::uint64_t) : sizeof(std::uint64_t);
    const int ruleset = int(::syscall(SYS_landlock_create_ruleset, &attr, attrSize, 0));
    if (ruleset < 0)
        return "landlock_create_ruleset failed";
    for (const char *folder : kReadableFolders) {
        const int fd = ::open(folder, O_PATH | O_CLOEXEC);
        if (fd < 0)
            continue; // not every system has /lib64
        LandlockPathBeneathAttr rule{kFsReadFile | kFsReadDir, fd};
        const long added = ::syscall(SYS_landlock_add_rule, ruleset, kRulePathBeneath, &rule, 0);
        ::close(fd);
        if (added != 0) {
            ::close(ruleset);
            return std::string("landlock_add_rule failed for ") + folder;
        }
    }
    const long restricted = ::syscall(SYS_landlock_restrict_self, ruleset, 0);
    ::close(ruleset);
    return restricted == 0 ? std::string() : "landlock_restrict_self failed";
}

// The system calls a worker never needs, refused with EPERM. A list of what is
// refused rather than of what is allowed: the decoders, glib and glibc use a
// wide and changing set of harmless calls, and a missing one would fail
// pictures in ways no test here would see; what a compromised decoder could do
// harm with is a short and stable list.
constexpr std::array kRefused{
    // network and other processes
    "socket",
    "socketpair",
    "connect",
    "bind",
    "listen",
    "accept",
    "accept4",
    "execve",
    "execveat",
    "fork",
    "vfork",
    "ptrace",
    "process_vm_readv",
    "process_vm_writev",
    "process_madvise",
    "kcmp",
    "pidfd_open",
    "pidfd_getfd",
    "pidfd_send_signal",
    "tkill",
    "shmget",
    "shmat",
    "shmctl",
    "msgget",
    "msgsnd",
    "msgrcv",
    "msgctl",
    "semget",
    "semop",
    "semtimedop",
    "semctl",
    "mq_open",
    "mq_unlink",
    "mq_timedsend",
    "mq_timedreceive",
    "mq_notify",
    "mq_getsetattr",
    // files: creating, changing, removing
    "creat",
    "openat2",
    "unlink",
    "unlinkat",
    "rename",
    "renameat",
    "renameat2",
    "mkdir",
    "mkdirat",
    "rmdir",
    "link",
    "linkat",
    "symlink",
    "symlinkat",
    "truncate",
    "ftruncate",
    "fallocate",
    "chmod",
    "fchmod",
    "fchmodat",
    "chown",
    "fchown",
    "lchown",
    "fchownat",
    "mknod",
    "mknodat",
    "utime",
    "utimes",
    "utimensat",
    "futimesat",
    "setxattr",
    "lsetxattr",
    "fsetxattr",
    "removexattr",
    "lremovexattr",
    "fremovexattr",
    "name_to_handle_at",
    "open_by_handle_at",
    "fanotify_init",
    // the system
    "mount",
    "umount2",
    "pivot_root",
    "chroot",
    "swapon",
    "swapoff",
    "reboot",
    "sethostname",
    "setdomainname",
    "kexec_load",
    "kexec_file_load",
    "init_module",
    "finit_module",
    "delete_module",
    "acct",
    "quotactl",
    "syslog",
    "iopl",
    "ioperm",
    "bpf",
    "perf_event_open",
    "userfaultfd",
    "keyctl",
    "add_key",
    "request_key",
    "unshare",
    "setns",
    "io_uring_setup",
    "io_uring_enter",
    "io_uring_register",
    "personality",
};

std::string enterSeccomp()
{
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        return "seccomp_init failed";
    const auto refuse = SCMP_ACT_ERRNO(EPERM);
    int failed = 0;
    auto add = [&](const char *name, std::initializer_list<scmp_arg_cmp> args, uint32_t action) {
        const int number = seccomp_syscall_resolve_name(name);
        if (number == __NR_SCMP_ERROR)
            return; // not a call of this architecture
        failed |= seccomp_rule_add_array(filter, action, number, unsigned(args.size()), args.begin());
    };
    for (const char *name : kRefused)
        add(name, {}, refuse);

    // Opening for reading stays open to the libraries; anything that could
    // write or create a file is refused.
    for (const std::uint64_t flag : {std::uint64_t{O_WRONLY}, std::uint64_t{O_RDWR}, std::uint64_t{O_CREAT},
                                     std::uint64_t{O_TRUNC}, std::uint64_t{__O_TMPFILE}}) {
        add("open", {SCMP_A1(SCMP_CMP_MASKED_EQ, flag, flag)}, refuse);
        add("openat", {SCMP_A2(SCMP_CMP_MASKED_EQ, flag, flag)}, refuse);
    }
    // Threads, yes; new processes, no. clone3 passes its flags in memory,
    // where no filter can read them: glibc falls back to clone when told the
    // call does not exist.
    add("clone", {SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)}, refuse);
    add("clone3", {}, SCMP_ACT_ERRNO(ENOSYS));
    // Signals only to itself (abort() raises one).
    const pid_t self = ::getpid();
    for (const char *name : {"kill", "rt_sigqueueinfo"})
        add(name, {SCMP_A0(SCMP_CMP_NE, std::uint64_t(self))}, refuse);
    for (const char *name : {"tgkill", "rt_tgsigqueueinfo"})
        add(name, {SCMP_A0(SCMP_CMP_NE, std::uint64_t(self))}, refuse);
    // File attributes (chattr) of the source it was handed.
    for (const std::uint64_t request : {std::uint64_t{FS_IOC_SETFLAGS}, std::uint64_t{FS_IOC_FSSETXATTR}})
        add("ioctl", {SCMP_A1(SCMP_CMP_EQ, request)}, refuse);

    if (!failed)
        failed = seccomp_load(filter);
    seccomp_release(filter);
    return failed ? "seccomp filter could not be loaded" : std::string();
}

} // namespace

SandboxReport enterWorkerSandbox()
{
    SandboxReport report;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        report.problem = "PR_SET_NO_NEW_PRIVS failed";
        return report;
    }
    const int abi = landlockAbi();
    if (abi >= 1) {
        report.problem = enterLandlock(abi);
        if (!report.problem.empty())
            return report;
        report.landlockAbi = abi;
    }
    report.problem = enterSeccomp();
    report.confined = report.problem.empty();
    return report;
}

} // namespace imaging
