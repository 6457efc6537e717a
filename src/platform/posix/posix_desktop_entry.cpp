// [X] String escapes of desktop files, Exec quoting and splitting
// [X] The autorun data format (quoted program path, blank, command string) carried in Exec
// [ ] Localised keys (Name[de]=...) are not read; Drape writes none
#include "platform/posix/posix_desktop_entry.h"

#include <algorithm>

namespace drape::platform::posix {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The tokens of a command line: blanks separate, double quotes group (as the interpreter reads
// them), runs of blanks give no empty token.
std::vector<std::string_view> commandTokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    bool quoted = false;
    size_t start = std::string_view::npos;
    for (size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] == '"') {
            quoted = !quoted;
        }
        if (end || (text[i] == ' ' && !quoted)) {
            if (start != std::string_view::npos) {
                tokens.push_back(text.substr(start, i - start));
                start = std::string_view::npos;
            }
        } else if (start == std::string_view::npos) {
            start = i;
        }
    }
    return tokens;
}

}  // namespace

std::string escapeDesktopString(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string unescapeDesktopString(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += text[i];
        }
    }
    return out;
}

std::string quoteExecArgument(std::string_view argument) {
    const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    std::string out;
    if (quote) {
        out += '"';
    }
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::optional<std::vector<std::string>> splitExec(std::string_view exec) {
    std::vector<std::string> arguments;
    size_t i = 0;
    while (true) {
        while (i < exec.size() && (exec[i] == ' ' || exec[i] == '\t')) {
            ++i;
        }
        if (i == exec.size()) {
            return arguments;
        }
        std::string argument;
        bool quoted = false;
        for (; i < exec.size(); ++i) {
            const char c = exec[i];
            if (quoted) {
                if (c == '\\' && i + 1 < exec.size()) {
                    argument += exec[++i];
                } else if (c == '"') {
                    quoted = false;
                } else {
                    argument += c;
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ' ' || c == '\t') {
                break;
            } else {
                argument += c;
            }
            if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
                ++i;
            }
        }
        if (quoted) {
            return std::nullopt;
        }
        arguments.push_back(std::move(argument));
    }
}

std::string execFromCommandLine(std::string_view data) {
    std::string exec;
    for (std::string_view token : commandTokens(data)) {
        if (token.size() >= 2 && token.front() == '"' && token.back() == '"') {
            token = token.substr(1, token.size() - 2);
        }
        if (!exec.empty()) {
            exec += ' ';
        }
        exec += quoteExecArgument(token);
    }
    return exec;
}

std::optional<std::string> commandLineFromExec(std::string_view exec) {
    const auto arguments = splitExec(exec);
    if (!arguments || arguments->empty()) {
        return std::nullopt;
    }
    std::string data = "\"" + arguments->front() + "\"";
    for (size_t i = 1; i < arguments->size(); ++i) {
        const std::string& argument = (*arguments)[i];
        data += ' ';
        // An argument goes back as it stands when it reads as itself: one token that neither
        // opens a quote nor starts with one. Any other (a blank outside quotes, nothing at all)
        // was a quoted token and is quoted again.
        const auto tokens = commandTokens(argument);
        const bool oneToken = tokens.size() == 1 && tokens.front().size() == argument.size() &&
                              argument.front() != '"' &&
                              std::count(argument.begin(), argument.end(), '"') % 2 == 0;
        data += oneToken ? argument : "\"" + argument + "\"";
    }
    return data;
}

std::optional<std::string> desktopEntryValue(std::string_view file, std::string_view key) {
    bool inEntry = false;
    size_t start = 0;
    while (start <= file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos) {
            end = file.size();
        }
        std::string_view line = file.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
        } else if (inEntry && line.size() > key.size() && line.substr(0, key.size()) == key) {
            std::string_view rest = line.substr(key.size());
            while (!rest.empty() && rest.front() == ' ') {
                rest.remove_prefix(1);
            }
            if (!rest.empty() && rest.front() == '=') {
                rest.remove_prefix(1);
                while (!rest.empty() && rest.front() == ' ') {
                    rest.remove_prefix(1);
                }
                return unescapeDesktopString(rest);
            }
        }
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace drape::platform::posix
