// [X] createNative() for Linux and other posix systems: every concern is real
// [X] One error path: every problem the backend notices is one "drape: ..." line on stderr
#include "platform/posix/posix_platform.h"

#include <cstdio>
#include <utility>

#include "platform/posix/posix_userdirs.h"

namespace drape::platform {

std::unique_ptr<Platform> createNative() {
    return std::make_unique<posix::PosixPlatform>();
}

namespace posix {

PosixPlatform::PosixPlatform()
    : Platform(systemPart, registryPart, desktopPart, drawingPart, windowingPart, controlsPart) {
    windowingPart.setToolkit(&controlsPart);
}

void Shared::setReporter(Reporter reporter) {
    reporter_ = std::move(reporter);
}

void Shared::report(const std::string& line) const {
    if (reporter_) {
        reporter_(line);
        return;
    }
    // One call, so that lines of several processes do not interleave.
    const std::string text = "drape: " + line + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
}

std::string Shared::runtimeFolderOrReport() {
    std::string problem;
    std::string folder = runtimeFolder(problem);
    if (folder.empty() && !runtimeProblemReported_) {
        runtimeProblemReported_ = true;
        report(problem);
    }
    return folder;
}

}  // namespace posix
}  // namespace drape::platform
