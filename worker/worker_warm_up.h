// What a worker does before it is shut in: every decoder and encoder it
// uses runs once, on tiny pictures made here in memory, so that whatever they
// load on first use (ImageMagick's coders, its configuration and messages,
// the time zone) is in memory before the worker's file system goes away.
// libvips' own modules and profiles are loaded when it starts.
#pragma once

#include <string>

namespace imaging {

// Runs the warm-up; libvips must have started. Empty text when every
// picture converted as it should, else what did not: a worker then still
// starts, and that format fails as it would have anyway.
std::string warmUpEngine();

} // namespace imaging
