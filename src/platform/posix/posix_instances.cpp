// [X] messageBox: caption and text on stderr (CR LF becomes LF), then with a display a modal
//     FLTK box; without one it returns at once
// [X] Program window: a datagram socket <runtime folder>/instance-<pid>-<n>.sock, so that
//     several windows of one process (tests) do not share a name; mode 0600 whatever the
//     umask; a name held by a live process (another pid namespace) is never taken over
// [X] broadcastTerminate: a "T" datagram to every instance-*.sock, this one's included;
//     sockets of dead processes (ECONNREFUSED) are removed
// [X] waitEvent: poll(2) with the time-out; each terminate datagram arrives as two Terminate
//     events, because on Windows every instance owns two top-level windows and so counts
//     each broadcast twice, and the program's "more than 2" rule depends on that count;
//     drape98, with one window, asks for one event per broadcast
// [X] While FLTK has windows (or serves the clipboard) the wait runs Fl::wait instead, with
//     the socket watched by FLTK, and hands out the queued Control, Close and Key events
#include <dirent.h>
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
// Names tried before giving up on a window; more than one only when other processes hold them.
constexpr int kNameAttempts = 8;

// Numbers the windows this process opens.
int gWindowSerial = 0;

bool socketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

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

uint64_t monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
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
    if (windowSocket_ >= 0) {
        return true;
    }
    const std::string folder = shared_.runtimeFolderOrReport();
    if (folder.empty()) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = folder + std::string(kSocketPrefix) + std::to_string(getpid()) +
                                 "-" + std::to_string(++gWindowSerial) + std::string(kSocketSuffix);
        sockaddr_un address{};
        if (!socketAddress(path, address)) {
            shared_.report("runtime folder path too long for a socket: " + path);
            break;
        }
        if (!bindPrivately(fd, address)) {
            if (errno != EADDRINUSE) {
                // Without its socket the instance still paints, but no other one reaches it.
                shared_.report("cannot open the socket " + path + ": " + std::strerror(errno));
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
        pendingTerminates_ = 0;
        return true;
    }
    close(fd);
    return false;
}

void PosixWindowing::closeProgramWindow() {
    if (windowSocket_ < 0) {
        return;
    }
    close(windowSocket_);
    unlink(windowSocketPath_.c_str());
    windowSocket_ = -1;
    windowSocketPath_.clear();
    pendingTerminates_ = 0;
}

void PosixWindowing::broadcastTerminate() {
    const std::string folder = shared_.runtimeFolderOrReport();
    if (folder.empty()) {
        return;
    }
    std::vector<std::string> paths;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.starts_with(kSocketPrefix) && name.ends_with(kSocketSuffix)) {
                paths.push_back(folder + entry->d_name);
            }
        }
        closedir(dir);
    }
    const int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sender < 0) {
        return;
    }
    for (const std::string& path : paths) {
        sockaddr_un address{};
        if (!socketAddress(path, address)) {
            continue;
        }
        const ssize_t sent = sendto(sender, &kTerminateMessage, 1, MSG_NOSIGNAL,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof address);
        // Nobody listens on the name any more: its process ended without closing the window.
        // A full queue (EAGAIN) belongs to a live but busy instance and is left alone.
        if (sent < 0 && errno == ECONNREFUSED) {
            unlink(path.c_str());
        }
    }
    close(sender);
}

Event PosixWindowing::waitEvent(uint32_t timeoutMs) {
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
    const uint64_t deadline = monotonicMs() + timeoutMs;
    while (true) {
        if (windowSocket_ >= 0) {
            char message[64];
            const ssize_t got = recv(windowSocket_, message, sizeof message, 0);
            if (got == 1 && message[0] == kTerminateMessage) {
                pendingTerminates_ = deliveriesPerBroadcast_ - 1;
                return {EventKind::Terminate};
            }
            if (got >= 0) {
                return {EventKind::Other};
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && !toolkit) {
                const uint64_t now = monotonicMs();
                sleepMilliseconds(now < deadline ? static_cast<uint32_t>(deadline - now) : 0);
                return {};
            }
        }
        if (toolkit && toolkit_->takeEvent(queued)) {
            return queued;
        }
        const uint64_t now = monotonicMs();
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
