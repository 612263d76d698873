// tarvel-batch: the batch conversion of the window, from a terminal.
#include "app/batch_tool.h"
#include "app/saved_limits.h"
#include "platform/native_path.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int)
{
    // Let the pictures under way finish, so no partial file stays behind.
    interrupted = true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    // Folder names come as the bytes the shell passed, not as Qt decodes
    // them: a name that is not valid UTF-8 must still name its folder.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << platform::pathFromNative(argv[i]);
    return app::runBatchTool(arguments, stdout, stderr, isatty(fileno(stdout)), app::savedLimitsPath(),
                             &interrupted);
}
