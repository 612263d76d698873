// A fresh folder per test, removed afterwards.
#pragma once

#include <QString>
#include <QTemporaryDir>

#include "support/qt_printers.h"

class TempDir {
public:
    TempDir();
    QString path() const { return m_dir.path(); }
    // `name` inside the folder.
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Names of the folder's entries, hidden ones included, sorted.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
};
