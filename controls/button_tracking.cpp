#include "controls/button_tracking.h"

namespace controls {

std::optional<ButtonFace> ButtonTracking::face() const
{
    switch (m_tracking) {
    case TrackingOutside: return ButtonFace::Hover;
    case TrackingOver: return ButtonFace::Pressed;
    default: break;
    }
    switch (m_mouse) {
    case MouseNormal: return ButtonFace::Normal;
    case MouseHover: return ButtonFace::Hover;
    default: return std::nullopt;
    }
}

void ButtonTracking::repaint(Effects &effects) const
{
    if (const auto f = face())
        effects.faces.push_back(*f);
}

ButtonTracking::Effects ButtonTracking::mouseMove(int buttons)
{
    Effects effects;
    m_trackingOn = true;
    // A move with the right button alone is not hovering.
    if (buttons != kRightButton && m_mouse == MouseNormal) {
        m_mouse = MouseHover;
        repaint(effects);
    }
    return effects;
}

ButtonTracking::Effects ButtonTracking::mouseDown(int button)
{
    Effects effects;
    if (button == kLeftButton && m_mouse != MousePressed) {
        m_mouse = MousePressed;
        repaint(effects);
    }
    return effects;
}

ButtonTracking::Effects ButtonTracking::mouseUp(int button, bool overButton)
{
    Effects effects;
    if (m_mouse == MousePressed) {
        m_mouse = MouseNormal;
        repaint(effects);
    }
    if (m_tracking != TrackingNone) {
        m_tracking = TrackingNone;
        repaint(effects);
    }
    if (overButton) {
        effects.click = button == kLeftButton;
        effects.mouseUp = true;
    }
    return effects;
}

ButtonTracking::Effects ButtonTracking::tick(bool overButton)
{
    Effects effects;
    if (!m_trackingOn)
        return effects;
    switch (m_mouse) {
    case MouseNormal: m_trackingOn = false; break;
    case MouseHover:
        if (!overButton) {
            m_trackingOn = false;
            m_mouse = MouseNormal;
            repaint(effects);
        }
        break;
    default: {
        const int wanted = overButton ? TrackingOver : TrackingOutside;
        if (m_tracking != wanted) {
            m_tracking = wanted;
            repaint(effects);
        }
        break;
    }
    }
    return effects;
}

PushSequence::Step PushSequence::start(bool CheckAfterPush)
{
    m_ticks = 0;
    m_clickAfterPush = CheckAfterPush;
    m_running = true;
    return {ButtonFace::Pressed, !CheckAfterPush};
}

PushSequence::Step PushSequence::tick()
{
    if (!m_running)
        return {};
    if (m_ticks != 1) {
        ++m_ticks;
        return {};
    }
    Step step{ButtonFace::Normal, m_clickAfterPush};
    m_running = false;
    m_ticks = 0;
    m_clickAfterPush = false;
    return step;
}

} // namespace controls
