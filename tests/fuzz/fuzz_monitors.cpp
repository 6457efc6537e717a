// The DRAPE_MONITORS list: what it accepts lies within the documented ranges and reads back
// the same when written out again.
#include <string>

#include "fuzz_support.h"
#include "platform/posix/posix_monitors.h"

using namespace drape::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto monitors = posix::parseMonitorList(drape::fuzz::asText(data, size), error);
    if (!monitors) {
        DRAPE_FUZZ_CHECK(!error.empty());
        return 0;
    }
    std::string written;
    for (const Monitor& m : *monitors) {
        DRAPE_FUZZ_CHECK(m.width >= 1 && m.width <= 32767 && m.height >= 1 && m.height <= 32767);
        DRAPE_FUZZ_CHECK(m.x >= -1000000 && m.x <= 1000000 && m.y >= -1000000 && m.y <= 1000000);
        DRAPE_FUZZ_CHECK(m.depth >= 1 && m.depth <= 64);
        written += std::to_string(m.width) + "x" + std::to_string(m.height) + "@" +
                   std::to_string(m.x) + "," + std::to_string(m.y) + ":" + std::to_string(m.depth) +
                   ";";
    }
    const auto again = posix::parseMonitorList(written, error);
    DRAPE_FUZZ_CHECK(again.has_value() && *again == *monitors);
    return 0;
}
