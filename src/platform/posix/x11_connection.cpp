// [X] Connections that survive the server: Xlib's I/O error only marks them lost
// [X] One cached connection per backend, reopened after a loss or a change of DISPLAY
// [X] Protocol errors trapped around the requests that may fail (XErrorTrap)
#include "platform/posix/x11_connection.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "platform/posix/x11_trap.h"

namespace drape::platform::posix {

namespace {

// --- Protocol errors --------------------------------------------------------------------

int gTrapDepth = 0;
int gTrappedErrors = 0;
unsigned char gFirstErrorCode = 0;

int countError(Display*, XErrorEvent* event) {
    if (gTrappedErrors++ == 0) {
        gFirstErrorCode = event->error_code;
    }
    return 0;
}

// --- I/O errors -------------------------------------------------------------------------

// The program is one thread; these lists are touched only from it and from Xlib's handlers,
// which Xlib calls on the same thread.
std::vector<Display*> gOurDisplays;
std::vector<Display*> gLostDisplays;
XIOErrorHandler gPreviousIoHandler = nullptr;

bool contains(const std::vector<Display*>& list, Display* display) {
    return std::find(list.begin(), list.end(), display) != list.end();
}

void forget(std::vector<Display*>& list, Display* display) {
    list.erase(std::remove(list.begin(), list.end(), display), list.end());
}

// Xlib calls the process-wide handler first and then the display's exit handler. For our
// connections both return: Xlib then fails the request in progress and every later one.
// Connections opened elsewhere keep Xlib's behaviour.
int quietIoError(Display* display) {
    if (contains(gOurDisplays, display) || gPreviousIoHandler == nullptr) {
        return 0;
    }
    return gPreviousIoHandler(display);
}

void markLost(Display* display, void*) {
    if (!contains(gLostDisplays, display)) {
        gLostDisplays.push_back(display);
    }
}

}  // namespace

XErrorTrap::XErrorTrap()
    : previous_(XSetErrorHandler(countError)),
      savedCount_(gTrappedErrors),
      savedCode_(gFirstErrorCode) {
    ++gTrapDepth;
    gTrappedErrors = 0;
}

XErrorTrap::~XErrorTrap() {
    XSetErrorHandler(previous_);
    if (--gTrapDepth == 0) {
        gTrappedErrors = 0;
        return;
    }
    // The enclosing trap still sees the errors caught inside this one.
    if (gTrappedErrors == 0 || savedCount_ != 0) {
        gFirstErrorCode = savedCode_;
    }
    gTrappedErrors += savedCount_;
}

bool XErrorTrap::failed(Display* display) {
    XSync(display, False);
    return gTrappedErrors != 0;
}

bool XErrorTrap::probeFailed(Display* display) {
    const bool failedHere = failed(display);
    gTrappedErrors = 0;
    return failedHere;
}

std::string XErrorTrap::firstError(Display* display) const {
    if (gTrappedErrors == 0) {
        return {};
    }
    char text[256] = {};
    XGetErrorText(display, gFirstErrorCode, text, sizeof text);
    return text;
}

XDisplay* openDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        return nullptr;
    }
    if (gOurDisplays.empty()) {
        const XIOErrorHandler previous = XSetIOErrorHandler(quietIoError);
        if (previous != quietIoError) {
            gPreviousIoHandler = previous;
        }
    }
    gOurDisplays.push_back(display);
    XSetIOErrorExitHandler(display, markLost, nullptr);
    return display;
}

void closeDisplay(XDisplay* display) {
    if (display == nullptr) {
        return;
    }
    // XCloseDisplay flushes what is pending; on a lost connection that fails quietly.
    XCloseDisplay(display);
    forget(gOurDisplays, display);
    forget(gLostDisplays, display);
}

bool displayLost(XDisplay* display) {
    if (contains(gLostDisplays, display)) {
        return true;
    }
    // A server that went away leaves the socket readable at its end; peeking does not take
    // anything Xlib still has to read.
    pollfd poller{ConnectionNumber(display), POLLIN, 0};
    if (poll(&poller, 1, 0) <= 0) {
        return false;
    }
    if ((poller.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
        return true;
    }
    char byte = 0;
    return recv(poller.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

XConnection::~XConnection() {
    closeDisplay(display_);
}

XDisplay* XConnection::get() {
    const char* name = std::getenv("DISPLAY");
    const std::string wanted = name != nullptr ? name : "";
    if (display_ != nullptr && (wanted != name_ || displayLost(display_))) {
        closeDisplay(display_);
        display_ = nullptr;
    }
    if (display_ == nullptr) {
        display_ = openDisplay();
        name_ = display_ != nullptr ? wanted : std::string();
    }
    return display_;
}

}  // namespace drape::platform::posix
