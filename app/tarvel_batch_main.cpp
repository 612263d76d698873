// tarvel-batch: the batch conversion of the window, from a terminal.
#include "app/batch_tool.h"
#include "app/saved_limits.h"

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
    return app::runBatchTool(application.arguments().mid(1), stdout, stderr, isatty(fileno(stdout)),
                             app::savedLimitsPath(), &interrupted);
}
