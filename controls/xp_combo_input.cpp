// Mouse and keyboard of the combo box: the arrow button and the events that the
// text field raises for the control.
#include "controls/xp_combo.h"

#include "controls/xp_combo_layout.h"
#include "platform/keyboard.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

namespace controls {

namespace {

float twips(qreal pixels) { return float(pixels * kTwipsPerPixel); }

} // namespace

void XPCombo::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    const short button = platform::buttonState(event->buttons());
    const short shift = platform::shiftState(event->modifiers());
    // The disabled picture stays while disabled; the hot one stays until the next
    // ResetPic, as the button has always behaved.
    const QRect arrow = arrowRect();
    if (arrow.contains(pos.toPoint()) && m_text->isEnabled()) {
        showPic(XPComboPic::Hot);
        const QPointF local = pos - arrow.topLeft();
        emit MouseMove(button, shift, twips(local.x()), twips(local.y()));
        return;
    }
    emit MouseMove(button, shift, twips(pos.x()), twips(pos.y()));
}

void XPCombo::mousePressEvent(QMouseEvent *event)
{
    // A disabled combo must not drop its list: a pick would change its text.
    const QRect arrow = arrowRect();
    if (!arrow.contains(event->position().toPoint()) || !m_text->isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    showPic(XPComboPic::Pressed);
    // Paint the pressed picture now; it lasts only while the list opens.
    repaint(arrow);
    toggleList();
    ResetPic();
}

bool XPCombo::filterListPopup(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        if (m_swallowRelease) {
            m_swallowRelease = false;
            return true;
        }
        break;
    case QEvent::MouseButtonPress: m_swallowRelease = false; break;
    case QEvent::Hide:
        m_swallowRelease = false;
        // Closed, the list has no current item that could claim the focus;
        // cleared after the pick, which the box takes from that item.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (QItemSelectionModel *selection = m_combo->view()->selectionModel(); selection && !listShown())
                    selection->clearCurrentIndex();
            },
            Qt::QueuedConnection);
        break;
    default: break;
    }
    return false;
}

bool XPCombo::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_listWindow)
        return filterListPopup(event);
    if (watched != m_text)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        emit MouseMove(platform::buttonState(mouse->buttons()), platform::shiftState(mouse->modifiers()),
                       twips(mouse->position().x()), twips(mouse->position().y()));
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        emit MouseDown(platform::buttonState(mouse->button()), platform::shiftState(mouse->modifiers()),
                       twips(mouse->position().x()), twips(mouse->position().y()));
        break;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_text->rect().contains(mouse->position().toPoint()))
            emit Click();
        break;
    }
    case QEvent::KeyPress: return filterTextKey(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            emit KeyUp(platform::keyCode(key->key(), key->modifiers()), platform::shiftState(key->modifiers()));
        break;
    }
    default: break;
    }
    return false;
}

// The list keys of a drop-down list: Alt+Down (or Up) and F4 open and close
// the list, Up and Down choose the item before or after. Inside the open list,
// its own keys move, Enter picks and Escape closes.
bool XPCombo::filterListKey(const QKeyEvent *event)
{
    if (!m_text->isEnabled())
        return false;
    const int key = event->key();
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    if (key == Qt::Key_F4 || (vertical && event->modifiers().testFlag(Qt::AltModifier))) {
        if (m_combo->view()->isVisible())
            m_combo->hidePopup();
        else
            openList();
        return true;
    }
    if (!vertical || event->modifiers() != Qt::NoModifier || m_list.count() == 0)
        return false;
    const int next = std::clamp(m_list.listIndex() + (key == Qt::Key_Down ? 1 : -1), 0, m_list.count() - 1);
    if (next != m_list.listIndex())
        SetListIndex(next);
    return true;
}

// True when the key press is consumed here rather than typed by the field.
bool XPCombo::filterTextKey(QKeyEvent *event)
{
    if (m_replayingKey)
        return false;
    emit KeyDown(platform::keyCode(event->key(), event->modifiers()), platform::shiftState(event->modifiers()));
    if (filterListKey(event))
        return true;

    const QString typed = platform::typedText(*event);
    const auto characters = typed.toUcs4();
    if (characters.size() != 1)
        return false;
    int keyAscii = int(characters.front());
    emit KeyPress(keyAscii);
    if (keyAscii == int(characters.front()))
        return false;
    if (keyAscii == 8) {
        // The field deletes on the Backspace key, not on its character.
        QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        m_replayingKey = true;
        QCoreApplication::sendEvent(m_text, &backspace);
        m_replayingKey = false;
    } else if (keyAscii > 0 && keyAscii <= 0x10FFFF && !m_text->isReadOnly()) {
        const char32_t replacement = char32_t(keyAscii);
        const QString text = QString::fromUcs4(&replacement, 1);
        if (text.front().isPrint() || text.front().isSurrogate())
            m_text->insert(text);
    }
    return true;
}

} // namespace controls
