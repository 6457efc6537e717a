// [X] hostName (gethostname), ipv4Addresses (getifaddrs, loopback left out)
// [X] userName: $USERNAME as on Windows, else the login name
// [X] localTime (localtime_r); osVersionCode: a fixed 100, which the program reads as
//     "XP or later" (it needs 60 or more)
// [X] programPath and programFolder (/proc/self/exe), currentFolder (getcwd), tempFolder
//     (a usable $TMPDIR, else the user's own folder under /tmp; symlinks resolved); all end
//     in '/'
#include "platform/posix/posix_facts.h"

#include <limits.h>
#include <net/if.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_userdirs.h"

namespace drape::platform::posix {

namespace {

// What Windows XP and later report through the program's version table; posix has no
// version of its own that the program could order.
constexpr int kOsVersionCode = 100;

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

std::vector<uint32_t> ipv4AddressesOf(const ifaddrs* list) {
    std::vector<uint32_t> addresses;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        const uint32_t address =
            reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr;
        // The first octet lies in the lowest byte whatever the host's byte order.
        if (reinterpret_cast<const uint8_t*>(&address)[0] == 127) {
            continue;
        }
        addresses.push_back(address);
    }
    return addresses;
}

std::string PosixSystem::hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

std::vector<uint32_t> PosixSystem::ipv4Addresses() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    std::vector<uint32_t> addresses = ipv4AddressesOf(list);
    freeifaddrs(list);
    return addresses;
}

std::string PosixSystem::userName() {
    if (const char* name = std::getenv("USERNAME"); name != nullptr && *name != '\0') {
        return name;
    }
    char login[LOGIN_NAME_MAX + 1] = {};
    if (getlogin_r(login, sizeof login) == 0 && login[0] != '\0') {
        return login;
    }
    // No controlling terminal (a service, a container): the owner of the process.
    if (const passwd* user = getpwuid(geteuid()); user != nullptr && user->pw_name != nullptr) {
        return user->pw_name;
    }
    return {};
}

LocalTime PosixSystem::localTime() {
    const time_t now = time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
            parts.tm_min,         parts.tm_sec,     parts.tm_wday};
}

int PosixSystem::osVersionCode() {
    return kOsVersionCode;
}

std::string PosixSystem::programPath() {
    std::string path(256, '\0');
    while (true) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string PosixSystem::programFolder() {
    const std::string path = programPath();
    return path.empty() ? std::string() : folderOf(path);
}

std::string PosixSystem::currentFolder() {
    char* folder = getcwd(nullptr, 0);
    if (folder == nullptr) {
        return {};
    }
    std::string result = withSlash(folder);
    std::free(folder);
    return result;
}

std::string PosixSystem::tempFolder() {
    std::string problem;
    std::string folder = temporaryFolder(problem);
    if (!problem.empty() && !tempProblemReported_) {
        tempProblemReported_ = true;
        shared_.report(problem + "; using " + (folder.empty() ? "/tmp/" : folder) + " instead");
    }
    // The path of the bitmap is recorded as the wallpaper, so it is never relative.
    return folder.empty() ? "/tmp/" : folder;
}

}  // namespace drape::platform::posix
