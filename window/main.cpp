// Tarvel图片尺寸批量修改工具: one window, one running copy per user.
#include "dialogs/qt_file_dialogs.h"
#include "platform/native_path.h"
#include "platform/notifier.h"
#include "platform/single_instance.h"
#include "window/frm_main.h"
#include "window/hand_over.h"
#include "workflow/batch_workflow.h"
#include "workflow/interface_language.h"
#include "workflow/presets.h"
#include "workflow/saved_limits.h"
#include "workflow/window_settings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>
#include <QStyleFactory>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

// The paths on the command line (what Qt leaves of it), made absolute, each
// with every byte of its name.
QStringList pathsToOpen(int argc, char *argv[])
{
    QByteArray folder(4096, '\0');
    const bool haveFolder = ::getcwd(folder.data(), size_t(folder.size())) != nullptr;
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    QStringList paths;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.isEmpty())
            continue;
        paths << platform::pathFromNative(argument.startsWith('/') || !haveFolder ? argument : folder + '/' + argument);
    }
    return paths;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral(TARVEL_APP_ID));
    const QStringList paths = pathsToOpen(argc, argv);
    const workflow::InterfaceLanguage language(QLocale::system());

    // What the window cannot open is said here as well as in its notice.
    const QString problem = paths.isEmpty() ? QString() : window::frmMain::whyNotOpened(paths.constFirst());
    if (!problem.isEmpty())
        std::fprintf(stderr, "tarvel: %s\n", problem.toLocal8Bit().constData());

    // A second start hands what it was given to the running window, which
    // comes to the front (and shows the notice), and ends.
    platform::SingleInstance instance(QStringLiteral("tarvel"));
    if (!instance.isFirst()) {
        instance.handOver(paths);
        return problem.isEmpty() ? 0 : 1;
    }

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

    platform::QtNotifier notifier;
    dialogs::QtFileDialogs fileDialogs;
    window::frmMain window({&notifier, &fileDialogs, workflow::savedLimitsPath(), workflow::defaultJobCount(), {},
                            workflow::presetsPath(), workflow::windowSettingsPath(), {}});
    notifier.setOwner(&window);
    window::followLaterStarts(instance, window);
    instance.listen();
    window.show();
    window.openPaths(paths);
    return application.exec();
}
