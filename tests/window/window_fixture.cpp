#include "window_fixture.h"

#include "probe/read_picture_size.h"
#include "client/save_scaled_picture.h"

#include "platform/file_system.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

void WindowTest::SetUp()
{
    settings = dir.file("CULERT.txt");
    presets = dir.file("config/presets.json");
    windowSettings = dir.file("config/window.json");
}

Form &WindowTest::window()
{
    if (!form) {
        form = std::make_unique<window::frmMain>(window::FormServices{
            &notifier, &dialogs, settings, 2, worker, presets, windowSettings, [this](QWidget *) { return exportPath; }});
        controls = std::make_unique<Form>(*form);
    }
    return *controls;
}

void WindowTest::makePicture(const QString &path, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(220, 30, 30));
    for (int y = h / 2; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(30, 30, 220));
    const QString png = path + QStringLiteral(".source.png");
    ASSERT_TRUE(image.save(png, "PNG"));
    // The program's own encoder writes every format it reads, TGA included.
    ASSERT_TRUE(imaging::SaveScaledPicture(png, path, w, h, 0xFFFFFF)) << path.toStdString();
    QFile::remove(png);
}

QSize WindowTest::sizeOf(const QString &path)
{
    // The header probe, checked against libvips in its own tests, reads every
    // format the program writes.
    if (!platform::isRegularFile(path))
        return {};
    const imaging::PictureSize size = imaging::ReadPictureSize(path);
    return QSize(size.Width, size.Height);
}

void BatchWindow::SetUp()
{
    WindowTest::SetUp();
    QDir(dir.path()).mkdir("in");
    QDir(dir.path()).mkdir("out");
    source = dir.file("in");
    output = dir.file("out");
}

void BatchWindow::chooseFolders(Form &w)
{
    dialogs.folderAnswers = {source, output};
    w.cmdSelectFolder_Click();
    w.cmdSaveFolder_Click();
}

void BatchWindow::linkCopies(const QString &folder, int count)
{
    const QString first = folder + QStringLiteral("/p0000.png");
    makePicture(first, 40, 30);
    for (int i = 1; i < count; ++i) {
        const QString copy = folder + QStringLiteral("/p%1.png").arg(i, 4, 10, QLatin1Char('0'));
        ASSERT_EQ(::link(QFile::encodeName(first).constData(), QFile::encodeName(copy).constData()), 0);
    }
}
