#include <sys/mman.h>

#include <cstdint>

#include "platform/memory.h"

namespace drape::platform {

void adviseLargePages(void* data, size_t bytes) {
#if defined(MADV_HUGEPAGE)
    // The advice applies to whole pages inside the buffer.
    constexpr uintptr_t kPage = 4096;
    const auto begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (begin + kPage - 1) & ~(kPage - 1);
    const uintptr_t last = (begin + bytes) & ~(kPage - 1);
    if (last > first) {
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace drape::platform
