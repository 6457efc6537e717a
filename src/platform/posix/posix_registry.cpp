// [X] HKEY_CURRENT_USER kept in $XDG_CONFIG_HOME/drape/registry.reg (default ~/.config/drape),
//     in the text format of a registry export (see posix_registry_file.h)
// [X] Windows status codes: 2 for a missing key or value, 234 when the caller's buffer is too
//     small, 5 when the hive cannot be read or written, 13 for a name with a line break
// [X] Changes are atomic (temporary file, fsync, rename) and serialised between processes
//     with flock on registry.reg.lock, held over the whole read-modify-write; a change waits
//     at most 10 s for the lock
// [X] A hive that is a symbolic link is written through to its target
// [X] A change that cannot be saved (no folder, no lock, a full disk) is told once on stderr
// [X] A hive that cannot be parsed is reported once, reads as empty, and is moved aside to
//     registry.reg.bad (then .bad.1, .bad.2 ...) before a new one is written
// [X] The autorun value "Drape" under Software\Microsoft\Windows\CurrentVersion\Run is the
//     XDG autostart entry $XDG_CONFIG_HOME/autostart/drape.desktop, its data carried in Exec
// [ ] Other roots: reads find nothing (2) and writes are refused (5)
// [ ] Key security, volatile keys, change notification
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/posix_desktop_entry.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_registry_file.h"
#include "platform/posix/posix_text.h"
#include "platform/posix/posix_userdirs.h"

namespace drape::platform::posix {

namespace {

constexpr std::string_view kRootName = "HKEY_CURRENT_USER";
// Far beyond any real hive; a larger file is not one.
constexpr size_t kMaxHiveBytes = size_t{64} << 20;

// The key's full path in the hive, or nullopt for a path the registry would not accept.
std::optional<std::string> hivePathOf(const std::string& keyPath) {
    if (keyPath.empty()) {
        return std::string(kRootName);
    }
    if (keyPath.front() == '\\' || keyPath.back() == '\\' ||
        keyPath.find("\\\\") != std::string::npos || !isStorableName(keyPath)) {
        return std::nullopt;
    }
    return std::string(kRootName) + "\\" + keyPath;
}

// The desktop starts programs at log-on from autostart entries, so the value that starts Drape
// at log-on on Windows lives there instead of in the hive.
constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kAutorunName = "Drape";

bool isRunKey(const std::string& keyPath) {
    return sameRegistryName(keyPath, kRunKey);
}

bool isAutorunValue(const std::string& keyPath, const std::string& name) {
    return isRunKey(keyPath) && sameRegistryName(name, kAutorunName);
}

std::string autostartFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') {
        return std::string(config) + "/autostart/";
    }
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config/autostart/";
}

int readAutorun(size_t maxBytes, RegValue& out) {
    const std::string folder = autostartFolder();
    int error = 0;
    const auto text =
        folder.empty() ? std::nullopt : readWholeFile(folder + "drape.desktop", 1 << 20, error);
    const auto exec = text ? desktopEntryValue(*text, "Exec") : std::nullopt;
    const auto data = exec ? commandLineFromExec(*exec) : std::nullopt;
    if (!data) {
        return kRegFileNotFound;
    }
    out.type = RegType::Sz;
    out.data = regSzData(*data);
    if (out.data.size() > maxBytes) {
        out.data.clear();
        return kRegMoreData;
    }
    return kRegSuccess;
}

int writeAutorun(const RegValue& value) {
    if (value.type != RegType::Sz) {
        return kRegInvalidData;
    }
    const std::string folder = autostartFolder();
    if (folder.empty() || !makeFolders(folder, 0700)) {
        return kRegAccessDenied;
    }
    const std::string text = "[Desktop Entry]\nType=Application\nName=Drape\nExec=" +
                             escapeDesktopString(execFromCommandLine(regSzText(value.data))) +
                             "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
    return writeFileAtomically(folder + "drape.desktop", text, 0644) ? kRegSuccess
                                                                     : kRegAccessDenied;
}

int deleteAutorun() {
    const std::string folder = autostartFolder();
    if (folder.empty() || unlink((folder + "drape.desktop").c_str()) != 0) {
        return errno == EACCES || errno == EPERM ? kRegAccessDenied : kRegFileNotFound;
    }
    return kRegSuccess;
}

std::string hiveFile() {
    const std::string folder = configFolder();
    return folder.empty() ? std::string() : folder + "registry.reg";
}

// Exclusive lock on a separate file: the hive itself is replaced by rename, so a lock held
// on it would stay with the old file. The wait is bounded: a process that holds the lock for
// long (stopped, or stuck on a slow disk) must not hang every other instance with it.
class HiveLock {
  public:
    HiveLock(const std::string& path, int waitMs)
        : fd_(open(path.c_str(), O_CREAT | O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600)) {
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        useconds_t pause = 1000;
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const long long waited =
                (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs) {
                error_ = errno == EWOULDBLOCK || errno == EINTR ? ETIMEDOUT : errno;
                close(fd_);
                fd_ = -1;
                return;
            }
            usleep(pause);
            pause = pause < 32000 ? pause * 2 : pause;
        }
    }
    ~HiveLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;
    bool held() const { return fd_ >= 0; }
    // errno of the failure; ETIMEDOUT when another process held the lock throughout the wait.
    int error() const { return error_; }

  private:
    int fd_;
    int error_ = 0;
};

std::string waitText(int ms) {
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

// Why the folder of the hive cannot be made, after makeFolders failed.
std::string folderProblem(const std::string& folder) {
    const int error = errno;
    struct stat info {};
    std::string part = folder;
    // The first part of the path that is there but is not a folder, if any.
    for (size_t slash = part.find('/', 1); slash != std::string::npos;
         slash = part.find('/', slash + 1)) {
        const std::string prefix = part.substr(0, slash);
        if (stat(prefix.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
            return prefix + " is not a folder";
        }
    }
    return "cannot create " + folder + ": " + std::strerror(error);
}

// Moves a hive that cannot be parsed out of the way, never replacing an earlier one.
bool moveAside(const std::string& path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string target = path + ".bad";
        if (attempt > 0) {
            target += '.';
            target += std::to_string(attempt);
        }
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        // File systems without RENAME_NOREPLACE; the caller holds the hive lock, so no other
        // instance of the program races for the name.
        if (errno == EINVAL || errno == ENOSYS) {
            if (access(target.c_str(), F_OK) == 0) {
                continue;
            }
            return rename(path.c_str(), target.c_str()) == 0;
        }
        return false;
    }
    return false;
}

}  // namespace

PosixRegistry::HiveRead PosixRegistry::loadHive(Hive& hive) {
    hive = {};
    const std::string path = hiveFile();
    if (path.empty()) {
        return HiveRead::Failed;
    }
    int error = 0;
    const std::optional<std::string> bytes = readWholeFile(path, kMaxHiveBytes, error);
    // No hive yet, or not even its folder: an empty registry.
    if (!bytes && (error == ENOENT || error == ENOTDIR)) {
        return HiveRead::Ok;
    }
    if (!bytes && error != EFBIG) {
        if (!hiveProblemReported_) {
            hiveProblemReported_ = true;
            shared_.report("cannot read the registry hive " + path + ": " + std::strerror(error));
        }
        return HiveRead::Failed;
    }
    HiveParseError parseError;
    std::optional<Hive> parsed;
    if (bytes) {
        parsed = parseHive(*bytes, parseError);
    } else {
        parseError = {1, "larger than 64 MiB"};
    }
    if (!parsed) {
        if (!hiveProblemReported_) {
            hiveProblemReported_ = true;
            shared_.report("registry hive " + path + " line " + std::to_string(parseError.line) +
                           ": " + parseError.message + "; it reads as empty and is moved to " +
                           path + ".bad before the next change");
        }
        return HiveRead::Corrupt;
    }
    hive = std::move(*parsed);
    return HiveRead::Ok;
}

void PosixRegistry::reportSaveProblem(const std::string& line) {
    if (!saveProblemReported_) {
        saveProblemReported_ = true;
        shared_.report(line + "; settings such as the wallpaper are not saved");
    }
}

int PosixRegistry::changeHive(const std::function<int(Hive&, bool& changed)>& change) {
    const std::string path = hiveFile();
    if (path.empty()) {
        reportSaveProblem("cannot save the registry hive: no home folder");
        return kRegAccessDenied;
    }
    const std::string cannot = "cannot save the registry hive " + path + ": ";
    if (!makeFolders(folderOf(path), 0700)) {
        reportSaveProblem(cannot + folderProblem(folderOf(path)));
        return kRegAccessDenied;
    }
    const HiveLock lock(path + ".lock", lockWaitMs_);
    if (!lock.held()) {
        reportSaveProblem(
            cannot +
            (lock.error() == ETIMEDOUT
                 ? "another process held " + path + ".lock for more than " + waitText(lockWaitMs_)
                 : "cannot lock " + path + ".lock: " + std::strerror(lock.error())));
        return kRegAccessDenied;
    }
    Hive hive;
    const HiveRead state = loadHive(hive);
    if (state == HiveRead::Failed) {
        return kRegAccessDenied;
    }
    bool changed = false;
    const int status = change(hive, changed);
    if (status != kRegSuccess || !changed) {
        return status;
    }
    // A hive that is a symbolic link (to a dotfiles folder, say) is changed where it lies.
    const std::string target = writeTarget(path);
    if (state == HiveRead::Corrupt && (target.empty() || !moveAside(target))) {
        reportSaveProblem(cannot +
                          "the unreadable hive cannot be moved aside: " + std::strerror(errno));
        return kRegAccessDenied;
    }
    if (!writeFileAtomically(path, writeHive(hive), 0600)) {
        reportSaveProblem(cannot + std::strerror(errno));
        return kRegAccessDenied;
    }
    return kRegSuccess;
}

int PosixRegistry::regOpenKey(uint32_t root, const std::string& keyPath) {
    const std::optional<std::string> path = hivePathOf(keyPath);
    if (root != kHkeyCurrentUser || !path) {
        return kRegFileNotFound;
    }
    if (isRunKey(keyPath)) {
        return kRegSuccess;  // like Windows, every user has it
    }
    Hive hive;
    if (loadHive(hive) == HiveRead::Failed) {
        return kRegAccessDenied;
    }
    return hive.hasKey(*path) ? kRegSuccess : kRegFileNotFound;
}

int PosixRegistry::regQueryValue(uint32_t root, const std::string& keyPath, const std::string& name,
                                 size_t maxBytes, RegValue& out) {
    const std::optional<std::string> path = hivePathOf(keyPath);
    if (root != kHkeyCurrentUser || !path) {
        return kRegFileNotFound;
    }
    if (isAutorunValue(keyPath, name)) {
        return readAutorun(maxBytes, out);
    }
    Hive hive;
    if (loadHive(hive) == HiveRead::Failed) {
        return kRegAccessDenied;
    }
    const HiveKey* key = hive.findKey(*path);
    const HiveValue* value = key == nullptr ? nullptr : key->findValue(name);
    if (value == nullptr) {
        return kRegFileNotFound;
    }
    // As RegQueryValueExW: the type is told even when the data does not fit.
    out.type = value->value.type;
    if (value->value.data.size() > maxBytes) {
        out.data.clear();
        return kRegMoreData;
    }
    out.data = value->value.data;
    return kRegSuccess;
}

int PosixRegistry::regCreateKey(uint32_t root, const std::string& keyPath) {
    const std::optional<std::string> path = hivePathOf(keyPath);
    if (root != kHkeyCurrentUser) {
        return kRegAccessDenied;
    }
    if (!path) {
        return kRegFileNotFound;
    }
    return changeHive([&](Hive& hive, bool& changed) {
        if (!hive.hasKey(*path)) {
            hive.createKey(*path);
            changed = true;
        }
        return kRegSuccess;
    });
}

int PosixRegistry::regSetValue(uint32_t root, const std::string& keyPath, const std::string& name,
                               const RegValue& value) {
    const std::optional<std::string> path = hivePathOf(keyPath);
    if (root != kHkeyCurrentUser) {
        return kRegAccessDenied;
    }
    if (!path) {
        return kRegFileNotFound;
    }
    if (!isStorableName(name)) {
        return kRegInvalidData;
    }
    if (isAutorunValue(keyPath, name)) {
        return writeAutorun(value);
    }
    return changeHive([&](Hive& hive, bool& changed) {
        if (!hive.hasKey(*path)) {
            return kRegFileNotFound;
        }
        HiveKey& key = hive.createKey(*path);
        const HiveValue* old = key.findValue(name);
        changed = old == nullptr || old->value.type != value.type || old->value.data != value.data;
        key.setValue(name, value);
        return kRegSuccess;
    });
}

int PosixRegistry::regDeleteValue(uint32_t root, const std::string& keyPath,
                                  const std::string& name) {
    const std::optional<std::string> path = hivePathOf(keyPath);
    if (root != kHkeyCurrentUser) {
        return kRegAccessDenied;
    }
    if (!path) {
        return kRegFileNotFound;
    }
    if (isAutorunValue(keyPath, name)) {
        return deleteAutorun();
    }
    return changeHive([&](Hive& hive, bool& changed) {
        HiveKey* key = hive.findKey(*path);
        if (key == nullptr || !key->deleteValue(name)) {
            return kRegFileNotFound;
        }
        changed = true;
        return kRegSuccess;
    });
}

}  // namespace drape::platform::posix
