// Reads back the 24-bit bitmaps the program writes, for pixel checks in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace drape::test {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

struct BmpImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // top row first

    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Parses an uncompressed bottom-up 24-bit BMP; nullopt for anything else or a short file.
std::optional<BmpImage> parseBmp24(const std::string& bytes);

}  // namespace drape::test

namespace drape::test {
// Lets gtest print a pixel in failure messages.
inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
}  // namespace drape::test
