#include "window/path_field.h"

#include "platform/native_path.h"

#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QVariant>

namespace window {

namespace {

constexpr char kPathProperty[] = "tarvelPath";

} // namespace

void setPathText(QLineEdit *field, const QString &path)
{
    field->setProperty(kPathProperty, path);
    field->setText(platform::displayPath(path));
}

QString pathText(const QLineEdit *field)
{
    const QString path = field->property(kPathProperty).toString();
    const QString text = field->text();
    return !path.isEmpty() && platform::displayPath(path) == text ? path : text;
}

QStringList droppedPaths(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        // File managers percent-encode a name's bytes; decoded as UTF-8 by
        // QUrl::toLocalFile(), bytes that are not would be lost.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        paths << platform::pathFromNative(bytes);
    }
    return paths;
}

} // namespace window
