#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

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

void setCurrent(Platform* platform) {
    gCurrent = platform;
}

}  // namespace drape::platform
