#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>

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
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0200, 0200u);

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

}  // namespace
}  // namespace drape::platform::posix::testing
