// Whole runs of a command string on the fake platform: the pre-pass, then one interpretation
// onto a desktop of at most three small monitors.
#include "fuzz_support.h"
#include "interp/interpreter.h"
#include "run/command_sources.h"
#include "state/tokens.h"
#include "support/bmp_image.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ByteReader input(data, size);
    fuzz::FakeRun run(input);
    if (!fuzz::setCommandString(input.rest())) {
        return 0;
    }
    CheckAddresses();
    CheckScreens();
    PrepareCommands();
    Interpret();
    // Whatever the desktop was handed is a whole bitmap.
    for (const auto& call : run.os.wallpaperCalls) {
        if (!call.contents.empty()) {
            DRAPE_FUZZ_CHECK(test::parseBmp24(call.contents).has_value());
        }
    }
    return 0;
}
