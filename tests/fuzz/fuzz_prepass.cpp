// The start-up pass over a command string: presets, image names, "get", "set" and "help".
#include "fuzz_support.h"
#include "run/command_sources.h"
#include "state/tokens.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ByteReader input(data, size);
    fuzz::FakeRun run(input);
    if (!fuzz::setCommandString(input.rest())) {
        return 0;
    }
    PrepareCommands();
    const Settings& s = settings();
    DRAPE_FUZZ_CHECK(s.tokenCount == CountTokens(s.commandString));
    DRAPE_FUZZ_CHECK(TrimBlanks(s.commandString) == s.commandString);
    return 0;
}
