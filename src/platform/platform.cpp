#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

#include "platform/memory.h"

namespace drape::platform {

namespace {
Platform* gCurrent = nullptr;
}

Platform& current() {
    if (gCurrent == nullptr) {
        std::fputs("drape: no platform backend installed\n", stderr);
        std::abort();
    }
    return *gCurrent;
}

Platform* currentOrNull() {
    return gCurrent;
}

void setCurrent(Platform* platform) {
    gCurrent = platform;
}

void adviseLargePages(void* data, size_t bytes) {
    if (Platform* platform = currentOrNull()) {
        platform->adviseLargePages(data, bytes);
    }
}

}  // namespace drape::platform
