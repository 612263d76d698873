// The running window takes what later starts of the program hand over.
#pragma once

namespace platform {
class SingleInstance;
}

namespace window {

class frmMain;

// Each later start's paths bring `window` to the front and are opened there.
void followLaterStarts(platform::SingleInstance &instance, frmMain &window);

} // namespace window
