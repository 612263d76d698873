// tarvel-batch: the batch conversion of the window, from a terminal.
#include "cli/batch_tool.h"
#include "platform/native_path.h"
#include "workflow/interface_language.h"
#include "workflow/saved_limits.h"

#include <QCoreApplication>
#include <QLocale>

#include <csignal>
#include <cstdio>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

cli::BatchInterrupts interrupts;

// The first Ctrl-C or SIGTERM lets the pictures under way finish, so no
// partial file stays behind; the second ends them at once. Workers ignore
// SIGINT: the whole process group gets it, and this process decides. A
// reader of the results that went away (`tarvel-batch … | head -1`) stops the
// run as the first Ctrl-C does; every later write to it raises SIGPIPE again,
// which must not count as a second signal.
void onInterrupt(int signal)
{
    // The signal is known before the stop is, for the exit status.
    int none = 0;
    interrupts.firstSignal.compare_exchange_strong(none, signal);
    if (interrupts.stop.exchange(true) && signal != SIGPIPE)
        interrupts.abandon = true;
}

void onResize(int) { interrupts.resized = true; }

void handle(int signal, void (*handler)(int))
{
    struct sigaction action { };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Reads and writes go on where a signal broke in.
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

int terminalWidth()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    handle(SIGINT, onInterrupt);
    handle(SIGTERM, onInterrupt);
    handle(SIGPIPE, onInterrupt);
    handle(SIGWINCH, onResize);

    // Chinese under a Chinese locale, English under any other, as the window.
    const workflow::InterfaceLanguage language(QLocale::system());

    // Folder names come as the bytes the shell passed, not as Qt decodes
    // them: a name that is not valid UTF-8 must still name its folder.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << platform::pathFromNative(argv[i]);
    const cli::BatchToolStreams streams{stdout, stderr, isatty(STDOUT_FILENO) == 1, isatty(STDERR_FILENO) == 1,
                                        terminalWidth};
    return cli::runBatchTool(arguments, streams, workflow::savedLimitsPath(), &interrupts);
}
