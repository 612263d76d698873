// A push button with a picture for each face (normal, hover, pressed), or a
// bevel where a picture is missing, and an optional centred caption. `Click`
// comes from a left release over the button, from `Push`, from the Space key
// (pressed face while held, Click on release) and Enter, and from a mnemonic
// given with grabShortcut(). Tab gives it the focus, shown as a dotted frame
// inside the face; the mouse does not take the focus.
#pragma once

#include "controls/button_face.h"
#include "controls/button_tracking.h"
#include "platform/property_bag.h"
#include "platform/surface.h"

#include <QTimer>
#include <QWidget>

namespace controls {

class PhButton : public QWidget {
    Q_OBJECT

public:
    explicit PhButton(QWidget *parent = nullptr);

    // The face pictures, drawn stretched with 6-pixel borders; a null image
    // means none (the bevel face).
    QImage PictureMouseOn() const { return m_look.PictureMouseOn; }
    void setPictureMouseOn(const QImage &New_PictureMouseOn);
    QImage PictureDown() const { return m_look.PictureDown; }
    void setPictureDown(const QImage &New_PictureDown);
    QImage Picture() const { return m_look.Picture; }
    void setPicture(const QImage &New_Picture);
    QString Caption() const { return m_look.Caption; }
    void setCaption(const QString &New_Caption);
    // The caption font is the widget's font(); setting it repaints too.
    platform::ColourValue ForeColor() const { return m_look.ForeColor; }
    void setForeColor(platform::ColourValue New_ForeColor);
    platform::ColourValue BackColor() const { return m_look.BackColor; }
    void setBackColor(platform::ColourValue New_BackColor);

    // Shows the pressed face for two ticks of a 1 ms timer, then the normal
    // face. Click is raised at once, or after the face returned to normal when
    // `CheckAfterPush` is true.
    void Push(bool CheckAfterPush);

    // Stored properties: PictureMouseOn, PictureDown, Picture, Caption, Font,
    // ForeColor, BackColor, each left out when equal to its default (the font's
    // default is the parent's font).
    void readProperties(const platform::PropertyBag &bag);
    void writeProperties(platform::PropertyBag &bag) const;

    // What is on the button now, for tests and the demo.
    const ButtonTracking &tracking() const { return m_tracking; }
    ButtonFace shownFace() const { return m_shownFace; }
    const platform::Surface &surface() const { return m_surface; }
    bool isPushRunning() const { return m_push.isRunning(); }

    QSize sizeHint() const override;

signals:
    void Click();
    void MouseDown(short Button, short Shift, float X, float Y);
    void MouseUp(short Button, short Shift, float X, float Y);
    void MouseMove(short Button, short Shift, float X, float Y);
    // A property changed under its stored name.
    void propertyChanged(const QString &name);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

private:
    void changed(const QString &name);
    void paintDispatch();
    // Draws at the widget's own device pixel ratio, or at the one given.
    void drawFace(ButtonFace face);
    void drawFace(ButtonFace face, qreal ratio);
    bool surfaceFits(qreal ratio) const;
    void apply(const ButtonTracking::Effects &effects);
    void pushTick();
    QFont ambientFont() const;

    ButtonLook m_look;
    ButtonTracking m_tracking;
    PushSequence m_push;
    QTimer m_pushTimer;
    platform::Surface m_surface;
    ButtonFace m_shownFace = ButtonFace::Normal;
    bool m_spaceDown = false;
};

} // namespace controls
