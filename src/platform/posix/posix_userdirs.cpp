// [X] Home folder ($HOME, else the password database)
// [X] Config folder after the XDG base directory rules (relative values are ignored)
// [X] Runtime folder of the session, created 0700 and checked before anything is put in it
// [X] Temporary folder: a usable $TMPDIR, else a private per-user folder under /tmp
#include "platform/posix/posix_userdirs.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_files.h"

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

std::string privateFolder(const std::string& folder, const char* what, std::string& problem) {
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem =
            std::string("cannot create the ") + what + " " + folder + ": " + std::strerror(errno);
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
        problem = std::string("refusing the ") + what + " " + folder + ": " + refusal;
        return {};
    }
    return folder + "/";
}

namespace {

// "<cache folder>/run-<host>", for when the shared /tmp holds someone else's folder under our
// name. The host is in the name because a home folder may be shared by several machines.
std::string runtimeFolderInCache(std::string& problem) {
    std::string cache = cacheFolder();
    if (cache.empty()) {
        return {};
    }
    // The cache folder's parents are made private too when this is the first to make them.
    for (size_t slash = cache.find('/', 1); slash != std::string::npos;
         slash = cache.find('/', slash + 1)) {
        mkdir(cache.substr(0, slash).c_str(), 0700);
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0' || host[0] == '.' ||
        std::strchr(host, '/') != nullptr) {
        std::strcpy(host, "localhost");
    }
    return privateFolder(cache + "run-" + host, "runtime folder", problem);
}

// The folder with symbolic links resolved, when it is one; "" otherwise.
std::string resolvedFolder(const char* path) {
    char resolved[PATH_MAX];
    struct stat info {};
    if (realpath(path, resolved) == nullptr || stat(resolved, &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
        return {};
    }
    return resolved;
}

}  // namespace

std::string runtimeFolder(std::string& problem) {
    const std::string session = absoluteFolderFromEnv("XDG_RUNTIME_DIR");
    if (!session.empty()) {
        return privateFolder(session + "drape", "runtime folder", problem);
    }
    std::string folder =
        privateFolder("/tmp/drape-" + std::to_string(geteuid()), "runtime folder", problem);
    if (folder.empty()) {
        // Another user took the name in the shared /tmp; refusing it is right, but instances
        // must still find each other and their record somewhere only this user reaches.
        std::string fallbackProblem;
        folder = runtimeFolderInCache(fallbackProblem);
    }
    return folder;
}

std::string temporaryFolder(std::string& problem) {
    if (const char* base = std::getenv("TMPDIR"); base != nullptr && base[0] == '/') {
        if (std::string folder = resolvedFolder(base); !folder.empty()) {
            return folder.back() == '/' ? folder : folder + "/";
        }
    }
    std::string tmp = resolvedFolder("/tmp");
    if (tmp.empty()) {
        tmp = "/tmp";
    }
    std::string folder =
        privateFolder(tmp + "/drape-" + std::to_string(geteuid()), "temporary folder", problem);
    if (folder.empty()) {
        if (const std::string runtime = absoluteFolderFromEnv("XDG_RUNTIME_DIR");
            !runtime.empty()) {
            std::string ignored;
            folder = privateFolder(runtime + "drape", "temporary folder", ignored);
        }
    }
    if (folder.empty()) {
        if (const std::string cache = cacheFolder(); !cache.empty() && makeFolders(cache, 0700)) {
            std::string ignored;
            folder = privateFolder(cache.substr(0, cache.size() - 1), "temporary folder", ignored);
        }
    }
    return folder;
}

}  // namespace drape::platform::posix
