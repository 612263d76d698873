// libvips is started once per process, on first use, from whichever thread
// gets there first.
#pragma once

namespace imaging {

// Starts libvips if it is not running yet. Returns false when it cannot start.
bool ensureVipsStarted();

} // namespace imaging
