// The picture button's pointer machine, free of widgets: a mouse state (normal,
// hover, pressed) and, while pressed, a tracking state (pointer outside or over
// the button). Each input returns what the button must do, in order: which
// faces to draw and which events to raise. `tick` is the pointer check that
// runs while tracking is on; tracking switches itself off once the button is
// idle, so nothing runs for a button nobody points at.
#pragma once

#include <optional>
#include <vector>

namespace controls {

enum class ButtonFace { Normal, Hover, Pressed };

// Mouse buttons as the button's events report them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

class ButtonTracking {
public:
    enum MouseState { MouseNormal = 0, MouseHover = 1, MousePressed = 2 };
    enum TrackingState { TrackingNone = 0, TrackingOutside = 1, TrackingOver = 2 };

    struct Effects {
        // Faces drawn by the repaints, in order; a repaint that draws nothing
        // (pressed before the first check) adds none.
        std::vector<ButtonFace> faces;
        bool click = false;   // raise Click
        bool mouseUp = false; // raise MouseUp, after Click
    };

    // A move over the button with `buttons` held (a mask of the constants above).
    Effects mouseMove(int buttons);
    Effects mouseDown(int button);
    // The release of `button`; `overButton` tells where the pointer is.
    Effects mouseUp(int button, bool overButton);
    // The pointer check; does nothing while tracking is off.
    Effects tick(bool overButton);

    int mouseState() const { return m_mouse; }
    int trackingState() const { return m_tracking; }
    bool isTracking() const { return m_trackingOn; }

    // The face the states call for; none while pressed before the first check
    // (the button then keeps showing what it showed).
    std::optional<ButtonFace> face() const;

private:
    void repaint(Effects &effects) const;

    int m_mouse = MouseNormal;
    int m_tracking = TrackingNone;
    bool m_trackingOn = false;
};

// `Push`: the pressed face at once, the normal face two ticks later, and a
// Click either at the start or at the end. It does not touch the machine above.
class PushSequence {
public:
    struct Step {
        std::optional<ButtonFace> face;
        bool click = false;
    };

    Step start(bool CheckAfterPush);
    Step tick();
    bool isRunning() const { return m_running; }

private:
    int m_ticks = 0;
    bool m_clickAfterPush = false;
    bool m_running = false;
};

} // namespace controls
