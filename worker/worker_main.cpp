// tarvel-worker: converts the pictures its parent hands it, one at a time,
// shut in by the kernel. The conversation is described in worker_protocol.h.
#include "worker/mapped_file.h"
#include "imaging/picture_size.h"
#include "engine/scale_and_encode.h"
#include "engine/vips_runtime.h"
#include "protocol/worker_protocol.h"
#include "worker/worker_sandbox.h"
#include "worker/worker_syscalls.h"
#include "worker/worker_warm_up.h"

#ifdef TARVEL_HOSTILE_WORKER
#include "hostile_worker.h"
#endif

#include <glib.h>

#include <dirent.h>
#include <malloc.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imaging;

namespace {

constexpr int kChannel = worker::kChannelDescriptor;
// Where replies go: the picture's own channel, in the process made for it.
int g_replies = kChannel;

bool sendReply(ConversionStatus status, const QByteArray &bytes, const QByteArray &detail, std::uint32_t flags = 0)
{
    worker::Reply reply;
    reply.status = std::uint32_t(status);
    reply.byteCount = std::uint64_t(bytes.size());
    reply.detailLength = std::uint32_t(std::min<qsizetype>(detail.size(), worker::kMaxDetailBytes));
    reply.flags = flags;
    return worker::sendAll(g_replies, &reply, sizeof reply)
           && worker::sendAll(g_replies, bytes.constData(), std::size_t(bytes.size()))
           && worker::sendAll(g_replies, detail.constData(), reply.detailLength);
}

// A request and the two descriptors that come with it, the source and the
// picture's channel, read from `from` (the template's channel, or in a
// picture's process the template's hand-over); false at the end of the
// conversation or on anything malformed.
bool receiveRequest(int from, worker::Request &request, int &source, int &channel)
{
    source = channel = -1;
    auto *p = reinterpret_cast<char *>(&request);
    std::size_t got = 0;
    while (got < sizeof request) {
        iovec io{p + got, sizeof request - got};
        alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))];
        msghdr message{};
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = platform::retryOnEintr([&] { return ::recvmsg(from, &message, MSG_CMSG_CLOEXEC); });
        if (n <= 0)
            return false;
        for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(c) + i * sizeof(int), sizeof fd);
                int &slot = source < 0 ? source : channel;
                if (slot >= 0)
                    ::close(slot);
                slot = fd;
            }
        }
        got += std::size_t(n);
    }
    return request.magic == worker::kRequestMagic && source >= 0 && channel >= 0;
}

// libvips keeps its worker threads, idle, for the next pipeline; a forked
// process has only the thread that forked, and libvips would hand work to
// threads that are not there. So every thread started through glib (libvips
// starts its own so) is noted here, and the ones still running in the
// template are started anew in a picture's process, each with its function
// and data: an idle libvips worker waits again where it waited. glib's
// GMutex and GCond are bare futexes on Linux and hold nothing of a thread.
struct GlibThread {
    GThreadFunc function = nullptr;
    gpointer data = nullptr;
    const gchar *name = nullptr;
    std::atomic<bool> running{false};
};
constexpr std::size_t kMostGlibThreads = 256;
GlibThread g_glibThreads[kMostGlibThreads];
std::mutex g_glibThreadsLock;

using StartGlibThread = GThread *(*)(const gchar *, GThreadFunc, gpointer, GError **);

StartGlibThread glibStart()
{
    static const auto start = reinterpret_cast<StartGlibThread>(::dlsym(RTLD_NEXT, "g_thread_try_new"));
    return start;
}

gpointer runGlibThread(gpointer noted)
{
    auto *thread = static_cast<GlibThread *>(noted);
    const gpointer result = thread->function(thread->data);
    thread->running = false;
    return result;
}

GThread *startNotedThread(const gchar *name, GThreadFunc function, gpointer data, GError **error)
{
    GlibThread *slot = nullptr;
    {
        const std::lock_guard lock(g_glibThreadsLock);
        for (GlibThread &thread : g_glibThreads) {
            if (!thread.running) {
                slot = &thread;
                slot->function = function;
                slot->data = data;
                slot->name = name;
                slot->running = true;
                break;
            }
        }
    }
    // More than the cap on tasks lets run: not noted, and never idle at a fork.
    if (!slot)
        return glibStart()(name, function, data, error);
    GThread *started = glibStart()(name, runGlibThread, slot, error);
    if (!started)
        slot->running = false;
    return started;
}

// In a picture's process: the template's threads that are still running.
bool restartIdleThreads()
{
    for (GlibThread &thread : g_glibThreads) {
        if (!thread.running)
            continue;
        GThread *started = glibStart()(thread.name, runGlibThread, &thread, nullptr);
        if (!started)
            return false;
        g_thread_unref(started);
    }
    return true;
}

// Until every thread but this one sleeps: none holds a lock when the template
// forks. libvips' threads go back to waiting just after their last piece of
// work is done; this is a moment at most.
void waitForIdleThreads()
{
    const pid_t self = pid_t(::syscall(SYS_gettid));
    for (int round = 0; round < 1000; ++round) {
        bool busy = false;
        DIR *tasks = ::opendir("/proc/self/task");
        if (!tasks)
            return;
        while (const dirent *entry = ::readdir(tasks)) {
            if (entry->d_name[0] < '1' || entry->d_name[0] > '9' || std::atoi(entry->d_name) == self)
                continue;
            char path[300];
            std::snprintf(path, sizeof path, "/proc/self/task/%s/stat", entry->d_name);
            FILE *stat = std::fopen(path, "re");
            char text[512] = {};
            if (stat) {
                const std::size_t n = std::fread(text, 1, sizeof text - 1, stat);
                text[n] = '\0';
                std::fclose(stat);
            }
            const char *end = std::strrchr(text, ')');
            busy = busy || (end && end[1] == ' ' && end[2] != 'S');
        }
        ::closedir(tasks);
        if (!busy)
            return;
        const timespec pause{0, 1'000'000};
        ::nanosleep(&pause, nullptr);
    }
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

// What the request asks of every output besides its size; `exact` holds the
// placements of the exact sizes the settings point into.
OutputSettings outputSettingsOf(const worker::Request &request, std::span<const PictureSize> sizes,
                                std::vector<ExactGeometry> &exact)
{
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const worker::Placement &place = request.placements[i];
        if (place.scaledWidth == 0 && place.scaledHeight == 0)
            exact.push_back({}); // a plain size
        else
            exact.push_back({{place.scaledWidth, place.scaledHeight},
                             {place.keptX, place.keptY, place.keptWidth, place.keptHeight},
                             place.atX,
                             place.atY,
                             sizes[i]});
    }
    OutputSettings settings;
    settings.background = request.background;
    settings.quality = int(std::min<std::uint32_t>(request.quality, 100));
    settings.exact = exact;
    settings.padColour = request.padColour;
    settings.dpi = int(std::min<std::uint32_t>(request.dpi, 65535));
    settings.fileSize = {std::max<std::int64_t>(request.floorBytes, 0), std::max<std::int64_t>(request.ceilingBytes, 0)};
    return settings;
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
        std::vector<ExactGeometry> exact;
        return scaleAndEncodeSizes(picture, sizes, *format, outputSettingsOf(request, sizes, exact), answerNext);
    } catch (const std::bad_alloc &) {
        // Every size not yet answered fails; the parent counts the replies.
        return allAre({ConversionStatus::OutOfMemory, QStringLiteral("out of memory")});
    }
}

// A picture's own process, forked from the template ahead of its picture
// (the fork, its threads and its filter then cost the picture nothing): it
// waits for the template to hand it a request, takes the picture's channel,
// waits for the program to set its memory budget, converts, and ends.
[[noreturn]] void convertInProcessOfItsOwn(int handOver, int parent)
{
    // Before anything of the picture is read: gone with the template, the
    // template's channel (and with it every later picture) closed, no
    // process of its own to start, no signal or limit for any process but
    // itself, and libvips' idle threads back.
    const pid_t templatePid = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != templatePid)
        ::_exit(EXIT_FAILURE);
    ::close(kChannel);
    const char *problem = !confinePictureProcess() ? "its filter could not be loaded"
                          : !restartIdleThreads()  ? "libvips' threads could not be started"
                                                   : nullptr;
    if (problem) {
        std::fprintf(stderr, "tarvel-worker: the picture's process ends: %s\n", problem);
        ::_exit(EXIT_FAILURE);
    }
    // Nothing handed over: the run is over.
    worker::Request request;
    int source = -1;
    int channel = -1;
    if (!receiveRequest(handOver, request, source, channel))
        ::_exit(EXIT_SUCCESS);
    ::close(handOver);
    g_replies = channel;
    // The program learns this process's id from the greeting, holds it to
    // the picture's budget, and says go.
    const worker::Hello hello;
    char go = 0;
    if (!worker::sendAll(channel, &hello, sizeof hello)
        || platform::retryOnEintr([&] { return ::recv(channel, &go, 1, MSG_WAITALL); }) != 1 || go != worker::kGo)
        ::_exit(EXIT_FAILURE);
#ifdef TARVEL_HOSTILE_WORKER
    // The tests' build only: a compromised decoder, tried from inside.
    if (hostile::isHostile(source))
        ::_exit(hostile::attackFromInside(channel, source, parent));
#else
    (void)parent;
#endif
    g_converting = true;
    convert(request, source, [](const Result<QByteArray> &result) {
        return result ? sendReply(ConversionStatus::Converted, *result, {})
                      : sendReply(result.failure().status, {}, result.failure().detail.toUtf8());
    });
    ::_exit(EXIT_SUCCESS);
}

// The next picture's process, forked before its request comes, and the
// template's end of the socket the request is handed over on.
struct Spare {
    pid_t pid = -1;
    int handOver = -1;
};

Spare forkSpare(int parent)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pair[0]);
        convertInProcessOfItsOwn(pair[1], parent);
    }
    ::close(pair[1]);
    if (child < 0) {
        ::close(pair[0]);
        return {};
    }
    return {child, pair[0]};
}

// Its wait status once it has gone; a spare that was handed nothing goes
// when its socket closes.
int endSpare(Spare &spare)
{
    if (spare.handOver >= 0)
        ::close(spare.handOver);
    int status = worker::kNotStarted;
    if (spare.pid > 0)
        while (::waitpid(spare.pid, &status, 0) < 0 && errno == EINTR) { }
    spare = {};
    return status;
}

// The request and its two descriptors, in one message.
bool handOver(const Spare &spare, const worker::Request &request, int source, int channel)
{
    return spare.pid >= 0 && worker::sendRequest(spare.handOver, request, source, channel);
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

extern "C" {

// In place of glib's own, which do the starting (glibStart).
GThread *g_thread_try_new(const gchar *name, GThreadFunc function, gpointer data, GError **error)
{
    return startNotedThread(name, function, data, error);
}

GThread *g_thread_new(const gchar *name, GThreadFunc function, gpointer data)
{
    GError *error = nullptr;
    GThread *started = startNotedThread(name, function, data, &error);
    if (!started)
        g_error("creating thread '%s': %s", name ? name : "", error ? error->message : "");
    return started;
}

} // extern "C"

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
    // ImageMagick reads its thread limit once, when it starts in the
    // warm-up. Its OpenMP threads, unlike libvips', could not be started
    // anew in a picture's process, so it runs in the thread that calls it.
    ::setenv("MAGICK_THREAD_LIMIT", "1", 1);
    const std::string warmUp = warmUpEngine();
    ::unsetenv("MAGICK_THREAD_LIMIT");
    if (!warmUp.empty())
        std::fprintf(stderr, "tarvel-worker: the warm-up failed for: %s\n", warmUp.c_str());
    waitForIdleThreads();

    const SandboxReport sandbox = enterWorkerSandbox(ownNamespaces);
    if (!sandbox.confined) {
        std::fprintf(stderr, "tarvel-worker: no sandbox, no conversions: %s\n", sandbox.problem.c_str());
        return sandbox.namespacesFailed ? worker::kNoNamespacesStatus : worker::kSandboxFailedStatus;
    }

    worker::Hello hello;
    hello.landlockAbi = sandbox.landlockAbi;
    if (!worker::sendAll(kChannel, &hello, sizeof hello))
        return EXIT_FAILURE;
    // The template: from here on it reads no picture. Each picture gets a
    // process of its own, forked from this one, which has seen no other
    // picture and ends with it; whatever a picture does there, no later
    // picture is within its reach.
    // What the warm-up freed goes back to the system: every fork copies the
    // page tables of what the template holds.
    ::malloc_trim(0);
    // Each picture's process is forked while the one before converts.
    Spare spare = forkSpare(parent);
    worker::Request request;
    int source = -1;
    int channel = -1;
    while (receiveRequest(kChannel, request, source, channel)) {
        // A spare that has gone (it could not load its filter) is replaced
        // once.
        if (!handOver(spare, request, source, channel)) {
            endSpare(spare);
            spare = forkSpare(parent);
            if (!handOver(spare, request, source, channel))
                endSpare(spare);
        }
        // Before the next fork: no later process holds this picture, nor
        // the socket it was handed over on.
        ::close(source);
        ::close(channel);
        Spare current = spare;
        if (current.handOver >= 0) {
            ::close(current.handOver);
            current.handOver = -1;
        }
        spare = forkSpare(parent);
        // Told once the picture's process has gone, whatever became of it:
        // the program hands over no other picture before.
        worker::PictureEnded ended;
        ended.waitStatus = endSpare(current);
        if (!worker::sendAll(kChannel, &ended, sizeof ended))
            break;
    }
    endSpare(spare);
    return EXIT_SUCCESS;
}
