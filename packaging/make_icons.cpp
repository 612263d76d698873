// make_icons OUTPUT_DIR
// Writes the program's icon as OUTPUT_DIR/<id>.svg and as hicolor PNGs,
// OUTPUT_DIR/<size>x<size>/<id>.png, all from the emblem's one drawing.
#include "window/artwork.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString id = QStringLiteral(TARVEL_APP_ID);

    QSvgGenerator svg;
    svg.setFileName(out.filePath(id + QStringLiteral(".svg")));
    svg.setSize(QSize(window::kEmblemUnits, window::kEmblemUnits));
    svg.setViewBox(QRect(0, 0, window::kEmblemUnits, window::kEmblemUnits));
    svg.setTitle(QStringLiteral("Tarvel"));
    {
        QPainter painter(&svg);
        painter.setRenderHint(QPainter::Antialiasing);
        window::paintEmblem(painter);
    }
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1").arg(size);
        if (!out.mkpath(folder) || !window::emblemPicture(size).save(out.filePath(folder + u'/' + id + ".png"))) {
            std::fprintf(stderr, "make_icons: cannot write the %d px icon\n", size);
            return 1;
        }
    }
    return 0;
}
