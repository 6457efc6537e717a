#include "drape98/images98.h"

#include <cstdint>
#include <string>
#include <vector>

#include "drape98/product98.h"
#include "drape98/settings98.h"
#include "images/image_sources.h"
#include "platform/narrow.h"
#include "platform/platform.h"
#include "raster/raster.h"
#include "state/monitor_selection.h"
#include "state/product.h"
#include "state/settings.h"
#include "state/tokens.h"

namespace drape {

namespace {

// Pairs are taken 20 times in 101, the draw 0..100 being below 20.
constexpr int32_t kPairChance98 = 20;
constexpr int64_t kMinPairsFileBytes98 = 3;
constexpr size_t kMaxPairsFileBytes98 = size_t{16} << 20;

void fitOnMonitor(int32_t monitor, const std::string& path) {
    MonitorState& m = state().monitor;
    m.firstMonitor = monitor;
    m.lastMonitor = monitor;
    FitImageFile98(path);
}

}  // namespace

std::string ProgramFolder98() {
    const std::string path = platform::currentNarrow().programPath();
    const size_t last = path.find_last_of("\\/");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

void FitImageFile98(const std::string& path) {
    const Settings98& s = settings98();
    if (raster::readImageFile98(raster::kSecondImage, path) == nullptr) {
        if (!s.silent) {
            platform::currentNarrow().messageBox(
                kProductTitle98, std::string(kMissingFileMessage98) + "\r\n\r\n" + path,
                platform::kMbOk);
        }
        return;
    }
    FitLoadedImage(s.distort, s.expand);
}

void LoadRandomImages98(const std::string& argument) {
    platform::Platform& os = platform::current();
    platform::Narrow& narrow = platform::currentNarrow();
    std::string folder = argument == "nearby" ? ProgramFolder98() : argument;
    const char separator = os.pathSeparator();
    if (folder.empty() || folder.back() != separator) {
        folder += separator;
    }
    const int32_t monitors = state().monitors.count;
    const std::string pairsFile = narrow.toUtf8(folder + kPairsFileName);

    if (os.fileSize(pairsFile) >= kMinPairsFileBytes98 && UniformInRange(0, 100) < kPairChance98) {
        const auto bytes = os.readFile(pairsFile, kMaxPairsFileBytes98);
        const std::vector<std::string> entries =
            bytes ? ReadPairsFile(*bytes) : std::vector<std::string>{};
        if (entries.empty()) {
            return;
        }
        const auto count = static_cast<int32_t>(entries.size());
        const int32_t base = UniformInRange(0, count / kFieldsPerPair - 1) * kFieldsPerPair;
        // A line names photographs for eight monitors; further monitors keep what they have.
        for (int32_t m = 0; m < monitors && m < kFieldsPerPair; ++m) {
            fitOnMonitor(m, folder + TrimBlanks(entries[static_cast<size_t>(base + m)]));
        }
        return;
    }

    const std::vector<std::string> names = narrow.listFiles(folder, "*.jpg");
    if (names.empty()) {
        return;
    }
    const auto count = static_cast<int32_t>(names.size());
    for (int32_t m = 0; m < monitors; ++m) {
        fitOnMonitor(m, folder + names[static_cast<size_t>(UniformInRange(0, count - 1))]);
    }
}

}  // namespace drape
