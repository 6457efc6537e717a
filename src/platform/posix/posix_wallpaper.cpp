// [X] setWallpaper records the path for the login session in <runtime folder>/wallpaper
//     (the runtime folder of posix_userdirs.h, which the session's end clears)
// [X] kSpifUpdateIniFile also stores it as "Wallpaper" under "Control Panel\Desktop" in the
//     hive, so that it outlives the session
// [X] wallpaper(): the session's path, else the hive's "Wallpaper", else ""
// [ ] Showing the picture on the X11 root window (showOnDesktop records only, for now)
// [ ] kSpifSendWinIniChange: no other program listens for it on posix; ignored
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_text.h"
#include "platform/posix/posix_userdirs.h"
#include "platform/posix/registry_file.h"

namespace drape::platform::posix {

namespace {

constexpr const char* kSessionFile = "wallpaper";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kWallpaperValue = "Wallpaper";
constexpr size_t kMaxPathBytes = 64 * 1024;

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

void PosixPlatform::showOnDesktop(const std::string& path) {
    static_cast<void>(path);
}

bool PosixPlatform::setWallpaper(const std::string& path, uint32_t flags) {
    const std::string folder = runtimeFolderOrReport();
    bool ok = !folder.empty() && writeFileAtomically(folder + kSessionFile, path, 0600);
    if (ok) {
        showOnDesktop(path);
    }
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
        if (std::optional<std::string> path =
                readWholeFile(folder + kSessionFile, kMaxPathBytes, error)) {
            return std::move(*path);
        }
    }
    RegValue value;
    if (regQueryValue(kHkeyCurrentUser, kDesktopKey, kWallpaperValue, kMaxPathBytes, value) ==
            kRegSuccess &&
        (value.type == RegType::Sz || value.type == RegType::ExpandSz)) {
        return regSzText(value.data);
    }
    return {};
}

}  // namespace drape::platform::posix
