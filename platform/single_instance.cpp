#include "platform/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

SingleInstance::SingleInstance(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // A running holder never goes stale; only a dead one's lock is taken over.
    m_lock->setStaleLockTime(0);
    m_first = m_lock->tryLock(0);
}

} // namespace platform
