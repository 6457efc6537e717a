// Helpers for the tests of the X11 parts of the posix backend: a private Xvfb server, Drape's
// bitmap format written from a colour function, and the root window read back. Include it after
// gtest and the platform headers: Xlib defines macros (None, Bool) that clash with them.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace drape::platform::posix::testing {

// What a shell command prints on its standard output, trailing newlines removed (its errors go
// to the test's log).
inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, got);
        }
        pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
}

struct Colour {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Colour&) const = default;
};
inline void PrintTo(const Colour& c, std::ostream* os) {
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

inline constexpr Colour kRed{127, 0, 0};
inline constexpr Colour kGreen{0, 127, 0};
inline constexpr Colour kBlue{0, 0, 127};
inline constexpr Colour kWhite{255, 255, 255};

// A 24-bit bottom-up BMP as Drape writes it.
inline std::string bmp24(int width, int height, const std::function<Colour(int, int)>& colour) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = stride * static_cast<uint32_t>(height);
    std::string file(54 + pixelBytes, '\0');
    const auto put32 = [&](size_t at, uint32_t value) {
        for (size_t i = 0; i < 4; ++i) {
            file[at + i] = static_cast<char>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, pixelBytes);
    for (int y = 0; y < height; ++y) {
        const size_t row = 54 + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Colour c = colour(x, y);
            file[row + 3 * static_cast<size_t>(x)] = static_cast<char>(c.b);
            file[row + 3 * static_cast<size_t>(x) + 1] = static_cast<char>(c.g);
            file[row + 3 * static_cast<size_t>(x) + 2] = static_cast<char>(c.r);
        }
    }
    return file;
}

inline std::string solidBmp(int width, int height, Colour colour) {
    return bmp24(width, height, [colour](int, int) { return colour; });
}

// The full path of a program on PATH; "" when there is none.
inline std::string programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

// A private Xvfb. The server picks a free display number itself (-displayfd) and writes it
// once it accepts connections, so tests running in parallel never collide.
class XvfbServer {
  public:
    XvfbServer() = default;
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    static bool installed() { return !programOnPath("Xvfb").empty(); }

    // Starts "Xvfb -screen 0 <screen>" plus `extra`; false when it did not come up.
    bool start(const std::string& screen, const std::vector<std::string>& extra = {}) {
        int ready[2];
        if (pipe(ready) != 0) {
            return false;
        }
        std::vector<std::string> words = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen",
                                          "0", screen, "-nolisten", "tcp",
                                          // Retained pixmaps must survive the setter's exit
                                          // even when no other client is connected.
                                          "-noreset"};
        words.insert(words.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        const std::string program = programOnPath("Xvfb");
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(ready[1]);
        std::string number;
        pollfd poller{ready[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && poll(&poller, 1, 15000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(ready[0]);
        if (number.empty()) {
            stop();
            return false;
        }
        name_ = ":" + number;
        return true;
    }

    void stop() {
        if (pid_ <= 0) {
            return;
        }
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (waitpid(pid_, &status, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
    }

    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// The colour of each pixel in a rectangle of a window (the root by default), read with the
// visual's masks of a 24-bit TrueColor server.
class WindowPixels {
  public:
    WindowPixels(Display* display, int width, int height, Window window = 0) {
        window = window != 0 ? window : DefaultRootWindow(display);
        image_ = XGetImage(display, window, 0, 0, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), AllPlanes, ZPixmap);
    }
    ~WindowPixels() {
        if (image_ != nullptr) {
            XDestroyImage(image_);
        }
    }
    WindowPixels(const WindowPixels&) = delete;
    WindowPixels& operator=(const WindowPixels&) = delete;

    bool valid() const { return image_ != nullptr; }
    Colour at(int x, int y) const {
        const unsigned long pixel = XGetPixel(image_, x, y);
        return {static_cast<int>((pixel & image_->red_mask) >> 16),
                static_cast<int>((pixel & image_->green_mask) >> 8),
                static_cast<int>(pixel & image_->blue_mask)};
    }
    // The first pixel that differs from `expected`, as "(x, y) is (r, g, b)"; "" when none does.
    std::string firstMismatch(const std::function<Colour(int, int)>& expected) const {
        for (int y = 0; y < image_->height; ++y) {
            for (int x = 0; x < image_->width; ++x) {
                const Colour c = at(x, y);
                if (!(c == expected(x, y))) {
                    return "(" + std::to_string(x) + ", " + std::to_string(y) + ") is (" +
                           std::to_string(c.r) + ", " + std::to_string(c.g) + ", " +
                           std::to_string(c.b) + ")";
                }
            }
        }
        return {};
    }

  private:
    XImage* image_ = nullptr;
};

}  // namespace drape::platform::posix::testing
