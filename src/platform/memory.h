// Advice to the OS about large pixel buffers, for code that may run before a platform is
// installed (the raster layer's tests run without one).
#pragma once

#include <cstddef>

namespace drape::platform {

// The installed platform's `adviseLargePages`; nothing at all while none is installed, since
// the advice never changes what the buffer holds.
void adviseLargePages(void* data, size_t bytes);

}  // namespace drape::platform
