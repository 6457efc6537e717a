#include "run/command_sources.h"

#include "interp/tokens.h"
#include "run/settings.h"

namespace drape {

std::string JoinArguments(const std::vector<std::string>& arguments) {
    std::string joined;
    for (const std::string& argument : arguments) {
        if (argument.find(' ') != std::string::npos) {
            joined += " \"" + argument + "\" ";
        } else {
            joined += " " + argument;
        }
    }
    return TrimBlanks(joined);
}

void ChooseCommandSource(const std::vector<std::string>& arguments) {
    Settings& s = settings();
    s.commandString = JoinArguments(arguments);
    s.tokenCount = CountTokens(s.commandString);
    s.presetSource = 0;
}

}  // namespace drape
