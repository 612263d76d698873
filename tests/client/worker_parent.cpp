// worker_parent WORKER PICTURE RESULT [TIMES]
// The program's side of a conversion, for the worker tests, in a process of
// its own: hands PICTURE to the worker executable WORKER through
// ConversionWorker, exactly as tarvel-batch hands over a picture, TIMES times
// (once by default, a new worker each time), with a secret in its own
// environment and (under script(1)) a terminal as its standard streams.
// Writes to RESULT, for each conversion:
//     detail <"converted", or the worker's answer>
//     worker <the worker's process id>
//     terminal <its controlling terminal, 0 for none> <this process's, for comparison>
//     group <"own" when it has a process group of its own, else "shared">
// and then
//     typed <characters that arrived on its terminal meanwhile, -1 without one>
// RESULT.sent gets the process id of the picture's process as soon as the
// picture is handed to it.
// With a line "linger" in PICTURE it then waits to be killed.
#include "client/conversion_worker.h"

#include <QFile>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 4 && argc != 5)
        return 2;
    const int times = argc == 5 ? std::atoi(argv[4]) : 1;
    ::setenv("TARVEL_TEST_SECRET", "the parent's own secret", 1);
    // Raw, so that anything typed into the terminal counts, line or not.
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios raw = saved;
        ::cfmakeraw(&raw);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    const int source = ::open(argv[2], O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return 2;
    imaging::WorkerSettings settings;
    settings.executable = QString::fromLocal8Bit(argv[1]);
    pid_t worker = -1;
    QByteArray seen;
    // From /proc/PID/stat: the process group (5th) and the terminal (7th).
    auto groupAndTerminal = [](pid_t pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        stat.open(QIODevice::ReadOnly);
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return std::pair(fields.value(2).toLong(), fields.value(4).toLong());
    };
    const QString sent = QString::fromLocal8Bit(argv[3]) + QStringLiteral(".sent");
    settings.pictureSent = [&](pid_t pid) {
        worker = pid;
        QFile told(sent);
        if (told.open(QIODevice::WriteOnly))
            told.write(QByteArray::number(pid));
        const auto [group, terminal] = groupAndTerminal(pid);
        const auto [ownGroup, ownTerminal] = groupAndTerminal(::getpid());
        seen = "terminal " + QByteArray::number(terminal) + ' ' + QByteArray::number(ownTerminal) + '\n' + "group "
               + (group == ownGroup ? "shared" : "own") + '\n';
    };
    imaging::ConversionWorker conversion(settings);
    imaging::WorkerTask task;
    task.width = 8;
    task.height = 8;
    QByteArray said;
    for (int i = 0; i < times; ++i) {
        const imaging::Result<QByteArray> result = conversion.convert(source, task);
        if (i + 1 < times)
            conversion.shutDown();
        said += "detail " + (result ? QByteArray("converted") : result.failure().detail.toUtf8()) + '\n';
        said += "worker " + QByteArray::number(worker) + '\n' + seen;
    }
    // Whatever was typed has arrived by now.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int typed = -1;
    if (terminal && ::ioctl(STDIN_FILENO, FIONREAD, &typed) != 0)
        typed = -1;
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    said += "typed " + QByteArray::number(typed) + '\n';
    FILE *out = std::fopen(argv[3], "w");
    if (!out)
        return 2;
    std::fwrite(said.constData(), 1, std::size_t(said.size()), out);
    std::fclose(out);
    const QByteArray targets = [&] {
        char text[4096];
        const ssize_t n = ::pread(source, text, sizeof text, 0);
        return QByteArray(text, n > 0 ? int(n) : 0);
    }();
    if (targets.contains("linger\n")) {
        for (;;)
            ::pause();
    }
    return 0;
}
