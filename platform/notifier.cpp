#include "platform/notifier.h"

#include <QMessageBox>
#include <QTimer>

namespace platform {

namespace {

const QString kTitle = QStringLiteral(u"提示");

} // namespace

void QtNotifier::information(const QString &text)
{
    QMessageBox::information(m_owner, kTitle, text, QMessageBox::Ok);
}

void QtNotifier::selfClosingInformation(const QString &text, std::chrono::milliseconds timeout)
{
    QMessageBox box(QMessageBox::Information, kTitle, text, QMessageBox::Ok, m_owner);
    QTimer::singleShot(timeout, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
}

bool QtNotifier::question(const QString &text)
{
    return QMessageBox::question(m_owner, kTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

} // namespace platform
