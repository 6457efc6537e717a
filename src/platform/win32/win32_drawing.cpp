// [X] displayDpiY: LOGPIXELSY of the screen's DC, 96 without one
// [X] createFont: CreateFontW by character height (a negative height), default width, weight,
//     italic, underline, strike-out and the default character set; the font mapper's substitute
//     for a face the system lacks
// [X] highQuality: PROOF_QUALITY, DEFAULT_QUALITY otherwise; both follow the user's font
//     smoothing (grey, ClearType or none), so the coverage is what other programs show
// [X] measureText: GetTextExtentPoint32W on the UTF-16 text and the cell height of the font's
//     metrics; italic fonts add how far their last glyph leans past its advance
// [X] renderText: TextOutW white on black into a 24-bit top-down DIB section that covers only
//     the part of the buffer the text can reach, kept between calls while it is small
// [X] stretchHalftone: StretchBlt in HALFTONE mode between two DIB sections, a row copy at the
//     same size; the portable area resample where a probe finds that the system's halftone does
//     not average when it shrinks (Wine's interpolates between neighbours) or GDI cannot take them
// [X] halftoneIsAreaResample: where the probe chose the portable resample, so photographs are
//     fitted a row at a time there; the system's stretch takes each part whole
// [ ] Text reaching more than 2^27 pixels past the buffer's left edge (beyond GDI's coordinate
//     range) may not be drawn
#include <windows.h>

#include "platform/win32/win32_drawing.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <vector>

#include "platform/area_resample.h"

namespace drape::platform::win32 {

namespace {

// Larger glyphs than the largest image cannot be shown whole anywhere.
constexpr int kMaxPixelHeight = 32767;
// A text DIB section up to this size is kept for the next call; a larger one (big text on a
// large monitor) is made for its one call and given back.
constexpr size_t kKeptDibBytes = size_t{16} << 20;

bool usable(int width, int height, size_t stride, const void* pixels) {
    return pixels != nullptr && width > 0 && height > 0 && stride >= static_cast<size_t>(width) * 3;
}

// A 24-bit top-down DIB section; `bits` is null when GDI could not make it.
struct DibSection {
    HBITMAP bitmap = nullptr;
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;

    DibSection() = default;
    DibSection(int w, int h) {
        const BITMAPINFO info = dibInfo(w, h);
        void* pixels = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (bitmap != nullptr && pixels != nullptr) {
            bits = static_cast<uint8_t*>(pixels);
            width = w;
            height = h;
            stride = dibStride(w);
        }
    }
    ~DibSection() { release(); }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    DibSection& operator=(DibSection&& other) noexcept {
        if (this != &other) {
            release();
            std::swap(bitmap, other.bitmap);
            std::swap(bits, other.bits);
            std::swap(width, other.width);
            std::swap(height, other.height);
            std::swap(stride, other.stride);
        }
        return *this;
    }

    void release() {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
        bitmap = nullptr;
        bits = nullptr;
        width = 0;
        height = 0;
        stride = 0;
    }
    size_t bytes() const { return stride * static_cast<size_t>(height); }
};

// A memory DC that gives back what it had selected and goes away with its scope.
class MemoryDc {
  public:
    MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) {
            if (originalBitmap_ != nullptr) {
                SelectObject(dc_, originalBitmap_);
            }
            if (originalFont_ != nullptr) {
                SelectObject(dc_, originalFont_);
            }
            DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC get() const { return dc_; }
    void selectBitmap(HBITMAP bitmap) {
        const HGDIOBJ previous = SelectObject(dc_, bitmap);
        if (originalBitmap_ == nullptr) {
            originalBitmap_ = previous;
        }
    }
    void selectFont(HFONT font) {
        if (font == selectedFont_) {
            return;
        }
        const HGDIOBJ previous = SelectObject(dc_, font);
        if (originalFont_ == nullptr) {
            originalFont_ = previous;
        }
        selectedFont_ = font;
    }
    // A font must not be selected when it is deleted.
    void deselectFont(HFONT font) {
        if (font == selectedFont_ && originalFont_ != nullptr) {
            SelectObject(dc_, originalFont_);
            selectedFont_ = nullptr;
        }
    }
    // A DIB section must not be selected when it is deleted.
    void deselectBitmap() {
        if (originalBitmap_ != nullptr) {
            SelectObject(dc_, originalBitmap_);
        }
    }

  private:
    HDC dc_;
    HGDIOBJ originalBitmap_ = nullptr;
    HGDIOBJ originalFont_ = nullptr;
    HFONT selectedFont_ = nullptr;
};

struct Font {
    HFONT handle = nullptr;
    int cellHeight = 0;  // ascent + descent
    int overhang = 0;    // what GDI adds to a made-up bold or italic raster font
    bool italic = false;
};

// Font ids are unique in the process, so a stale id from another platform object names nothing.
FontId nextFontId() {
    static FontId next = 0;
    return ++next;
}

// The face name cut to what the font mapper reads (LF_FACESIZE with its terminator) without
// splitting a surrogate pair, and to its first NUL.
std::wstring faceName(const std::string& face) {
    std::wstring units = wide(face);
    units.resize(std::min(units.find(L'\0'), units.size()));
    size_t length = std::min<size_t>(units.size(), LF_FACESIZE - 1);
    if (length < units.size() && length > 0 && units[length - 1] >= 0xD800 &&
        units[length - 1] <= 0xDBFF) {
        --length;
    }
    units.resize(length);
    return units;
}

int clampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

void copyRows(const uint8_t* from, size_t fromStride, uint8_t* to, size_t toStride, int width,
              int height) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        std::memcpy(to + static_cast<size_t>(y) * toStride,
                    from + static_cast<size_t>(y) * fromStride, rowBytes);
    }
}

}  // namespace

size_t dibStride(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
}

BITMAPINFO dibInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first, as the views hold them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

struct Win32Drawing::Gdi {
    MemoryDc dc;  // measures and draws text
    std::map<FontId, Font> fonts;
    DibSection textDib;  // selected into `dc` while it exists
    std::optional<bool> halftoneAverages;

    Gdi() {
        if (dc.get() != nullptr) {
            SetTextColor(dc.get(), RGB(255, 255, 255));
            SetBkMode(dc.get(), TRANSPARENT);
            SetTextAlign(dc.get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
        }
    }
    ~Gdi() {
        dc.deselectBitmap();
        textDib.release();
        for (auto& [id, font] : fonts) {
            dc.deselectFont(font.handle);
            DeleteObject(font.handle);
        }
    }

    const Font* select(FontId id) {
        const auto found = fonts.find(id);
        if (found == fonts.end() || dc.get() == nullptr) {
            return nullptr;
        }
        dc.selectFont(found->second.handle);
        return &found->second;
    }

    // A text DIB section of at least width x height, selected into the DC; false when none can
    // be had.
    bool textDibOf(int width, int height) {
        if (textDib.bits != nullptr && textDib.width >= width && textDib.height >= height) {
            return true;
        }
        dc.deselectBitmap();
        textDib = DibSection(width, height);
        if (textDib.bits == nullptr) {
            return false;
        }
        dc.selectBitmap(textDib.bitmap);
        return true;
    }
    void dropLargeTextDib() {
        if (textDib.bytes() > kKeptDibBytes) {
            dc.deselectBitmap();
            textDib.release();
        }
    }
};

Win32Drawing::Win32Drawing() : gdi_(std::make_unique<Gdi>()) {}

Win32Drawing::~Win32Drawing() = default;

int Win32Drawing::displayDpiY() {
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 96;
    }
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

FontId Win32Drawing::createFont(const FontRequest& request) {
    if (request.pixelHeight <= 0 || request.pixelHeight > kMaxPixelHeight ||
        gdi_->dc.get() == nullptr) {
        return 0;
    }
    // Negative: the character (em) height, not the cell height. Proof and default quality
    // both give the user's font smoothing to outline fonts; proof also keeps raster fonts
    // from being scaled.
    const HFONT handle =
        CreateFontW(-request.pixelHeight, 0, 0, 0, std::clamp(request.weight, 0, 1000),
                    request.italic ? TRUE : FALSE, request.underline ? TRUE : FALSE,
                    request.strikeOut ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, request.highQuality ? PROOF_QUALITY : DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, faceName(request.face).c_str());
    if (handle == nullptr) {
        return 0;
    }
    const FontId id = nextFontId();
    Font& font = gdi_->fonts[id];
    font.handle = handle;
    gdi_->select(id);
    TEXTMETRICW metrics{};
    if (!GetTextMetricsW(gdi_->dc.get(), &metrics) || metrics.tmHeight <= 0) {
        gdi_->dc.deselectFont(handle);
        DeleteObject(handle);
        gdi_->fonts.erase(id);
        return 0;
    }
    font.cellHeight = metrics.tmHeight;
    font.overhang = std::max<int>(0, metrics.tmOverhang);
    font.italic = metrics.tmItalic != 0;
    return id;
}

void Win32Drawing::destroyFont(FontId id) {
    const auto found = gdi_->fonts.find(id);
    if (found == gdi_->fonts.end()) {
        return;
    }
    gdi_->dc.deselectFont(found->second.handle);
    DeleteObject(found->second.handle);
    gdi_->fonts.erase(found);
}

std::string Win32Drawing::faceOf(FontId id) {
    if (gdi_->select(id) == nullptr) {
        return {};
    }
    wchar_t face[LF_FACESIZE] = {};
    const int length = GetTextFaceW(gdi_->dc.get(), LF_FACESIZE, face);
    return length > 0 ? narrow(std::wstring_view(face, std::wcslen(face))) : std::string();
}

namespace {

// How far the ink of the string's last glyph reaches past the advance of the whole string: an
// italic's last stroke leans out of its cell, so a caller that composites the cell would cut it.
int overhangOf(HDC dc, const Font& font, const std::wstring& units) {
    int overhang = font.overhang;
    const wchar_t last = units.back();
    // The ABC widths take one UTF-16 unit; a character beyond the BMP is left out.
    if (font.italic && (last < 0xD800 || last > 0xDFFF)) {
        ABC widths{};
        if (GetCharABCWidthsW(dc, last, last, &widths) && widths.abcC < 0) {
            overhang += -widths.abcC;
        }
    }
    return overhang;
}

}  // namespace

TextExtent Win32Drawing::measureText(FontId id, const std::string& text) {
    const Font* font = gdi_->select(id);
    if (font == nullptr || text.empty()) {
        return {};
    }
    const std::wstring units = wide(text);
    SIZE size{};
    if (units.size() > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        !GetTextExtentPoint32W(gdi_->dc.get(), units.data(), static_cast<int>(units.size()),
                               &size)) {
        return {};
    }
    const HDC dc = gdi_->dc.get();
    return {clampToInt(int64_t{size.cx} + overhangOf(dc, *font, units)), font->cellHeight};
}

void Win32Drawing::renderText(FontId id, const std::string& text, int x,
                              const MutablePixelView& coverage) {
    const Font* font = gdi_->select(id);
    if (font == nullptr || text.empty() ||
        !usable(coverage.width, coverage.height, coverage.stride, coverage.pixels)) {
        return;
    }
    const std::wstring units = wide(text);
    const HDC dc = gdi_->dc.get();
    SIZE size{};
    if (units.size() > static_cast<size_t>(std::numeric_limits<int>::max()) ||
        !GetTextExtentPoint32W(dc, units.data(), static_cast<int>(units.size()), &size)) {
        return;
    }
    // Glyphs may reach a little outside the advance of the whole string (a 'j' to the left,
    // an italic's last stroke to the right); a quarter of the cell is room enough for them.
    const int64_t margin = font->cellHeight / 4 + overhangOf(dc, *font, units) + 1;
    const int64_t left = std::max<int64_t>(0, x - margin);
    const int64_t right = std::min<int64_t>(coverage.width, int64_t{x} + size.cx + margin);
    const int rows = std::min(coverage.height, font->cellHeight);
    if (left >= right || rows <= 0) {
        return;
    }
    const int width = static_cast<int>(right - left);
    if (!gdi_->textDibOf(width, rows)) {
        return;
    }
    DibSection& dib = gdi_->textDib;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < rows; ++y) {
        std::memset(dib.bits + static_cast<size_t>(y) * dib.stride, 0, rowBytes);
    }
    TextOutW(dc, clampToInt(x - left), 0, units.data(), static_cast<int>(units.size()));
    GdiFlush();
    // Where glyphs of earlier calls already lie, the larger coverage stays.
    for (int y = 0; y < rows; ++y) {
        const uint8_t* from = dib.bits + static_cast<size_t>(y) * dib.stride;
        uint8_t* to = coverage.pixels + static_cast<size_t>(y) * coverage.stride +
                      static_cast<size_t>(left) * 3;
        for (size_t i = 0; i < rowBytes; ++i) {
            to[i] = std::max(to[i], from[i]);
        }
    }
    gdi_->dropLargeTextDib();
}

bool Win32Drawing::systemHalftone(const PixelView& source, const MutablePixelView& target) {
    if (!usable(source.width, source.height, source.stride, source.pixels) ||
        !usable(target.width, target.height, target.stride, target.pixels)) {
        return false;
    }
    const DibSection from(source.width, source.height);
    const DibSection to(target.width, target.height);
    MemoryDc fromDc;
    MemoryDc toDc;
    if (from.bits == nullptr || to.bits == nullptr || fromDc.get() == nullptr ||
        toDc.get() == nullptr) {
        return false;
    }
    copyRows(source.pixels, source.stride, from.bits, from.stride, source.width, source.height);
    fromDc.selectBitmap(from.bitmap);
    toDc.selectBitmap(to.bitmap);
    // The brush origin must be set after the mode, or halftoning may misalign its pattern.
    SetStretchBltMode(toDc.get(), HALFTONE);
    SetBrushOrgEx(toDc.get(), 0, 0, nullptr);
    const BOOL stretched = StretchBlt(toDc.get(), 0, 0, target.width, target.height, fromDc.get(),
                                      0, 0, source.width, source.height, SRCCOPY);
    GdiFlush();
    if (!stretched) {
        return false;
    }
    copyRows(to.bits, to.stride, target.pixels, target.stride, target.width, target.height);
    return true;
}

bool Win32Drawing::systemHalftoneAverages() {
    if (!gdi_->halftoneAverages) {
        // A white 2 x 2 square in the middle of a black 4 x 4 shrunk to one pixel: a quarter
        // white when the stretch averages; white when it interpolates between the pixels
        // nearest the centre, black or white when it picks one.
        uint8_t square[4 * 12] = {};
        for (const int y : {1, 2}) {
            std::fill_n(square + y * 12 + 3, 6, uint8_t{255});
        }
        uint8_t pixel[3] = {};
        const bool stretched = systemHalftone({4, 4, 12, square}, {1, 1, 3, pixel});
        gdi_->halftoneAverages = stretched && std::all_of(pixel, pixel + 3, [](uint8_t value) {
                                     return value >= 40 && value <= 90;
                                 });
    }
    return *gdi_->halftoneAverages;
}

void Win32Drawing::stretchHalftone(const PixelView& source, const MutablePixelView& target) {
    if (!usable(source.width, source.height, source.stride, source.pixels) ||
        !usable(target.width, target.height, target.stride, target.pixels)) {
        return;
    }
    if (source.width == target.width && source.height == target.height) {
        copyRows(source.pixels, source.stride, target.pixels, target.stride, target.width,
                 target.height);
        return;
    }
    if (systemHalftoneAverages() && systemHalftone(source, target)) {
        return;
    }
    areaResample(source, target);
}

}  // namespace drape::platform::win32
