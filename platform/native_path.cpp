#include "platform/native_path.h"

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // + the byte (0x80 to 0xFF)

// Whether the unit at `i` stands for a byte. A low surrogate right after a
// high one is the second half of a character outside the BMP instead.
bool isEscapeAt(const QString &path, qsizetype i)
{
    const char16_t unit = path.at(i).unicode();
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF && !(i > 0 && path.at(i - 1).isHighSurrogate());
}

// The length of the valid UTF-8 sequence at `p`, or 0 when the bytes there do
// not start one (overlong forms, surrogates and values past U+10FFFF count as
// invalid, as they do for the decoder of any conforming reader).
int validSequenceLength(const unsigned char *p, qsizetype left)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace

QString pathFromNative(QByteArrayView bytes)
{
    QString path;
    path.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int length = validSequenceLength(p + i, bytes.size() - i);
        if (length == 0) {
            path += QChar(char16_t(kEscapeBase + p[i]));
            ++i;
            continue;
        }
        path += QString::fromUtf8(bytes.sliced(i, length));
        i += length;
    }
    return path;
}

QByteArray nativePath(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        if (end > runStart)
            bytes += QStringView(path).sliced(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscapeAt(path, i))
            continue;
        flushRun(i);
        bytes += char(path.at(i).unicode() - kEscapeBase);
        runStart = i + 1;
    }
    flushRun(path.size());
    return bytes;
}

QString displayPath(const QString &path)
{
    QString shown = path;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (isEscapeAt(path, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

} // namespace platform
