// Entry point of `drape98`: installs the platform backend with its 8-bit services and runs the
// program.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "drape98/run98.h"
#include "platform/narrow.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments = drape::platform::narrowArguments(argc, argv);
        auto native = drape::platform::createNative();
        drape::platform::setCurrent(native.get());
        auto narrow = drape::platform::createNativeNarrow(*native);
        drape::platform::setCurrentNarrow(narrow.get());
        drape::Main98(arguments);
        drape::platform::setCurrentNarrow(nullptr);
        drape::platform::setCurrent(nullptr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "drape98: %s\n", error.what());
    }
    // The exit code is 0 whatever happened, so scripts and shortcuts never see a failure.
    return 0;
}
