// Scratch folders and environment for tests of the posix backend: every test points the
// per-user locations (HOME, XDG_*, TMPDIR) at its own temporary tree and gets the old
// environment back afterwards.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"
#include "support/require_installed.h"

namespace drape::platform::posix::testing {

class ScopedEnv {
  public:
    ScopedEnv() = default;
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const std::string& name, const std::string& value) {
        remember(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string& name) {
        remember(name);
        unsetenv(name.c_str());
    }

  private:
    void remember(const std::string& name) {
        if (saved_.count(name) == 0) {
            const char* value = std::getenv(name.c_str());
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// How many terminate events the platform's program window has waiting.
inline int terminatesWaiting(Platform& platform) {
    int count = 0;
    while (platform.waitEvent(0).kind == EventKind::Terminate) {
        ++count;
    }
    return count;
}

// A fixture with a fresh temporary tree: <root>/home, <root>/config, <root>/run, <root>/tmp,
// and no DRAPE_MONITORS, DISPLAY or XDG_CURRENT_DESKTOP, so results do not depend on the
// machine and a developer's own desktop background is never touched.
class PosixTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "drape-test-XXXXXX");
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern + "/";
        for (const char* folder : {"home", "config", "run", "tmp"}) {
            std::filesystem::create_directory(root_ + folder);
        }
        chmod((root_ + "run").c_str(), 0700);
        env_.set("HOME", root_ + "home");
        env_.set("XDG_CONFIG_HOME", root_ + "config");
        env_.set("XDG_RUNTIME_DIR", root_ + "run");
        env_.set("TMPDIR", root_ + "tmp");
        env_.unset("DRAPE_MONITORS");
        env_.unset("DISPLAY");
        env_.unset("XDG_CURRENT_DESKTOP");
        platform_.setReporter([this](const std::string& line) { reports_.push_back(line); });
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    std::string hivePath() const { return root_ + "config/drape/registry.reg"; }

    std::string root_;
    ScopedEnv env_;
    PosixPlatform platform_;
    std::vector<std::string> reports_;
};

}  // namespace drape::platform::posix::testing
