// Where the command string comes from.
#pragma once

#include <string>
#include <vector>

namespace drape {

// Joins the program's arguments into a command string: an argument holding a blank is put
// back in double quotes so that it stays one token.
std::string JoinArguments(const std::vector<std::string>& arguments);

// Fills `commandString`, `tokenCount` and `presetSource` from the first source that gives a
// command.
void ChooseCommandSource(const std::vector<std::string>& arguments);

}  // namespace drape
