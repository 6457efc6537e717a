// The program from start to exit.
#pragma once

#include <string>
#include <vector>

namespace drape {

// Runs the program over its arguments (without the program name) on the installed
// platform. Returns the exit code, which is always 0.
int RunProgram(const std::vector<std::string>& arguments);

}  // namespace drape
