// The 8-bit services of the fake platform, for whole runs of drape98: the bytes go to the fake's
// own record (wallpaper calls, message boxes, broadcasts, the registry, the files), so a test
// asserts on them as it does for the wide program.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/narrow.h"
#include "support/fake_platform.h"

namespace drape::test {

class FakeNarrow final : public platform::PassThroughNarrow {
  public:
    explicit FakeNarrow(FakePlatform& fake) : PassThroughNarrow(fake) {}

    // Scripted answers; unset, the fake platform's own programPath and tempFolder.
    std::optional<std::string> programPathAs;
    std::optional<std::string> tempFolderAs;
    // The system's bitmap loader; unset, there is none (NoLoader).
    std::function<platform::BitmapLoad(const std::string& path, platform::LoadedBitmap& out)>
        bitmapLoader;
    std::vector<std::string> bitmapLoads;  // every path loadBitmapFile was asked for

    std::string programPath() override;
    std::string tempFolder() override;
    platform::BitmapLoad loadBitmapFile(const std::string& path,
                                        platform::LoadedBitmap& out) override;

  protected:
    // "*" any run of characters, "?" one; letters compare without regard to ASCII case, as the
    // system's listing matches them.
    bool matchesPattern(const std::string& name, const std::string& pattern) override;
};

}  // namespace drape::test
