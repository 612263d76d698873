// Running tarvel-batch in the test process with its two streams captured.
#pragma once

#include "cli/batch_tool.h"
#include "support/file_bytes.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

// `terminal` pretends both streams are a terminal `columns` wide.
ToolRun runTool(const QStringList &arguments, const QString &settingsPath, bool terminal = false, int columns = 80);

// tarvel-batch with `input` as its standard input.
ToolRun runWithInput(const QStringList &arguments, const QString &settingsPath, const QByteArray &input);

// A gradient picture saved by Qt in `format`.
void makePicture(const QString &path, int w, int h, const char *format);
