#include <string_view>
#include <vector>

#include "images/image_sources.h"
#include "platform/platform.h"
#include "state/settings.h"
#include "state/system_facts.h"
#include "state/tokens.h"

namespace drape {

namespace {

constexpr int64_t kMinPairsFileBytes = 3;
constexpr size_t kMaxPairsFileBytes = size_t{16} << 20;

// An integer drawn uniformly from 0 to n inclusive.
int32_t randomUpTo(int32_t n) {
    return UniformInRange(0, n);
}

std::string resolveFolder(const std::string& argument) {
    std::string folder = ResolveFolderWord(argument).value_or(argument);
    const char separator = platform::current().pathSeparator();
    if (folder.empty() || folder.back() != separator) {
        folder += separator;
    }
    return folder;
}

void fitOnMonitor(int32_t monitor, const std::string& path) {
    MonitorState& m = state().monitor;
    m.firstMonitor = monitor;
    m.lastMonitor = monitor;
    FitImageFile(path);
}

}  // namespace

void LoadRandomImages(const std::string& argument) {
    platform::Platform& os = platform::current();
    const std::string folder = resolveFolder(argument);
    const int32_t monitors = state().monitors.count;
    const std::string pairsFile = folder + kPairsFileName;

    if (os.fileSize(pairsFile) >= kMinPairsFileBytes && randomUpTo(100) < settings().pairs) {
        // A pairs file that cannot be read gives no pair lines: nothing is drawn.
        const auto bytes = os.readFile(pairsFile, kMaxPairsFileBytes);
        const std::vector<std::string> entries =
            bytes ? ReadPairsFile(*bytes) : std::vector<std::string>{};
        if (entries.empty()) {
            return;
        }
        const auto lines = static_cast<int32_t>(entries.size());
        const int32_t base = randomUpTo((lines - 1) / kFieldsPerPair) * kFieldsPerPair;
        // A line names photographs for eight monitors; further monitors keep what they have.
        for (int32_t m = 0; m < monitors && m < kFieldsPerPair; ++m) {
            fitOnMonitor(m, folder + TrimBlanks(entries[static_cast<size_t>(base + m)]));
        }
        return;
    }

    // Names are kept as listed: on a file system that tells case apart, the lower-cased name
    // would name another file.
    std::vector<std::string> candidates;
    for (const std::string& name : os.listFiles(folder)) {
        if (IsPictureFileName(TrimBlanks(name))) {
            candidates.push_back(name);
        }
    }
    if (candidates.empty()) {
        return;
    }
    const auto count = static_cast<int32_t>(candidates.size());
    for (int32_t m = 0; m < monitors; ++m) {
        fitOnMonitor(m, folder + candidates[static_cast<size_t>(randomUpTo(count - 1))]);
    }
}

}  // namespace drape
