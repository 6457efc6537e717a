#include "platform/narrow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/unicode.h"

namespace drape::platform {

namespace {

Narrow* gCurrentNarrow = nullptr;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

Narrow& currentNarrow() {
    if (gCurrentNarrow == nullptr) {
        std::fputs("drape: no 8-bit platform services installed\n", stderr);
        std::abort();
    }
    return *gCurrentNarrow;
}

void setCurrentNarrow(Narrow* narrow) {
    gCurrentNarrow = narrow;
}

std::vector<std::string> splitNarrowCommandLine(std::string_view line) {
    size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        at = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (at < line.size() && !isBlank(line[at])) {
            ++at;
        }
    }
    std::vector<std::string> arguments;
    while (true) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at == line.size()) {
            return arguments;
        }
        if (line[at] == '"') {
            const size_t close = line.find('"', at + 1);
            const size_t end = close == std::string_view::npos ? line.size() : close;
            arguments.emplace_back(line.substr(at + 1, end - at - 1));
            at = close == std::string_view::npos ? end : close + 1;
        } else {
            const size_t start = at;
            while (at < line.size() && !isBlank(line[at])) {
                ++at;
            }
            arguments.emplace_back(line.substr(start, at - start));
        }
    }
}

std::string_view countedBytes(const std::string& data, size_t dataBytes) {
    // c_str() ends in the zero that a count including the terminator reaches.
    return {data.c_str(), std::min(dataBytes, data.size() + 1)};
}

int PassThroughNarrow::regSetString(uint32_t root, const std::string& keyPath,
                                    const std::string& name, const std::string& data,
                                    size_t dataBytes) {
    const int created = platform_.regCreateKey(root, keyPath);
    if (created != kRegSuccess) {
        return created;
    }
    // Each byte of the code page (here UTF-8) becomes its UTF-16 units, so a count that leaves
    // out the terminator stores none, and one that includes it stores a zero unit.
    return platform_.regSetValue(root, keyPath, name,
                                 {RegType::Sz, utf16leBytes(countedBytes(data, dataBytes))});
}

std::vector<std::string> PassThroughNarrow::listFiles(const std::string& folder,
                                                      const std::string& pattern) {
    std::vector<std::string> names = platform_.listFiles(folder);
    std::erase_if(names, [&](const std::string& name) { return !matchesPattern(name, pattern); });
    return names;
}

}  // namespace drape::platform
