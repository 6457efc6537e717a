// The readers of drape.cmd (both programs') and drape.lst, and drape98's word list with its
// presets.
#include "drape98/run98.h"
#include "drape98/settings98.h"
#include "fuzz_support.h"
#include "images/image_sources.h"
#include "run/command_sources.h"
#include "state/tokens.h"

using namespace drape;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One fake platform for the whole session: this target reads a file and nothing more.
    static test::FakePlatform os;
    static test::FakeNarrow narrow{os};
    platform::setCurrent(&os);
    platform::setCurrentNarrow(&narrow);

    const std::string bytes(fuzz::asText(data, size));
    const std::vector<std::string> pairs = ReadPairsFile(bytes);
    DRAPE_FUZZ_CHECK(pairs.size() % kFieldsPerPair == 0);

    // drape98 reads its command file into words; they are the words of drape's command string.
    fuzz::writeFile(os, os.programDir + "drape.cmd", bytes);
    const std::vector<std::string> words = ReadCommandFile98();
    if (size < 3) {
        DRAPE_FUZZ_CHECK(words.empty());
        return 0;
    }
    // Split once: a token look-up scans from the start, which would make long inputs slow.
    const std::string command = JoinCommandFileLines(bytes);
    const std::vector<std::string_view> tokens = SplitTokens(command);
    DRAPE_FUZZ_CHECK(CountTokens(command) == static_cast<int32_t>(words.size()));
    DRAPE_FUZZ_CHECK(tokens.size() == words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        DRAPE_FUZZ_CHECK(TokenText(tokens[i], true) == words[i]);
    }

    // The presets take their argument with them into the words they become, and "delay" goes
    // with its wait, so none of the three is left but as the last word. The fake clock counts a
    // delay through in small steps, and the wait itself is fuzz_drape98's, so only delays of up
    // to a second are let through here.
    if (fuzz::waitsLongerThan(command, "delay", 1)) {
        return 0;
    }
    TokenList& list = state98().tokens;
    list.clear();
    for (const std::string& word : words) {
        list.append(word);
    }
    DRAPE_FUZZ_CHECK(ExpandPresets98());
    const std::vector<std::string>& expanded = list.words();
    for (size_t i = 0; i + 1 < expanded.size(); ++i) {
        DRAPE_FUZZ_CHECK(expanded[i] != "mark" && expanded[i] != "basemark" &&
                         expanded[i] != "delay");
    }
    // Walking the list visits every word once, in order, and stays on the last.
    list.goToStart();
    DRAPE_FUZZ_CHECK(list.current().empty());
    size_t visited = 0;
    while (list.next()) {
        DRAPE_FUZZ_CHECK(visited < expanded.size() && list.current() == expanded[visited]);
        ++visited;
    }
    DRAPE_FUZZ_CHECK(visited == expanded.size());
    DRAPE_FUZZ_CHECK(expanded.empty() || list.current() == expanded.back());
    return 0;
}
