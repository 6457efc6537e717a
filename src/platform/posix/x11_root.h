// The X root window's background: putting Drape's bitmap there the way the established
// root setters do, so that they and Drape replace each other cleanly, and telling later
// whether the desktop still shows it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/posix/x11_connection.h"

namespace drape::platform::posix {

struct Bmp24;

// What Drape put on a root window.
struct RootBackground {
    std::string display;       // DISPLAY of the server
    unsigned long pixmap = 0;  // the id published in _XROOTPMAP_ID; 0 when nothing was shown
    // Whether the root's pixels may be compared with the pixmap: they matched it, or were all
    // hidden, right after it was put there. Servers that show something else than the root
    // window's contents (a rootless Xwayland, for one) fail that test.
    bool comparePixels = false;
    bool operator==(const RootBackground&) const = default;
};

// Shows `bitmap` as the tiled background of the default screen's root window, with the bitmap's
// origin at root position (originX, originY). A second connection draws the picture into a
// pixmap of the root's depth, frees the pixmap of the previous setter (its client is killed
// when _XROOTPMAP_ID and ESETROOT_PMAP_ID name the same pixmap), publishes the new pixmap in
// both properties, sets and clears the root window, and is closed with its resources retained,
// so the picture stays after Drape exits and no longer needs the file. Returns the pixmap id,
// or 0 and a one-line `problem`.
unsigned long setRootBackground(const Bmp24& bitmap, int64_t originX, int64_t originY,
                                std::string& problem);

// The pixmap id that _XROOTPMAP_ID holds on the default screen's root window; 0 when none.
unsigned long publishedRootPixmap(XDisplay* display);

// What the parts of the root window that no window covers show, compared with a background
// pixmap at a few points spread over the screen.
enum class RootLook {
    Shows,    // most of the visible points match the pixmap
    Differs,  // most of them do not: another picture was put there without publishing it
    Unknown,  // no point is visible, or the pixmap is gone
};
RootLook lookAtRoot(XDisplay* display, unsigned long pixmap);

// True while `display` (a connection to `background.display`) still shows `background`: the
// root publishes its pixmap and, where the pixels may be compared, they do not differ.
bool stillShown(XDisplay* display, const std::string& displayName,
                const RootBackground& background);

}  // namespace drape::platform::posix
