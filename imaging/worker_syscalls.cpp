#include "imaging/worker_syscalls.h"

#include <seccomp.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace imaging {

namespace {

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

    failed |= seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1);
    if (!failed)
        failed = seccomp_load(filter);
    seccomp_release(filter);
    return failed ? "seccomp filter could not be loaded" : std::string();
}

} // namespace

std::string loadWorkerSyscallFilter() { return enterSeccomp(); }

} // namespace imaging
