// [X] createNative() for Windows, assembled from the concerns below
// [X] programArguments: GetCommandLineW split by CommandLineToArgvW, as UTF-8 (argv's ANSI
//     code page loses characters); argv itself only when the split fails
// [X] System: facts, folders, files, clock and output (win32_system.cpp)
// [X] Registry: the real registry (win32_registry.cpp)
// [X] Desktop: monitors, wallpaper, desktop folder and shortcuts (win32_desktop.cpp)
// [X] Drawing: fonts and text, DPI and the halftone stretch through GDI (win32_drawing.cpp)
// [X] Windowing: message boxes, program window, broadcast and the event wait
//     (win32_windowing.cpp over win32_window_layer.cpp); no terminal pager
// [X] Controls: windows of native controls, choosers and clipboard (win32_controls.cpp,
//     win32_dialogs.cpp), sharing the Windowing concern's window layer
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/platform.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_drawing.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_windowing.h"

namespace drape::platform {

namespace win32 {
namespace {

struct Win32Concerns {
    Win32System systemPart;
    Win32Registry registryPart;
    Win32Desktop desktopPart;
    Win32Drawing drawingPart;
    Win32Windowing windowingPart;
    // Its windows' events go into the queue that Windowing's wait hands out.
    Win32Controls controlsPart{windowingPart.layer(), windowingPart};
};

class Win32Platform final : private Win32Concerns, public Platform {
  public:
    Win32Platform()
        : Platform(systemPart, registryPart, desktopPart, drawingPart, windowingPart,
                   controlsPart) {}
};

}  // namespace
}  // namespace win32

std::unique_ptr<Platform> createNative() {
    return std::make_unique<win32::Win32Platform>();
}

std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        if (argc <= 1 || argv == nullptr) {
            return {};
        }
        return std::vector<std::string>(argv + 1, argv + argc);
    }
    std::vector<std::string> arguments;
    // The first is the program's own name.
    for (int i = 1; i < count; ++i) {
        arguments.push_back(win32::narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

}  // namespace drape::platform
