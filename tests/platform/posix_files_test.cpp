#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <utime.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_monitors.h"
#include "platform/posix/posix_registry_file.h"
#include "platform/posix/posix_text.h"

#include "posix_test_env.h"

namespace drape::platform::posix::testing {
namespace {

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(PosixTest, FileSizeAndReadFileAtTheEdges) {
    const std::string dir = root_ + "tmp/";
    writeText(dir + "empty", "");
    writeText(dir + "five", "12345");
    EXPECT_EQ(platform_.fileSize(dir + "empty"), 0);
    EXPECT_EQ(platform_.fileSize(dir + "five"), 5);
    EXPECT_LT(platform_.fileSize(dir + "missing"), 0);
    EXPECT_LT(platform_.fileSize(dir), 0);

    EXPECT_EQ(platform_.readFile(dir + "five", 5), "12345");
    EXPECT_EQ(platform_.readFile(dir + "five", 4), std::nullopt);
    EXPECT_EQ(platform_.readFile(dir + "empty", 0), "");
    EXPECT_EQ(platform_.readFile(dir + "missing", 100), std::nullopt);
    EXPECT_EQ(platform_.readFile(dir, 100), std::nullopt);
}

TEST_F(PosixTest, CreatedFileHoldsEveryWriteInOrder) {
    const std::string path = root_ + "tmp/out.bin";
    writeText(path, "old content that must go");
    std::string expected;
    {
        auto file = platform_.createFile(path);
        ASSERT_NE(file, nullptr);
        // Small writes fill the buffer; one larger than the buffer goes straight through.
        for (int row = 0; row < 2000; ++row) {
            const std::string chunk(997, static_cast<char>('a' + row % 26));
            ASSERT_TRUE(file->write(chunk.data(), chunk.size()));
            expected += chunk;
        }
        const std::string big(3 << 20, 'Z');
        ASSERT_TRUE(file->write(big.data(), big.size()));
        expected += big;
        ASSERT_TRUE(file->write("tail", 4));
        expected += "tail";
        EXPECT_TRUE(file->close());
        EXPECT_FALSE(file->write("x", 1));
    }
    EXPECT_EQ(readText(path), expected);
    // The picture may show the host, its address and the user: the owner's alone.
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_EQ(platform_.createFile(root_ + "no/such/folder/out.bin"), nullptr);
}

TEST_F(PosixTest, UnfinishedFileNeverReplacesTheOldOne) {
    const std::string dir = root_ + "tmp/";
    const std::string path = dir + "out.bin";
    writeText(path, "previous picture");
    {
        auto file = platform_.createFile(path);
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->write("half", 4));
        // While it is written, the old file is what readers see.
        EXPECT_EQ(readText(path), "previous picture");
    }
    EXPECT_EQ(readText(path), "previous picture");
    // No temporary file is left behind.
    EXPECT_EQ(platform_.listFiles(dir), std::vector<std::string>{"out.bin"});
}

TEST_F(PosixTest, DevicesAndFoldersAreNotFilesToCreate) {
    EXPECT_EQ(platform_.createFile("/dev/full"), nullptr);
    EXPECT_EQ(platform_.createFile(root_ + "tmp"), nullptr);
}

TEST_F(PosixTest, CopyReplacesTheTargetOrLeavesItAlone) {
    const std::string dir = root_ + "tmp/";
    const std::string source = dir + "source.bmp";
    std::string content(5 << 20, '\0');
    for (size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 31 % 251);
    }
    writeText(source, content);
    chmod(source.c_str(), 0640);
    writeText(dir + "target.bmp", "older and different");

    ASSERT_TRUE(platform_.copyFile(source, dir + "target.bmp"));
    EXPECT_EQ(readText(dir + "target.bmp"), content);
    struct stat info {};
    ASSERT_EQ(stat((dir + "target.bmp").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    ASSERT_TRUE(platform_.copyFile(source, source));
    EXPECT_EQ(readText(source), content);

    writeText(dir + "keep.bmp", "keep me");
    EXPECT_FALSE(platform_.copyFile(dir + "missing", dir + "keep.bmp"));
    EXPECT_FALSE(platform_.copyFile(dir + "sub", dir + "keep.bmp"));
    EXPECT_EQ(readText(dir + "keep.bmp"), "keep me");
    EXPECT_FALSE(platform_.copyFile(source, root_ + "nowhere/x.bmp"));
    std::filesystem::create_directory(dir + "sub");
    EXPECT_FALSE(platform_.copyFile(source, dir + "sub"));
    EXPECT_FALSE(platform_.copyFile(dir + "sub", dir + "keep2.bmp"));
    // A copy that failed leaves no temporary file behind.
    EXPECT_EQ(sorted(platform_.listFiles(dir)),
              (std::vector<std::string>{"keep.bmp", "source.bmp", "target.bmp"}));
}

TEST_F(PosixTest, ListFilesNamesRegularFilesOnly) {
    const std::string dir = root_ + "tmp/list";
    std::filesystem::create_directory(dir);
    writeText(dir + "/a.jpg", "a");
    writeText(dir + "/.hidden", "h");
    std::filesystem::create_directory(dir + "/folder");
    std::filesystem::create_symlink(dir + "/a.jpg", dir + "/link.jpg");
    std::filesystem::create_directory_symlink(dir + "/folder", dir + "/folderlink");
    std::filesystem::create_symlink(dir + "/gone", dir + "/dangling");
    mkfifo((dir + "/pipe").c_str(), 0600);

    EXPECT_EQ(sorted(platform_.listFiles(dir)),
              (std::vector<std::string>{".hidden", "a.jpg", "link.jpg"}));
    EXPECT_EQ(sorted(platform_.listFiles(dir + "/")), sorted(platform_.listFiles(dir)));
    EXPECT_TRUE(platform_.listFiles(root_ + "missing").empty());
    EXPECT_TRUE(platform_.listFiles(dir + "/a.jpg").empty());

    EXPECT_TRUE(platform_.deleteFile(dir + "/a.jpg"));
    EXPECT_FALSE(platform_.deleteFile(dir + "/a.jpg"));
    EXPECT_FALSE(platform_.deleteFile(dir + "/folder"));
}

// Runs `work` in a child process; false when it has not finished within `seconds` (the child
// is then killed) or failed an expectation, so that a read that blocks fails the test instead
// of hanging it.
bool finishesWithin(int seconds, const std::function<bool()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(work() ? 0 : 1);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(PosixTest, FifosAndDevicesAreRefusedWithoutWaiting) {
    const std::string fifo = root_ + "tmp/x.jpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(finishesWithin(5, [&] {
        return !platform_.readFile(fifo, 1 << 20) && !platform_.copyFile(fifo, root_ + "copy");
    }));
    EXPECT_TRUE(finishesWithin(5, [&] {
        std::string error;
        return !monitorsFromSetting("@" + fifo, error) &&
               error == "DRAPE_MONITORS: cannot read " + fifo + ": not a regular file";
    }));
    // A hive that is a FIFO would hold the lock, and so every other instance, forever.
    std::filesystem::create_directories(root_ + "config/drape");
    ASSERT_EQ(mkfifo(hivePath().c_str(), 0600), 0);
    EXPECT_TRUE(finishesWithin(5, [&] {
        RegValue out;
        return platform_.regQueryValue(kHkeyCurrentUser, "Control Panel\\Desktop", "Wallpaper",
                                       2048, out) == kRegAccessDenied &&
               platform_.regCreateKey(kHkeyCurrentUser, "Software\\Drape") == kRegAccessDenied;
    }));
    std::string error;
    EXPECT_FALSE(monitorsFromSetting("@/dev/zero", error));
    EXPECT_EQ(error, "DRAPE_MONITORS: cannot read /dev/zero: not a regular file");
}

TEST_F(PosixTest, AFileThatIsThereButCannotBeReadIsExplained) {
    const std::string dir = root_ + "tmp/";
    writeText(dir + "big.jpg", std::string(5000, 'x'));
    mkfifo((dir + "pipe.jpg").c_str(), 0600);
    EXPECT_FALSE(platform_.readFile(dir + "big.jpg", 1024));
    EXPECT_FALSE(platform_.readFile(dir + "pipe.jpg", 1024));
    EXPECT_FALSE(platform_.readFile(dir + "big.jpg", size_t{16} << 20 >> 12));
    EXPECT_FALSE(platform_.readFile(dir, 1024));
    // Missing files are the caller's to tell.
    EXPECT_FALSE(platform_.readFile(dir + "missing.jpg", 1024));
    EXPECT_FALSE(platform_.readFile(dir + "big.jpg/inside", 1024));
    EXPECT_EQ(reports_, (std::vector<std::string>{
                            "cannot read " + dir + "big.jpg: larger than 1 KiB",
                            "cannot read " + dir + "pipe.jpg: not a regular file",
                            "cannot read " + dir + "big.jpg: larger than 4 KiB",
                            "cannot read " + dir + ": not a regular file",
                        }));
    EXPECT_EQ(readErrorText(EFBIG, size_t{16} << 20), "larger than 16 MiB");
    EXPECT_EQ(readErrorText(EFBIG, 1000), "larger than 1000 bytes");
}

TEST_F(PosixTest, WritesThroughASymbolicLinkReplaceItsTarget) {
    const std::string dir = root_ + "tmp/";
    std::filesystem::create_directories(root_ + "dotfiles/deeper");
    writeText(root_ + "dotfiles/deeper/wall.bmp", "old");
    // A relative link to a relative link, as dotfile managers make them.
    std::filesystem::create_symlink("../dotfiles/deeper/wall.bmp", root_ + "dotfiles/hop.bmp");
    std::filesystem::create_symlink("../dotfiles/hop.bmp", dir + "wall.bmp");
    auto file = platform_.createFile(dir + "wall.bmp");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("new", 3));
    ASSERT_TRUE(file->close());
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "wall.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(root_ + "dotfiles/hop.bmp"));
    EXPECT_EQ(readText(root_ + "dotfiles/deeper/wall.bmp"), "new");

    ASSERT_TRUE(writeFileAtomically(dir + "wall.bmp", "newer", 0600));
    ASSERT_TRUE(platform_.copyFile(root_ + "dotfiles/deeper/wall.bmp", dir + "copy.bmp"));
    std::filesystem::create_symlink("copy.bmp", dir + "link.bmp");
    writeText(dir + "other.bmp", "other");
    ASSERT_TRUE(platform_.copyFile(dir + "other.bmp", dir + "link.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "wall.bmp"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "link.bmp"));
    EXPECT_EQ(readText(root_ + "dotfiles/deeper/wall.bmp"), "newer");
    EXPECT_EQ(readText(dir + "copy.bmp"), "other");

    // A link that names itself cannot be written through, and is left as it is.
    std::filesystem::create_symlink("loop.bmp", dir + "loop.bmp");
    EXPECT_FALSE(writeFileAtomically(dir + "loop.bmp", "x", 0600));
    EXPECT_EQ(platform_.createFile(dir + "loop.bmp"), nullptr);
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "loop.bmp"));
}

// A pid that no process has: a child that has already been reaped.
pid_t endedPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

TEST_F(PosixTest, TemporariesOfWritersThatAreGoneAreRemovedByTheNextWrite) {
    const std::string dir = root_ + "tmp/";
    const std::string dead = ".drape.bmp." + std::to_string(endedPid()) + ".Ab12Cd";
    const std::string alive = ".drape.bmp." + std::to_string(getppid()) + ".Ab12Cd";
    const std::string mine = ".drape.bmp." + std::to_string(getpid()) + ".Zz99Yy";
    const std::string oldUnnamed = ".drape.bmp.Qw3rTy";
    const std::string newUnnamed = ".drape.bmp.Xy5uIo";
    const std::string otherFile = ".other.bmp." + std::to_string(endedPid()) + ".Ab12Cd";
    const std::string notOurs = ".drape.bmp.notapid.Ab12Cd";
    for (const std::string& name :
         {dead, alive, mine, oldUnnamed, newUnnamed, otherFile, notOurs}) {
        writeText(dir + name, "left behind");
    }
    // Earlier versions named temporaries without the pid; only a day-old one is surely stale.
    const utimbuf twoDaysAgo{time(nullptr) - 2 * 86400, time(nullptr) - 2 * 86400};
    ASSERT_EQ(utime((dir + oldUnnamed).c_str(), &twoDaysAgo), 0);
    // A folder of the same name is nobody's temporary file.
    std::filesystem::create_directory(dir + ".drape.bmp.1.Ab12Cd");

    auto file = platform_.createFile(dir + "drape.bmp");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->write("BM", 2));
    ASSERT_TRUE(file->close());
    std::vector<std::string> left = platform_.listFiles(dir);
    EXPECT_EQ(sorted(left),
              sorted({alive, mine, newUnnamed, otherFile, notOurs, std::string("drape.bmp")}));
    EXPECT_TRUE(std::filesystem::is_directory(dir + ".drape.bmp.1.Ab12Cd"));

    // The hive's own temporaries are cleaned up the same way.
    std::filesystem::create_directories(root_ + "config/drape");
    const std::string hiveLeft = ".registry.reg." + std::to_string(endedPid()) + ".Ab12Cd";
    writeText(root_ + "config/drape/" + hiveLeft, "half a hive");
    ASSERT_EQ(platform_.regCreateKey(kHkeyCurrentUser, "Software\\Drape"), kRegSuccess);
    EXPECT_FALSE(std::filesystem::exists(root_ + "config/drape/" + hiveLeft));
}

}  // namespace
}  // namespace drape::platform::posix::testing
