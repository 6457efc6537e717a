// [X] createNative() for Linux and other posix systems
// [X] One error path: every problem the backend notices is one "drape: ..." line on stderr
#include "platform/posix/posix_platform.h"

#include <cstdio>
#include <utility>

namespace drape::platform {

std::unique_ptr<Platform> createNative() {
    return std::make_unique<posix::PosixPlatform>();
}

namespace posix {

PosixPlatform::PosixPlatform() = default;

PosixPlatform::~PosixPlatform() {
    closeProgramWindow();
}

void PosixPlatform::setReporter(Reporter reporter) {
    reporter_ = std::move(reporter);
}

void PosixPlatform::report(const std::string& line) {
    if (reporter_) {
        reporter_(line);
        return;
    }
    // One call, so that lines of several processes do not interleave.
    const std::string text = "drape: " + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace posix
}  // namespace drape::platform
