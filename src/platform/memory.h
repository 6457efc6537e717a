// Advice to the OS about large pixel buffers.
#pragma once

#include <cstddef>

namespace drape::platform {

// Asks the OS to back a large, freshly reserved buffer with large pages where it can: faulting
// in a photograph's tens of megabytes 4 KiB at a time costs as much as decoding a third of it.
// Harmless where unsupported.
void adviseLargePages(void* data, size_t bytes);

}  // namespace drape::platform
