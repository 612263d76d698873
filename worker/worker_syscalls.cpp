#include "worker/worker_syscalls.h"

#include <seccomp.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <initializer_list>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/sched.h>
#include <linux/seccomp.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace imaging {

namespace {

// An allow list. What a worker calls once it is shut in was counted by
// bench/worker_syscalls.sh: strace over tarvel-batch converting the 68-photo
// corpus (JPEG, PNG, GIF, TIFF, BMP, TGA in, the same out) and the 258
// damaged and odd pictures of gdk-pixbuf-tests, and over libvips decoding
// WebP, HEIF, AVIF and JPEG XL (the formats its modules add), a CMYK JPEG
// and a JPEG with an Adobe RGB profile after the worker's warm-up. Counts of
// that run, every call seen:
//   corpus and gdk-pixbuf-tests: futex 8401, sendto 635, munmap 485,
//     mmap 381, newfstatat 326 (fstat of the picture), recvmsg 324,
//     close 318, madvise 317, brk 280, mremap 5, exit_group 4, times 3
//     (ImageMagick's timers);
//   WebP, HEIF, AVIF, JPEG XL (libwebp, libheif with libde265 and dav1d,
//     libjxl start threads of their own per picture): futex 2393,
//     mprotect 264, madvise 50, rt_sigprocmask 43, clone3 11, rseq 11,
//     set_robust_list 11, exit 10, prctl (PR_SET_NAME) 5,
//     sched_getaffinity (itself) 2.
// tarvel-batch converting WebP (lossy, lossless, animated), HEIC (8 and
// 10 bits), AVIF (with alpha, animated) and JPEG XL into the same formats,
// so with the x265, libaom and libjxl encoders, needed nothing more; x265's
// libnuma asks get_mempolicy (6 times), is refused and goes on without NUMA.
// The set held from run to run, so anything else fails. The list is
// small because everything with a file behind it (libvips' modules,
// ImageMagick's coders and configuration) was loaded by the warm-up.
constexpr int kMeasured[] = {
    SCMP_SYS(futex),      SCMP_SYS(sendto),         SCMP_SYS(munmap),     SCMP_SYS(mmap),
    SCMP_SYS(recvmsg),    SCMP_SYS(close),          SCMP_SYS(madvise),
    SCMP_SYS(brk),        SCMP_SYS(mremap),         SCMP_SYS(exit_group), SCMP_SYS(times),
    SCMP_SYS(mprotect),   SCMP_SYS(rt_sigprocmask), SCMP_SYS(rseq),       SCMP_SYS(set_robust_list),
    SCMP_SYS(exit),
};

// Not in the census, but on paths glibc itself takes, none of which reaches
// outside the process: abort() and raise() (getpid, gettid,
// rt_sigaction; tgkill below), signal return, timekeeping where the vDSO is
// not used, waiting, reading and writing the descriptors it holds (the
// channel, standard error, the picture), and reading its own limits and
// capabilities (anyone may read a process's in /proc). setrlimit is not
// among them: glibc reads limits through prlimit64 alone.
constexpr int kGlibcPaths[] = {
    SCMP_SYS(getpid),       SCMP_SYS(gettid),          SCMP_SYS(rt_sigaction),  SCMP_SYS(rt_sigreturn),
    SCMP_SYS(sigaltstack),  SCMP_SYS(restart_syscall), SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres),
    SCMP_SYS(gettimeofday), SCMP_SYS(clock_nanosleep), SCMP_SYS(nanosleep),     SCMP_SYS(sched_yield),
    SCMP_SYS(read),         SCMP_SYS(write),           SCMP_SYS(pread64),       SCMP_SYS(lseek),
    SCMP_SYS(recvfrom),     SCMP_SYS(sendmsg),         SCMP_SYS(fstat),
    SCMP_SYS(getrandom),    SCMP_SYS(sysinfo),         SCMP_SYS(capget),
};

// The prctl options allowed: naming its threads (glib does), reading its
// own state, and what a picture's process does before it reads the picture:
// a filter of its own on top of this one. (Its parent-death signal it may set
// to SIGKILL only, below.)
constexpr int kPrctlOptions[] = {PR_SET_NAME,       PR_GET_NAME,     PR_GET_NO_NEW_PRIVS,
                                 PR_GET_SECUREBITS, PR_CAPBSET_READ, PR_SET_SECCOMP};

// The flags glibc's fork() passes to clone.
constexpr std::uint64_t kForkFlags = CLONE_CHILD_SETTID | CLONE_CHILD_CLEARTID | SIGCHLD;

#if defined(__x86_64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#else
#error "the picture's filter knows x86-64 and AArch64 only"
#endif

// The low half of the first argument (the machine is little-endian).
constexpr std::uint32_t kFirstArgument = offsetof(seccomp_data, args[0]);

// glibc's fstat() is newfstatat(fd, "", buf, AT_EMPTY_PATH), which no filter
// can tell from a stat by name: it cannot read the name. So newfstatat traps
// (SIGSYS) and is made here: as fstat when the name is empty, refused
// (EACCES) when there is one, as a file the worker may not read would be.
// statx, which nothing in the worker uses, is not allowed at all.
void onStatTrap(int, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    auto &registers = static_cast<ucontext_t *>(context)->uc_mcontext;
#if defined(__x86_64__)
    greg_t *arguments[] = {&registers.gregs[REG_RDI], &registers.gregs[REG_RSI], &registers.gregs[REG_RDX],
                           &registers.gregs[REG_R10]};
    greg_t &result = registers.gregs[REG_RAX];
#else
    unsigned long long *arguments[] = {&registers.regs[0], &registers.regs[1], &registers.regs[2], &registers.regs[3]};
    unsigned long long &result = registers.regs[0];
#endif
    const int fd = int(*arguments[0]);
    const auto *name = reinterpret_cast<const char *>(*arguments[1]);
    void *buffer = reinterpret_cast<void *>(*arguments[2]);
    const long flags = long(*arguments[3]);
    long made = -EACCES;
    if (info->si_syscall == SYS_newfstatat && name && name[0] == '\0' && (flags & AT_EMPTY_PATH)) {
        made = ::syscall(SYS_fstat, fd, buffer);
        if (made < 0)
            made = -errno;
    }
    result = decltype(+result)(made);
    errno = savedErrno;
}

} // namespace

std::string loadWorkerSyscallFilter()
{
    // A call left off the list behaves as on a kernel that lacks it: libraries
    // fall back from a new call to an older one on ENOSYS alone (glibc from
    // clone3 to clone), and fail cleanly on anything else.
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(ENOSYS));
    if (!filter)
        return "seccomp_init failed";
    int failed = 0;
    auto allow = [&](int call, std::initializer_list<scmp_arg_cmp> args = {}) {
        failed |= seccomp_rule_add_array(filter, SCMP_ACT_ALLOW, call, unsigned(args.size()), args.begin());
    };
    for (const int call : kMeasured)
        allow(call);
    for (const int call : kGlibcPaths)
        allow(call);
    for (const int option : kPrctlOptions)
        allow(SCMP_SYS(prctl), {SCMP_A0(SCMP_CMP_EQ, std::uint64_t(option))});
    // No file by name, not even for reading or for its size and dates,
    // whether or not the kernel has Landlock or the worker an empty root: it
    // fails as a file the worker may not read would (onStatTrap for stat).
    for (const int call : {SCMP_SYS(open), SCMP_SYS(openat)})
        failed |= seccomp_rule_add(filter, SCMP_ACT_ERRNO(EACCES), call, 0);
    struct sigaction trap = {};
    trap.sa_sigaction = onStatTrap;
    trap.sa_flags = SA_SIGINFO;
    ::sigemptyset(&trap.sa_mask);
    failed |= ::sigaction(SIGSYS, &trap, nullptr);
    failed |= seccomp_rule_add(filter, SCMP_ACT_TRAP, SCMP_SYS(newfstatat), 0);
    // Threads; and plain fork() for the template, which makes a process for
    // each picture; the picture's process may not (confinePictureProcess).
    // clone3 passes its flags in memory, where no filter can read them;
    // ENOSYS makes glibc use clone.
    allow(SCMP_SYS(clone), {SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)});
    allow(SCMP_SYS(clone), {SCMP_A0(SCMP_CMP_EQ, kForkFlags)});
    allow(SCMP_SYS(wait4));
    // The template hands each picture's process its request over a socket
    // pair of their own: a pair of local sockets joined to nothing else.
    allow(SCMP_SYS(socketpair), {SCMP_A0(SCMP_CMP_EQ, std::uint64_t(AF_UNIX)),
                                 SCMP_A1(SCMP_CMP_EQ, std::uint64_t(SOCK_STREAM | SOCK_CLOEXEC)),
                                 SCMP_A2(SCMP_CMP_EQ, 0)});
    allow(SCMP_SYS(prctl), {SCMP_A0(SCMP_CMP_EQ, std::uint64_t(PR_SET_PDEATHSIG)),
                            SCMP_A1(SCMP_CMP_EQ, std::uint64_t(SIGKILL))});
    // The calls that name a process: only the worker itself (0 or its own
    // process id, as this PID namespace numbers it). Signals to its own
    // threads go by thread id with its own process id first (tgkill).
    const std::uint64_t self = std::uint64_t(::getpid());
    allow(SCMP_SYS(tgkill), {SCMP_A0(SCMP_CMP_EQ, self)});
    allow(SCMP_SYS(kill), {SCMP_A0(SCMP_CMP_EQ, self)});
    // Its limits it may read, never set: the program holds it to its memory
    // budget from outside, and a worker that could raise its own soft limit
    // to the hard one would have the budget of the whole machine.
    for (const std::uint64_t target : {std::uint64_t{0}, self}) {
        allow(SCMP_SYS(sched_getaffinity), {SCMP_A0(SCMP_CMP_EQ, target)});
        allow(SCMP_SYS(prlimit64), {SCMP_A0(SCMP_CMP_EQ, target), SCMP_A2(SCMP_CMP_EQ, 0)});
    }
    // Into every thread there is, and so into every thread started later.
    failed |= seccomp_attr_set(filter, SCMP_FLTATR_CTL_TSYNC, 1);
    if (!failed)
        failed = seccomp_load(filter);
    seccomp_release(filter);
    return failed ? "the seccomp filter could not be loaded" : std::string();
}

bool confinePictureProcess()
{
    const std::uint32_t self = std::uint32_t(::getpid());
    // Jumps count the instructions skipped after the jump itself.
    sock_filter program[] = {
        /* 0 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        /* 1 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
        /* 2 */ BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        /* 3 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        /* 4 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_clone, 0, 2),
        /* 5 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
        // A thread, or refused.
        /* 6 */ BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, CLONE_THREAD, 9, 8),
        /* 7 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_kill, 4, 0),
        /* 8 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_tgkill, 3, 0),
        /* 9 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_prlimit64, 2, 0),
        /* 10 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_sched_getaffinity, 1, 0),
        /* 11 */ BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        // Calls that name a process: 0 (itself) or its own id only.
        /* 12 */ BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFirstArgument),
        /* 13 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, 2, 0),
        /* 14 */ BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, self, 1, 0),
        /* 15 */ BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        /* 16 */ BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter{std::uint16_t(std::size(program)), program};
    return ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter, 0, 0) == 0;
}

} // namespace imaging
