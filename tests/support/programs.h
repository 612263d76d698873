// Other programs run by tests, so that an output is checked independently of
// the program's own code.
#pragma once

#include <QString>
#include <QStringList>

// What `program` prints on standard output; the test fails when it cannot
// run or ends with a failure.
QString runProgram(const QString &program, const QStringList &arguments);

// What libvips makes of a file, asked of its own vipsheader: the loader and
// size, "pngload 100x67".
QString vipsSays(const QString &path);
