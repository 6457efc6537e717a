// Whole drape98 runs on the fake platform and its 8-bit services: the words of the input (or,
// when it has none, its text as drape.cmd) through the presets, the interpreter and, for
// "resident", a few renewal checks.
#include "drape98/run98.h"
#include "fuzz_support.h"
#include "state/tokens.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ByteReader input(data, size);
    const bool fromFile = input.take() % 2 == 1;
    fuzz::FakeRun run(input);
    const std::string text = input.rest();
    if (fuzz::namesOutsidePaths(text) || fuzz::waitsLongerThan(text, "delay", 60)) {
        return 0;
    }
    std::vector<std::string> words;
    if (fromFile) {
        fuzz::writeFile(run.os, run.os.programDir + "drape.cmd", text);
    } else {
        for (int32_t i = 1, count = CountTokens(text); i <= count; ++i) {
            words.push_back(GetToken(text, i, true));
        }
    }
    Main98(words);
    return 0;
}
