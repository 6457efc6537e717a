// Entry point of `drape`: installs the platform backend and runs the program.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "run/run_sequence.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = drape::platform::programArguments(argc, argv);
    try {
        auto native = drape::platform::createNative();
        drape::platform::setCurrent(native.get());
        drape::RunProgram(arguments);
        drape::platform::setCurrent(nullptr);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "drape: %s\n", error.what());
    }
    // The exit code is 0 whatever happened, so scripts and autostart never see a failure.
    return 0;
}
