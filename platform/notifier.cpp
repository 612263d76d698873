#include "platform/notifier.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

namespace platform {

namespace {

QString title() { return QCoreApplication::translate("platform", "提示", "the title of every notice"); }

} // namespace

void QtNotifier::information(const QString &text) { QMessageBox::information(m_owner, title(), text, QMessageBox::Ok); }

void QtNotifier::selfClosingInformation(const QString &text, std::chrono::milliseconds timeout)
{
    QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_owner);
    QTimer::singleShot(timeout, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
}

bool QtNotifier::question(const QString &text)
{
    return QMessageBox::question(m_owner, title(), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

} // namespace platform
