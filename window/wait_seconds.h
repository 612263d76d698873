// A short wait that keeps the window responsive.
#pragma once

namespace window {

// Waits, running pending events, until the whole-second count of the monotonic
// clock has moved `seconds` past its value at the call. The wait counts whole
// seconds: 0.05 returns at the next change of the second (0 to 1 s later), 0
// or less returns at once without running any events.
void WaitSeconds(double seconds);

} // namespace window
