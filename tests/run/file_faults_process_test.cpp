// Whole runs of the built program against faults of the file system around it: temporary and
// config folders that are missing, unwritable or full, FIFOs where files should be, writers
// killed midway and many writers at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/bmp_image.h"
#include "support/drape_process.h"

namespace drape::test {
namespace {

namespace fs = std::filesystem;

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

// Names in `folder` that are temporaries of a write replacing one of its files.
std::vector<std::string> temporariesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".drape.bmp.") || name.starts_with(".registry.reg.")) {
            names.push_back(name);
        }
    }
    return names;
}

class FileFaultsTest : public ::testing::Test {
  protected:
    fs::path dir;

    void SetUp() override {
        program_ = builtDrape();
        if (!program_.empty()) {
            program_ = fs::absolute(program_).string();
        }
        if (program_.empty()) {
            GTEST_SKIP() << "DRAPE_BIN_DIR does not hold the built program";
        }
        std::string pattern = (fs::temp_directory_path() / "drape-faults-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::create_directories(dir / "config");
        fs::create_directories(dir / "tmp");
        fs::create_directories(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        env_ = {"HOME=" + dir.string(), "TMPDIR=" + (dir / "tmp").string(),
                "XDG_CONFIG_HOME=" + (dir / "config").string(),
                "XDG_RUNTIME_DIR=" + (dir / "runtime").string(), "DRAPE_MONITORS=64x32@0,0"};
    }

    void TearDown() override {
        for (auto it = mounts_.rbegin(); it != mounts_.rend(); ++it) {
            umount2(it->c_str(), MNT_DETACH);
        }
        if (!dir.empty()) {
            std::error_code ignored;
            fs::permissions(dir, fs::perms::owner_all, ignored);
            fs::remove_all(dir, ignored);
        }
    }

    // Replaces (or with an empty value removes) one variable of the environment.
    void setEnv(const std::string& name, const std::string& value) {
        std::erase_if(env_,
                      [&](const std::string& entry) { return entry.starts_with(name + "="); });
        if (!value.empty()) {
            env_.push_back(name + "=" + value);
        }
    }

    pid_t start(const std::vector<std::string>& words, const std::string& log) {
        return spawnDrape(program_, words, env_, log);
    }

    // Runs drape to its end (at most `seconds`) and returns what it printed.
    std::string run(const std::vector<std::string>& words, int seconds = 60) {
        const std::string log = (dir / ("log-" + std::to_string(++runs_))).string();
        const pid_t pid = start(words, log);
        if (pid < 0) {
            return {};
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << "drape did not finish within " << seconds << " s";
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return slurp(log);
    }

    std::string hive() { return slurp(dir / "config" / "drape" / "registry.reg"); }

    // A fresh tmpfs at `path`, or false (the test then skips) where this user may not mount.
    bool mountTmpfs(const fs::path& path, const std::string& options) {
        fs::create_directories(path);
        if (geteuid() != 0 ||
            mount("tmpfs", path.c_str(), "tmpfs", options.find("ro") == 0 ? MS_RDONLY : 0,
                  options.c_str()) != 0) {
            return false;
        }
        mounts_.push_back(path.string());
        return true;
    }

    // `path` made a folder that this user cannot write to: a read-only mount for root, whom
    // permissions do not stop, a mode of 0500 for anyone else.
    bool makeUnwritable(const fs::path& path) {
        if (geteuid() == 0) {
            return mountTmpfs(path, "ro,size=64k");
        }
        fs::create_directories(path);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_exec);
        return true;
    }

    std::string program_;
    std::vector<std::string> env_;
    std::vector<std::string> mounts_;
    int runs_ = 0;
};

// The user's own temporary folder, where the bitmap goes without a usable TMPDIR.
fs::path ownTemporaryFolder() {
    return fs::canonical("/tmp") / ("drape-" + std::to_string(geteuid()));
}

TEST_F(FileFaultsTest, UnusableTmpdirFallsBackAndTheRecordedWallpaperIsAbsolute) {
    const fs::path own = ownTemporaryFolder() / "drape.bmp";
    std::ofstream(dir / "plain") << "a file, not a folder";
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    for (const std::string& tmpdir : {(dir / "missing").string(), (dir / "plain").string(),
                                      std::string("tmp"), std::string()}) {
        setEnv("TMPDIR", tmpdir);
        fs::remove(own);
        const std::string err = run({"red", "keep"});
        EXPECT_EQ(err, "") << "TMPDIR=" << tmpdir;
        EXPECT_NE(hive().find("\"Wallpaper\"=\"" + own.string() + "\""), std::string::npos)
            << "TMPDIR=" << tmpdir << "\n"
            << hive();
        EXPECT_FALSE(fs::exists(dir / "drape.bmp")) << "TMPDIR=" << tmpdir;
        EXPECT_FALSE(fs::exists(dir / "tmp" / "drape.bmp")) << "TMPDIR=" << tmpdir;
        struct stat info {};
        ASSERT_EQ(stat(own.c_str(), &info), 0) << "TMPDIR=" << tmpdir;
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        EXPECT_EQ(fs::status(ownTemporaryFolder()).permissions(), fs::perms::owner_all);
    }
    fs::current_path(before);
    fs::remove(own);
}

TEST_F(FileFaultsTest, VanishedFoldersAreMadeAgainAndAnUnwritableOneIsNamed) {
    // Both folders removed between runs: the next run makes them again.
    fs::remove_all(dir / "tmp");
    fs::remove_all(dir / "config");
    EXPECT_EQ(run({"red", "save", (dir / "saved.bmp").string()}), "");
    EXPECT_NE(hive().find("\"Wallpaper\"=\"" + (dir / "saved.bmp").string() + "\""),
              std::string::npos);

    if (!makeUnwritable(dir / "locked")) {
        GTEST_SKIP() << "cannot make an unwritable folder here (a read-only tmpfs needs root)";
    }
    setEnv("TMPDIR", (dir / "locked").string());
    setEnv("XDG_CONFIG_HOME", (dir / "locked" / "config").string());
    const std::string err = run({"red", "keep"});
    EXPECT_EQ(count(err, "could not write the wallpaper bitmap"), 1u) << err;
    EXPECT_EQ(count(err, "cannot write " + (dir / "locked").string() + "/drape.bmp: "), 1u) << err;
    EXPECT_EQ(count(err, "cannot save the registry hive " + (dir / "locked").string() +
                             "/config/drape/registry.reg: cannot create "),
              1u)
        << err;
    EXPECT_TRUE(temporariesIn(dir / "locked").empty());
}

TEST_F(FileFaultsTest, AFullFileSystemKeepsThePreviousFilesWhole) {
    if (!mountTmpfs(dir / "full", "size=1m")) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (mount -t tmpfs needs root)";
    }
    // A 1920 x 1080 bitmap needs 6 MB.
    setEnv("TMPDIR", (dir / "full").string());
    setEnv("DRAPE_MONITORS", "1920x1080@0,0");
    std::string err = run({"red", "keep"});
    EXPECT_EQ(count(err, "could not write the wallpaper bitmap"), 1u) << err;
    // The reason comes with it, once.
    EXPECT_EQ(count(err, ": No space left on device"), 1u) << err;
    EXPECT_TRUE(temporariesIn(dir / "full").empty());
    EXPECT_FALSE(fs::exists(dir / "full" / "drape.bmp"));

    // A hive on a file system that fills up afterwards is left as it was, and the run says so.
    setEnv("TMPDIR", (dir / "tmp").string());
    setEnv("DRAPE_MONITORS", "64x32@0,0");
    setEnv("XDG_CONFIG_HOME", (dir / "full").string());
    ASSERT_EQ(run({"red", "save", (dir / "first.bmp").string()}), "");
    const fs::path hivePath = dir / "full" / "drape" / "registry.reg";
    const std::string before = slurp(hivePath);
    ASSERT_NE(before.find("first.bmp"), std::string::npos);
    {
        std::ofstream filler(dir / "full" / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    err = run({"red", "save", (dir / "second.bmp").string()});
    EXPECT_EQ(count(err, "cannot save the registry hive " + hivePath.string() +
                             ": No space left on device"),
              1u)
        << err;
    EXPECT_EQ(slurp(hivePath), before);
    EXPECT_TRUE(temporariesIn(dir / "full" / "drape").empty());
    EXPECT_TRUE(fs::exists(dir / "second.bmp"));
}

TEST_F(FileFaultsTest, FifosAndOversizedFilesAreRefusedWithTheirReason) {
    const fs::path fifo = dir / "x.jpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string err = run({"load", fifo.string(), "keep"}, 20);
    EXPECT_NE(err.find("Missing image file"), std::string::npos) << err;
    EXPECT_NE(err.find("cannot read " + fifo.string() + ": not a regular file"), std::string::npos)
        << err;

    setEnv("DRAPE_MONITORS", "@" + fifo.string());
    err = run({"red"}, 20);
    EXPECT_NE(err.find("DRAPE_MONITORS: cannot read " + fifo.string() + ": not a regular file"),
              std::string::npos)
        << err;
    setEnv("DRAPE_MONITORS", "@/dev/zero");
    err = run({"red"}, 20);
    EXPECT_NE(err.find("cannot read /dev/zero: not a regular file"), std::string::npos) << err;

    // A drape.cmd beyond its limit is passed over, and the run says so.
    setEnv("DRAPE_MONITORS", "64x32@0,0");
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    fs::copy_file(program_, bin / "drape");
    fs::permissions(bin / "drape", fs::perms::owner_all);
    {
        std::ofstream command(bin / "drape.cmd", std::ios::binary);
        command << "green keep\n" << std::string((size_t{16} << 20) + 10, ' ');
    }
    program_ = (bin / "drape").string();
    err = run({}, 30);
    EXPECT_NE(err.find("cannot read " + (bin / "drape.cmd").string() + ": larger than 16 MiB"),
              std::string::npos)
        << err;
}

// The bitmap in `path` is whole: a 24-bit BMP of the desktop in one of the colours.
::testing::AssertionResult wholeBitmap(const fs::path& path, int width, int height) {
    const std::optional<BmpImage> image = parseBmp24(slurp(path));
    if (!image || image->width != width || image->height != height) {
        return ::testing::AssertionFailure() << path << " is not a whole bitmap";
    }
    const Rgb first = image->at(0, 0);
    if (image->at(width - 1, height - 1) != first || image->at(width / 2, height / 2) != first) {
        return ::testing::AssertionFailure() << path << " mixes two pictures";
    }
    return ::testing::AssertionSuccess();
}

TEST_F(FileFaultsTest, KilledAtAnyMomentTheBitmapAndTheHiveStayWhole) {
    // 36 MB a bitmap: long enough to write that kills land in the middle.
    setEnv("DRAPE_MONITORS", "4000x3000@0,0");
    ASSERT_EQ(run({"red", "keep"}), "");
    const fs::path bitmap = dir / "tmp" / "drape.bmp";
    ASSERT_TRUE(wholeBitmap(bitmap, 4000, 3000));
    std::mt19937 random(1814);
    for (int round = 0; round < 16; ++round) {
        const pid_t pid =
            start({round % 2 == 0 ? "blue" : "green", "keep"}, (dir / "killed.log").string());
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 400));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        ASSERT_TRUE(wholeBitmap(bitmap, 4000, 3000)) << "round " << round;
        const std::string registry = hive();
        ASSERT_TRUE(registry.starts_with("Windows Registry Editor Version 5.00\n")) << registry;
        ASSERT_NE(registry.find("\"Wallpaper\"=\"" + bitmap.string() + "\""), std::string::npos)
            << registry;
    }
    // What the killed writers left is removed by the next write beside it.
    ASSERT_EQ(run({"red", "keep"}), "");
    EXPECT_TRUE(temporariesIn(dir / "tmp").empty())
        << ::testing::PrintToString(temporariesIn(dir / "tmp"));
    EXPECT_TRUE(temporariesIn(dir / "config" / "drape").empty());
}

TEST_F(FileFaultsTest, EightProcessesWritingTheHiveAtOnceLoseNothing) {
    fs::create_directories(dir / "config" / "drape");
    std::string seeded = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Seed]\n";
    for (int i = 0; i < 50; ++i) {
        seeded += "\"v" + std::to_string(i) + "\"=\"" + std::to_string(i * 7) + "\"\n";
    }
    std::ofstream(dir / "config" / "drape" / "registry.reg") << seeded;
    std::vector<pid_t> pids;
    for (int i = 0; i < 8; ++i) {
        pids.push_back(start({"red", "save", (dir / (std::to_string(i) + ".bmp")).string()},
                             (dir / ("writer-" + std::to_string(i))).string()));
    }
    for (const pid_t pid : pids) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string registry = hive();
    for (int i = 0; i < 50; ++i) {
        EXPECT_NE(registry.find("\"v" + std::to_string(i) + "\"=\"" + std::to_string(i * 7) + "\""),
                  std::string::npos)
            << registry;
    }
    EXPECT_EQ(count(registry, "\"TileWallPaper\"=\"1\""), 1u) << registry;
    size_t recorded = 0;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(slurp(dir / ("writer-" + std::to_string(i))), "");
        EXPECT_TRUE(fs::exists(dir / (std::to_string(i) + ".bmp")));
        recorded += count(
            registry, "\"Wallpaper\"=\"" + (dir / (std::to_string(i) + ".bmp")).string() + "\"");
    }
    EXPECT_EQ(recorded, 1u) << registry;
    EXPECT_TRUE(temporariesIn(dir / "config" / "drape").empty());
}

}  // namespace
}  // namespace drape::test
