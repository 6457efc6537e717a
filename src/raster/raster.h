// Numbered in-memory images, one drawing context, the four drawing modes and BMP writing.
//
// Images are addressed by small numbers (1 the canvas, 2 a second full-size image, 3 a
// captured region, 4..13 button pictures). The program paints from one thread; the tables
// are process-wide and `resetRaster` returns them to their start state for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace drape::raster {

// Red bits 0-7, green 8-15, blue 16-23, alpha 24-31; composed by addition.
using Colour = uint32_t;

constexpr Colour makeColour(uint32_t r, uint32_t g, uint32_t b) {
    return r + 256u * g + 65536u * b;
}
constexpr Colour makeColourAlpha(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
    return makeColour(r, g, b) + a * 16777216u;
}
constexpr uint32_t redOf(Colour c) {
    return c & 255u;
}
constexpr uint32_t greenOf(Colour c) {
    return (c >> 8) & 255u;
}
constexpr uint32_t blueOf(Colour c) {
    return (c >> 16) & 255u;
}
constexpr uint32_t alphaOf(Colour c) {
    return (c >> 24) & 255u;
}

enum class DrawMode { Opaque, TransparentBackground, Xor, Blend };
enum class ImageFormat { None, Bmp, Icon, Jpeg, Png };

inline constexpr int kMaxImageSide = 32767;

// The numbered images the program paints with.
inline constexpr int kCanvasImage = 1;     // the whole desktop being painted
inline constexpr int kSecondImage = 2;     // a second full-size image, or the photo being fitted
inline constexpr int kCropImage = 3;       // a region captured from another image
inline constexpr int kFirstIconImage = 4;  // 4..13: the settings window's button pictures
inline constexpr int kLastIconImage = 13;

struct RasterImage {
    int width = 0;
    int height = 0;
    int depth = 24;     // 24 (B, G, R) or 32 (B, G, R, A)
    size_t stride = 0;  // bytes per row, a multiple of 4
    ImageFormat format = ImageFormat::None;
    std::vector<uint8_t> pixels;  // top row first

    uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * stride; }
    const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * stride; }
};

// A handle is the image itself; nullptr stands for "no image".
using ImageHandle = RasterImage*;

// Bytes per padded row for a width and depth.
size_t strideFor(int width, int depth);

// --- Images ---------------------------------------------------------------------------
ImageHandle newImage(int number, int width, int height, int depth, Colour fill);
void releaseImage(int number);  // -1 releases all
ImageHandle imageHandle(int number);
int widthOf(int number);
int heightOf(int number);
int duplicateImage(int source, int target);
int cropImage(int source, int target, int x, int y, int width, int height);
int writeBmpFile(int number, const std::string& path);
// A 24-bit bitmap made row by row, so that the picture need not exist as an image: `makeRow`
// fills row y (top first) with width x 3 bytes, blue, green, red. Rows are asked for from the
// bottom up, as the file holds them. 1 on success, 0 when the file could not be written.
int writeBmpRows(const std::string& path, int width, int height,
                 const std::function<void(int y, uint8_t* row)>& makeRow);
// Puts an image made elsewhere (a decoder) into a number; returns its handle.
ImageHandle storeImage(int number, RasterImage image);

// --- Drawing on the open context ------------------------------------------------------
int openContext(int number);
void closeContext();
void setMode(DrawMode mode);
void setCurrentColour(Colour colour);
void fillRect(int x, int y, int width, int height, Colour colour);
void fillRectCurrent(int x, int y, int width, int height);
void drawLine(int x1, int y1, int x2, int y2, Colour colour);
void putPixel(int x, int y, Colour colour);
Colour pixelAt(int x, int y);
void pasteImage(ImageHandle image, int x, int y);
int captureRegion(int number, int x, int y, int width, int height);
// The image at its own size mixed onto the target with a constant alpha 0..255.
void blendImage(ImageHandle image, int x, int y, int alpha);
// Turns every pixel of a 24-bit image grey, g = (2 R + 3 G + 2 B) / 10 rounded with halves up,
// whatever the drawing context.
void greyImage(ImageHandle image);

// --- Scaling and decoding ----------------------------------------------------------------
// The image scaled to width x height (halftone stretch for 24 bits, Mitchell-Netravali for
// 32); nothing when either is 0 or less.
void pasteImageScaled(ImageHandle image, int x, int y, int width, int height);
// Reads and decodes a BMP, ICO, JPEG or PNG file into `number`; nullptr when it cannot.
ImageHandle readImageFile(int number, const std::string& path);
ImageHandle decodeImage(int number, const uint8_t* data, size_t length);
// One part of a photograph drawn scaled: the source rectangle, and where and how large it goes
// on the target.
struct ScaledPart {
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// The parts to draw of a width x height photograph.
using PartPlan = std::function<std::vector<ScaledPart>(int width, int height)>;
// Reads a BMP, ICO, JPEG or PNG file and draws onto the open context's target the parts that
// `plan` picks for the size its header gives, each scaled as `pasteImageScaled` scales. Rows
// are decoded in order and dropped once the parts' resamplers have taken them, so memory
// follows the parts' sizes, not the photograph's (formats that come in passes are held whole
// within a budget). Nothing is drawn unless the whole file decodes.
enum class FileFit { Drawn, NotDecoded, TooLarge };
FileFit pasteImageFileParts(const std::string& path, const PartPlan& plan);
// drape98's reading: the platform's bitmap file loader first (where the platform has none, the
// BMP decoder), then the icon decoder, then the JPEG decoder; no PNG. nullptr when none reads
// the file, and the number is then empty.
ImageHandle readImageFile98(int number, const std::string& path);

// --- Fonts and text -------------------------------------------------------------------------
enum FontFlag : uint32_t {
    kFontBold = 1,
    kFontItalic = 2,
    kFontUnderline = 4,
    kFontStrikeOut = 8,
    kFontHighQuality = 16,
};
using FontHandle = uint32_t;  // 0 = no font

// A font of `points` at the display's resolution; `number` 0 makes a font without a number,
// returned only as a handle (closed with `closeFontHandle`).
FontHandle openFont(int number, const std::string& face, int points, uint32_t flags);
FontHandle fontHandle(int number);
void closeFont(int number);  // -1 closes all
void closeFontHandle(FontHandle font);
void selectFont(FontHandle font);
// Text with its cell's top-left at (x, y) in the context's mode; returns x + text width.
int paintText(int x, int y, const std::string& text, Colour front, Colour back);
int measureTextWidth(const std::string& text);
int measureTextHeight(const std::string& text);

// How the Opaque and TransparentBackground modes weigh text coverage: by each channel's own
// (drape), or by one grey value (R + G + B) / 3 for all three (drape98). Blend and Xor are
// the same for both. Process-wide; `resetRaster` returns it to PerChannel.
enum class TextCoverage { PerChannel, Grey };
void setTextCoverage(TextCoverage coverage);

// Releases every image and every font and ends any drawing context.
void resetRaster();

}  // namespace drape::raster
