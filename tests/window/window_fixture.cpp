#include "window_fixture.h"

#include "imaging/read_picture_size.h"
#include "imaging/save_scaled_picture.h"

#include "platform/file_system.h"
#include "platform/native_path.h"

#include <QFile>

#include <fcntl.h>

void WindowTest::SetUp() { settings = dir.file("CULERT.txt"); }

Form &WindowTest::window()
{
    if (!form) {
        form = std::make_unique<window::frmMain>(window::FormServices{&notifier, &dialogs, settings, 2, worker});
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

void WindowTest::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray WindowTest::readFile(const QString &path) const
{
    // By the path's own bytes: it may name a file whose name is not UTF-8.
    QFile file;
    const int fd = ::open(platform::nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray();
    return file.readAll();
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
