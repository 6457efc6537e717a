#include "support/fake_narrow.h"

#include <cctype>

namespace drape::test {

namespace {

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

std::string FakeNarrow::programPath() {
    return programPathAs ? *programPathAs : PassThroughNarrow::programPath();
}

std::string FakeNarrow::tempFolder() {
    return tempFolderAs ? *tempFolderAs : PassThroughNarrow::tempFolder();
}

platform::BitmapLoad FakeNarrow::loadBitmapFile(const std::string& path,
                                                platform::LoadedBitmap& out) {
    bitmapLoads.push_back(path);
    return bitmapLoader ? bitmapLoader(path, out) : platform::BitmapLoad::NoLoader;
}

bool FakeNarrow::matchesPattern(const std::string& name, const std::string& pattern) {
    // Greedy with one step back to the last "*": the star takes one more character each time
    // the rest fails to match.
    size_t n = 0;
    size_t p = 0;
    size_t starAt = std::string::npos;
    size_t starMatched = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starMatched = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++starMatched;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace drape::test
