// Whether the kernel lets this process make the namespaces a worker gets
// (a container's seccomp profile, or kernel.unprivileged_userns_clone=0, may
// refuse them). Asked of unshare(1), not of the code under test.
#pragma once

#include <QProcess>

inline bool kernelMakesWorkerNamespaces()
{
    QProcess unshare;
    unshare.start(QStringLiteral("unshare"), {"--user", "--map-root-user", "--pid", "--fork", "--mount", "--net",
                                              "--ipc", "--uts", "--cgroup", "true"});
    return unshare.waitForFinished(10'000) && unshare.exitStatus() == QProcess::NormalExit && unshare.exitCode() == 0;
}
