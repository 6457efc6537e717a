// [X] programArguments: argv as given, after the program's name (posix hands over bytes, which
//     the program takes as UTF-8)
// [X] printText to stdout, flushed at once; reportError to the backend's one error path
#include <cstdio>

#include "platform/posix/posix_platform.h"

namespace drape::platform {

std::vector<std::string> programArguments(int argc, char** argv) {
    if (argc <= 1 || argv == nullptr) {
        return {};
    }
    return std::vector<std::string>(argv + 1, argv + argc);
}

namespace posix {

void PosixSystem::printText(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void PosixSystem::reportError(const std::string& line) {
    shared_.report(line);
}

}  // namespace posix
}  // namespace drape::platform
