// [X] setWallpaper records the path for the login session in <runtime folder>/wallpaper
//     (the runtime folder of posix_userdirs.h, which the session's end clears), together with
//     the root pixmap it published
// [X] kSpifUpdateIniFile also stores it as "Wallpaper" under "Control Panel\Desktop" in the
//     hive, so that it outlives the session
// [X] With an X display: the bitmap becomes the root window's tiled background, kept by the
//     server, so removing the file afterwards loses nothing (posix_x11_root.h)
// [X] Under GNOME: a copy in $XDG_CACHE_HOME/drape/wallpaper.bmp becomes the tiled picture of
//     org.gnome.desktop.background, set with gsettings
// [X] wallpaper(): the session's path while the desktop still shows that picture, "" once
//     another program replaced it (a resident instance then puts its own back); without a
//     display the session's path; else the hive's "Wallpaper"; else ""
// [ ] A picture changed in GNOME's own settings is not noticed (that would mean running
//     gsettings at every check of the resident loop)
// [ ] kSpifSendWinIniChange: no other program listens for it on posix; ignored
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_text.h"
#include "platform/posix/posix_userdirs.h"
#include "platform/posix/posix_x11_bitmap.h"
#include "platform/posix/registry_file.h"

namespace drape::platform::posix {

namespace {

constexpr const char* kSessionFile = "wallpaper";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kWallpaperValue = "Wallpaper";
constexpr size_t kMaxRecordBytes = 64 * 1024;
// A desktop of 16384 x 8192 pixels is a 400 MB bitmap; anything larger is not shown.
constexpr size_t kMaxBitmapBytes = size_t{1} << 30;
constexpr int kGsettingsTimeoutMs = 5000;
constexpr const char* kGnomeSchema = "org.gnome.desktop.background";

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

// --- GNOME ------------------------------------------------------------------------------------

bool isGnomeSession() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktops == nullptr) {
        return false;
    }
    // A list such as "ubuntu:GNOME"; names are compared without regard to case.
    std::string_view list = desktops;
    while (!list.empty()) {
        const size_t colon = list.find(':');
        const std::string_view name = list.substr(0, colon);
        if (name.size() == 5 && strncasecmp(name.data(), "GNOME", 5) == 0) {
            return true;
        }
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    }
    return false;
}

// The full path of an executable found on PATH, as execvp would find it; "" when none.
std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        if (folder.empty()) {
            folder = ".";
        }
        const std::string candidate = folder + "/" + name;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        folders.remove_prefix(colon + 1);
    }
}

// Runs `program` with `arguments` (no shell), its output thrown away, and waits at most
// `timeoutMs` for it; a program that takes longer is killed. True when it exited with 0.
bool runProgram(const std::string& program, const std::vector<std::string>& arguments,
                int timeoutMs) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        return false;
    }
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    constexpr int kStepMs = 10;
    for (int waited = 0;; waited += kStepMs) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        if (waited >= timeoutMs) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return false;
        }
        const timespec step{0, kStepMs * 1000000L};
        nanosleep(&step, nullptr);
    }
}

// "file://" and the path with every byte outside the unreserved set and '/' percent-encoded.
std::string fileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || std::strchr("-._~/", c) != nullptr;
        if (unreserved && c != '\0') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

// GNOME draws its own background over the root window and reads the picture from its
// settings. It gets a copy of its own, as Windows keeps one of the installed wallpaper, since
// the caller may delete the original right after.
bool setGnomeBackground(std::string_view bitmap, const std::string& gsettings,
                        std::string& problem) {
    const std::string folder = cacheFolder();
    if (folder.empty() || !makeFolders(folder, 0700)) {
        problem =
            "cannot create the cache folder " + (folder.empty() ? "(no home folder)" : folder);
        return false;
    }
    const std::string copy = folder + "wallpaper.bmp";
    if (!writeFileAtomically(copy, bitmap, 0600)) {
        problem = "cannot write " + copy + ": " + std::strerror(errno);
        return false;
    }
    // GVariant strings in single quotes; the URI holds no quote or backslash.
    const std::string uri = "'" + fileUri(copy) + "'";
    if (!runProgram(gsettings, {"set", kGnomeSchema, "picture-uri", uri}, kGsettingsTimeoutMs)) {
        problem = "gsettings did not set " + std::string(kGnomeSchema) + " picture-uri";
        return false;
    }
    // Only GNOME 42 and later know a picture for the dark style.
    runProgram(gsettings, {"set", kGnomeSchema, "picture-uri-dark", uri}, kGsettingsTimeoutMs);
    if (!runProgram(gsettings, {"set", kGnomeSchema, "picture-options", "'wallpaper'"},
                    kGsettingsTimeoutMs)) {
        problem = "gsettings did not set " + std::string(kGnomeSchema) + " picture-options";
        return false;
    }
    return true;
}

}  // namespace

std::string PosixPlatform::runtimeFolderOrReport() {
    std::string problem;
    std::string folder = runtimeFolder(problem);
    if (folder.empty() && !runtimeProblemReported_) {
        runtimeProblemReported_ = true;
        report(problem);
    }
    return folder;
}

void PosixPlatform::reportDesktopProblem(const std::string& line) {
    if (desktopProblemsTold_.insert(line).second) {
        report(line);
    }
}

PosixPlatform::DesktopShow PosixPlatform::showOnDesktop(const std::string& path) {
    DesktopShow shown;
    const bool onX = x11_.get() != nullptr;
    const std::string gsettings = isGnomeSession() ? findProgram("gsettings") : std::string();
    if (path.empty() || (!onX && gsettings.empty())) {
        return shown;
    }
    int error = 0;
    const std::optional<std::string> file = readWholeFile(path, kMaxBitmapBytes, error);
    std::string problem = file ? std::string() : std::strerror(error);
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

bool PosixPlatform::setWallpaper(const std::string& path, uint32_t flags) {
    const std::string folder = runtimeFolderOrReport();
    // Shown while the file still exists: the caller may delete it right after.
    const DesktopShow shown = showOnDesktop(path);
    bool ok = !folder.empty() &&
              writeFileAtomically(folder + kSessionFile, encodeRecord(path, shown.root), 0600) &&
              shown.ok;
    if ((flags & kSpifUpdateIniFile) != 0) {
        const int status = changeHive([&](Hive& hive, bool& changed) {
            hive.createKey(std::string("HKEY_CURRENT_USER\\") + kDesktopKey)
                .setValue(kWallpaperValue, {RegType::Sz, regSzData(path)});
            changed = true;
            return kRegSuccess;
        });
        ok = ok && status == kRegSuccess;
    }
    return ok;
}

std::string PosixPlatform::wallpaper() {
    const std::string folder = runtimeFolderOrReport();
    if (!folder.empty()) {
        int error = 0;
        if (std::optional<std::string> text =
                readWholeFile(folder + kSessionFile, kMaxRecordBytes, error)) {
            SessionRecord record = decodeRecord(*text);
            if (record.root.pixmap != 0) {
                XDisplay* display = x11_.get();
                if (display != nullptr && !stillShown(display, x11_.name(), record.root)) {
                    return {};
                }
            }
            return std::move(record.path);
        }
    }
    RegValue value;
    if (regQueryValue(kHkeyCurrentUser, kDesktopKey, kWallpaperValue, kMaxRecordBytes, value) ==
            kRegSuccess &&
        (value.type == RegType::Sz || value.type == RegType::ExpandSz)) {
        return regSzText(value.data);
    }
    return {};
}

}  // namespace drape::platform::posix
