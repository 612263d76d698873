// One running copy per user: a lock file in the user's runtime folder.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace platform {

class SingleInstance {
public:
    // Takes the lock named `name` in the runtime folder (or the temporary
    // folder when there is none). A lock left by a process that died is taken
    // over.
    explicit SingleInstance(const QString &name);
    // False when another running process holds the lock.
    bool isFirst() const { return m_first; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_first = false;
};

} // namespace platform
