// sandbox_escape_probe FOLDER EXISTING_FILE
// Shuts itself in as tarvel-worker does, then attempts what a compromised
// decoder would. Prints the Landlock ABI it is confined by; the exit status has
// one bit set for each attempt that succeeded (0: nothing got out), or is 255
// when the sandbox could not be entered.
#include "imaging/worker_sandbox.h"

#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "sandbox_escapes.h"

int main(int argc, char **argv)
{
    if (argc != 3)
        return 255;
    const std::string folder = argv[1];
    const std::string existing = argv[2];
    const imaging::SandboxReport report = imaging::enterWorkerSandbox(false);
    if (!report.confined)
        return 255;
    std::printf("%d\n", report.landlockAbi);
    std::fflush(stdout);

    int escaped = 0;
    const std::string created = folder + "/created.txt";
    if (::open(created.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644) >= 0)
        escaped |= kCreateFile;
    if (::open(existing.c_str(), O_WRONLY | O_CLOEXEC) >= 0 || ::truncate(existing.c_str(), 0) == 0)
        escaped |= kWriteExisting;
    if (::unlink(existing.c_str()) == 0)
        escaped |= kDeleteFile;
    if (::socket(AF_INET, SOCK_STREAM, 0) >= 0)
        escaped |= kInternetSocket;
    if (::socket(AF_UNIX, SOCK_STREAM, 0) >= 0)
        escaped |= kLocalSocket;
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/true", "true", nullptr);
        ::_exit(127);
    }
    if (child > 0)
        escaped |= kStartProgram;
    if (::kill(::getppid(), 0) == 0)
        escaped |= kSignalParent;
    // Pictures come in as descriptors; a folder of them is not readable.
    if (::open(existing.c_str(), O_RDONLY | O_CLOEXEC) >= 0)
        escaped |= kReadUserFile;
    return escaped;
}
