// [X] DRAPE_MONITORS: a list "WxH@X,Y[:DEPTH];..." or "@FILE" (re-read at every call)
// [X] Else the X display's monitors (x11_monitors.h), on the backend's kept connection
// [X] Fallback without a display: one 1920x1080 monitor at (0, 0), depth 24
// [X] Positions are shifted so that the primary monitor lies at (0, 0), as on Windows
#include "platform/posix/posix_monitors.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/x11_connection.h"
#include "platform/posix/x11_monitors.h"

namespace drape::platform::posix {

namespace {

constexpr int64_t kMaxSide = 32767;
constexpr int64_t kMaxPosition = 1000000;
constexpr int64_t kMaxDepth = 64;
constexpr int32_t kDefaultDepth = 24;
constexpr size_t kMaxListFileBytes = 1 << 20;
constexpr Monitor kFallbackMonitor{0, 0, 1920, 1080, 24};

std::string_view trimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A decimal number that fills `text` and lies within low..high; a sign only when allowed.
std::optional<int64_t> parseNumber(std::string_view text, bool signedNumber, int64_t low,
                                   int64_t high) {
    if (signedNumber && text.starts_with('+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || (!signedNumber && text.front() == '-') || text.front() == '+') {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Parses one entry; returns the reason when it is bad.
const char* parseEntry(std::string_view entry, Monitor& monitor) {
    constexpr const char* kShape = "expected WxH@X,Y[:DEPTH]";
    const size_t times = entry.find_first_of("xX");
    const size_t at = entry.find('@');
    const size_t comma = entry.find(',');
    if (times == std::string_view::npos || at == std::string_view::npos ||
        comma == std::string_view::npos || !(times < at && at < comma)) {
        return kShape;
    }
    const size_t colon = entry.find(':', comma);
    const std::string_view yText =
        entry.substr(comma + 1, colon == std::string_view::npos ? colon : colon - comma - 1);
    const std::string_view widthText = entry.substr(0, times);
    const std::string_view heightText = entry.substr(times + 1, at - times - 1);
    const std::string_view xText = entry.substr(at + 1, comma - at - 1);

    // An optional sign and digits; whether the sign and the value are allowed is told apart,
    // so that the message says what is wrong.
    const auto isNumberLike = [](std::string_view text) {
        if (text.starts_with('+') || text.starts_with('-')) {
            text.remove_prefix(1);
        }
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!isNumberLike(widthText) || !isNumberLike(heightText) || !isNumberLike(xText) ||
        !isNumberLike(yText) ||
        (colon != std::string_view::npos && !isNumberLike(entry.substr(colon + 1)))) {
        return kShape;
    }
    const auto width = parseNumber(widthText, false, 1, kMaxSide);
    const auto height = parseNumber(heightText, false, 1, kMaxSide);
    if (!width || !height) {
        return "width and height must be 1 to 32767";
    }
    const auto x = parseNumber(xText, true, -kMaxPosition, kMaxPosition);
    const auto y = parseNumber(yText, true, -kMaxPosition, kMaxPosition);
    if (!x || !y) {
        return "X and Y must be -1000000 to 1000000";
    }
    std::optional<int64_t> depth = kDefaultDepth;
    if (colon != std::string_view::npos) {
        depth = parseNumber(entry.substr(colon + 1), false, 1, kMaxDepth);
        if (!depth) {
            return "depth must be 1 to 64";
        }
    }
    monitor = {static_cast<int32_t>(*x), static_cast<int32_t>(*y), static_cast<int32_t>(*width),
               static_cast<int32_t>(*height), static_cast<int32_t>(*depth)};
    return nullptr;
}

// Windows places the primary monitor at (0, 0); other sources may not.
std::vector<Monitor> withPrimaryAtOrigin(std::vector<Monitor> monitors) {
    const int32_t dx = monitors.front().x;
    const int32_t dy = monitors.front().y;
    for (Monitor& monitor : monitors) {
        monitor.x -= dx;
        monitor.y -= dy;
    }
    return monitors;
}

}  // namespace

std::optional<std::vector<Monitor>> parseMonitorList(std::string_view text, std::string& error) {
    std::vector<Monitor> monitors;
    while (!text.empty()) {
        const size_t end = text.find_first_of(";\n");
        const std::string_view entry = trimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (entry.empty()) {
            continue;
        }
        Monitor monitor;
        if (const char* reason = parseEntry(entry, monitor)) {
            error = "bad monitor entry \"" + std::string(entry) + "\": " + reason;
            return std::nullopt;
        }
        monitors.push_back(monitor);
    }
    return monitors;
}

std::optional<std::vector<Monitor>> monitorsFromSetting(std::string_view value,
                                                        std::string& error) {
    if (!value.starts_with('@')) {
        auto monitors = parseMonitorList(value, error);
        if (!monitors) {
            error = "DRAPE_MONITORS: " + error;
        }
        return monitors;
    }
    const std::string path(value.substr(1));
    int readError = 0;
    const std::optional<std::string> text = readWholeFile(path, kMaxListFileBytes, readError);
    if (!text) {
        error = "DRAPE_MONITORS: cannot read " + path + ": " +
                readErrorText(readError, kMaxListFileBytes);
        return std::nullopt;
    }
    auto monitors = parseMonitorList(*text, error);
    if (!monitors) {
        error = "DRAPE_MONITORS file " + path + ": " + error;
    }
    return monitors;
}

std::vector<Monitor> PosixDesktop::enumerateMonitors() {
    if (const char* value = std::getenv("DRAPE_MONITORS"); value != nullptr && *value != '\0') {
        std::string error;
        const std::optional<std::vector<Monitor>> listed = monitorsFromSetting(value, error);
        if (!listed && error != lastMonitorProblem_) {
            shared_.report(error + "; using the next monitor source");
        }
        lastMonitorProblem_ = listed ? std::string() : error;
        if (listed && !listed->empty()) {
            return withPrimaryAtOrigin(*listed);
        }
    }
    XDisplay* display = x11_.get();
    std::vector<Monitor> monitors =
        display != nullptr ? monitorsFromX(display) : std::vector<Monitor>();
    if (!monitors.empty()) {
        return withPrimaryAtOrigin(std::move(monitors));
    }
    return {kFallbackMonitor};
}

}  // namespace drape::platform::posix
