// [X] setWallpaper records the path for the login session in <runtime folder>/wallpaper
//     (the runtime folder of posix_userdirs.h, which the session's end clears), together with
//     the root pixmap it published
// [X] kSpifUpdateIniFile also stores it as "Wallpaper" under "Control Panel\Desktop" in the
//     hive, so that it outlives the session
// [X] With an X display: the bitmap becomes the root window's tiled background, kept by the
//     server, so removing the file afterwards loses nothing (x11_root.h)
// [X] Under GNOME: also GNOME's own background setting (gnome_background.h)
// [X] wallpaper(): the session's path while the desktop still shows that picture, "" once
//     another program replaced it (a resident instance then puts its own back); without a
//     display the session's path; else the hive's "Wallpaper"; else ""
// [ ] A picture changed in GNOME's own settings is not noticed (that would mean running
//     gsettings at every check of the resident loop)
// [ ] kSpifSendWinIniChange: no other program listens for it on posix; ignored
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/posix/gnome_background.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_registry_file.h"
#include "platform/posix/posix_text.h"
#include "platform/posix/posix_userdirs.h"
#include "platform/posix/x11_bitmap.h"

namespace drape::platform::posix {

namespace {

constexpr const char* kSessionFile = "wallpaper";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kWallpaperValue = "Wallpaper";
constexpr size_t kMaxRecordBytes = 64 * 1024;
// A desktop of 16384 x 8192 pixels is a 400 MB bitmap; anything larger is not shown.
constexpr size_t kMaxBitmapBytes = size_t{1} << 30;

// --- The session record -------------------------------------------------------------------

// The path alone, or, when the picture went onto an X root window, the path, the display, the
// pixmap in hex and whether pixels may be compared, separated by NULs (no path holds one).
std::string encodeRecord(const std::string& path, const RootBackground& root) {
    if (root.pixmap == 0) {
        return path;
    }
    char hex[2 * sizeof(unsigned long)] = {};
    const auto end = std::to_chars(hex, hex + sizeof hex, root.pixmap, 16).ptr;
    std::string text = path;
    text += '\0';
    text += root.display;
    text += '\0';
    text.append(hex, end);
    text += '\0';
    text += root.comparePixels ? '1' : '0';
    return text;
}

struct SessionRecord {
    std::string path;
    RootBackground root;
};

// A record this program did not write whole (cut short, or from an older Drape) still gives
// its path, with no root pixmap.
SessionRecord decodeRecord(const std::string& text) {
    SessionRecord record;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1) {
        fields.push_back(text.substr(start, end - start));
    }
    fields.push_back(text.substr(start));
    record.path = fields[0];
    unsigned long pixmap = 0;
    if (fields.size() == 4 && !fields[2].empty() && (fields[3] == "0" || fields[3] == "1")) {
        const auto [end, error] =
            std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), pixmap, 16);
        if (error == std::errc() && end == fields[2].data() + fields[2].size()) {
            record.root = {fields[1], pixmap, fields[3] == "1"};
        }
    }
    return record;
}

}  // namespace

void PosixDesktop::reportDesktopProblem(const std::string& line) {
    if (desktopProblemsTold_.insert(line).second) {
        shared_.report(line);
    }
}

PosixDesktop::DesktopShow PosixDesktop::showOnDesktop(const std::string& path) {
    DesktopShow shown;
    const bool onX = x11_.get() != nullptr;
    const std::string gsettings = isGnomeSession() ? findProgram("gsettings") : std::string();
    if (path.empty() || (!onX && gsettings.empty())) {
        return shown;
    }
    int error = 0;
    const std::optional<std::string> file = readWholeFile(path, kMaxBitmapBytes, error);
    std::string problem = file ? std::string() : readErrorText(error, kMaxBitmapBytes);
    const std::optional<Bmp24> bitmap = file ? readBmp24(*file, problem) : std::nullopt;
    if (!bitmap) {
        reportDesktopProblem("cannot show " + path + " on the desktop: " + problem);
        shown.ok = false;
        return shown;
    }

    // `keep` installs the same file twice in a row; the second time finds it on show already.
    const size_t hash = std::hash<std::string_view>{}(*file);
    if (hash == shownHash_ && path == shownPath_) {
        XDisplay* display = x11_.get();
        if (display == nullptr ? shownRoot_.pixmap == 0
                               : stillShown(display, x11_.name(), shownRoot_)) {
            shown.root = shownRoot_;
            return shown;
        }
    }

    if (onX) {
        // Drape lays the bitmap out for tiling from the primary monitor's top-left corner;
        // X tiles from the root window's, which is the top-left of all monitors.
        int64_t left = 0;
        int64_t top = 0;
        for (const Monitor& monitor : enumerateMonitors()) {
            left = std::min<int64_t>(left, monitor.x);
            top = std::min<int64_t>(top, monitor.y);
        }
        const std::string displayName = x11_.name();
        const unsigned long pixmap = setRootBackground(*bitmap, -left, -top, problem);
        if (pixmap == 0) {
            reportDesktopProblem("cannot show " + path + " on the X display " + displayName + ": " +
                                 problem);
            shown.ok = false;
        } else {
            XDisplay* display = x11_.get();
            shown.root = {displayName, pixmap,
                          display != nullptr && lookAtRoot(display, pixmap) != RootLook::Differs};
        }
    }
    if (!gsettings.empty() && !setGnomeBackground(*file, gsettings, problem)) {
        reportDesktopProblem("cannot set the GNOME background: " + problem);
        shown.ok = false;
    }
    if (shown.ok) {
        shownHash_ = hash;
        shownPath_ = path;
        shownRoot_ = shown.root;
    }
    return shown;
}

bool PosixDesktop::setWallpaper(const std::string& path, uint32_t flags) {
    const std::string folder = shared_.runtimeFolderOrReport();
    lastSetPath_ = path;
    // Shown while the file still exists: the caller may delete it right after.
    const DesktopShow shown = showOnDesktop(path);
    bool ok = !folder.empty() &&
              writeFileAtomically(folder + kSessionFile, encodeRecord(path, shown.root), 0600) &&
              shown.ok;
    if ((flags & kSpifUpdateIniFile) != 0) {
        const int status = registry_.changeHive([&](Hive& hive, bool& changed) {
            hive.createKey(std::string("HKEY_CURRENT_USER\\") + kDesktopKey)
                .setValue(kWallpaperValue, {RegType::Sz, regSzData(path)});
            changed = true;
            return kRegSuccess;
        });
        ok = ok && status == kRegSuccess;
    }
    return ok;
}

std::string PosixDesktop::wallpaper() {
    const std::string folder = shared_.runtimeFolderOrReport();
    int error = ENOENT;
    std::optional<SessionRecord> record;
    if (!folder.empty()) {
        if (std::optional<std::string> text =
                readWholeFile(folder + kSessionFile, kMaxRecordBytes, error)) {
            record = decodeRecord(*text);
        }
    }
    // A record this instance cannot read tells nothing of a change: what it showed last is
    // taken as still shown, or a resident would paint again at every check.
    if (!record && (folder.empty() || error != ENOENT) && lastSetPath_) {
        record = SessionRecord{*lastSetPath_, shownRoot_};
    }
    if (record) {
        if (record->root.pixmap != 0) {
            XDisplay* display = x11_.get();
            if (display != nullptr && !stillShown(display, x11_.name(), record->root)) {
                return {};
            }
        }
        return std::move(record->path);
    }
    RegValue value;
    if (registry_.regQueryValue(kHkeyCurrentUser, kDesktopKey, kWallpaperValue, kMaxRecordBytes,
                                value) == kRegSuccess &&
        (value.type == RegType::Sz || value.type == RegType::ExpandSz)) {
        return regSzText(value.data);
    }
    return {};
}

}  // namespace drape::platform::posix
