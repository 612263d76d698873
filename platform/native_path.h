// File names are bytes on Linux, and not every name is valid UTF-8: archives
// made on older Windows systems extract Chinese names in GBK bytes, say. Qt
// decodes such names with replacement characters, and the file can then no
// longer be opened by that name. The program keeps paths in QStrings that
// carry every byte: valid UTF-8 is decoded as usual, and each byte that is not
// part of a valid sequence becomes the lone surrogate U+DC80 + (byte - 0x80),
// which no decoded text can contain, so the bytes come back exactly.
//
// Such a path must reach the file system through nativePath() (or the
// platform's file functions, which use it), never through Qt's file classes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace platform {

// The path as the file system names it: the bytes it was made from.
QByteArray nativePath(const QString &path);

// A path (or name) of bytes from the file system or the command line.
QString pathFromNative(QByteArrayView bytes);

// The path for showing to a person: each byte that was not valid UTF-8 is
// shown as the replacement character U+FFFD.
QString displayPath(const QString &path);

} // namespace platform
