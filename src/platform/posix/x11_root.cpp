// [X] Tiled root background in a pixmap of the root's depth, made on a second connection that
//     is closed with its resources retained (the picture outlives the program and its file)
// [X] The previous setter's pixmap is freed; the new one is published in _XROOTPMAP_ID and
//     ESETROOT_PMAP_ID, as the established setters do
// [X] Whether the root still shows it: the published id, and the pixels where no window covers
//     the root (setters that publish nothing, such as `xsetroot -solid`)
// [ ] Only the default screen of the display; other screens keep their background
#include "platform/posix/x11_root.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <optional>
#include <vector>

#include "platform/posix/x11_bitmap.h"
#include "platform/posix/x11_trap.h"

namespace drape::platform::posix {

namespace {

constexpr const char* kRootPixmapProperty = "_XROOTPMAP_ID";
constexpr const char* kEsetrootProperty = "ESETROOT_PMAP_ID";

// The pixmap id a root property holds; 0 when it is missing or holds something else.
Pixmap pixmapProperty(Display* display, Window root, Atom property) {
    if (property == None) {
        return 0;
    }
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = 0;
    if (XGetWindowProperty(display, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &items,
                           &remaining, &data) == Success &&
        type == XA_PIXMAP && format == 32 && items == 1 && data != nullptr) {
        // Xlib hands 32-bit items over as longs.
        pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pixmap;
}

struct PixmapShape {
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int depth = 0;
};

// The size and depth of `pixmap`; nullopt when the server has no such pixmap (any more).
std::optional<PixmapShape> pixmapShape(Display* display, Pixmap pixmap) {
    XErrorTrap trap;
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned int border = 0;
    PixmapShape shape;
    const Status found = XGetGeometry(display, pixmap, &root, &x, &y, &shape.width, &shape.height,
                                      &border, &shape.depth);
    if (trap.probeFailed(display) || found == 0) {
        return std::nullopt;
    }
    return shape;
}

// Draws the picture and puts it on the root window; returns the pixmap or 0 with `problem`.
Pixmap drawAndPublish(Display* display, const Bmp24& bitmap, int64_t originX, int64_t originY,
                      std::string& problem) {
    XErrorTrap trap;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    Visual* visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    const auto width = static_cast<unsigned int>(bitmap.width);
    const auto height = static_cast<unsigned int>(bitmap.height);

    XImage* image = XCreateImage(display, visual, static_cast<unsigned int>(depth), ZPixmap, 0,
                                 nullptr, width, height, 32, 0);
    if (image == nullptr) {
        problem = "cannot make an X image of " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels";
        return 0;
    }
    const PixelFormat format{image->bits_per_pixel, image->byte_order == MSBFirst,
                             static_cast<uint32_t>(visual->red_mask),
                             static_cast<uint32_t>(visual->green_mask),
                             static_cast<uint32_t>(visual->blue_mask)};
    if (visual->c_class != TrueColor || !isPackable(format)) {
        XDestroyImage(image);
        problem = "the X display's visual (depth " + std::to_string(depth) + ", " +
                  std::to_string(format.bitsPerPixel) +
                  " bits per pixel) is not supported; Drape draws on 24- and 32-bit TrueColor";
        return 0;
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(image->bytes_per_line) * height);
    packTile(bitmap, originX, originY, format, static_cast<size_t>(image->bytes_per_line),
             pixels.data());
    image->data = reinterpret_cast<char*>(pixels.data());

    // The previous setter's pixmap is looked at before this connection owns any resource: an
    // id that turned out to be this connection's own would make XKillClient end it.
    const Atom rootProperty = XInternAtom(display, kRootPixmapProperty, False);
    const Atom esetrootProperty = XInternAtom(display, kEsetrootProperty, False);
    const Pixmap previous = pixmapProperty(display, root, rootProperty);
    const bool freePrevious = previous != 0 &&
                              previous == pixmapProperty(display, root, esetrootProperty) &&
                              pixmapShape(display, previous).has_value();

    const Pixmap pixmap =
        XCreatePixmap(display, root, width, height, static_cast<unsigned int>(depth));
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, width, height);
    XFreeGC(display, gc);
    image->data = nullptr;  // the vector owns the pixels
    XDestroyImage(image);
    if (trap.failed(display)) {
        problem = "the X server did not take the picture: " + trap.firstError(display);
        return 0;
    }

    if (freePrevious && previous != pixmap) {
        XKillClient(display, previous);
    }
    for (const Atom property : {rootProperty, esetrootProperty}) {
        const unsigned long id = pixmap;
        XChangeProperty(display, root, property, XA_PIXMAP, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&id), 1);
    }
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    if (trap.failed(display)) {
        problem = "the X server did not set the root background: " + trap.firstError(display);
        return 0;
    }
    return pixmap;
}

}  // namespace

unsigned long setRootBackground(const Bmp24& bitmap, int64_t originX, int64_t originY,
                                std::string& problem) {
    Display* display = openDisplay();
    if (display == nullptr) {
        problem = "cannot open the X display";
        return 0;
    }
    Pixmap pixmap = drawAndPublish(display, bitmap, originX, originY, problem);
    if (pixmap != 0) {
        // The pixmap must outlive this connection: the root shows it after Drape has exited.
        XSetCloseDownMode(display, RetainPermanent);
        XSync(display, False);
    }
    if (displayLost(display)) {
        problem = "the X server went away while the background was set";
        pixmap = 0;
    }
    closeDisplay(display);
    return pixmap;
}

unsigned long publishedRootPixmap(XDisplay* display) {
    XErrorTrap trap;
    const Atom property = XInternAtom(display, kRootPixmapProperty, True);
    const Pixmap pixmap = pixmapProperty(display, DefaultRootWindow(display), property);
    return trap.failed(display) ? 0 : pixmap;
}

RootLook lookAtRoot(XDisplay* display, unsigned long pixmap) {
    if (pixmap == 0) {
        return RootLook::Unknown;
    }
    XErrorTrap trap;
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    const std::optional<PixmapShape> tile = pixmapShape(display, pixmap);
    if (!tile || static_cast<int>(tile->depth) != DefaultDepth(display, screen) ||
        tile->width == 0 || tile->height == 0) {
        return RootLook::Unknown;
    }
    const unsigned int tileWidth = tile->width;
    const unsigned int tileHeight = tile->height;
    const unsigned int depth = tile->depth;

    // Nine points on a 3 x 3 grid. A probe pixmap gets, per point, the pixel the tile has
    // there (row 0) and, in row 1, its inverse overwritten by what the root shows. The copy
    // from the root leaves out whatever a window covers, so an inverted pixel afterwards
    // means "hidden" rather than "different".
    constexpr int kGrid = 3;
    constexpr int kPoints = kGrid * kGrid;
    const int rootWidth = DisplayWidth(display, screen);
    const int rootHeight = DisplayHeight(display, screen);
    std::array<XPoint, kPoints> points{};
    for (int i = 0; i < kPoints; ++i) {
        points[static_cast<size_t>(i)] = {
            static_cast<short>(rootWidth * (2 * (i % kGrid) + 1) / (2 * kGrid)),
            static_cast<short>(rootHeight * (2 * (i / kGrid) + 1) / (2 * kGrid))};
    }
    const Pixmap probe = XCreatePixmap(display, root, kPoints, 2, depth);
    XGCValues values{};
    values.function = GXcopy;
    values.subwindow_mode = ClipByChildren;
    values.graphics_exposures = False;
    GC gc = XCreateGC(display, probe, GCFunction | GCSubwindowMode | GCGraphicsExposures, &values);
    const auto copyTile = [&](int row) {
        for (int i = 0; i < kPoints; ++i) {
            const XPoint& p = points[static_cast<size_t>(i)];
            XCopyArea(display, pixmap, probe, gc, static_cast<int>(p.x % tileWidth),
                      static_cast<int>(p.y % tileHeight), 1, 1, i, row);
        }
    };
    copyTile(0);
    XSetFunction(display, gc, GXcopyInverted);
    copyTile(1);
    XSetFunction(display, gc, GXcopy);
    for (int i = 0; i < kPoints; ++i) {
        const XPoint& p = points[static_cast<size_t>(i)];
        XCopyArea(display, root, probe, gc, p.x, p.y, 1, 1, i, 1);
    }
    XImage* image = XGetImage(display, probe, 0, 0, kPoints, 2, AllPlanes, ZPixmap);
    XFreeGC(display, gc);
    XFreePixmap(display, probe);
    if (trap.failed(display) || image == nullptr) {
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return RootLook::Unknown;
    }
    const unsigned long mask = depth >= 32 ? 0xFFFFFFFFul : (1ul << depth) - 1;
    int same = 0;
    int different = 0;
    for (int i = 0; i < kPoints; ++i) {
        const unsigned long expected = XGetPixel(image, i, 0) & mask;
        const unsigned long shown = XGetPixel(image, i, 1) & mask;
        if (shown == expected) {
            ++same;
        } else if (shown != (~expected & mask)) {
            ++different;
        }
    }
    XDestroyImage(image);
    if (same + different == 0) {
        return RootLook::Unknown;
    }
    // A clock or a monitor drawn on the root changes a few points, not most of them.
    return different > same ? RootLook::Differs : RootLook::Shows;
}

bool stillShown(XDisplay* display, const std::string& displayName,
                const RootBackground& background) {
    if (background.pixmap == 0 || background.display != displayName ||
        publishedRootPixmap(display) != background.pixmap) {
        return false;
    }
    return !background.comparePixels || lookAtRoot(display, background.pixmap) != RootLook::Differs;
}

}  // namespace drape::platform::posix
