#include "support/temp_dir.h"

#include <QDir>

TempDir::TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/tarvel-test-XXXXXX")) { }

QStringList TempDir::entries() const
{
    return QDir(m_dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
