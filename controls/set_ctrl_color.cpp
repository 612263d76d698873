#include "controls/set_ctrl_color.h"

#include "controls/button_face.h"
#include "platform/system_colours.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace controls {

namespace {

platform::ColourValue g_borderColour = 0;

class BorderFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || !isBorderHooked(widget))
            return false;
        // Let the widget paint itself first (QObject::event is public), then
        // draw over it; the paint event is done with afterwards.
        static_cast<QObject *>(widget)->event(event);
        drawOutline(widget);
        drawFocusOfReadOnlyField(widget);
        return true;
    }

private:
    // A field that cannot be typed into shows no cursor; with the focus it
    // shows the dotted frame a button shows.
    static void drawFocusOfReadOnlyField(QWidget *widget)
    {
        const auto *edit = qobject_cast<QLineEdit *>(widget);
        if (!edit || !edit->isReadOnly() || !edit->hasFocus())
            return;
        QPainter painter(widget);
        drawFocusMark(painter, widget->rect(), platform::kSysWindowText);
    }

    static void drawOutline(QWidget *widget)
    {
        const auto rgb = platform::resolveColour(g_borderColour);
        const int w = widget->width();
        const int h = widget->height();
        if (!rgb || w < 1 || h < 1)
            return;
        QPainter painter(widget);
        const QColor colour = platform::toQColor(*rgb);
        painter.fillRect(0, 0, w, 1, colour);
        painter.fillRect(0, h - 1, w, 1, colour);
        painter.fillRect(0, 0, 1, h, colour);
        painter.fillRect(w - 1, 0, 1, h, colour);
    }
};

// One filter for all hooked widgets, living as long as the application.
BorderFilter *filter()
{
    static QPointer<BorderFilter> instance;
    if (!instance)
        instance = new BorderFilter(QCoreApplication::instance());
    return instance;
}

} // namespace

void HookBorderColor(QWidget *widget, platform::ColourValue color)
{
    g_borderColour = color;
    if (!widget)
        return;
    if (!isBorderHooked(widget)) {
        widget->installEventFilter(filter());
        widget->setProperty(kBorderHookProperty, true);
    }
    widget->update();
}

void UnhookBorderColor(QWidget *widget)
{
    if (!widget || !isBorderHooked(widget))
        return;
    widget->removeEventFilter(filter());
    widget->setProperty(kBorderHookProperty, QVariant());
    widget->update();
}

bool isBorderHooked(const QWidget *widget) { return widget && widget->property(kBorderHookProperty).toBool(); }

platform::ColourValue borderColour() { return g_borderColour; }

} // namespace controls
