#include "batch_tool_run.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

ToolRun captured(const QStringList &arguments, const QString &settingsPath, bool terminal, int columns, std::FILE *in)
{
    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    ToolRun result;
    cli::BatchToolStreams streams{out, err, terminal, terminal, [columns] { return columns; }};
    if (in)
        streams.in = in;
    result.status = cli::runBatchTool(arguments, streams, settingsPath);
    for (auto [stream, text] : {std::pair{out, &result.out}, std::pair{err, &result.err}}) {
        std::rewind(stream);
        QByteArray bytes;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
            bytes.append(buffer, qsizetype(n));
        *text = QString::fromUtf8(bytes);
        std::fclose(stream);
    }
    return result;
}

} // namespace

ToolRun runTool(const QStringList &arguments, const QString &settingsPath, bool terminal, int columns)
{
    return captured(arguments, settingsPath, terminal, columns, nullptr);
}

ToolRun runWithInput(const QStringList &arguments, const QString &settingsPath, const QByteArray &input)
{
    std::FILE *in = std::tmpfile();
    std::fwrite(input.constData(), 1, std::size_t(input.size()), in);
    std::rewind(in);
    const ToolRun result = captured(arguments, settingsPath, false, 80, in);
    std::fclose(in);
    return result;
}

void makePicture(const QString &path, int w, int h, const char *format)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 90));
    ASSERT_TRUE(image.save(path, format));
}
