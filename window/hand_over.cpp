#include "window/hand_over.h"

#include "platform/single_instance.h"
#include "window/frm_main.h"

namespace window {

void followLaterStarts(platform::SingleInstance &instance, frmMain &window)
{
    QObject::connect(&instance, &platform::SingleInstance::handedOver, &window, [&window](const QStringList &handed) {
        window.bringToFront();
        window.openPaths(handed);
    });
}

} // namespace window
