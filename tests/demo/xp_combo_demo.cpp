// Developer demo, not part of the program: the combo box open, closed and
// disabled, and the four size-limit fields, for looking at them on a real
// display. Usage: xp_combo_demo [--quit-after MILLISECONDS]
#include "controls/xp_combo.h"
#include "controls/xp_combo_images.h"
#include "window/size_fields.h"

#include <QApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

controls::XPCombo *formatCombo(QWidget *parent, const QString &name)
{
    auto *combo = new controls::XPCombo(parent);
    combo->setObjectName(name);
    for (const char *format : {".bmp", ".gif", ".jpg", ".jpeg", ".png", ".tif", ".tiff", ".tga"})
        combo->AddItem(QString::fromLatin1(format));
    combo->SetListIndex(0);
    combo->setFixedWidth(90);
    return combo;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("XPCombo demo"));
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(236, 233, 216));
    window.setPalette(palette);

    auto *grid = new QGridLayout(&window);
    auto *open = formatCombo(&window, QStringLiteral("XPCombo1"));
    auto *closed = formatCombo(&window, QStringLiteral("XPCombo2"));
    closed->SetListIndex(4);
    auto *disabled = formatCombo(&window, QStringLiteral("XPCombo3"));
    disabled->SetEnabled(false);
    grid->addWidget(new QLabel(QStringLiteral(u"格式:")), 0, 0);
    grid->addWidget(open, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("closed")), 0, 2);
    grid->addWidget(closed, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("disabled")), 0, 4);
    grid->addWidget(disabled, 0, 5);

    QLineEdit *fields[4];
    const QString captions[4]
        = {QStringLiteral(u"Text1 图片的缩放最大限宽"), QStringLiteral(u"Text2 图片缩放的最大限高"),
           QStringLiteral(u"Text3 图片的缩放最大限宽"), QStringLiteral(u"Text4 图片缩放的最大限高")};
    for (int i = 0; i < 4; ++i) {
        fields[i] = new QLineEdit(&window);
        fields[i]->setFixedWidth(60);
        grid->addWidget(new QLabel(captions[i]), 2 + i, 0, 1, 2);
        grid->addWidget(fields[i], 2 + i, 2);
        grid->addWidget(new QLabel(QStringLiteral(u"(最大值限定1024)")), 2 + i, 3, 1, 2);
    }
    new window::SizeFields(fields[0], fields[1], fields[2], fields[3], &window);
    fields[0]->setText(QStringLiteral("425"));
    fields[3]->setText(QStringLiteral("321"));
    grid->setRowMinimumHeight(1, 150); // room for the open list

    // The arrow's four pictures (normal, hot, pressed, disabled), as drawn and
    // four times enlarged.
    auto *pictures = new QHBoxLayout;
    for (int scale : {1, 4}) {
        for (int i = 0; i < 4; ++i) {
            auto *label = new QLabel(&window);
            const QImage image = controls::xpComboArrowImage(controls::XPComboPic(i));
            label->setPixmap(QPixmap::fromImage(image.scaled(image.size() * scale)));
            pictures->addWidget(label);
        }
    }
    pictures->addStretch();
    grid->addLayout(pictures, 7, 0, 1, 6);
    grid->setRowStretch(8, 1);

    window.resize(620, 420);
    window.show();
    // Open the first list the way a user does: a press on its arrow button.
    QTimer::singleShot(300, open, [open] {
        const QPointF at = open->arrowRect().center();
        QMouseEvent press(QEvent::MouseButtonPress, at, open->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(open, &press);
    });
    const QStringList args = app.arguments();
    const qsizetype quit = args.indexOf(QStringLiteral("--quit-after"));
    if (quit >= 0 && quit + 1 < args.size())
        QTimer::singleShot(args[quit + 1].toInt(), &app, &QApplication::quit);
    return app.exec();
}
