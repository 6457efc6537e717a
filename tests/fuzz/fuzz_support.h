// What every fuzz target shares: the input as text, a check that stops the fuzzer with a
// message, and whole runs on the fake platform with a small desktop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "raster/raster.h"
#include "state/settings.h"
#include "support/fake_narrow.h"
#include "support/fake_platform.h"

namespace drape::fuzz {

inline std::string_view asText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A broken property is a finding: report it and abort, so that libFuzzer keeps the input.
#define DRAPE_FUZZ_CHECK(condition)                                                            \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// Takes leading bytes off the input, each an unsigned number; 0 once the input is used up.
class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t take() {
        if (size_ == 0) {
            return 0;
        }
        --size_;
        return *data_++;
    }
    std::string rest() const { return std::string(asText(data_, size_)); }

  private:
    const uint8_t* data_;
    size_t size_;
};

// True when the number after any `word` among the tokens lies outside -limit..limit. The fake
// clock runs a wait step by step, so a wait of days would only spend the fuzzer's time.
bool waitsLongerThan(std::string_view text, std::string_view word, int32_t limit);

// The fake platform's files are real: a run that names a path with '/' could write anywhere,
// so such inputs are skipped, and relative names land in the fake's own folder (see FakeRun).
inline bool namesOutsidePaths(std::string_view text) {
    return text.find('/') != std::string_view::npos;
}

// Sets `command` as drape's command string, as the start-up reads it; false, setting nothing,
// for a command the fake cannot run safely or quickly (a path, or a long delay).
bool setCommandString(const std::string& command);

// Writes a real file of the fake platform's folders.
void writeFile(test::FakePlatform& os, const std::string& path, std::string_view bytes);

// One fake platform for one input: installed as the current platform (and its 8-bit
// services), the run state fresh, one to three monitors of at most 64 x 48 pixels read from
// the input's first bytes, and the random source fixed. The working folder is the fake's own
// for as long as the run lasts, so that files the run names relatively go with the fake.
class FakeRun {
  public:
    explicit FakeRun(ByteReader& input);
    ~FakeRun();
    FakeRun(const FakeRun&) = delete;
    FakeRun& operator=(const FakeRun&) = delete;

    test::FakePlatform os;
    test::FakeNarrow narrow{os};

  private:
    std::string previousFolder_;
};

}  // namespace drape::fuzz
