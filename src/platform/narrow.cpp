#include "platform/narrow.h"

#include <cstdio>
#include <cstdlib>

namespace drape::platform {

namespace {
Narrow* gNarrow = nullptr;
}

Narrow& currentNarrow() {
    if (gNarrow == nullptr) {
        std::fputs("drape98: no 8-bit platform services installed\n", stderr);
        std::abort();
    }
    return *gNarrow;
}

void setCurrentNarrow(Narrow* narrow) {
    gNarrow = narrow;
}

}  // namespace drape::platform
