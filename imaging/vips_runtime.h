// libvips is started once per process, on first use, from whichever thread
// gets there first.
#pragma once

namespace imaging {

// Starts libvips if it is not running yet. Returns false when it cannot start.
bool ensureVipsStarted();

// How many threads libvips gives each picture. A batch converting several
// pictures at once sets it so that pictures times threads fit the cores.
void setThreadsPerPicture(int threads);

} // namespace imaging
