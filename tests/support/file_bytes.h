// Whole files read and written in one go. Paths reach the file system by their
// own bytes (platform::nativePath), so a test may name a file whose name is not
// UTF-8, as the program itself does.
#pragma once

#include <QByteArray>
#include <QString>

// The file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// Creates or replaces the file with `bytes`; a file that cannot be written
// whole fails the test.
void writeFile(const QString &path, const QByteArray &bytes);
