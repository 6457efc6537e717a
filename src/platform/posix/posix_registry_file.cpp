// [X] Read: UTF-8, UTF-8 with BOM, UTF-16LE with BOM; CR LF or LF; ';' comments
// [X] Read: "text", dword:, hex:, hex(N):, @ default values, backslash-continued hex lines
// [X] Write: UTF-8 without BOM, hex lines wrapped to 80 columns as regedit does
// [X] Case-insensitive key paths and value names
// [ ] Deletion entries ([-KEY], "name"=-): an import script's syntax, not a hive's; rejected
// [ ] REGEDIT4 files (ANSI, a different hex(2) form); rejected
#include "platform/posix/posix_registry_file.h"

#include <cstddef>
#include <cstdio>

#include "platform/posix/posix_text.h"
#include "platform/unicode.h"

namespace drape::platform::posix {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr size_t kHexLineWidth = 80;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// 1 to 8 hex digits, nothing else.
std::optional<uint32_t> parseHexNumber(std::string_view text) {
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

// "01,02,ff" (blanks allowed around each byte); an empty text is no bytes.
std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    text = trim(text);
    if (text.empty()) {
        return bytes;
    }
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view item = trim(text.substr(0, comma));
        const std::optional<uint32_t> value = parseHexNumber(item);
        if (item.size() > 2 || !value) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(*value));
        if (comma == std::string_view::npos) {
            return bytes;
        }
        text.remove_prefix(comma + 1);
    }
}

// Reads a quoted name or string starting at text[pos] == '"'; only \\ and \" are escapes, any
// other backslash stands for itself. Leaves `pos` after the closing quote.
bool parseQuoted(std::string_view text, size_t& pos, std::string& out) {
    out.clear();
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < text.size() && (text[pos + 1] == '\\' || text[pos + 1] == '"')) {
            ++pos;
        }
        out += text[pos];
    }
    return false;
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

std::optional<std::string> decodeText(std::string_view bytes, HiveParseError& error) {
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
        static_cast<uint8_t>(bytes[1]) == 0xFE) {
        if (bytes.size() % 2 != 0) {
            error = {1, "UTF-16 text with an odd number of bytes"};
            return std::nullopt;
        }
        std::u16string units;
        units.reserve(bytes.size() / 2);
        for (size_t i = 2; i < bytes.size(); i += 2) {
            units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                           (static_cast<uint8_t>(bytes[i + 1]) << 8));
        }
        return utf16ToUtf8(units);
    }
    if (bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFE &&
        static_cast<uint8_t>(bytes[1]) == 0xFF) {
        error = {1, "big-endian UTF-16 is not supported"};
        return std::nullopt;
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    return std::string(bytes);
}

struct LogicalLine {
    int number = 0;
    std::string text;
};

// Joins hex data continued with a backslash at the end of a line.
std::vector<LogicalLine> logicalLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    bool continuing = false;
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        line = continuing ? trim(line) : std::string_view(line);
        while (!line.empty() && (line.back() == '\r' || isBlank(line.back()))) {
            line.remove_suffix(1);
        }
        if (!continuing) {
            lines.push_back({number, {}});
        }
        const std::string& sofar = lines.back().text;
        const bool comment = trim(sofar.empty() ? line : std::string_view(sofar)).starts_with(';');
        continuing = !comment && line.ends_with('\\');
        if (continuing) {
            line.remove_suffix(1);
        }
        lines.back().text += line;
    }
    return lines;
}

std::optional<std::string> parseKeyLine(std::string_view line, std::string& message) {
    if (!line.ends_with(']')) {
        message = "a key name without its closing ']'";
        return std::nullopt;
    }
    const std::string_view path = line.substr(1, line.size() - 2);
    if (path.starts_with('-')) {
        message = "deleting keys is not supported in a hive";
        return std::nullopt;
    }
    if (!startsWithNoCase(path, "hkey_")) {
        message = "a key name that does not start with a root such as HKEY_CURRENT_USER";
        return std::nullopt;
    }
    if (path.ends_with('\\') || path.find("\\\\") != std::string_view::npos) {
        message = "a key name with an empty part";
        return std::nullopt;
    }
    return std::string(path);
}

std::optional<HiveValue> parseValueLine(std::string_view line, std::string& message) {
    HiveValue result;
    size_t pos = 0;
    if (line.front() == '@') {
        pos = 1;
    } else if (!parseQuoted(line, pos, result.name)) {
        message = "a value name without its closing quote";
        return std::nullopt;
    }
    std::string_view rest = trim(line.substr(pos));
    if (!rest.starts_with('=')) {
        message = "no '=' after the value name";
        return std::nullopt;
    }
    rest = trim(rest.substr(1));

    RegValue& value = result.value;
    if (rest.starts_with('"')) {
        size_t end = 0;
        std::string text;
        if (!parseQuoted(rest, end, text)) {
            message = "a string without its closing quote";
            return std::nullopt;
        }
        if (!trim(rest.substr(end)).empty()) {
            message = "text after the closing quote of a string";
            return std::nullopt;
        }
        value = {RegType::Sz, regSzData(text)};
        return result;
    }
    if (startsWithNoCase(rest, "dword:")) {
        const std::optional<uint32_t> number = parseHexNumber(rest.substr(6));
        if (!number) {
            message = "a dword that is not 1 to 8 hex digits";
            return std::nullopt;
        }
        value.type = RegType::Dword;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<uint8_t>(*number >> shift));
        }
        return result;
    }
    std::string_view bytes;
    if (startsWithNoCase(rest, "hex:")) {
        value.type = RegType::Binary;
        bytes = rest.substr(4);
    } else if (startsWithNoCase(rest, "hex(")) {
        const size_t close = rest.find("):");
        const std::optional<uint32_t> type = close == std::string_view::npos
                                                 ? std::nullopt
                                                 : parseHexNumber(rest.substr(4, close - 4));
        if (!type) {
            message = "a value type that is not hex(N): with N in hex";
            return std::nullopt;
        }
        value.type = static_cast<RegType>(*type);
        bytes = rest.substr(close + 2);
    } else if (rest == "-") {
        message = "deleting values is not supported in a hive";
        return std::nullopt;
    } else {
        message = "value data that is neither \"text\", dword: nor hex";
        return std::nullopt;
    }
    std::optional<std::vector<uint8_t>> data = parseHexBytes(bytes);
    if (!data) {
        message = "hex data that is not comma-separated hex bytes";
        return std::nullopt;
    }
    value.data = std::move(*data);
    return result;
}

void appendHexData(std::string& out, size_t column, const std::vector<uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        const size_t width = i + 1 < data.size() ? 3 : 2;
        // The last column stays free for the continuation backslash.
        if (i > 0 && column + width > kHexLineWidth - 1) {
            out += "\\\n  ";
            column = 2;
        }
        out += kDigits[data[i] >> 4];
        out += kDigits[data[i] & 0xF];
        if (i + 1 < data.size()) {
            out += ',';
        }
        column += width;
    }
}

void appendValue(std::string& out, const HiveValue& entry) {
    const size_t lineStart = out.size();
    if (entry.name.empty()) {
        out += '@';
    } else {
        appendQuoted(out, entry.name);
    }
    out += '=';
    const RegValue& value = entry.value;
    if (value.type == RegType::Sz && isPlainRegSz(value.data)) {
        appendQuoted(out, regSzText(value.data));
    } else if (value.type == RegType::Dword && value.data.size() == 4) {
        const uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                (uint32_t{value.data[3]} << 24);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        out += text;
    } else {
        if (value.type == RegType::Binary) {
            out += "hex:";
        } else {
            char text[24];
            std::snprintf(text, sizeof text, "hex(%x):", static_cast<uint32_t>(value.type));
            out += text;
        }
        appendHexData(out, out.size() - lineStart, value.data);
    }
    out += '\n';
}

}  // namespace

const HiveValue* HiveKey::findValue(std::string_view name) const {
    const auto found = index_.find(toUpper(name));
    return found == index_.end() ? nullptr : &values_[found->second];
}

void HiveKey::setValue(std::string_view name, const RegValue& value) {
    const auto [place, added] = index_.try_emplace(toUpper(name), values_.size());
    if (added) {
        values_.push_back({std::string(name), value});
    } else {
        values_[place->second].value = value;
    }
}

bool HiveKey::deleteValue(std::string_view name) {
    const auto found = index_.find(toUpper(name));
    if (found == index_.end()) {
        return false;
    }
    const size_t place = found->second;
    index_.erase(found);
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(place));
    for (auto& [folded, index] : index_) {
        if (index > place) {
            --index;
        }
    }
    return true;
}

HiveKey* Hive::findKey(std::string_view path) {
    const auto found = index_.find(toUpper(path));
    return found == index_.end() ? nullptr : &keys_[found->second];
}

const HiveKey* Hive::findKey(std::string_view path) const {
    return const_cast<Hive*>(this)->findKey(path);
}

bool Hive::hasKey(std::string_view path) const {
    if (path.find('\\') == std::string_view::npos) {
        return true;
    }
    const std::string folded = toUpper(path);
    if (index_.contains(folded)) {
        return true;
    }
    // Keys below it sort right after "PATH\", so the first one at or after it tells.
    const std::string below = folded + '\\';
    const auto next = index_.lower_bound(below);
    return next != index_.end() && next->first.starts_with(below);
}

HiveKey& Hive::section(std::string_view path) {
    const auto [place, added] = index_.try_emplace(toUpper(path), keys_.size());
    if (added) {
        keys_.emplace_back(std::string(path));
    }
    return keys_[place->second];
}

HiveKey& Hive::createKey(std::string_view path) {
    size_t end = path.find('\\');
    if (end != std::string_view::npos) {
        end = path.find('\\', end + 1);
    }
    while (end != std::string_view::npos) {
        section(path.substr(0, end));
        end = path.find('\\', end + 1);
    }
    return section(path);
}

std::optional<Hive> parseHive(std::string_view bytes, HiveParseError& error) {
    const std::optional<std::string> text = decodeText(bytes, error);
    if (!text) {
        return std::nullopt;
    }
    Hive hive;
    bool headerSeen = false;
    HiveKey* key = nullptr;  // the section being read; set anew whenever a key is added
    for (const LogicalLine& logical : logicalLines(*text)) {
        const std::string_view line = trim(logical.text);
        if (line.empty()) {
            continue;
        }
        std::string message;
        if (!headerSeen) {
            if (line != kHeader) {
                error = {logical.number, "the first line is not \"" + std::string(kHeader) + "\""};
                return std::nullopt;
            }
            headerSeen = true;
        } else if (line.starts_with(';')) {
            continue;
        } else if (line.starts_with('[')) {
            const std::optional<std::string> path = parseKeyLine(line, message);
            if (path) {
                // Keys repeated in the file merge into one, as an import would.
                key = &hive.section(*path);
            }
        } else if (line.starts_with('"') || line.starts_with('@')) {
            std::optional<HiveValue> value = parseValueLine(line, message);
            if (value && key == nullptr) {
                message = "a value before the first key";
            } else if (value) {
                key->setValue(value->name, value->value);
            }
        } else {
            message = "a line that is neither a key, a value nor a comment";
        }
        if (!message.empty()) {
            error = {logical.number, message};
            return std::nullopt;
        }
    }
    if (!headerSeen) {
        error = {1, "an empty file, without the line \"" + std::string(kHeader) + "\""};
        return std::nullopt;
    }
    return hive;
}

std::string writeHive(const Hive& hive) {
    std::string out(kHeader);
    out += "\n\n";
    for (const HiveKey& key : hive.keys()) {
        out += '[';
        out += key.path;
        out += "]\n";
        for (const HiveValue& value : key.values()) {
            appendValue(out, value);
        }
        out += '\n';
    }
    return out;
}

bool isStorableName(std::string_view name) {
    return name.find_first_of("\r\n") == std::string_view::npos;
}

}  // namespace drape::platform::posix
