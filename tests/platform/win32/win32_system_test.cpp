// The win32 System concern against the real OS: facts checked against a second source of the
// same fact, folders in the form the program builds paths from, the file contract (a file
// appears only when it is closed whole) and plain output.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h, which must come first.
#include "platform/win32/win32_system.h"

#include <algorithm>
#include <functional>

#include "win32_scratch.h"

namespace drape::platform::win32::testing {
namespace {

class Win32SystemTest : public ::testing::Test {
  protected:
    bool writeWhole(const std::string& path, const std::string& content) {
        std::unique_ptr<OutputFile> out = system_.createFile(path);
        return out != nullptr && out->write(content.data(), content.size()) && out->close();
    }
    std::optional<std::string> read(const std::string& path) {
        return system_.readFile(path, size_t{64} << 20);
    }
    // The names in the folder, sorted, so that the OS's order does not matter.
    std::vector<std::string> sortedNames(const std::string& folder) {
        std::vector<std::string> names = system_.listFiles(folder);
        std::sort(names.begin(), names.end());
        return names;
    }

    Win32System system_;
};

TEST_F(Win32SystemTest, HostNameAndAddressesAgreeWithTheResolver) {
    const std::string host = system_.hostName();
    ASSERT_FALSE(host.empty());
    char dnsName[256] = {};
    DWORD size = sizeof dnsName;
    ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsHostname, dnsName, &size));
    EXPECT_EQ(lowerAscii(host), lowerAscii(dnsName));

    // Windows resolves its own name to the addresses of its interfaces (Wine does the same
    // for gethostbyname, while its getaddrinfo asks the host's resolver), so the interface
    // list is the second source.
    // (hostName above started Winsock.)
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(probe, INVALID_SOCKET);
    INTERFACE_INFO interfaces[32] = {};
    DWORD bytes = 0;
    ASSERT_EQ(WSAIoctl(probe, SIO_GET_INTERFACE_LIST, nullptr, 0, interfaces, sizeof interfaces,
                       &bytes, nullptr, nullptr),
              0);
    closesocket(probe);
    std::vector<uint32_t> expected;
    for (size_t i = 0; i < bytes / sizeof(INTERFACE_INFO); ++i) {
        const uint32_t value = interfaces[i].iiAddress.AddressIn.sin_addr.s_addr;
        if ((value & 0xFF) != 127 && value != 0) {
            expected.push_back(value);
        }
    }
    std::vector<uint32_t> addresses = system_.ipv4Addresses();
    for (const uint32_t address : addresses) {
        EXPECT_NE(address & 0xFF, 127u) << "loopback 127/8 is left out";
        EXPECT_NE(address, 0u);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(addresses.begin(), addresses.end());
    EXPECT_EQ(addresses, expected);
}

TEST_F(Win32SystemTest, UserAndLocalTimeAreTheSessionsOwn) {
    wchar_t account[256] = {};
    DWORD length = 256;
    ASSERT_TRUE(GetUserNameW(account, &length));
    EXPECT_EQ(system_.userName(), narrow(account));

    const LocalTime now = system_.localTime();
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hour >= 0 && now.hour <= 23 && now.minute >= 0 && now.minute <= 59);
    // The weekday belongs to the date (Sakamoto's method), so no two fields were swapped.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int year = now.month < 3 ? now.year - 1 : now.year;
    const int weekday =
        (year + year / 4 - year / 100 + year / 400 + offsets[now.month - 1] + now.day) % 7;
    if (now.hour != 23 || now.minute != 59) {  // not across midnight
        EXPECT_EQ(now.weekday, weekday);
    }
}

TEST(Win32OsVersion, RanksEachWindowsByItsTable) {
    constexpr uint32_t k9x = VER_PLATFORM_WIN32_WINDOWS;
    constexpr uint32_t kNt = VER_PLATFORM_WIN32_NT;
    const struct {
        WindowsVersion version;
        int code;
    } cases[] = {
        {{k9x, 4, 0, true}, 10},   {{k9x, 4, 10, true}, 30},  {{k9x, 4, 90, true}, 40},
        {{kNt, 3, 51, true}, 5},   {{kNt, 4, 0, true}, 20},   {{kNt, 5, 0, false}, 50},
        {{kNt, 5, 1, true}, 60},   {{kNt, 5, 2, false}, 65},  {{kNt, 5, 2, true}, 60},
        {{kNt, 6, 0, false}, 75},  {{kNt, 6, 0, true}, 70},   {{kNt, 6, 1, false}, 85},
        {{kNt, 6, 1, true}, 80},   {{kNt, 6, 2, false}, 95},  {{kNt, 6, 2, true}, 90},
        {{kNt, 6, 3, true}, 200},  {{kNt, 10, 0, true}, 200}, {{kNt, 10, 0, false}, 200},
        {{k9x, 4, 50, true}, 200}, {{kNt, 4, 10, true}, 200}, {{0, 6, 1, true}, 200},
    };
    for (const auto& each : cases) {
        EXPECT_EQ(osVersionCodeOf(each.version), each.code)
            << each.version.platformId << " " << each.version.major << "." << each.version.minor
            << (each.version.workstation ? " workstation" : " server");
    }
}

TEST_F(Win32SystemTest, OsVersionCodeRanksTheRealVersion) {
    // Read as the test sees it; GetVersionEx would say 6.2 from Windows 8.1 on.
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_EQ(rtlGetVersion(&info), 0);
    const int code = system_.osVersionCode();
    const bool workstation = info.wProductType == VER_NT_WORKSTATION;
    if (info.dwMajorVersion == 6 && info.dwMinorVersion == 1) {
        // Wine's default: Windows 7, or Server 2008 R2.
        EXPECT_EQ(code, workstation ? 80 : 85);
    } else if (info.dwMajorVersion >= 10) {
        EXPECT_EQ(code, 200);
    } else {
        EXPECT_GE(code, 60) << info.dwMajorVersion << "." << info.dwMinorVersion;
    }
}

TEST_F(Win32SystemTest, FoldersAreFullPathsEndingInABackslash) {
    const std::string program = system_.programPath();
    const std::string folder = system_.programFolder();
    EXPECT_TRUE(program.ends_with("\\drape_win32_tests.exe")) << program;
    EXPECT_TRUE(folder.ends_with("\\")) << folder;
    EXPECT_EQ(folder + "drape_win32_tests.exe", program);
    EXPECT_GT(system_.fileSize(program), 0);

    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    // A drive's root already ends in its separator and gets no second one.
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(system_.currentFolder(), "C:\\");
    const ScratchFolder scratch(system_.tempFolder());
    ASSERT_TRUE(SetCurrentDirectoryW(widePath(scratch.path()).c_str()));
    EXPECT_EQ(system_.currentFolder(), scratch.path() + "\\");
    SetCurrentDirectoryW(before);
}

TEST_F(Win32SystemTest, TempFolderIsGivenInItsLongForm) {
    const std::string temp = system_.tempFolder();
    ASSERT_TRUE(temp.size() > 3 && temp.ends_with("\\")) << temp;
    // TMP naming a folder by its 8.3 name, as profiles with long user names have it.
    const ScratchFolder scratch(temp);
    const std::string longName = scratch / "A rather long folder name \xC3\xBC";  // "ü"
    ASSERT_TRUE(CreateDirectoryW(widePath(longName).c_str(), nullptr));
    wchar_t shortName[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameW(widePath(longName).c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(narrow(shortName), longName) << "no 8.3 names on this volume";
    wchar_t savedTmp[MAX_PATH] = {};
    const bool hadTmp = GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH) > 0;
    SetEnvironmentVariableW(L"TMP", shortName);
    const std::string got = system_.tempFolder();
    SetEnvironmentVariableW(L"TMP", hadTmp ? savedTmp : nullptr);
    EXPECT_EQ(got, longName + "\\");
}

TEST_F(Win32SystemTest, FileAppearsUnderItsNameOnlyWhenClosed) {
    const ScratchFolder scratch(system_.tempFolder());
    const std::string file = scratch / "Bild \xC3\xBC.bmp";
    EXPECT_LT(system_.fileSize(file), 0);
    EXPECT_EQ(system_.readFile(file, 100), std::nullopt);

    // Beyond the write buffer, in pieces that straddle its end and one larger than it.
    std::string content;
    for (size_t i = 0; content.size() < (size_t{5} << 20); ++i) {
        content.push_back(static_cast<char>('a' + i % 23));
    }
    {
        std::unique_ptr<OutputFile> out = system_.createFile(file);
        ASSERT_NE(out, nullptr);
        const size_t pieces[] = {1, 54, 5760, (size_t{1} << 20) - 100, (size_t{3} << 20)};
        size_t used = 0;
        for (const size_t piece : pieces) {
            ASSERT_TRUE(out->write(content.data() + used, piece));
            used += piece;
        }
        ASSERT_TRUE(out->write(content.data() + used, content.size() - used));
        EXPECT_LT(system_.fileSize(file), 0) << "visible before close";
        EXPECT_TRUE(out->close());
        // Closed once: nothing more goes in.
        EXPECT_FALSE(out->close());
        EXPECT_FALSE(out->write("x", 1));
    }
    EXPECT_EQ(system_.fileSize(file), static_cast<int64_t>(content.size()));
    EXPECT_EQ(read(file), content);
    // No temporary file stays behind.
    EXPECT_EQ(sortedNames(scratch.path()), std::vector<std::string>{"Bild \xC3\xBC.bmp"});

    // A replacement dropped before close, or a new file dropped, leaves things as they were.
    {
        std::unique_ptr<OutputFile> out = system_.createFile(file);
        ASSERT_NE(out, nullptr);
        EXPECT_TRUE(out->write("new", 3));
        EXPECT_EQ(read(file), content);
    }
    {
        std::unique_ptr<OutputFile> fresh = system_.createFile(scratch / "fresh.bmp");
        ASSERT_NE(fresh, nullptr);
        EXPECT_TRUE(fresh->write(content.data(), content.size()));
    }
    EXPECT_EQ(read(file), content);
    EXPECT_EQ(sortedNames(scratch.path()), std::vector<std::string>{"Bild \xC3\xBC.bmp"});

    // A closed replacement replaces.
    EXPECT_TRUE(writeWhole(file, "new"));
    EXPECT_EQ(read(file), "new");
}

TEST_F(Win32SystemTest, RefusedCloseLeavesWhatWasThere) {
    const ScratchFolder scratch(system_.tempFolder());
    const std::string file = scratch / "drape.bmp";
    const std::string other = scratch / "other.bmp";
    ASSERT_TRUE(writeWhole(other, "other"));

    // A folder took the name while the file was being written: the move onto it is refused.
    // (Windows also refuses to replace a read-only file or one held open without
    // FILE_SHARE_DELETE; Wine replaces both, so neither can be shown here.)
    {
        std::unique_ptr<OutputFile> out = system_.createFile(file);
        ASSERT_NE(out, nullptr);
        EXPECT_TRUE(out->write("new", 3));
        ASSERT_TRUE(CreateDirectoryW(widePath(file).c_str(), nullptr));
        EXPECT_FALSE(out->close());
        EXPECT_FALSE(out->write("x", 1));
    }
    EXPECT_NE(GetFileAttributesW(widePath(file).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(system_.listFiles(file).empty());
    // Only the file that was there before: the temporary file went with the failure.
    EXPECT_EQ(sortedNames(scratch.path()), std::vector<std::string>{"other.bmp"});
    EXPECT_EQ(read(other), "other");

    // Nothing can be started in a missing folder or in place of a folder.
    EXPECT_EQ(system_.createFile(scratch / "missing\\drape.bmp"), nullptr);
    EXPECT_EQ(system_.createFile(file), nullptr);
}

TEST_F(Win32SystemTest, ReadFileKeepsToItsLimitAndToRegularFiles) {
    const ScratchFolder scratch(system_.tempFolder());
    const std::string file = scratch / "drape.cmd";
    ASSERT_TRUE(writeWhole(file, "hello\r\nworld"));
    EXPECT_EQ(system_.fileSize(file), 12);
    EXPECT_EQ(system_.readFile(file, 12), "hello\r\nworld");
    EXPECT_EQ(system_.readFile(file, 11), std::nullopt);
    EXPECT_EQ(system_.readFile(file, 0), std::nullopt);
    const std::string empty = scratch / "empty";
    ASSERT_TRUE(writeWhole(empty, ""));
    EXPECT_EQ(system_.fileSize(empty), 0);
    EXPECT_EQ(system_.readFile(empty, 0), "");
    // A folder and a device are no files.
    EXPECT_LT(system_.fileSize(scratch.path()), 0);
    EXPECT_EQ(system_.readFile(scratch.path(), 100), std::nullopt);
    EXPECT_EQ(system_.readFile("NUL", 100), std::nullopt);
    EXPECT_EQ(system_.readFile(scratch / "missing", 100), std::nullopt);
}

TEST_F(Win32SystemTest, ListsCopiesAndDeletesRegularFilesByUtf8Name) {
    const ScratchFolder scratch(system_.tempFolder());
    // Latin-1, CJK and a character beyond the BMP (a surrogate pair in UTF-16).
    const std::vector<std::string> names = {
        "Gr\xC3\xBC\xC3\x9F"
        "e.jpg",
        "\xE6\x97\xA5\xE6\x9C\xAC.png", "\xF0\x9F\x8C\x84.bmp", "plain.txt"};
    for (const std::string& name : names) {
        ASSERT_TRUE(writeWhole(scratch / name, name));
    }
    ASSERT_TRUE(CreateDirectoryW(widePath(scratch / "sub folder.jpg").c_str(), nullptr));
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedNames(scratch.path()), expected);
    EXPECT_EQ(sortedNames(scratch.path() + "\\"), expected);
    EXPECT_EQ(sortedNames(scratch.path() + "/"), expected);
    EXPECT_TRUE(system_.listFiles(scratch / "missing").empty());
    EXPECT_TRUE(system_.listFiles(scratch / "plain.txt").empty());

    const std::string copy = scratch / "copy \xF0\x9F\x8C\x84.bmp";
    EXPECT_TRUE(system_.copyFile(scratch / names[2], copy));
    EXPECT_EQ(read(copy), names[2]);
    // Copying replaces an existing file; a missing source copies nothing.
    EXPECT_TRUE(system_.copyFile(scratch / names[0], copy));
    EXPECT_EQ(read(copy), names[0]);
    EXPECT_FALSE(system_.copyFile(scratch / "missing", copy));
    EXPECT_EQ(read(copy), names[0]);

    for (const std::string& name : names) {
        EXPECT_TRUE(system_.deleteFile(scratch / name)) << name;
    }
    EXPECT_TRUE(system_.deleteFile(copy));
    EXPECT_FALSE(system_.deleteFile(copy));
    EXPECT_FALSE(system_.deleteFile(scratch / "sub folder.jpg"));
    EXPECT_TRUE(system_.listFiles(scratch.path()).empty());
}

TEST_F(Win32SystemTest, ClockMovesOnAndLastInputLiesInThePast) {
    const uint32_t before = system_.tickCount();
    system_.sleepMs(50);
    const uint32_t after = system_.tickCount();
    // The tick's granularity is 10 to 16 ms.
    EXPECT_GE(after - before, 34u);
    const uint32_t lastInput = system_.lastInputTick();
    EXPECT_GE(static_cast<int32_t>(system_.tickCount() - lastInput), 0);

    // Input moves it to now.
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = 5;
    move.mi.dy = 5;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    const uint32_t sent = GetTickCount();
    ASSERT_EQ(SendInput(1, &move, sizeof move), 1u);
    const uint32_t seen = system_.lastInputTick();
    EXPECT_GE(static_cast<int32_t>(seen - sent), -16);
    EXPECT_GE(static_cast<int32_t>(system_.tickCount() - seen), 0);
}

// Standard output or error redirected into a pipe for the length of one call.
std::string captured(DWORD which, const std::function<void()>& write) {
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    if (!CreatePipe(&reader, &writer, nullptr, 1 << 16)) {
        return "(no pipe)";
    }
    const HANDLE saved = GetStdHandle(which);
    SetStdHandle(which, writer);
    write();
    SetStdHandle(which, saved);
    CloseHandle(writer);
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(reader);
    return text;
}

TEST_F(Win32SystemTest, OutputIntoAPipeIsUtf8) {
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xF0\x9F\x8C\x84\r\n";
    EXPECT_EQ(captured(STD_OUTPUT_HANDLE, [&] { system_.printText(text); }), text);
    EXPECT_EQ(captured(STD_ERROR_HANDLE, [&] { system_.reportError("caf\xC3\xA9"); }),
              "caf\xC3\xA9\n");
    EXPECT_EQ(captured(STD_OUTPUT_HANDLE, [&] { system_.printText(""); }), "");
}

}  // namespace
}  // namespace drape::platform::win32::testing
