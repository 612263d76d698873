// Developer demo of the custom controls, for looking at them on a real display:
// progress bars in every mode, button faces with and without pictures, and
// text fields with the coloured outline. Not part of the program.
//   controls_demo [--hover] [--quit-after MS]
// --hover moves the pointer onto the wide live button once the window is up.
#include "controls/button_face.h"
#include "controls/ph_button.h"
#include "controls/set_ctrl_color.h"
#include "controls/stored_colour.h"
#include "controls/xp_progress_bar.h"

#include <QApplication>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

using namespace controls;

namespace {

// The demo draws its pictures with the pixels of a HiDPI screen too.
qreal screenRatio() { return qApp->devicePixelRatio(); }

// A face picture like the ones the program's buttons carry: a rounded, shaded
// plate with a darker rim.
QImage facePicture(QSize size, QColor top, QColor bottom, QColor rim)
{
    QImage image(size * screenRatio(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(screenRatio());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    painter.setPen(rim);
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
    return image;
}

void givePictures(PhButton *button, QSize size)
{
    button->setPicture(facePicture(size, QColor(250, 250, 250), QColor(214, 222, 236), QColor(0, 60, 116)));
    button->setPictureMouseOn(facePicture(size, QColor(255, 247, 220), QColor(250, 200, 110), QColor(0, 60, 116)));
    button->setPictureDown(facePicture(size, QColor(200, 210, 226), QColor(236, 240, 246), QColor(0, 40, 90)));
}

QLabel *faceLabel(ButtonFace face, const ButtonLook &look, QSize size)
{
    platform::Surface surface(size.width(), size.height(), screenRatio());
    surface.FillRect(surface.bounds(), look.BackColor);
    paintButtonFace(surface, face, look);
    auto *label = new QLabel;
    label->setPixmap(QPixmap::fromImage(surface.image()));
    return label;
}

QGroupBox *progressBars()
{
    auto *box = new QGroupBox(QStringLiteral("XP_ProgressBar"));
    auto *grid = new QGridLayout(box);
    auto addBar = [grid](int row, const QString &what, XP_ProgressBar *bar) {
        grid->addWidget(new QLabel(what), row, 0);
        grid->addWidget(bar, row, 1);
    };

    // The main window's bar: stored with Scrolling 1 and its own colour.
    platform::PropertyBag stored;
    stored.write(QStringLiteral("Color"), storedColour(platform::rgbValue(49, 106, 197)),
                 storedColour(platform::kSysHighlight));
    stored.write(QStringLiteral("Scrolling"), 1, 0);
    auto *continuous = new XP_ProgressBar;
    continuous->setFixedSize(300, 20);
    continuous->readProperties(stored);
    continuous->setValue(33);
    addBar(0, QStringLiteral("continuous, 33"), continuous);

    auto *blocks = new XP_ProgressBar;
    blocks->setFixedSize(300, 20);
    blocks->setValue(62);
    blocks->setShowText(true);
    addBar(1, QStringLiteral("blocks, 62, text"), blocks);

    auto *searching = new XP_ProgressBar;
    searching->setFixedSize(300, 20);
    searching->readProperties(stored);
    searching->setScrolling(kScrollingSearching);
    searching->setShowText(true);
    searching->setValue(40);
    addBar(2, QStringLiteral("searching"), searching);

    auto *vertical = new QHBoxLayout;
    for (int mode : {kScrollingBlocks, kScrollingContinuous, kScrollingSearching}) {
        auto *bar = new XP_ProgressBar;
        bar->setFixedSize(20, 100);
        bar->setOrientation(1);
        bar->setScrolling(mode);
        bar->setValue(50);
        vertical->addWidget(bar);
    }
    vertical->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("vertical, 50")), 3, 0);
    grid->addLayout(vertical, 3, 1);
    return box;
}

QGroupBox *buttons(PhButton **wideButton)
{
    auto *box = new QGroupBox(QStringLiteral("PhButton"));
    auto *grid = new QGridLayout(box);

    ButtonLook bevel;
    bevel.Caption = QStringLiteral(u"浏览");
    bevel.Font = QApplication::font();
    ButtonLook pictured = bevel;
    pictured.Caption = QStringLiteral(u"选择文件夹");
    pictured.Picture = facePicture({71, 25}, QColor(250, 250, 250), QColor(214, 222, 236), QColor(0, 60, 116));
    pictured.PictureMouseOn = facePicture({71, 25}, QColor(255, 247, 220), QColor(250, 200, 110), QColor(0, 60, 116));
    pictured.PictureDown = facePicture({71, 25}, QColor(200, 210, 226), QColor(236, 240, 246), QColor(0, 40, 90));

    int column = 1;
    for (const char *title : {"normal", "hover", "pressed"})
        grid->addWidget(new QLabel(QString::fromLatin1(title)), 0, column++);
    const ButtonFace faces[] = {ButtonFace::Normal, ButtonFace::Hover, ButtonFace::Pressed};
    grid->addWidget(new QLabel(QStringLiteral("bevel")), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("pictures")), 2, 0);
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(faceLabel(faces[i], bevel, {71, 25}), 1, i + 1);
        grid->addWidget(faceLabel(faces[i], pictured, {90, 25}), 2, i + 1);
    }

    // Live buttons to try with the mouse; the wide one stretches a 71-pixel
    // picture, keeping its 6-pixel ends.
    auto *live = new QHBoxLayout;
    auto *plain = new PhButton;
    plain->setFixedSize(71, 25);
    plain->setCaption(QStringLiteral(u"浏览"));
    auto *wide = new PhButton;
    wide->setFixedSize(300, 25);
    givePictures(wide, {71, 25});
    wide->setCaption(QStringLiteral(u"开始转换"));
    *wideButton = wide;
    auto *clicks = new QLabel(QStringLiteral("clicks: 0"));
    auto count = std::make_shared<int>(0);
    for (PhButton *b : {plain, wide})
        QObject::connect(b, &PhButton::Click, clicks,
                         [clicks, count] { clicks->setText(QStringLiteral("clicks: %1").arg(++*count)); });
    live->addWidget(plain);
    live->addWidget(wide);
    live->addWidget(clicks);
    live->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("live")), 3, 0);
    grid->addLayout(live, 3, 1, 1, 3);
    return box;
}

QGroupBox *fields()
{
    auto *box = new QGroupBox(QStringLiteral("HookBorderColor"));
    auto *row = new QHBoxLayout(box);
    auto *plain = new QLineEdit(QStringLiteral("not hooked"));
    row->addWidget(plain);
    for (const QString &text : {QStringLiteral("1024"), QString(), QStringLiteral(u"/home/用户/图片")}) {
        auto *field = new QLineEdit(text);
        field->setFixedWidth(120);
        HookBorderColor(field, platform::rgbValue(127, 157, 185));
        row->addWidget(field);
    }
    return box;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("controls demo"));
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(progressBars());
    PhButton *wide = nullptr;
    layout->addWidget(buttons(&wide));
    layout->addWidget(fields());
    window.show();

    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--hover")))
        QTimer::singleShot(700, wide, [wide] { QCursor::setPos(wide->mapToGlobal(QPoint(150, 12))); });
    const qsizetype quit = args.indexOf(QStringLiteral("--quit-after"));
    if (quit >= 0 && quit + 1 < args.size())
        QTimer::singleShot(args[quit + 1].toInt(), &app, &QApplication::quit);
    return app.exec();
}
