// libvips is started once per process, on first use, from whichever thread
// gets there first.
#pragma once

namespace imaging {

// Starts libvips if it is not running yet, with the loaders and savers it
// marks untrusted (among them JPEG XL's) blocked. Returns false when it cannot
// start.
bool ensureVipsStarted();

// Lets the untrusted loaders and savers run: in the conversion worker, which
// the kernel shuts in (and in the bench and the engine's tests, which stand
// in for it), and nowhere else.
void allowUntrustedLoaders();
// Whether allowUntrustedLoaders was called: the decoders the program calls
// itself that are not made for hostile files (ImageMagick's) ask it.
bool untrustedLoadersAllowed();

// How many threads libvips gives each picture. A batch converting several
// pictures at once sets it so that pictures times threads fit the cores.
void setThreadsPerPicture(int threads);

} // namespace imaging
