#include "controls/ph_button.h"

#include "controls/accessibility.h"
#include "controls/hand_cursor.h"
#include "controls/stored_colour.h"
#include "platform/keyboard.h"
#include "platform/paint_ratio.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

using platform::ColourValue;

PhButton::PhButton(QWidget *parent) : QWidget(parent)
{
    installAccessibleInterfaces();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Tab reaches the button; the mouse leaves the focus where it was, as the
    // button has always behaved.
    setFocusPolicy(Qt::TabFocus);
    setCursor(handCursor());
    m_pushTimer.setInterval(1);
    connect(&m_pushTimer, &QTimer::timeout, this, &PhButton::pushTick);
    m_look.Font = font();
    paintDispatch();
}

void PhButton::changed(const QString &name)
{
    emit propertyChanged(name);
    paintDispatch();
}

void PhButton::setPictureMouseOn(const QImage &New_PictureMouseOn)
{
    m_look.PictureMouseOn = New_PictureMouseOn;
    changed(QStringLiteral("PictureMouseOn"));
}

void PhButton::setPictureDown(const QImage &New_PictureDown)
{
    m_look.PictureDown = New_PictureDown;
    changed(QStringLiteral("PictureDown"));
}

void PhButton::setPicture(const QImage &New_Picture)
{
    m_look.Picture = New_Picture;
    changed(QStringLiteral("Picture"));
}

void PhButton::setCaption(const QString &New_Caption)
{
    m_look.Caption = New_Caption;
    changed(QStringLiteral("Caption"));
}

void PhButton::setForeColor(ColourValue New_ForeColor)
{
    m_look.ForeColor = New_ForeColor;
    changed(QStringLiteral("ForeColor"));
}

void PhButton::setBackColor(ColourValue New_BackColor)
{
    m_look.BackColor = New_BackColor;
    changed(QStringLiteral("BackColor"));
}

void PhButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_look.Font = font();
        changed(QStringLiteral("Font"));
    }
    QWidget::changeEvent(event);
}

void PhButton::paintDispatch()
{
    if (const auto face = m_tracking.face())
        drawFace(*face);
}

void PhButton::drawFace(ButtonFace face) { drawFace(face, devicePixelRatioF()); }

void PhButton::drawFace(ButtonFace face, qreal ratio)
{
    if (!surfaceFits(ratio)) {
        // A fresh surface starts in the face colour, as a control's own surface
        // does; transparent parts of a face picture show it.
        m_surface = platform::Surface(width(), height(), ratio);
        m_surface.FillRect(m_surface.bounds(), m_look.BackColor);
    }
    if (!m_surface.isNull())
        paintButtonFace(m_surface, face, m_look);
    m_shownFace = face;
    update();
}

bool PhButton::surfaceFits(qreal ratio) const
{
    return m_surface.width() == width() && m_surface.height() == height() && m_surface.devicePixelRatio() == ratio;
}

void PhButton::apply(const ButtonTracking::Effects &effects)
{
    // The faces of one event follow each other without the event loop running
    // in between, so only the last of them can ever be seen.
    if (!effects.faces.empty())
        drawFace(effects.faces.back());
}

void PhButton::Push(bool CheckAfterPush)
{
    const PushSequence::Step step = m_push.start(CheckAfterPush);
    drawFace(*step.face);
    if (step.click)
        emit Click();
    m_pushTimer.start();
}

void PhButton::pushTick()
{
    const PushSequence::Step step = m_push.tick();
    if (!m_push.isRunning())
        m_pushTimer.stop();
    // The face is back to normal before a delayed Click runs its handler.
    if (step.face)
        drawFace(*step.face);
    if (step.click)
        emit Click();
}

void PhButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const bool over = rect().contains(pos.toPoint());
    if (over) {
        emit MouseMove(platform::buttonState(event->buttons()), platform::shiftState(event->modifiers()),
                       float(pos.x()), float(pos.y()));
        apply(m_tracking.mouseMove(platform::buttonState(event->buttons())));
    }
    // Stands in for the pointer check: a move is when the answer can change.
    apply(m_tracking.tick(over));
}

void PhButton::mousePressEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const short button = platform::buttonState(event->button());
    emit MouseDown(button, platform::shiftState(event->modifiers()), float(pos.x()), float(pos.y()));
    apply(m_tracking.mouseDown(button));
    apply(m_tracking.tick(rect().contains(pos.toPoint())));
}

void PhButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const short button = platform::buttonState(event->button());
    const ButtonTracking::Effects effects = m_tracking.mouseUp(button, rect().contains(pos.toPoint()));
    apply(effects);
    if (effects.click)
        emit Click();
    if (effects.mouseUp)
        emit MouseUp(button, platform::shiftState(event->modifiers()), float(pos.x()), float(pos.y()));
}

void PhButton::enterEvent(QEnterEvent *) { apply(m_tracking.tick(true)); }

void PhButton::leaveEvent(QEvent *) { apply(m_tracking.tick(false)); }

void PhButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        // Held down like the left button: pressed until released.
        m_spaceDown = true;
        drawFace(ButtonFace::Pressed);
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !m_spaceDown) {
        Push(true);
    } else if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
    }
}

void PhButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space || event->isAutoRepeat()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!m_spaceDown)
        return;
    m_spaceDown = false;
    drawFace(m_tracking.face().value_or(ButtonFace::Normal));
    emit Click();
}

void PhButton::focusInEvent(QFocusEvent *event)
{
    update();
    QWidget::focusInEvent(event);
}

void PhButton::focusOutEvent(QFocusEvent *event)
{
    // A press by the Space key that loses the focus is no click.
    if (m_spaceDown) {
        m_spaceDown = false;
        drawFace(m_tracking.face().value_or(ButtonFace::Normal));
    }
    update();
    QWidget::focusOutEvent(event);
}

bool PhButton::event(QEvent *event)
{
    // The mnemonic the window gave the button (Alt and its letter).
    if (event->type() == QEvent::Shortcut) {
        Push(true);
        return true;
    }
    return QWidget::event(event);
}

void PhButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The face is drawn with the pixels of the screen (or picture) it goes to.
    const qreal ratio = platform::paintTargetRatio(painter);
    if (!surfaceFits(ratio))
        drawFace(m_shownFace, ratio);
    if (m_surface.isNull())
        return;
    painter.drawImage(0, 0, m_surface.image());
    if (hasFocus())
        drawFocusMark(painter, rect(), m_look.ForeColor);
}

void PhButton::resizeEvent(QResizeEvent *)
{
    // While pressed before the first pointer check the states call for no
    // face; the button then shows the face it had, at its new size.
    drawFace(m_tracking.face().value_or(m_shownFace));
}

QSize PhButton::sizeHint() const { return {71, 25}; }

QFont PhButton::ambientFont() const { return parentWidget() ? parentWidget()->font() : QApplication::font(); }

void PhButton::readProperties(const platform::PropertyBag &bag)
{
    // Pictures, caption and font are taken as they are, without change notices;
    // the colours go through their setters, which repaint.
    m_look.PictureMouseOn = bag.read(QStringLiteral("PictureMouseOn")).value<QImage>();
    m_look.PictureDown = bag.read(QStringLiteral("PictureDown")).value<QImage>();
    m_look.Picture = bag.read(QStringLiteral("Picture")).value<QImage>();
    m_look.Caption = bag.read(QStringLiteral("Caption"), QString()).toString();
    const QVariant storedFont = bag.read(QStringLiteral("Font"));
    if (storedFont.isValid()) {
        const QSignalBlocker quiet(this);
        setFont(storedFont.value<QFont>());
    }
    setForeColor(colourFromStored(bag.read(QStringLiteral("ForeColor"), storedColour(platform::kSysButtonText))));
    setBackColor(colourFromStored(bag.read(QStringLiteral("BackColor"), storedColour(platform::kSysButtonFace))));
}

void PhButton::writeProperties(platform::PropertyBag &bag) const
{
    auto picture = [](const QImage &image) { return image.isNull() ? QVariant() : QVariant(image); };
    bag.write(QStringLiteral("PictureMouseOn"), picture(m_look.PictureMouseOn));
    bag.write(QStringLiteral("PictureDown"), picture(m_look.PictureDown));
    bag.write(QStringLiteral("Picture"), picture(m_look.Picture));
    bag.write(QStringLiteral("Caption"), m_look.Caption, QString());
    bag.write(QStringLiteral("Font"), font(), ambientFont());
    bag.write(QStringLiteral("ForeColor"), storedColour(m_look.ForeColor), storedColour(platform::kSysButtonText));
    bag.write(QStringLiteral("BackColor"), storedColour(m_look.BackColor), storedColour(platform::kSysButtonFace));
}

} // namespace controls
