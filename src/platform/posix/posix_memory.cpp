// [X] adviseLargePages: madvise(MADV_HUGEPAGE) on the whole pages inside the buffer, where the
//     kernel knows the advice (transparent huge pages); nothing elsewhere
#include <sys/mman.h>

#include <cstdint>

#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

void PosixSystem::adviseLargePages(void* data, size_t bytes) {
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

}  // namespace drape::platform::posix
