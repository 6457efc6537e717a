// [X] createFont: fontconfig matches the face name, weight and slant the way desktop programs
//     do, so "Arial" gives its metric twin Liberation Sans where installed and an unknown
//     name the default sans face
// [X] Bold and italic made up (emboldened outline, FreeType's oblique shear) when the
//     matched face has neither
// [X] Underline and strike-out bars from the face's own metrics
// [X] Anti-aliased grey coverage (all three channels alike) for highQuality, hinted
//     monochrome otherwise
// [X] measureText and renderText on UTF-8 text, one glyph per code point, no kerning (the
//     desktop's plain text output does not kern either)
// [ ] No per-character fallback: code points the matched face lacks show its missing-glyph box
// [ ] No sub-pixel (per-channel) coverage
#include "platform/posix/posix_platform.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <string>

#include "platform/unicode.h"

namespace drape::platform::posix {

namespace {

// FreeType's own synthetic slant (about 12 degrees), as a 16.16 shear of x by y.
constexpr FT_Fixed kObliqueShear = 0x0366A;
// Larger glyphs than the largest image cannot be shown whole anywhere.
constexpr int kMaxPixelHeight = 32767;

struct Font {
    FT_Face face = nullptr;
    FT_Int32 loadFlags = 0;
    bool embolden = false;
    bool oblique = false;
    bool underline = false;
    bool strikeOut = false;
    bool antiAliased = false;
    int ascent = 0;    // pixels above the baseline
    int descent = 0;   // pixels below it
    int overhang = 0;  // how far the top of a made-up oblique leans past the advance
};

// FreeType's library object and the open fonts. One for the process: FreeType and
// fontconfig keep process-wide state anyway, and ids then stay unique across platform objects.
class FontSystem {
  public:
    FontSystem() = default;
    ~FontSystem() {
        for (auto& [id, font] : fonts) {
            FT_Done_Face(font.face);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
        // fontconfig is left running: the window toolkit's text drawing shares it and may
        // still hold its caches when this runs at exit, and FcFini then aborts the process.
    }
    FontSystem(const FontSystem&) = delete;
    FontSystem& operator=(const FontSystem&) = delete;

    // nullptr when FreeType cannot start.
    FT_Library library() {
        if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
        }
        return library_;
    }

    const Font* find(FontId id) const {
        const auto found = fonts.find(id);
        return found == fonts.end() ? nullptr : &found->second;
    }

    std::map<FontId, Font> fonts;
    FontId next = 1;
    bool failureReported = false;

  private:
    FT_Library library_ = nullptr;
};

FontSystem& fontSystem() {
    static FontSystem system;
    return system;
}

struct MatchedFace {
    std::string file;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
};

// The installed face that fontconfig picks for the request, after the same substitutions
// (aliases such as Arial -> Liberation Sans, the default family) a desktop program gets.
std::optional<MatchedFace> matchFace(const FontRequest& request) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return std::nullopt;
    }
    if (!request.face.empty()) {
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(request.face.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, request.pixelHeight);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return std::nullopt;
    }
    MatchedFace face;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        face.file = reinterpret_cast<const char*>(file);
    }
    FcPatternGetInteger(match, FC_INDEX, 0, &face.index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &face.weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &face.slant);
    FcPatternDestroy(match);
    if (face.file.empty()) {
        return std::nullopt;
    }
    return face;
}

// Sizes the face to an em of `pixelHeight`; a face of fixed bitmap sizes takes its nearest.
bool setPixelHeight(FT_Face face, int pixelHeight) {
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) == 0) {
        return true;
    }
    if (face->num_fixed_sizes <= 0) {
        return false;
    }
    int nearest = 0;
    for (int i = 1; i < face->num_fixed_sizes; ++i) {
        if (std::abs(face->available_sizes[i].height - pixelHeight) <
            std::abs(face->available_sizes[nearest].height - pixelHeight)) {
            nearest = i;
        }
    }
    return FT_Select_Size(face, nearest) == 0;
}

int roundPixels(FT_Pos value26dot6) {
    return static_cast<int>((value26dot6 + 32) >> 6);
}

// Loads the glyph of one code point into the face's slot with the font's made-up styles
// applied; nullptr when FreeType refuses it (the glyph is then skipped, with no advance).
FT_GlyphSlot loadGlyph(const Font& font, char32_t codePoint) {
    const FT_UInt index = FT_Get_Char_Index(font.face, codePoint);
    if (FT_Load_Glyph(font.face, index, font.loadFlags) != 0) {
        return nullptr;
    }
    FT_GlyphSlot slot = font.face->glyph;
    if (font.embolden) {
        FT_GlyphSlot_Embolden(slot);
    }
    if (font.oblique) {
        FT_GlyphSlot_Oblique(slot);
    }
    return slot;
}

std::u32string codePoints(const std::string& text) {
    const std::u16string units = utf8ToUtf16(text);
    std::u32string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        // utf8ToUtf16 pairs surrogates correctly, so a high one is always followed by a low one.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        out.push_back(c);
    }
    return out;
}

// Where coverage goes: the caller's buffer, with the baseline at row `baseline`.
struct CoverageTarget {
    uint8_t* pixels = nullptr;
    size_t stride = 0;
    int width = 0;
    int height = 0;
    int baseline = 0;
};

// Keeps the larger coverage where glyphs (or a glyph and a bar) overlap.
void cover(const CoverageTarget& target, int row, int from, int to, uint8_t value) {
    if (row < 0 || row >= target.height) {
        return;
    }
    from = std::max(from, 0);
    to = std::min(to, target.width);
    if (from >= to) {
        return;
    }
    uint8_t* p =
        target.pixels + static_cast<size_t>(row) * target.stride + static_cast<size_t>(from) * 3;
    for (int x = from; x < to; ++x, p += 3) {
        const uint8_t v = std::max(p[0], value);
        p[0] = v;
        p[1] = v;
        p[2] = v;
    }
}

// The anti-aliasing rasteriser hands over coverage span by span, rows counted upwards from
// the baseline.
void coverSpans(int y, int count, const FT_Span* spans, void* user) {
    const auto& target = *static_cast<const CoverageTarget*>(user);
    const int row = target.baseline - 1 - y;
    for (int i = 0; i < count; ++i) {
        cover(target, row, spans[i].x, spans[i].x + spans[i].len, spans[i].coverage);
    }
}

// Copies a rendered glyph bitmap (grey or 1-bit) with its top-left at (left, top).
void coverBitmap(const CoverageTarget& target, const FT_Bitmap& bitmap, int64_t left, int64_t top) {
    const int maxGrey = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const int64_t row = top + r;
        if (row < 0 || row >= target.height) {
            continue;
        }
        const unsigned char* line =
            bitmap.buffer + static_cast<ptrdiff_t>(r) * static_cast<ptrdiff_t>(bitmap.pitch);
        for (unsigned c = 0; c < bitmap.width; ++c) {
            const int64_t x = left + c;
            if (x < 0 || x >= target.width) {
                continue;
            }
            uint8_t value = 0;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                value = (line[c >> 3] & (0x80 >> (c & 7))) != 0 ? 255 : 0;
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                value = static_cast<uint8_t>(std::min(255, line[c] * 255 / maxGrey));
            }
            if (value != 0) {
                cover(target, static_cast<int>(row), static_cast<int>(x), static_cast<int>(x) + 1,
                      value);
            }
        }
    }
}

// Draws the glyph in the slot with its origin at pen (pixels) on the baseline.
void drawGlyph(FT_Library library, const Font& font, FT_GlyphSlot slot, int64_t pen,
               const CoverageTarget& target) {
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        // Glyphs wholly left or right of the buffer cost nothing, however far away they are.
        if (pen * 64 + box.xMax <= 0 || pen * 64 + box.xMin >= int64_t{target.width} * 64 ||
            box.xMin >= box.xMax) {
            return;
        }
        if (font.antiAliased) {
            FT_Outline_Translate(&slot->outline, static_cast<FT_Pos>(pen * 64), 0);
            FT_Raster_Params params{};
            params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
            params.gray_spans = coverSpans;
            params.user = const_cast<CoverageTarget*>(&target);
            params.clip_box = {0, target.baseline - target.height, target.width, target.baseline};
            FT_Outline_Render(library, &slot->outline, &params);
            return;
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) {
            return;
        }
    }
    if (slot->format == FT_GLYPH_FORMAT_BITMAP) {
        coverBitmap(target, slot->bitmap, pen + slot->bitmap_left,
                    int64_t{target.baseline} - slot->bitmap_top);
    }
}

// A horizontal bar from x to x + width whose top edge lies `top` pixels above the baseline.
void drawBar(const CoverageTarget& target, int64_t x, int64_t width, int top, int thickness) {
    const int from = static_cast<int>(std::clamp<int64_t>(x, 0, target.width));
    const int to = static_cast<int>(std::clamp<int64_t>(x + width, 0, target.width));
    for (int row = target.baseline - top; row < target.baseline - top + thickness; ++row) {
        cover(target, row, from, to, 255);
    }
}

// Thickness and top edge (pixels above the baseline) of the underline and strike-out bars,
// from the face's tables where it has them.
struct Bars {
    int underlineTop = 0;
    int underlineThickness = 1;
    int strikeOutTop = 0;
    int strikeOutThickness = 1;
};

Bars barsOf(const Font& font) {
    const FT_Face face = font.face;
    const bool scalable = FT_IS_SCALABLE(face) != 0;
    const FT_Fixed scale = face->size->metrics.y_scale;
    Bars bars;
    if (scalable && face->underline_thickness > 0) {
        bars.underlineThickness =
            std::max(1, roundPixels(FT_MulFix(face->underline_thickness, scale)));
        // The face gives the middle of the stroke.
        bars.underlineTop =
            roundPixels(FT_MulFix(face->underline_position, scale)) + bars.underlineThickness / 2;
    } else {
        bars.underlineThickness = std::max(1, (font.ascent + font.descent) / 14);
        bars.underlineTop = -std::max(1, font.descent / 2);
    }
    const auto* os2 =
        scalable ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
        // The face's own strike-out: the top of the stroke and its size.
        bars.strikeOutTop = roundPixels(FT_MulFix(os2->yStrikeoutPosition, scale));
        bars.strikeOutThickness = std::max(1, roundPixels(FT_MulFix(os2->yStrikeoutSize, scale)));
    } else {
        bars.strikeOutThickness = bars.underlineThickness;
        bars.strikeOutTop = font.ascent / 3 + bars.strikeOutThickness / 2;
    }
    return bars;
}

}  // namespace

FontId PosixDrawing::createFont(const FontRequest& request) {
    if (request.pixelHeight <= 0 || request.pixelHeight > kMaxPixelHeight) {
        return 0;
    }
    FontSystem& system = fontSystem();
    FT_Library library = system.library();
    const std::optional<MatchedFace> matched = matchFace(request);
    FT_Face face = nullptr;
    if (library == nullptr || !matched ||
        FT_New_Face(library, matched->file.c_str(), matched->index, &face) != 0) {
        if (!system.failureReported) {
            system.failureReported = true;
            shared_.report(
                "no usable font for \"" + request.face + "\"" +
                (matched ? " (" + matched->file + " does not load)" : " (none installed?)"));
        }
        return 0;
    }
    if (!setPixelHeight(face, request.pixelHeight)) {
        FT_Done_Face(face);
        return 0;
    }

    Font font;
    font.face = face;
    font.antiAliased = request.highQuality;
    font.underline = request.underline;
    font.strikeOut = request.strikeOut;
    font.embolden = request.weight >= 600 && matched->weight < FcWeightFromOpenType(600) &&
                    FT_IS_SCALABLE(face);
    font.oblique = request.italic && matched->slant == FC_SLANT_ROMAN && FT_IS_SCALABLE(face);
    font.loadFlags = request.highQuality ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
    if (FT_IS_SCALABLE(face)) {
        // Outlines even where the face carries bitmaps for small sizes: they can be emboldened
        // and slanted and go straight into the caller's buffer.
        font.loadFlags |= FT_LOAD_NO_BITMAP;
    }
    const FT_Size_Metrics& metrics = face->size->metrics;
    font.ascent = roundPixels(metrics.ascender);
    font.descent = roundPixels(-metrics.descender);
    if (font.ascent + font.descent <= 0 || font.ascent < 0 || font.descent < 0) {
        // A face without vertical metrics: give it the usual proportions of the em.
        font.ascent = (request.pixelHeight * 4 + 4) / 5;
        font.descent = request.pixelHeight - font.ascent;
    }
    if (font.oblique) {
        font.overhang = static_cast<int>((int64_t{font.ascent} * kObliqueShear + 0x8000) >> 16);
    }
    const FontId id = system.next++;
    system.fonts[id] = font;
    return id;
}

void PosixDrawing::destroyFont(FontId id) {
    FontSystem& system = fontSystem();
    const auto found = system.fonts.find(id);
    if (found != system.fonts.end()) {
        FT_Done_Face(found->second.face);
        system.fonts.erase(found);
    }
}

TextExtent PosixDrawing::measureText(FontId id, const std::string& text) {
    const Font* font = fontSystem().find(id);
    if (font == nullptr || text.empty()) {
        return {};
    }
    int64_t width = 0;
    for (const char32_t c : codePoints(text)) {
        if (const FT_GlyphSlot slot = loadGlyph(*font, c)) {
            width += roundPixels(slot->advance.x);
        }
    }
    width += font->overhang;
    return {static_cast<int>(std::min<int64_t>(width, std::numeric_limits<int>::max())),
            font->ascent + font->descent};
}

void PosixDrawing::renderText(FontId id, const std::string& text, int x,
                              const MutablePixelView& coverage) {
    FontSystem& system = fontSystem();
    const Font* font = system.find(id);
    if (font == nullptr || text.empty() || coverage.pixels == nullptr || coverage.width <= 0 ||
        coverage.height <= 0 || coverage.stride < static_cast<size_t>(coverage.width) * 3) {
        return;
    }
    // The span rasteriser counts columns in 16 bits.
    const CoverageTarget target{coverage.pixels, coverage.stride, std::min(coverage.width, 32767),
                                coverage.height, font->ascent};
    FT_Library library = system.library();
    int64_t pen = x;
    for (const char32_t c : codePoints(text)) {
        if (const FT_GlyphSlot slot = loadGlyph(*font, c)) {
            drawGlyph(library, *font, slot, pen, target);
            pen += roundPixels(slot->advance.x);
        }
    }
    if (font->underline || font->strikeOut) {
        const Bars bars = barsOf(*font);
        if (font->underline) {
            drawBar(target, x, pen - x, bars.underlineTop, bars.underlineThickness);
        }
        if (font->strikeOut) {
            drawBar(target, x, pen - x, bars.strikeOutTop, bars.strikeOutThickness);
        }
    }
}

}  // namespace drape::platform::posix
