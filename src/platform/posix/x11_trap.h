// Catching X protocol errors around the requests that may fail. Xlib's default handler prints
// the error and ends the process; inside a trap an error is only counted and remembered.
#pragma once

#include <X11/Xlib.h>

#include <string>

namespace drape::platform::posix {

// Installs a counting error handler for its lifetime; the previous handler comes back at the
// end. Traps may nest. Only the first error inside the trap is remembered for the message.
class XErrorTrap {
  public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits until the server has answered every request sent on `display`, then tells whether
    // any of them failed since the trap was set.
    bool failed(Display* display);
    // Like failed(), and the errors are then forgotten, so that an enclosing trap does not see
    // them: for probes whose failing request is an answer (a pixmap that is gone), not a fault.
    bool probeFailed(Display* display);
    // Xlib's text for the first error caught, e.g. "BadAlloc (insufficient resources for
    // operation)"; empty when none was.
    std::string firstError(Display* display) const;

  private:
    XErrorHandler previous_;
    int savedCount_;
    unsigned char savedCode_;
};

}  // namespace drape::platform::posix
