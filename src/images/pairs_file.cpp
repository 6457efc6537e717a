// The pairs file: which photographs go together on the monitors.
#include <string>
#include <vector>

#include "images/image_sources.h"
#include "state/tokens.h"

namespace drape {

std::vector<std::string> ReadPairsFile(const std::string& bytes) {
    std::vector<std::string> entries;
    for (const std::string& raw : SplitTextLines(bytes)) {
        const std::string line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';' || line.find(',') == std::string::npos) {
            continue;
        }
        size_t start = 0;
        for (int field = 0; field < kFieldsPerPair; ++field) {
            if (start == std::string::npos) {
                entries.emplace_back();
                continue;
            }
            const size_t comma = line.find(',', start);
            entries.push_back(
                line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            start = comma == std::string::npos ? std::string::npos : comma + 1;
        }
    }
    return entries;
}

}  // namespace drape
