#include "client/conversion_worker.h"

#include "probe/output_check.h"
#include "protocol/worker_guard.h"
#include "client/worker_launch.h"
#include "protocol/worker_protocol.h"
#include "platform/retry_on_eintr.h"
#include "platform/text_lines.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace imaging {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStartupTime = std::chrono::seconds(10);
constexpr auto kExitGrace = std::chrono::seconds(2);

// How often a wait looks at the kill switch: a stop feels immediate.
constexpr int kAbandonCheckMs = 50;

// What is kept of a worker's message: enough for any decoder's words, little
// enough that thousands of failed pictures cost the program little.
constexpr qsizetype kKeptDetailCharacters = 1000;

enum class Io { Done, Closed, TimedOut, Abandoned };

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 60 * 60 * 1000));
}

// `sender`, when given, gets the process id of who sent the first bytes.
Io receiveExact(int fd, void *data, std::size_t size, Clock::time_point deadline, const std::atomic<bool> *abandon,
                pid_t *sender = nullptr)
{
    auto *p = static_cast<char *>(data);
    while (size > 0) {
        if (abandon && abandon->load())
            return Io::Abandoned;
        pollfd waiting{fd, POLLIN, 0};
        const int ready = platform::retryOnEintr([&] {
            const int wait = millisecondsUntil(deadline);
            return ::poll(&waiting, 1, abandon ? std::min(wait, kAbandonCheckMs) : wait);
        });
        if (ready == 0 && abandon && Clock::now() < deadline)
            continue;
        if (ready == 0)
            return Io::TimedOut;
        if (ready < 0)
            return Io::Closed;
        // Another wait when what poll() saw is no longer there to read.
        const ssize_t n = platform::retryOnEintr(
            [&] { return sender ? receiveWithSender(fd, p, size, *sender) : ::recv(fd, p, size, MSG_DONTWAIT); });
        if (n < 0 && errno == EAGAIN)
            continue;
        if (n <= 0)
            return Io::Closed;
        p += n;
        size -= std::size_t(n);
    }
    return Io::Done;
}

// A descriptor closed when it goes out of scope.
struct OwnedDescriptor {
    int fd = -1;
    ~OwnedDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// How many processes the kernel's out-of-memory killer has ended since boot,
// or -1 when the system does not say.
long long oomKillCount()
{
    QFile vmstat(QStringLiteral("/proc/vmstat"));
    if (!vmstat.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : vmstat.readAll().split('\n')) {
        if (line.startsWith("oom_kill "))
            return line.mid(9).trimmed().toLongLong();
    }
    return -1;
}

// The address space a process holds, from /proc/PID/statm; nothing when the
// system does not say.
std::optional<std::uint64_t> addressSpaceOf(pid_t pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const std::uint64_t pages = statm.readLine(64).split(' ').value(0).toULongLong(&ok);
    if (!ok)
        return std::nullopt;
    return pages * std::uint64_t(::sysconf(_SC_PAGESIZE));
}

// What became of the limit a picture was to get.
enum class Limit { Set, TooLow, Failed };

// Holds an idle worker to what it holds now plus `picture` bytes of address
// space, at most `ceiling`: its soft and hard RLIMIT_AS alike, so that
// nothing that runs in it can raise it again. What it kept from earlier
// pictures does not count against this one, so a picture converts in a reused
// worker as in a new one. A hard limit only goes down: TooLow when this
// worker was held to less than the picture needs now.
Limit limitAddressSpace(pid_t pid, std::uint64_t picture, std::uint64_t ceiling)
{
    rlimit limit{};
    if (::prlimit(pid, RLIMIT_AS, nullptr, &limit) != 0)
        return Limit::Failed;
    const std::optional<std::uint64_t> held = addressSpaceOf(pid);
    std::uint64_t wanted = ceiling;
    if (held && *held <= std::numeric_limits<std::uint64_t>::max() - picture)
        wanted = std::min(wanted, *held + picture);
    if (wanted > std::uint64_t(limit.rlim_max))
        return Limit::TooLow;
    limit.rlim_cur = limit.rlim_max = rlim_t(wanted);
    return ::prlimit(pid, RLIMIT_AS, &limit, nullptr) == 0 ? Limit::Set : Limit::Failed;
}

// Memory lent from a share for as long as a picture is under way.
struct MemoryLoan {
    MemoryShare &share;
    std::uint64_t bytes;
    ~MemoryLoan() { share.giveBack(bytes); }
};

} // namespace

QString workerExecutable()
{
    const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    const QString folder = program.left(program.lastIndexOf(u'/'));
    for (const QString &candidate :
         {folder + QStringLiteral("/tarvel-worker"), folder + QStringLiteral("/../libexec/tarvel/tarvel-worker")}) {
        if (::access(QFile::encodeName(candidate).constData(), X_OK) == 0)
            return candidate;
    }
    return QString();
}

ConversionWorker::ConversionWorker(WorkerSettings settings) : m_settings(std::move(settings))
{
    if (m_settings.budget.memoryBytes == 0)
        m_settings.budget.memoryBytes = machineMemoryShare();
}

ConversionWorker::~ConversionWorker() { end(false); }

bool ConversionWorker::start(QString &problem)
{
    const QString executable = m_settings.executable.isEmpty() ? workerExecutable() : m_settings.executable;
    if (executable.isEmpty()) {
        problem = QStringLiteral("tarvel-worker was not found beside the program");
        return false;
    }
    const QByteArray path = QFile::encodeName(executable);
    if (::access(path.constData(), X_OK) != 0) {
        problem = QStringLiteral("%1: %2").arg(executable, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The guard (worker_guard.h) is the process started; the worker is its child.
    const QString installed = workerExecutable();
    const QByteArray guardPath
        = QFile::encodeName(installed.left(installed.lastIndexOf(u'/') + 1) + QLatin1String(guard::kProgramName));
    if (installed.isEmpty() || ::access(guardPath.constData(), X_OK) != 0) {
        problem = QStringLiteral("%1 was not found beside tarvel-worker").arg(QLatin1String(guard::kProgramName));
        return false;
    }
    const QByteArray parent = QByteArray::number(::getpid());
    const QByteArray threads = QByteArray::number(std::max(1, m_settings.threadsPerPicture));
    const char *argv[] = {guardPath.constData(), path.constData(),    "--parent", parent.constData(),
                          "--threads",           threads.constData(), nullptr};
    // In namespaces of its own first; once the kernel refuses them, without.
    for (;;) {
        const bool namespaces = workerNamespacesWanted();
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            problem = QStringLiteral("socketpair: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        // The worker's standard error: a pipe that never blocks it, read
        // when it has ended.
        int errors[2];
        if (::pipe2(errors, O_CLOEXEC | O_NONBLOCK) != 0) {
            ::close(ends[0]);
            ::close(ends[1]);
            problem = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        // The Hello comes with its sender's process id.
        const int passCredentials = 1;
        ::setsockopt(ends[0], SOL_SOCKET, SO_PASSCRED, &passCredentials, sizeof passCredentials);
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        const LaunchedWorker launched
            = launchWorker(guardPath.constData(), argv, {ends[1], errors[1], devNull}, namespaces);
        ::close(ends[1]);
        ::close(errors[1]);
        if (devNull >= 0)
            ::close(devNull);
        if (launched.pid < 0) {
            ::close(ends[0]);
            ::close(errors[0]);
            if (launched.namespacesRefused) {
                refuseWorkerNamespaces();
                continue;
            }
            problem = QStringLiteral("%1: %2").arg(QString::fromLocal8Bit(guardPath),
                                                   QString::fromLocal8Bit(std::strerror(launched.error)));
            return false;
        }
        m_guardPid = launched.pid;
        m_channel = ends[0];
        m_errors = errors[0];
        worker::Hello hello{};
        pid_t sender = -1;
        const Io io
            = receiveExact(m_channel, &hello, sizeof hello, Clock::now() + kStartupTime, m_settings.abandon, &sender);
        if (io == Io::Closed) {
            const Ending ending = end(false);
            if (namespaces && ending.exitStatus == worker::kNoNamespacesStatus) {
                refuseWorkerNamespaces();
                continue;
            }
            problem = ending.exitStatus == worker::kSandboxFailedStatus
                          ? QStringLiteral("the worker could not shut itself in its sandbox: %1").arg(ending.detail)
                          : ending.detail;
            return false;
        }
        if (io != Io::Done || hello.magic != worker::kHelloMagic || sender <= 0) {
            end(true);
            problem = QStringLiteral("the worker did not start");
            return false;
        }
        m_pid = sender;
        const int passCredentialsNoMore = 0;
        ::setsockopt(m_channel, SOL_SOCKET, SO_PASSCRED, &passCredentialsNoMore, sizeof passCredentialsNoMore);
        // The kernel holds the worker to its memory budget. It reads no
        // picture before its first request, which comes after this. A
        // program started under a limit of its own (ulimit -v) cannot give
        // more than it has: the worker inherited the program's hard limit.
        rlimit limit{};
        m_addressCeiling = m_settings.budget.memoryBytes;
        if (::prlimit(m_pid, RLIMIT_AS, nullptr, &limit) == 0)
            m_addressCeiling = std::min<std::uint64_t>(m_settings.budget.memoryBytes, limit.rlim_max);
        limit.rlim_cur = limit.rlim_max = rlim_t(m_addressCeiling);
        if (::prlimit(m_pid, RLIMIT_AS, &limit, nullptr) != 0) {
            end(true);
            problem = QStringLiteral("the worker's memory budget could not be set");
            return false;
        }
        m_landlockAbi = hello.landlockAbi;
        if (m_landlockAbi == 0)
            warnOnceWithoutLandlock();
        if (!namespaces)
            warnOnceWithoutNamespaces();
        return true;
    }
}

namespace {

// What the request carries besides the sizes: how exact sizes are placed,
// their pad colour, the DPI tag, the file-size range.
void setOutputSettings(worker::Request &request, const WorkerTask &task)
{
    for (std::size_t i = 0; i < std::min<std::size_t>(task.exact.size(), worker::kMostSizes); ++i) {
        const ExactGeometry &geometry = task.exact[i];
        request.placements[i] = {geometry.scaled.Width, geometry.scaled.Height, geometry.kept.x,
                                 geometry.kept.y,       geometry.kept.width,    geometry.kept.height,
                                 geometry.atX,          geometry.atY};
    }
    request.padColour = task.padColour;
    request.dpi = std::uint32_t(std::max(task.dpi, 0));
    request.floorBytes = task.fileSize.floor;
    request.ceilingBytes = task.fileSize.ceiling;
}

} // namespace

Result<QByteArray> ConversionWorker::convert(int source, const WorkerTask &task)
{
    WorkerTask one = task;
    one.moreSizes.clear();
    return convertAll(source, one).front();
}

std::vector<Result<QByteArray>> ConversionWorker::convertAll(int source, const WorkerTask &task)
{
    std::vector<PictureSize> sizes{{task.width, task.height}};
    sizes.insert(sizes.end(), task.moreSizes.begin(), task.moreSizes.end());
    // Every size left without an answer gets the one that ended the request.
    std::vector<Result<QByteArray>> results;
    auto allEnd = [&](const Result<QByteArray> &ending) {
        while (results.size() < sizes.size())
            results.push_back(ending.failure());
        return std::move(results);
    };
    if (sizes.size() > worker::kMostSizes)
        return allEnd({ConversionStatus::UnsupportedTarget, QStringLiteral("more sizes than one request carries")});
    if (m_pid >= 0 && workerHasGone())
        end(true);
    if (abandoned())
        return allEnd({ConversionStatus::Stopped, QStringLiteral("stopped before it was handed over")});
    QString problem;
    if (m_pid < 0 && !start(problem)) {
        if (abandoned())
            return allEnd({ConversionStatus::Stopped, QStringLiteral("stopped while the worker started")});
        return allEnd({ConversionStatus::WorkerUnavailable, problem});
    }

    // The picture's memory, lent from the share before the worker may use it:
    // its outputs too, and the decode held for them when there are several.
    std::uint64_t outputPixels = 0;
    for (const PictureSize &size : sizes)
        outputPixels += std::uint64_t(std::max(size.Width, 0)) * std::uint64_t(std::max(size.Height, 0));
    MemoryShare &share = m_settings.memoryShare ? *m_settings.memoryShare : MemoryShare::processShare();
    const std::uint64_t memory
        = std::min(m_settings.budget.memoryFor(task.declaredPixels, task.sourceBytes, m_settings.threadsPerPicture,
                                               outputPixels, sizes.size() > 1),
                   share.capacity());
    if (!share.take(memory, m_settings.abandon))
        return allEnd({ConversionStatus::Stopped, QStringLiteral("stopped while the picture waited for memory")});
    const MemoryLoan loan{share, memory};

    worker::Request request;
    request.width = task.width;
    request.height = task.height;
    request.format = std::uint32_t(task.format);
    request.background = task.background;
    request.flags = task.tgaName ? std::uint32_t(worker::kNameSaysTga) : 0u;
    request.orientation = std::uint32_t(task.orientation);
    request.quality = std::uint32_t(std::clamp(task.quality, kOwnQuality, 100));
    request.moreSizes = std::uint32_t(task.moreSizes.size());
    for (std::size_t i = 0; i < task.moreSizes.size(); ++i) {
        request.more[i][0] = task.moreSizes[i].Width;
        request.more[i][1] = task.moreSizes[i].Height;
    }
    setOutputSettings(request, task);
    // The picture's own channel: only the process made for it holds the
    // other end, and it has no way to any other picture's.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return allEnd({ConversionStatus::WorkerUnavailable,
                       QStringLiteral("socketpair: %1").arg(QString::fromLocal8Bit(std::strerror(errno)))});
    const OwnedDescriptor picture{ends[0]};
    const int passCredentials = 1;
    ::setsockopt(picture.fd, SOL_SOCKET, SO_PASSCRED, &passCredentials, sizeof passCredentials);
    const long long oomKillsBefore = oomKillCount();
    const bool sent = worker::sendRequest(m_channel, request, source, ends[1]);
    ::close(ends[1]);
    if (!sent)
        return allEnd({ConversionStatus::Crashed, end(false).detail});

    // A decode for every size at most, and every output's pixels.
    std::int64_t decoded = 0;
    if (__builtin_mul_overflow(task.declaredPixels, std::int64_t(sizes.size()), &decoded))
        decoded = std::numeric_limits<std::int64_t>::max();
    const auto allowed = m_settings.budget.timeFor(decoded, outputPixels);
    // Whatever ends the conversation early says what became of the picture's process.
    auto ended = [&](Io io) -> Result<QByteArray> {
        if (io == Io::Abandoned) {
            end(true);
            return {ConversionStatus::Stopped, QStringLiteral("the worker was ended when the run was stopped")};
        }
        if (io == Io::TimedOut) {
            end(true);
            return {ConversionStatus::TimedOut, QStringLiteral("no answer within %1 s").arg(allowed.count() / 1000.0)};
        }
        const Ending ending = pictureEnding();
        // A SIGKILL that did not come from here came from the kernel's
        // out-of-memory killer when its count went up meanwhile.
        const bool oomKilled = ending.signal == SIGKILL && oomKillsBefore >= 0 && oomKillCount() > oomKillsBefore;
        return {oomKilled ? ConversionStatus::OutOfMemory : ConversionStatus::Crashed, ending.detail};
    };
    // Bytes that are not the picture asked for end the worker that sent them.
    auto invalid = [&](const QString &defect) -> Result<QByteArray> {
        end(true);
        return {ConversionStatus::InvalidReply, defect};
    };

    // The picture's process greets; its greeting tells its process id. It
    // reads nothing of the picture before it is held to the picture's budget
    // (its soft and hard limit alike) and told to go.
    worker::Hello hello{};
    pid_t converter = -1;
    if (const Io io = receiveExact(picture.fd, &hello, sizeof hello, Clock::now() + kStartupTime,
                                   m_settings.abandon, &converter);
        io != Io::Done)
        return allEnd(ended(io));
    if (hello.magic != worker::kHelloMagic || converter <= 0) {
        end(true);
        return allEnd({ConversionStatus::Crashed, QStringLiteral("the worker's answer made no sense")});
    }
    if (limitAddressSpace(converter, memory, m_addressCeiling) != Limit::Set) {
        end(true);
        return allEnd(
            {ConversionStatus::WorkerUnavailable, QStringLiteral("the picture's memory budget could not be set")});
    }
    if (m_settings.pictureSent)
        m_settings.pictureSent(converter);
    if (!worker::sendAll(picture.fd, &worker::kGo, 1))
        return allEnd(ended(Io::Closed));

    const Clock::time_point deadline = Clock::now() + allowed;
    for (const PictureSize &size : sizes) {
        worker::Reply reply{};
        if (const Io io = receiveExact(picture.fd, &reply, sizeof reply, deadline, m_settings.abandon);
            io != Io::Done)
            return allEnd(ended(io));
        const std::optional<ConversionStatus> status = worker::replyStatus(reply.status);
        const bool converted = status == ConversionStatus::Converted;
        if (reply.magic != worker::kReplyMagic || !status || reply.byteCount > worker::kMaxOutputBytes
            || reply.detailLength > worker::kMaxDetailBytes) {
            end(true);
            return allEnd({ConversionStatus::Crashed, QStringLiteral("the worker's answer made no sense")});
        }
        // Refused before a byte of it is read or room is made for it: a
        // failure carries no output, and an output no more bytes than a
        // picture of the size asked for can take.
        if (!converted && reply.byteCount != 0)
            return allEnd(invalid(QStringLiteral("a failure that says %1 bytes follow").arg(reply.byteCount)));
        const std::uint64_t largest = largestOutputBytes(task.format, size.Width, size.Height);
        if (converted && reply.byteCount > largest)
            return allEnd(invalid(QStringLiteral("%1 bytes, more than a picture of %2 x %3 can take")
                                      .arg(reply.byteCount)
                                      .arg(size.Width)
                                      .arg(size.Height)));
        QByteArray bytes(qsizetype(reply.byteCount), Qt::Uninitialized);
        QByteArray detail(qsizetype(reply.detailLength), Qt::Uninitialized);
        for (QByteArray *part : {&bytes, &detail}) {
            const Io io
                = receiveExact(picture.fd, part->data(), std::size_t(part->size()), deadline, m_settings.abandon);
            if (io != Io::Done)
                return allEnd(ended(io));
        }
        if (!converted) {
            // The worker's words are shown and logged: nothing in them may drive a terminal.
            results.push_back(
                {*status, platform::printableText(QString::fromUtf8(detail)).left(kKeptDetailCharacters)});
        } else if (const QString defect = outputDefect(bytes, task.format, size.Width, size.Height);
                   !defect.isEmpty()) {
            return allEnd(invalid(defect));
        } else {
            results.push_back(std::move(bytes));
        }
        if (reply.flags & worker::kWorkerEnds) {
            // The sizes after it were never made: they fail as it did.
            const Result<QByteArray> rest = !results.back() ? Result<QByteArray>(results.back().failure())
                                                            : Result<QByteArray>(ConversionResult{
                                                                ConversionStatus::Crashed,
                                                                QStringLiteral("the worker ended before every size was made")});
            while (results.size() < sizes.size())
                results.push_back(rest.failure());
            break;
        }
    }
    // The next picture is handed over only once this one's process has gone;
    // one that stays on after its answers is ended, with its template.
    pictureEnding();
    return results;
}

ConversionWorker::Ending ConversionWorker::pictureEnding()
{
    worker::PictureEnded ended{};
    const Io io = receiveExact(m_channel, &ended, sizeof ended, Clock::now() + kExitGrace, nullptr);
    if (io == Io::Closed)
        return end(false);
    Ending ending;
    if (io != Io::Done || ended.magic != worker::kEndedMagic) {
        end(true);
        ending.detail = io == Io::Done ? QStringLiteral("the worker's answer made no sense")
                                       : QStringLiteral("the worker was ended: the picture's process stayed on");
        return ending;
    }
    const int status = ended.waitStatus;
    if (status == worker::kNotStarted) {
        ending.detail = QStringLiteral("the worker could not start a process for the picture");
    } else if (WIFSIGNALED(status)) {
        ending.signal = WTERMSIG(status);
        ending.detail = QStringLiteral("the worker was ended by signal %1 (%2)")
                            .arg(ending.signal)
                            .arg(QString::fromLocal8Bit(::strsignal(ending.signal)));
    } else {
        ending.exitStatus = WEXITSTATUS(status);
        ending.detail = QStringLiteral("the worker exited with status %1").arg(ending.exitStatus);
    }
    if (const QString said = workerErrorsSoFar(m_errors); !said.isEmpty())
        ending.detail += QStringLiteral(": ") + said;
    return ending;
}

bool ConversionWorker::workerHasGone() const
{
    // Between pictures the worker says nothing: anything readable, or a
    // hang-up, means it has ended.
    pollfd waiting{m_channel, POLLIN, 0};
    return ::poll(&waiting, 1, 0) != 0;
}

ConversionWorker::Ending ConversionWorker::end(bool kill)
{
    Ending ending;
    if (m_guardPid < 0)
        return ending;
    // With its channel closed, a worker between pictures ends by itself.
    if (m_channel >= 0) {
        ::close(m_channel);
        m_channel = -1;
    }
    // The guard's death takes the worker with it.
    if (kill)
        ::kill(m_guardPid, SIGKILL);
    int wstatus = 0;
    rusage usage{};
    const Clock::time_point deadline = Clock::now() + kExitGrace;
    auto reap = [&](int options) {
        return platform::retryOnEintr([&] { return ::wait4(m_guardPid, &wstatus, options, &usage); });
    };
    // Polled (WNOHANG gives 0 while it runs) until the grace time is over.
    pid_t waited;
    while ((waited = reap(WNOHANG)) == 0) {
        if (Clock::now() >= deadline) {
            // One that lingers (it closed the channel but goes on) is ended.
            ::kill(m_guardPid, SIGKILL);
            kill = true;
            waited = reap(0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_pid = -1;
    m_guardPid = -1;
    // The guard's usage counts the worker it collected: its peak is the worker's.
    if (waited > 0)
        m_endedPeakKb += usage.ru_maxrss;
    const QString said = takeWorkerErrors(m_errors);
    m_errors = -1;
    if (kill) {
        ending.detail = QStringLiteral("the worker was ended");
        return ending;
    }
    // The guard ends as the worker did; one killed itself ends by a signal.
    const bool signalled = WIFSIGNALED(wstatus);
    const int exitStatus = signalled ? -1 : WEXITSTATUS(wstatus);
    if (signalled || exitStatus > guard::kSignalExitBase) {
        ending.signal = signalled ? WTERMSIG(wstatus) : exitStatus - guard::kSignalExitBase;
        ending.detail = QStringLiteral("the worker was ended by signal %1 (%2)")
                            .arg(ending.signal)
                            .arg(QString::fromLocal8Bit(::strsignal(ending.signal)));
    } else {
        ending.exitStatus = exitStatus;
        ending.detail = QStringLiteral("the worker exited with status %1").arg(ending.exitStatus);
    }
    if (!said.isEmpty())
        ending.detail += QStringLiteral(": ") + said;
    return ending;
}

} // namespace imaging
