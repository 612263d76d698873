// tarvel-worker: converts the pictures its parent hands it, one at a time,
// shut in by the kernel. The conversation is described in worker_protocol.h.
#include "imaging/mapped_file.h"
#include "imaging/picture_size.h"
#include "imaging/scale_and_encode.h"
#include "imaging/vips_runtime.h"
#include "imaging/worker_protocol.h"
#include "imaging/worker_sandbox.h"
#include "imaging/worker_warm_up.h"

#ifdef TARVEL_HOSTILE_WORKER
#include "hostile_worker.h"
#endif

#include <glib.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace imaging;

namespace {

constexpr int kChannel = worker::kChannelDescriptor;
constexpr std::size_t kHeapKeptBytes = 32u << 20;

bool sendReply(ConversionStatus status, const QByteArray &bytes, const QByteArray &detail, std::uint32_t flags = 0)
{
    worker::Reply reply;
    reply.status = std::uint32_t(status);
    reply.byteCount = std::uint64_t(bytes.size());
    reply.detailLength = std::uint32_t(std::min<qsizetype>(detail.size(), worker::kMaxDetailBytes));
    reply.flags = flags;
    return worker::sendAll(kChannel, &reply, sizeof reply)
           && worker::sendAll(kChannel, bytes.constData(), std::size_t(bytes.size()))
           && worker::sendAll(kChannel, detail.constData(), reply.detailLength);
}

// A request and the descriptor that came with it; false at the end of the
// conversation or on anything malformed.
bool receiveRequest(worker::Request &request, int &source)
{
    source = -1;
    auto *p = reinterpret_cast<char *>(&request);
    std::size_t got = 0;
    while (got < sizeof request) {
        iovec io{p + got, sizeof request - got};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = platform::retryOnEintr([&] { return ::recvmsg(kChannel, &message, MSG_CMSG_CLOEXEC); });
        if (n <= 0)
            return false;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(c), sizeof fd);
            if (source >= 0)
                ::close(source);
            source = fd;
        }
        got += std::size_t(n);
    }
    return request.magic == worker::kRequestMagic && source >= 0;
}

// glib ends the process when an allocation fails, as one under the memory
// budget will, and when it cannot start a thread. Before it does, the parent
// hears why: out of memory when the failed call left errno at ENOMEM (the
// budget refused the memory, or a new thread's stack), a crash otherwise.
std::atomic<bool> g_converting{false};
std::atomic<bool> g_lastWordSent{false};

void onFatalLog(const gchar *, GLogLevelFlags, const gchar *message, gpointer)
{
    // Read before anything here can change it.
    const int error = errno;
    if (g_converting && !g_lastWordSent.exchange(true)) {
        sendReply(error == ENOMEM ? ConversionStatus::OutOfMemory : ConversionStatus::Crashed, {},
                  QByteArray(message ? message : ""), worker::kWorkerEnds);
    }
    ::_exit(EXIT_FAILURE);
}

// Converts the source into every size the request asks for, handing each
// result to `answer` as soon as it is made; false once an answer could not
// be sent.
bool convert(const worker::Request &request, int source, const std::function<bool(const Result<QByteArray> &)> &answer)
{
    std::vector<PictureSize> sizes{{request.width, request.height}};
    for (std::uint32_t i = 0; i < std::min(request.moreSizes, worker::kMostSizes - 1); ++i)
        sizes.push_back({request.more[i][0], request.more[i][1]});
    // Exactly one answer per size: the parent counts them.
    std::size_t answered = 0;
    const auto answerNext = [&](const Result<QByteArray> &result) {
        ++answered;
        return answer(result);
    };
    const auto allAre = [&](const Result<QByteArray> &result) {
        while (answered < sizes.size()) {
            if (!answerNext(result))
                return false;
        }
        return true;
    };
    try {
        // A file larger than the budget leaves already here: it cannot be
        // mapped, and the copy read instead cannot be allocated.
        const MappedFile file(source);
        switch (file.problem()) {
        case MappedFile::Problem::None: break;
        case MappedFile::Problem::Unreadable:
            return allAre({ConversionStatus::SourceUnreadable, QStringLiteral("the file could not be read")});
        case MappedFile::Problem::TooLarge:
            return allAre({ConversionStatus::TooLarge, QStringLiteral("more than 4 GiB")});
        case MappedFile::Problem::NoMemory:
            return allAre({ConversionStatus::OutOfMemory, QStringLiteral("the file could not be held in memory")});
        }
        const std::optional<OutputFormat> format = worker::requestFormat(request.format);
        if (!format)
            return allAre(ConversionStatus::UnsupportedTarget);
        const SourceFile picture{file.bytes(), (request.flags & worker::kNameSaysTga) != 0,
                                 exifOrientation(request.orientation)};
        return scaleAndEncodeSizes(picture, sizes, *format, request.background,
                                   int(std::min<std::uint32_t>(request.quality, 100)), answerNext);
    } catch (const std::bad_alloc &) {
        // Every size not yet answered fails; the parent counts the replies.
        return allAre({ConversionStatus::OutOfMemory, QStringLiteral("out of memory")});
    }
}

int argument(int argc, char **argv, const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    }
    return fallback;
}

} // namespace

int main(int argc, char **argv)
{
    // The worker goes with its guard, and the guard with the program, even in
    // the middle of a picture: the guard set the parent-death signal before
    // this program started (worker_guard.h).
    const int parent = argument(argc, argv, "--parent", 0);
    if (parent <= 0)
        return EXIT_FAILURE;
    // In a PID namespace of its own, the guard is the namespace's init.
    const bool ownNamespaces = ::getppid() == 1;
    // The parent decides what Ctrl-C does to the pictures under way, and ends
    // its workers itself (a worker has a process group of its own, out of
    // the terminal's reach, unless started some other way).
    ::signal(SIGINT, SIG_IGN);
    // Nothing but the channel and the standard streams comes along.
    ::close_range(kChannel + 1, ~0u, 0);

    if (ownNamespaces) {
        const std::string problem = prepareWorkerMounts();
        if (!problem.empty()) {
            std::fprintf(stderr, "tarvel-worker: %s\n", problem.c_str());
            return worker::kNoNamespacesStatus;
        }
    }
    // Before libvips starts a thread: the warm-up is held to the cap too.
    if (const std::string problem = capWorkerTasks(ownNamespaces); !problem.empty()) {
        std::fprintf(stderr, "tarvel-worker: no sandbox, no conversions: %s\n", problem.c_str());
        return worker::kSandboxFailedStatus;
    }
    if (!ensureVipsStarted())
        return EXIT_FAILURE;
    // This process is the one to be shut in: the loaders libvips calls
    // untrusted may run here.
    allowUntrustedLoaders();
    // libvips notes where it found itself, for its start only; the worker's
    // environment stays what the parent gave it (worker_launch.h). No thread
    // runs yet that could be reading it.
    ::unsetenv("VIPSHOME");
    setThreadsPerPicture(argument(argc, argv, "--threads", 1));
    g_log_set_handler("GLib", GLogLevelFlags(G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL), onFatalLog, nullptr);
    // Everything the decoders load on first use is loaded now, while there
    // is still a file system to load it from.
    const std::string warmUp = warmUpEngine();
    if (!warmUp.empty())
        std::fprintf(stderr, "tarvel-worker: the warm-up failed for: %s\n", warmUp.c_str());

    const SandboxReport sandbox = enterWorkerSandbox(ownNamespaces);
    if (!sandbox.confined) {
        std::fprintf(stderr, "tarvel-worker: no sandbox, no conversions: %s\n", sandbox.problem.c_str());
        return sandbox.namespacesFailed ? worker::kNoNamespacesStatus : worker::kSandboxFailedStatus;
    }

    worker::Hello hello;
    hello.landlockAbi = sandbox.landlockAbi;
    if (!worker::sendAll(kChannel, &hello, sizeof hello))
        return EXIT_FAILURE;
#ifdef TARVEL_HOSTILE_WORKER
    // The tests' build only: a compromised decoder, tried from inside.
    return hostile::attackFromInside(kChannel, parent);
#endif

    worker::Request request;
    int source = -1;
    while (receiveRequest(request, source)) {
        g_converting = true;
        const bool sent = convert(request, source, [](const Result<QByteArray> &result) {
            return result ? sendReply(ConversionStatus::Converted, *result, {})
                          : sendReply(result.failure().status, {}, result.failure().detail.toUtf8());
        });
        g_converting = false;
        ::close(source);
        // Freed picture buffers stay in the heap unless handed back; between
        // pictures, the memory of two workers then adds up to more than two
        // pictures ever need at once. Handing back a little each time costs
        // more in page faults than it saves, so only a lot is handed back.
        if (::mallinfo2().fordblks > kHeapKeptBytes)
            ::malloc_trim(0);
        if (!sent)
            break;
    }
    if (source >= 0)
        ::close(source);
    return EXIT_SUCCESS;
}
