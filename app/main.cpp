#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral(u"Tarvel图片尺寸批量修改工具_v1.0"));
    window.resize(439, 292);
    window.show();
    return app.exec();
}
