// The hive file: whatever parses is written, and what is written parses back to the same keys
// and values and is written again byte for byte.
#include "fuzz_support.h"
#include "platform/posix/posix_registry_file.h"

using namespace drape::platform::posix;

namespace {

bool sameHive(const Hive& a, const Hive& b) {
    if (a.keys().size() != b.keys().size()) {
        return false;
    }
    for (size_t k = 0; k < a.keys().size(); ++k) {
        const HiveKey& x = a.keys()[k];
        const HiveKey& y = b.keys()[k];
        if (x.path != y.path || x.values().size() != y.values().size()) {
            return false;
        }
        for (size_t v = 0; v < x.values().size(); ++v) {
            if (x.values()[v].name != y.values()[v].name ||
                x.values()[v].value.type != y.values()[v].value.type ||
                x.values()[v].value.data != y.values()[v].value.data) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HiveParseError error;
    const auto hive = parseHive(drape::fuzz::asText(data, size), error);
    if (!hive) {
        DRAPE_FUZZ_CHECK(error.line >= 1 && !error.message.empty());
        return 0;
    }
    const std::string written = writeHive(*hive);
    const auto again = parseHive(written, error);
    DRAPE_FUZZ_CHECK(again.has_value());
    DRAPE_FUZZ_CHECK(sameHive(*hive, *again));
    DRAPE_FUZZ_CHECK(writeHive(*again) == written);
    return 0;
}
