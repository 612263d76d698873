// The worker's cell, tried from the inside and looked at from the outside.
// tarvel-worker-hostile (hostile_worker.h) is the real worker with a decoder
// an attacker has taken over; worker_parent hands it a picture the way the
// program does, under a pseudo-terminal (script(1)) so that its standard
// streams are a terminal a worker could type into.
#include "client/conversion_worker.h"
#include "client/save_scaled_picture.h"

#include "support/temp_dir.h"
#include "imaging/test_pictures.h"
#include "worker/user_namespaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// What worker_parent wrote: "detail ...", "worker PID", "terminal T P",
// "group own|shared", "typed N".
struct Attempt {
    QString detail;
    pid_t worker = -1;
    QString terminal;
    QString group;
    int typed = -1;
};

Attempt readAttempt(const QString &path)
{
    Attempt attempt;
    for (const QString &line : QString::fromUtf8(readFile(path)).split(u'\n')) {
        const QString value = line.section(u' ', 1);
        if (line.startsWith(QLatin1String("detail ")))
            attempt.detail = value;
        else if (line.startsWith(QLatin1String("worker ")))
            attempt.worker = value.toInt();
        else if (line.startsWith(QLatin1String("terminal ")))
            attempt.terminal = value;
        else if (line.startsWith(QLatin1String("group ")))
            attempt.group = value;
        else if (line.startsWith(QLatin1String("typed ")))
            attempt.typed = value.toInt();
    }
    return attempt;
}

// A process that has gone, or is a zombie nobody collected yet.
bool processGone(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// What a descriptor link names, as the kernel wrote it ("socket:[N]").
QString linkText(const QString &path)
{
    char text[256];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), text, sizeof text);
    return n > 0 ? QString::fromLatin1(text, n) : QString();
}

pid_t parentOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ').value(1).toInt();
}

// The parameter: whether workers get namespaces of their own, or run as on
// a kernel that refuses them.
class HostileWorker : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        writeFile(dir.file("secret.txt"), "the user's secret");
        writeFile(dir.file("existing.txt"), "a file of the user's");
        QDir(dir.path()).mkdir(QStringLiteral("home"));
    }

    QByteArray targets(bool linger) const
    {
        QByteArray text = "#hostile\n";
        for (const QString &path :
             {QStringLiteral("/etc/shadow"), QStringLiteral("/etc/passwd"), QStringLiteral("/root"),
              QStringLiteral("/home"), QDir::homePath(), dir.path(), dir.file("secret.txt")})
            text += "read " + QFile::encodeName(path) + '\n';
        text += "create " + QFile::encodeName(dir.file("created.txt")) + '\n';
        text += "change " + QFile::encodeName(dir.file("existing.txt")) + '\n';
        text += "nice " + QByteArray::number(::getpriority(PRIO_PROCESS, 0)) + '\n';
        if (linger)
            text += "linger\n";
        return text;
    }

    // Starts worker_parent, under a pseudo-terminal when `terminal`.
    void start(QProcess &parent, bool linger, bool terminal)
    {
        writeFile(dir.file("targets.txt"), targets(linger));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!GetParam())
            environment.insert(QStringLiteral("TARVEL_WORKER_NAMESPACES"), QStringLiteral("off"));
        parent.setProcessEnvironment(environment);
        const QStringList command{QStringLiteral(WORKER_PARENT), QStringLiteral(HOSTILE_WORKER),
                                  dir.file("targets.txt"), dir.file("result.txt")};
        if (terminal)
            parent.start(QStringLiteral("script"),
                         {"-q", "-e", "-c", "'" + command.join(QStringLiteral("' '")) + "'", "/dev/null"});
        else
            parent.start(command[0], command.mid(1));
        ASSERT_TRUE(parent.waitForStarted());
    }

    // The attacks a worker cannot be kept from without a user namespace. An
    // ordinary user's: its bounding set and securebits need CAP_SETPCAP to
    // change. It has no capability to lose, and "no new privileges" keeps it
    // from gaining one. Root's: the kernel holds no task of root's to
    // RLIMIT_NPROC, and there is no PID namespace of the worker's own whose
    // process ids could run out.
    QString expectedEscapes() const
    {
        if (GetParam())
            return QStringLiteral("escaped: none");
        return ::geteuid() != 0 ? QStringLiteral("escaped: bounding-set@main securebits@main "
                                                 "bounding-set@libvips-thread securebits@libvips-thread")
                                : QStringLiteral("escaped: threads@main threads@libvips-thread");
    }

    TempDir dir;
};

} // namespace

TEST_P(HostileWorker, GetsNothingOutOfItsCell)
{
    QProcess parent;
    start(parent, false, true);
    ASSERT_TRUE(parent.waitForFinished(30'000));
    ASSERT_EQ(parent.exitCode(), 0) << parent.readAllStandardError().toStdString();
    const Attempt attempt = readAttempt(dir.file("result.txt"));
    // Every attack, from the main thread and from a libvips thread, failed.
    EXPECT_EQ(attempt.detail, expectedEscapes());
    // Nothing was typed into the terminal the program runs in; the worker has
    // no controlling terminal and is out of reach of what is typed there.
    EXPECT_EQ(attempt.typed, 0) << "worker_parent ran without a terminal";
    EXPECT_TRUE(attempt.terminal.startsWith(QLatin1String("0 ")) && !attempt.terminal.endsWith(QLatin1String(" 0")))
        << "the worker's controlling terminal, and the program's: " << attempt.terminal.toStdString();
    EXPECT_EQ(attempt.group, QStringLiteral("own"));
    EXPECT_FALSE(QFile::exists(dir.file("created.txt")));
    EXPECT_EQ(readFile(dir.file("existing.txt")), QByteArray("a file of the user's"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files),
              QStringList({"existing.txt", "result.txt", "result.txt.sent", "secret.txt", "targets.txt"}));
}

TEST_P(HostileWorker, DiesWithTheProgramWhateverItDoes)
{
    // The picture's process clears its parent-death signal (if it may) and
    // waits for the program to go; the program is killed while it waits
    // for the process to end.
    QProcess parent;
    start(parent, true, false);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    pid_t worker = -1;
    while (worker <= 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        worker = QString::fromUtf8(readFile(dir.file("result.txt.sent"))).toInt();
    }
    ASSERT_GT(worker, 0) << parent.readAllStandardError().toStdString();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Attempt attempt;
    attempt.worker = worker;
    const pid_t guard = parentOf(parentOf(attempt.worker));
    ASSERT_GT(guard, 0);
    ASSERT_FALSE(processGone(attempt.worker));
    parent.kill();
    ASSERT_TRUE(parent.waitForFinished(5000));
    const auto killed = std::chrono::steady_clock::now();
    while (!(processGone(attempt.worker) && processGone(guard))
           && std::chrono::steady_clock::now() - killed < std::chrono::seconds(1))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(processGone(attempt.worker)) << "the worker outlived the program by a second";
    EXPECT_TRUE(processGone(guard)) << "the guard outlived the program by a second";
}

TEST_P(HostileWorker, ReachesNoOtherPicture)
{
    // A picture that took its decoder over answers, then for a second takes
    // whatever request reaches it and answers with that picture's bytes. The
    // pictures after it are converted where it cannot reach them.
    if (!GetParam())
        qputenv("TARVEL_WORKER_NAMESPACES", "off");
    writeFile(dir.file("thief.txt"), "#hostile\nsteal\n");
    testpics::save(testpics::gradient(40, 30), dir.file("private.png"), ".png");
    writeFile(dir.file("private.png"), readFile(dir.file("private.png")) + "PRIVATE");
    imaging::WorkerSettings settings;
    settings.executable = QStringLiteral(HOSTILE_WORKER);
    std::vector<pid_t> processes;
    settings.pictureSent = [&](pid_t pid) { processes.push_back(pid); };
    imaging::ConversionWorker worker(settings);
    const imaging::ConversionResult thief
        = imaging::convertPicture(worker, dir.file("thief.txt"), dir.file("thief.png"), 20, 15, 0xFFFFFF);
    EXPECT_EQ(thief.status, imaging::ConversionStatus::Damaged) << thief.detail.toStdString();
    for (const QString name : {"one", "two"}) {
        const imaging::ConversionResult later
            = imaging::convertPicture(worker, dir.file("private.png"), dir.file(name + ".png"), 20, 15, 0xFFFFFF);
        EXPECT_EQ(later.status, imaging::ConversionStatus::Converted) << later.detail.toStdString();
        EXPECT_EQ(testpics::load(dir.file(name + ".png")).width(), 20);
    }
    // A process for each picture, each gone with its picture.
    ASSERT_EQ(processes.size(), 3u);
    EXPECT_NE(processes[0], processes[1]);
    EXPECT_NE(processes[1], processes[2]);
    for (const pid_t process : processes)
        EXPECT_TRUE(processGone(process)) << process;
    qunsetenv("TARVEL_WORKER_NAMESPACES");
}

INSTANTIATE_TEST_SUITE_P(WorkerSandbox, HostileWorker, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return info.param ? "InNamespacesOfItsOwn" : "WithoutNamespaces";
                         });

TEST(WorkerSandbox, AProgramUnderAnAddressSpaceLimitOfItsOwnStillConverts)
{
    // ulimit -v 8000000: the workers get no more address space than the
    // program has, rather than fail to start for asking more.
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("in.png"), ".png");
    const QString worker = QCoreApplication::applicationDirPath() + QStringLiteral("/tarvel-worker");
    QProcess parent;
    parent.start(QStringLiteral("prlimit"), {QStringLiteral("--as=8192000000"), QStringLiteral(WORKER_PARENT), worker,
                                             dir.file("in.png"), dir.file("result.txt")});
    ASSERT_TRUE(parent.waitForFinished(30'000));
    ASSERT_EQ(parent.exitCode(), 0) << parent.readAllStandardError().toStdString();
    EXPECT_EQ(readAttempt(dir.file("result.txt")).detail, QStringLiteral("converted"));
}

TEST(WorkerSandbox, TheRealWorkerRunsConfined)
{
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("in.png"), ".png");
    // Looked at from outside while it holds the picture: every thread.
    QStringList threads;
    QStringList descriptors;
    QStringList descriptorTargets;
    QString templateChannel;
    QByteArray environment;
    QStringList rootEntries{"not read"};
    QStringList namespaces;
    imaging::WorkerSettings settings;
    settings.pictureSent = [&](pid_t pid) {
        const QString process = QStringLiteral("/proc/%1").arg(pid);
        for (const QString &task : QDir(process + "/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile status(process + "/task/" + task + "/status");
            if (status.open(QIODevice::ReadOnly))
                threads << QString::fromLatin1(status.readAll());
        }
        descriptors = QDir(process + "/fd").entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &descriptor : descriptors)
            descriptorTargets << linkText(process + "/fd/" + descriptor);
        templateChannel = linkText(QStringLiteral("/proc/%1/fd/3").arg(parentOf(pid)));
        QFile environ(process + "/environ");
        if (environ.open(QIODevice::ReadOnly))
            environment = environ.readAll();
        rootEntries
            = QDir(process + "/root").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const char *kind : {"user", "pid", "mnt", "net", "ipc", "uts", "cgroup"}) {
            if (QFile::symLinkTarget(process + "/ns/" + kind)
                == QFile::symLinkTarget(QStringLiteral("/proc/self/ns/") + kind))
                namespaces << kind;
        }
    };
    imaging::ConversionWorker worker(settings);
    ASSERT_EQ(imaging::convertPicture(worker, dir.file("in.png"), dir.file("out.png"), 20, 15, 0xFFFFFF).status,
              imaging::ConversionStatus::Converted);
    // libvips' threads were started by the warm-up, before the sandbox.
    ASSERT_GT(threads.size(), 1);
    for (const QString &status : threads) {
        for (const char *field : {"CapInh", "CapPrm", "CapEff", "CapBnd", "CapAmb"})
            EXPECT_TRUE(status.contains(QStringLiteral("%1:\t0000000000000000").arg(field))) << status.toStdString();
        EXPECT_TRUE(status.contains("NoNewPrivs:\t1")) << status.toStdString();
        EXPECT_TRUE(status.contains("Seccomp:\t2")) << status.toStdString();
    }
    // The standard streams, the picture and its own channel; nothing else,
    // not the channel of the template it was forked from (its 3).
    EXPECT_EQ(descriptors, QStringList({"0", "1", "2", "3", "4"}));
    ASSERT_TRUE(templateChannel.startsWith(QLatin1String("socket:"))) << templateChannel.toStdString();
    EXPECT_FALSE(descriptorTargets.contains(templateChannel));
    EXPECT_EQ(environment, QByteArray("VIPS_DISC_THRESHOLD=1024g", 26));
    // Where the kernel makes them, namespaces of its own and an empty root.
    if (kernelMakesWorkerNamespaces()) {
        EXPECT_EQ(rootEntries, QStringList()) << "its root is not the empty one";
        EXPECT_EQ(namespaces, QStringList()) << "shared with the program";
    }
}
