// [X] messageBox: caption and text on stderr (CR LF becomes LF), then with a display a modal
//     FLTK box; without one it returns at once
// [X] Program window: a datagram socket <runtime folder>/instance-<pid>-<n>.sock, so that
//     several windows of one process (tests) do not share a name; mode 0600 whatever the
//     umask; a name held by a live process (another pid namespace) is never taken over. It is
//     bound when the instance first announces itself or waits, so a one-shot run makes none.
//     A folder path too long for a socket address is reached through /proc/self/fd. When the
//     socket file disappears (the runtime folder was deleted), the next wait binds it again
// [X] broadcastTerminate: a "T" datagram stamped with the boot clock to every instance-*.sock,
//     this one's included; sockets of dead processes (ECONNREFUSED) are removed
// [X] waitEvent: poll(2) with the time-out; each terminate datagram arrives as two Terminate
//     events, because on Windows every instance owns two top-level windows and so counts
//     each broadcast twice, and the program's "more than 2" rule depends on that count;
//     drape98, with one window, asks for one event per broadcast. An announcement stamped
//     before this instance made its own (or, before that, before it listened) is not heard:
//     it was made before the instance was waiting, so of two started together the one that
//     announced last stays
// [X] While FLTK has windows (or serves the clipboard) the wait runs Fl::wait instead, with
//     the socket watched by FLTK, and hands out the queued Control, Close and Key events
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_time.h"

namespace drape::platform::posix {

namespace {

constexpr std::string_view kSocketPrefix = "instance-";
constexpr std::string_view kSocketSuffix = ".sock";
constexpr char kTerminateMessage = 'T';
// 'T' and the sender's boot clock in nanoseconds, in the byte order of the machine.
constexpr size_t kTerminateBytes = 1 + sizeof(uint64_t);
// Names tried before giving up on a window; more than one only when other processes hold them.
constexpr int kNameAttempts = 8;

// Numbers the windows this process opens.
int gWindowSerial = 0;

// A folder whose sockets are addressed by name. A socket address holds about a hundred bytes;
// a longer path goes through the folder's descriptor under /proc/self/fd, which the kernel
// resolves to the same folder.
class SocketFolder {
  public:
    explicit SocketFolder(std::string path) : path_(std::move(path)) {}
    ~SocketFolder() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    SocketFolder(const SocketFolder&) = delete;
    SocketFolder& operator=(const SocketFolder&) = delete;

    const std::string& path() const { return path_; }

    bool address(const std::string& name, sockaddr_un& address) {
        std::string path = path_ + name;
        if (path.size() >= sizeof address.sun_path) {
            if (fd_ < 0) {
                fd_ = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            }
            if (fd_ < 0) {
                return false;
            }
            path = "/proc/self/fd/" + std::to_string(fd_) + "/" + name;
        }
        address = {};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) {
            return false;
        }
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        return true;
    }

  private:
    std::string path_;
    int fd_ = -1;
};

// Binds with a mode of 0600, so that only this user can send to the socket whatever the umask,
// even where the runtime folder lets others look in. The program has one thread, so changing
// the umask for a moment touches nothing else.
bool bindPrivately(int fd, const sockaddr_un& address) {
    const mode_t saved = umask(0177);
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    umask(saved);
    errno = error;
    return bound;
}

// True when nobody listens on the socket file at `address` any more. connect(2) on a datagram
// socket sends nothing, so the probe is never counted as a message.
bool staleName(const sockaddr_un& address) {
    const int probe = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const bool refused =
        connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED;
    close(probe);
    return refused;
}

// The device and inode of the file at `path`, 0 when there is none.
std::pair<uint64_t, uint64_t> fileIdentity(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return {0, 0};
    }
    return {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

std::string replaceCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

PosixWindowing::~PosixWindowing() {
    closeProgramWindow();
}

void PosixWindowing::messageBox(const std::string& caption, const std::string& text,
                                uint32_t flags) {
    // Scripts read the box from stderr, also while it is still on the screen.
    const std::string box = caption + "\n" + replaceCrLf(text) + "\n";
    std::fwrite(box.data(), 1, box.size(), stderr);
    std::fflush(stderr);
    if (toolkit_ != nullptr) {
        toolkit_->messageBox(caption, replaceCrLf(text), flags);
    }
}

bool PosixWindowing::openProgramWindow(const std::string& title) {
    static_cast<void>(title);
    if (windowWanted_) {
        return true;
    }
    // The socket waits for the first announcement or wait; the folder is checked now, so that
    // a refused one is told at once.
    if (shared_.runtimeFolderOrReport().empty()) {
        return false;
    }
    windowWanted_ = true;
    listeningSince_ = 0;
    announced_ = false;
    pendingTerminates_ = 0;
    return true;
}

bool PosixWindowing::bindWindowSocket() {
    SocketFolder folder(shared_.runtimeFolderOrReport());
    if (folder.path().empty()) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string name = std::string(kSocketPrefix) + std::to_string(getpid()) + "-" +
                                 std::to_string(++gWindowSerial) + std::string(kSocketSuffix);
        const std::string path = folder.path() + name;
        sockaddr_un address{};
        if (!folder.address(name, address)) {
            reportSocketProblem("cannot address the socket " + path + ": " + std::strerror(errno));
            break;
        }
        if (!bindPrivately(fd, address)) {
            if (errno != EADDRINUSE) {
                // Without its socket the instance still paints, but no other one reaches it.
                reportSocketProblem("cannot open the socket " + path + ": " + std::strerror(errno));
                break;
            }
            // Left behind by an ended process that had this pid. A live holder is a process
            // of another pid namespace sharing the folder: taking its name would cut it off,
            // so the next name is tried instead.
            if (!staleName(address) || unlink(path.c_str()) != 0 || !bindPrivately(fd, address)) {
                continue;
            }
        }
        windowSocket_ = fd;
        windowSocketPath_ = path;
        windowSocketFile_ = fileIdentity(path);
        if (listeningSince_ == 0) {
            listeningSince_ = bootTimeNs();
        }
        return true;
    }
    close(fd);
    return false;
}

void PosixWindowing::reportSocketProblem(const std::string& line) {
    if (!socketProblemReported_) {
        socketProblemReported_ = true;
        shared_.report(line);
    }
}

void PosixWindowing::bindWhenNeeded() {
    if (!windowWanted_) {
        return;
    }
    if (windowSocket_ >= 0 && fileIdentity(windowSocketPath_) == windowSocketFile_) {
        return;
    }
    // Bound before, but the file is gone (or another took its name): nobody reaches the old
    // socket any more, so it is given up for a new one.
    if (windowSocket_ >= 0) {
        close(windowSocket_);
        windowSocket_ = -1;
        windowSocketPath_.clear();
    }
    bindWindowSocket();
}

void PosixWindowing::closeProgramWindow() {
    windowWanted_ = false;
    pendingTerminates_ = 0;
    if (windowSocket_ < 0) {
        return;
    }
    close(windowSocket_);
    if (fileIdentity(windowSocketPath_) == windowSocketFile_) {
        unlink(windowSocketPath_.c_str());
    }
    windowSocket_ = -1;
    windowSocketPath_.clear();
}

void PosixWindowing::broadcastTerminate() {
    bindWhenNeeded();
    SocketFolder folder(shared_.runtimeFolderOrReport());
    if (folder.path().empty()) {
        return;
    }
    // Stamped after this instance's socket is bound and before the folder is read: any
    // instance that announced earlier is listening by now and hears this one.
    const uint64_t stamp = bootTimeNs();
    if (windowSocket_ >= 0 && !announced_) {
        announced_ = true;
        listeningSince_ = stamp;
    }
    char message[kTerminateBytes];
    message[0] = kTerminateMessage;
    std::memcpy(message + 1, &stamp, sizeof stamp);

    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.path().c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.starts_with(kSocketPrefix) && name.ends_with(kSocketSuffix)) {
                names.emplace_back(name);
            }
        }
        closedir(dir);
    }
    const int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sender < 0) {
        return;
    }
    for (const std::string& name : names) {
        sockaddr_un address{};
        if (!folder.address(name, address)) {
            continue;
        }
        const ssize_t sent = sendto(sender, message, sizeof message, MSG_NOSIGNAL,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
        // Nobody listens on the name any more: its process ended without closing the window.
        // A full queue (EAGAIN) belongs to a live but busy instance and is left alone.
        if (sent < 0 && errno == ECONNREFUSED) {
            unlink((folder.path() + name).c_str());
        }
    }
    close(sender);
}

Event PosixWindowing::waitEvent(uint32_t timeoutMs) {
    bindWhenNeeded();
    Event queued;
    if (windowSocket_ >= 0 && pendingTerminates_ > 0) {
        --pendingTerminates_;
        return {EventKind::Terminate};
    }
    if (toolkit_ != nullptr && toolkit_->takeEvent(queued)) {
        return queued;
    }
    const bool toolkit = toolkit_ != nullptr && toolkit_->running();
    if (windowSocket_ < 0 && !toolkit) {
        sleepMilliseconds(timeoutMs);
        return {};
    }
    const bool forever = timeoutMs == kWaitForever;
    const uint64_t deadline = bootTimeMs() + timeoutMs;
    while (true) {
        if (windowSocket_ >= 0) {
            char message[64];
            const ssize_t got = recv(windowSocket_, message, sizeof message, 0);
            if (got == static_cast<ssize_t>(kTerminateBytes) && message[0] == kTerminateMessage) {
                uint64_t stamp = 0;
                std::memcpy(&stamp, message + 1, sizeof stamp);
                if (stamp < listeningSince_) {
                    continue;  // made before this instance was waiting
                }
                pendingTerminates_ = deliveriesPerBroadcast_ - 1;
                return {EventKind::Terminate};
            }
            if (got >= 0) {
                return {EventKind::Other};
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && !toolkit) {
                const uint64_t now = bootTimeMs();
                sleepMilliseconds(now < deadline ? static_cast<uint32_t>(deadline - now) : 0);
                return {};
            }
        }
        if (toolkit && toolkit_->takeEvent(queued)) {
            return queued;
        }
        const uint64_t now = bootTimeMs();
        if (!forever && now >= deadline) {
            return {};
        }
        const uint64_t left = forever ? kWaitForever : deadline - now;
        if (toolkit) {
            toolkit_->wait(static_cast<uint32_t>(left), windowSocket_);
            continue;
        }
        pollfd watch{windowSocket_, POLLIN, 0};
        const int ready = poll(&watch, 1, static_cast<int>(std::min<uint64_t>(left, INT_MAX)));
        if (ready == 0) {
            return {};
        }
    }
}

}  // namespace drape::platform::posix
