// [X] Home folder ($HOME, else the password database)
// [X] Config folder after the XDG base directory rules (relative values are ignored)
// [X] Runtime folder of the session, created 0700 and checked before anything is put in it
#include "platform/posix/posix_userdirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace drape::platform::posix {

namespace {

// An XDG variable counts only with an absolute path; the rules say to ignore anything else.
std::string absoluteFolderFromEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    std::string folder = value;
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return {};
}

namespace {

// "$<variable>/drape/" when the variable holds an absolute path, else "~/<fallback>/drape/";
// "" without a home folder.
std::string xdgDrapeFolder(const char* variable, const char* fallback) {
    std::string base = absoluteFolderFromEnv(variable);
    if (base.empty()) {
        const std::string home = homeFolder();
        if (home.empty()) {
            return {};
        }
        base = home + (home.back() == '/' ? "" : "/") + fallback + "/";
    }
    return base + "drape/";
}

}  // namespace

std::string configFolder() {
    return xdgDrapeFolder("XDG_CONFIG_HOME", ".config");
}

std::string cacheFolder() {
    return xdgDrapeFolder("XDG_CACHE_HOME", ".cache");
}

std::string runtimeFolder(std::string& problem) {
    std::string folder = absoluteFolderFromEnv("XDG_RUNTIME_DIR");
    folder = folder.empty() ? "/tmp/drape-" + std::to_string(geteuid()) : folder + "drape";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = "cannot create the runtime folder " + folder + ": " + std::strerror(errno);
        return {};
    }
    struct stat info {};
    const char* refusal = nullptr;
    if (lstat(folder.c_str(), &info) != 0) {
        refusal = std::strerror(errno);
    } else if (S_ISLNK(info.st_mode)) {
        refusal = "it is a symbolic link";
    } else if (!S_ISDIR(info.st_mode)) {
        refusal = "it is not a folder";
    } else if (info.st_uid != geteuid()) {
        refusal = "it belongs to another user";
    } else if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        refusal = "other users may write to it";
    }
    if (refusal != nullptr) {
        problem = "refusing the runtime folder " + folder + ": " + refusal;
        return {};
    }
    return folder + "/";
}

}  // namespace drape::platform::posix
