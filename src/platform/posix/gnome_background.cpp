// [X] A GNOME session is told by XDG_CURRENT_DESKTOP
// [X] The picture is a copy in $XDG_CACHE_HOME/drape/wallpaper.bmp, set as picture-uri (and
//     picture-uri-dark where GNOME knows it) with picture-options 'wallpaper' (tiled)
// [X] gsettings runs without a shell, its output thrown away, killed after 5 seconds
// [ ] A picture changed in GNOME's own settings is not read back
#include "platform/posix/gnome_background.h"

#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_userdirs.h"

namespace drape::platform::posix {

namespace {

constexpr int kGsettingsTimeoutMs = 5000;
constexpr const char* kGnomeSchema = "org.gnome.desktop.background";

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

}  // namespace

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

}  // namespace drape::platform::posix
