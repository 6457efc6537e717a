// The win32 backend's Drawing concern: GDI fonts and text, the display's resolution and the
// halftone stretch.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

// Rows of a 24-bit DIB are padded to whole DWORDs.
size_t dibStride(int width);
// The header of a 24-bit DIB whose rows run top first, as the pixel views hold them.
BITMAPINFO dibInfo(int width, int height);

class Win32Drawing final : public Drawing {
  public:
    Win32Drawing();
    ~Win32Drawing() override;
    Win32Drawing(const Win32Drawing&) = delete;
    Win32Drawing& operator=(const Win32Drawing&) = delete;

    void stretchHalftone(const PixelView& source, const MutablePixelView& target) override;
    bool halftoneIsAreaResample() override { return !systemHalftoneAverages(); }
    int displayDpiY() override;
    FontId createFont(const FontRequest& request) override;
    void destroyFont(FontId font) override;
    TextExtent measureText(FontId font, const std::string& text) override;
    void renderText(FontId font, const std::string& text, int x,
                    const MutablePixelView& coverage) override;

    // The face the font mapper chose for the font (its substitute for a face the system
    // lacks); empty for no font.
    std::string faceOf(FontId font);
    // The system's own halftone stretch, whatever it does, for the tests that look at it;
    // false when GDI could not take the images (the target is then left as it was).
    bool systemHalftone(const PixelView& source, const MutablePixelView& target);
    // Whether the system's halftone stretch averages when it shrinks; when it does not (Wine's
    // interpolates between neighbours), stretchHalftone resamples by area itself. Probed once.
    bool systemHalftoneAverages();

  private:
    struct Gdi;
    std::unique_ptr<Gdi> gdi_;
};

}  // namespace drape::platform::win32
