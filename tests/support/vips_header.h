// What libvips makes of a file, asked of its own command-line tool, so that
// a test checks an output independently of the program's probe.
#pragma once

#include <QString>

// The loader and size, "pngload 100x67"; what vipsheader printed otherwise.
QString vipsSays(const QString &path);
