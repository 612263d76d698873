// Tarvel图片尺寸批量修改工具: one window, one running copy per user.
#include "app/batch_plan.h"
#include "app/frm_main.h"
#include "app/saved_limits.h"
#include "dialogs/qt_file_dialogs.h"
#include "platform/notifier.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvel"));

    // A second start ends at once, without a window or a message.
    const platform::SingleInstance instance(QStringLiteral("tarvel"));
    if (!instance.isFirst())
        return 0;

    // The window has a fixed look of its own; the same style and palette on
    // every desktop also make the button-face colour, onto which transparent
    // pictures are flattened, the same as tarvel-batch uses.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    for (const char *family : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            QApplication::setFont(QFont(QString::fromLatin1(family), 9));
            break;
        }
    }

    // The window speaks Chinese; so do Qt's own dialogs and message boxes.
    QTranslator qtChinese;
    if (qtChinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtChinese);

    platform::QtNotifier notifier;
    dialogs::QtFileDialogs fileDialogs;
    app::frmMain window({&notifier, &fileDialogs, app::savedLimitsPath(), app::defaultJobCount(), {}});
    notifier.setOwner(&window);
    window.show();
    return application.exec();
}
