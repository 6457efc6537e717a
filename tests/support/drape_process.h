// Starting the built drape from tests, in an environment the test chooses.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace drape::test {

// The built program that DRAPE_BIN_DIR names; "" when it is not there.
std::string builtDrape();
// The built drape98 beside it; "" when it is not there.
std::string builtDrape98();

// Starts `program` with `words` as its arguments and `environment` ("NAME=value") as its whole
// environment, plus PATH and the sanitizer options of the test's own, so that nothing else of
// the developer's session (DISPLAY, XDG_CURRENT_DESKTOP) reaches it. Standard input is
// /dev/null; standard output and error are appended to `log`. The pid, or -1 with a test
// failure.
pid_t spawnDrape(const std::string& program, const std::vector<std::string>& words,
                 std::vector<std::string> environment, const std::string& log);

// The whole of a file the program wrote; empty when it cannot be read.
std::string slurp(const std::filesystem::path& path);

}  // namespace drape::test
