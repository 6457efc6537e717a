// Shared pieces of the decoder tests: the sample files that make_decode_samples.py writes with
// ImageMagick and Pillow, byte helpers for crafting and patching files, and the check that a
// decoded image is well formed.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "raster/raster.h"
#include "support/require_installed.h"

namespace drape::raster::testing {

using Bytes = std::vector<uint8_t>;

inline std::optional<Bytes> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The generated samples. Test processes share them: the folder is named after the script's
// contents and kept, so ctest's one process per test does not run the script each time. A run
// that had to skip samples (a tool missing) keeps its folder to itself and removes it. Where
// the tests cannot run the script themselves (the Windows build under Wine, whose processes
// cannot start the host's Python), the test run writes the folder first and names it in
// DRAPE_DECODE_SAMPLES.
class SampleFolder {
  public:
    static const SampleFolder& get() {
        static const SampleFolder folder;
        return folder;
    }

    std::filesystem::path folder;
    std::string problem;  // why there are no samples at all (no Python, the script failed)

    // The sample's bytes; otherwise `why` tells why not, and `toolMissing` whether that is a
    // tool this machine lacks (the test skips) rather than a sample that should be there.
    std::optional<Bytes> load(const std::string& file, std::string& why, bool& toolMissing) const {
        toolMissing = true;
        if (!problem.empty()) {
            why = problem;
            return std::nullopt;
        }
        const std::filesystem::path stem = folder / std::filesystem::path(file).stem();
        if (auto reason = readBytes(stem.string() + ".skip")) {
            why = std::string(reason->begin(), reason->end());
            return std::nullopt;
        }
        toolMissing = false;
        auto bytes = readBytes(folder / file);
        if (!bytes) {
            why = file + " was not written by make_decode_samples.py";
        }
        return bytes;
    }

  private:
    SampleFolder() {
        namespace fs = std::filesystem;
        if (const char* given = std::getenv("DRAPE_DECODE_SAMPLES")) {
            folder = given;
            if (!fs::is_directory(folder)) {
                problem = "DRAPE_DECODE_SAMPLES names no folder: " + folder.string();
            }
            return;
        }
        const fs::path script =
            fs::path(DRAPE_TESTS_SOURCE_DIR) / "raster" / "make_decode_samples.py";
        const auto contents = readBytes(script);
        if (!contents) {
            problem = "cannot read " + script.string();
            return;
        }
        const size_t key =
            std::hash<std::string>{}(std::string(contents->begin(), contents->end()));
        const fs::path shared =
            fs::temp_directory_path() / ("drape-decode-samples-" + std::to_string(key));
        if (fs::exists(shared / "complete")) {
            folder = shared;
            return;
        }
        std::random_device seed;
        folder = shared.string() + "-" + std::to_string(seed());
        fs::create_directories(folder);
        const std::string command =
            findPython() + " \"" + script.string() + "\" \"" + folder.string() + "\"";
        if (std::system(command.c_str()) != 0) {
            problem = "make_decode_samples.py failed or python3 is missing: " + command;
            removeAtExit_ = true;
            return;
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".skip") {
                removeAtExit_ = true;
                return;
            }
        }
        writeBytes(folder / "complete", {});
        std::error_code raced;  // another test process may have finished first
        fs::rename(folder, shared, raced);
        if (raced) {
            fs::remove_all(folder, raced);
        }
        folder = shared;
    }

    ~SampleFolder() {
        if (removeAtExit_) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }

    // Debian's own interpreter first: Pillow comes as its package python3-pil, which another
    // python3 earlier on the PATH does not see. Without Pillow its samples skip themselves.
    static std::string findPython() {
        for (const char* candidate : {"/usr/bin/python3", "python3"}) {
            const std::string probe = std::string(candidate) + " -c \"import PIL\" >/dev/null 2>&1";
            if (std::system(probe.c_str()) == 0) {
                return candidate;
            }
        }
        return "python3";
    }

    bool removeAtExit_ = false;
};

// Loads a generated sample into `variable`; skips the test when a tool is missing and fails it
// when the sample should be there.
#define DRAPE_LOAD_SAMPLE(variable, file)                                     \
    std::string variable##Why;                                                \
    bool variable##ToolMissing = false;                                       \
    const auto variable##Loaded =                                             \
        SampleFolder::get().load(file, variable##Why, variable##ToolMissing); \
    if (!variable##Loaded && variable##ToolMissing) {                         \
        DRAPE_TOOL_MISSING(variable##Why);                                    \
    }                                                                         \
    ASSERT_TRUE(variable##Loaded.has_value()) << variable##Why;               \
    const Bytes& variable = *variable##Loaded

// Decodes into a scratch number; what every decoder must give for any input: nothing, or an
// image whose size, depth and rows the rest of the raster layer can trust.
inline void expectNothingOrWellFormed(const Bytes& data, const std::string& what) {
    const RasterImage* image = decodeImage(9, data.data(), data.size());
    if (image == nullptr) {
        EXPECT_EQ(imageHandle(9), nullptr) << what;
        return;
    }
    EXPECT_GE(image->width, 1) << what;
    EXPECT_LE(image->width, kMaxImageSide) << what;
    EXPECT_GE(image->height, 1) << what;
    EXPECT_LE(image->height, kMaxImageSide) << what;
    EXPECT_TRUE(image->depth == 24 || image->depth == 32) << what;
    EXPECT_EQ(image->stride, strideFor(image->width, image->depth)) << what;
    EXPECT_GE(image->pixels.size(), image->stride * static_cast<size_t>(image->height)) << what;
    EXPECT_NE(image->format, ImageFormat::None) << what;
}

inline void putLe16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void putLe32(Bytes& b, size_t at, uint32_t v) {
    putLe16(b, at, v & 0xFFFF);
    putLe16(b, at + 2, v >> 16);
}
inline void putBe16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}
inline void putBe32(Bytes& b, size_t at, uint32_t v) {
    putBe16(b, at, v >> 16);
    putBe16(b, at + 2, v & 0xFFFF);
}
inline uint32_t be32At(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

// CRC-32 as PNG chunks carry it, for patching chunks without the library under test.
inline uint32_t crc32Of(const uint8_t* data, size_t length) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// Recomputes the CRC of every chunk whose length field still makes sense.
inline void repairPngCrcs(Bytes& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = be32At(png, at);
        if (length > png.size() - at - 12) {
            return;
        }
        putBe32(png, at + 8 + length, crc32Of(png.data() + at + 4, length + 4));
        at += 12 + length;
    }
}

}  // namespace drape::raster::testing
