// [X] hostName (gethostname; Winsock started once per process), ipv4Addresses (gethostbyname on
//     the host name in the resolver's order, 0.0.0.0 and loopback 127/8 left out)
// [X] userName from %USERNAME%, localTime (GetLocalTime), osVersionCode from RtlGetVersion
//     (GetVersionEx reports 6.2 to programs without a manifest from Windows 8.1 on), ranked
//     by osVersionCodeOf
// [X] programPath/programFolder (GetModuleFileNameW), currentFolder, tempFolder (long form),
//     folders ending in '\'
// [X] fileSize, readFile (regular disk files only, with the size limit), deleteFile, listFiles
//     (regular files only; folders and devices left out)
// [X] createFile: 1 MiB buffer into a temporary file beside the target, moved over it on close
// [X] copyFile (CopyFileW), tickCount, sleepMs, lastInputTick (GetLastInputInfo)
// [X] printText/reportError: UTF-16 to a console, UTF-8 bytes to a file or pipe; the
//     parent's console borrowed when the windows program has no output handles
// [ ] adviseLargePages: no advice (large pages need a privilege the user rarely holds)
// [ ] Paths longer than MAX_PATH without the \\?\ prefix
#include <winsock2.h>
// After winsock2.h, which must come before windows.h.
#include "platform/win32/win32_system.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

namespace drape::platform::win32 {

namespace {

// Large enough that the row-by-row BMP writer costs about what one big WriteFile costs.
constexpr size_t kBufferSize = size_t{1} << 20;

bool startWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// Text in the ANSI code page, as the Winsock calls give it.
std::string fromAnsi(const char* text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) {
        return {};
    }
    std::wstring units(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, units.data(), length);
    units.resize(static_cast<size_t>(length - 1));
    return narrow(units);
}

std::string asFolder(std::wstring path) {
    if (path.empty()) {
        return {};
    }
    if (path.back() != L'\\' && path.back() != L'/') {
        path.push_back(L'\\');
    }
    return narrow(path);
}

// Everything up to and including the last separator; Windows takes '/' as well as '\'.
std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool writeAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<size_t>(size, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// A fresh, exclusively created file beside `target`, for content that replaces it by a move.
HANDLE createTemporaryBeside(const std::string& target, std::wstring& temporaryPath) {
    static std::atomic<uint32_t> counter{0};
    const size_t slash = target.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const uint32_t serial = counter.fetch_add(1) ^ (GetTickCount() << 8);
        temporaryPath = wide(folderOf(target) + "~" + name + "." +
                             std::to_string(GetCurrentProcessId()) + "." + std::to_string(serial));
        const HANDLE file = CreateFileW(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

// Writes into a temporary file beside the target and moves it over the target on a successful
// close, so a reader never sees a half-written file and a failed write leaves the previous
// file as it was.
class BufferedOutputFile final : public OutputFile {
  public:
    BufferedOutputFile(HANDLE file, std::wstring temporaryPath, std::wstring target)
        : file_(file),
          temporaryPath_(std::move(temporaryPath)),
          target_(std::move(target)),
          buffer_(std::make_unique_for_overwrite<uint8_t[]>(kBufferSize)) {}
    ~BufferedOutputFile() override {
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
            DeleteFileW(temporaryPath_.c_str());
        }
    }
    BufferedOutputFile(const BufferedOutputFile&) = delete;
    BufferedOutputFile& operator=(const BufferedOutputFile&) = delete;

    bool write(const void* data, size_t size) override {
        if (file_ == INVALID_HANDLE_VALUE || failed_) {
            return false;
        }
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (used_ + size > kBufferSize) {
            if (!flush()) {
                return false;
            }
            if (size >= kBufferSize) {
                failed_ = !writeAll(file_, bytes, size);
                return !failed_;
            }
        }
        std::memcpy(buffer_.get() + used_, bytes, size);
        used_ += size;
        return true;
    }

    bool close() override {
        if (file_ == INVALID_HANDLE_VALUE) {
            return false;
        }
        bool ok = flush();
        ok = CloseHandle(file_) != 0 && ok;
        file_ = INVALID_HANDLE_VALUE;
        ok = ok && MoveFileExW(temporaryPath_.c_str(), target_.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        if (!ok) {
            DeleteFileW(temporaryPath_.c_str());
        }
        return ok;
    }

  private:
    bool flush() {
        if (!failed_ && used_ > 0) {
            failed_ = !writeAll(file_, buffer_.get(), used_);
        }
        used_ = 0;
        return !failed_;
    }

    HANDLE file_;
    std::wstring temporaryPath_;
    std::wstring target_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
    bool failed_ = false;
};

// A console shows UTF-16 through WriteConsoleW whatever its code page; anything else (a file,
// a pipe) gets the UTF-8 bytes.
// The program is a windows program, so that autorun and shortcuts open no console; started
// from a console it still writes there: the parent's console is borrowed the first time text
// has nowhere else to go (redirected output arrives as handles and needs none).
HANDLE outputHandle(DWORD which) {
    HANDLE out = GetStdHandle(which);
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        return out;
    }
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (!attached) {
        return nullptr;
    }
    out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    SetStdHandle(which, out);
    return out;
}

void writeText(DWORD which, const std::string& text) {
    if (text.empty()) {
        return;
    }
    const HANDLE out = outputHandle(which);
    if (out == nullptr) {
        return;
    }
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring units = wide(text);
        WriteConsoleW(out, units.data(), static_cast<DWORD>(units.size()), &written, nullptr);
    } else {
        writeAll(out, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
}

}  // namespace

int osVersionCodeOf(const WindowsVersion& version) {
    constexpr uint32_t kWin9x = VER_PLATFORM_WIN32_WINDOWS;
    constexpr uint32_t kNt = VER_PLATFORM_WIN32_NT;
    // The server editions of 5.2 to 6.2 rank a step above their workstation twins.
    const int serverStep = version.workstation ? 0 : 5;
    if (version.platformId == kWin9x && version.major == 4) {
        switch (version.minor) {
            case 0:
                return 10;
            case 10:
                return 30;
            case 90:
                return 40;
            default:
                break;
        }
    } else if (version.platformId == kNt) {
        if (version.major == 3) {
            return 5;
        }
        if (version.major == 4 && version.minor == 0) {
            return 20;
        }
        if (version.major == 5 && version.minor <= 2) {
            return version.minor == 0 ? 50 : version.minor == 1 ? 60 : 60 + serverStep;
        }
        if (version.major == 6 && version.minor <= 2) {
            return 70 + 10 * static_cast<int>(version.minor) + serverStep;
        }
    }
    // Windows 8.1, 10 and 11 and anything unknown rank above every version listed.
    return 200;
}

std::string Win32System::hostName() {
    char name[256] = {};
    if (!startWinsock() || gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return fromAnsi(name);
}

std::vector<uint32_t> Win32System::ipv4Addresses() {
    std::vector<uint32_t> addresses;
    char name[256] = {};
    if (!startWinsock() || gethostname(name, sizeof name - 1) != 0) {
        return addresses;
    }
    const hostent* host = gethostbyname(name);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4) {
        return addresses;
    }
    for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
        uint32_t address = 0;
        std::memcpy(&address, *entry, sizeof address);
        // The first octet lies in the lowest byte whatever the host's byte order.
        if (address == 0 || static_cast<uint8_t>((*entry)[0]) == 127) {
            continue;
        }
        addresses.push_back(address);
    }
    return addresses;
}

std::string Win32System::userName() {
    return narrow(growingString<wchar_t>([](wchar_t* buffer, DWORD capacity) {
        return GetEnvironmentVariableW(L"USERNAME", buffer, capacity);
    }));
}

LocalTime Win32System::localTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wDayOfWeek};
}

SystemEntry systemEntry(const wchar_t* module, const char* name) {
    const HMODULE loaded = GetModuleHandleW(module);
    const FARPROC found = loaded == nullptr ? nullptr : GetProcAddress(loaded, name);
    return reinterpret_cast<SystemEntry>(found);
}

int Win32System::osVersionCode() {
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto rtlGetVersion = systemFunction<RtlGetVersionCall>(L"ntdll.dll", "RtlGetVersion");
    if (rtlGetVersion == nullptr) {
        return osVersionCodeOf({});
    }
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion(&info) != 0) {
        return osVersionCodeOf({});
    }
    return osVersionCodeOf({info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion,
                            info.wProductType == VER_NT_WORKSTATION});
}

std::string Win32System::programPath() {
    return narrow(growingString<wchar_t>([](wchar_t* buffer, DWORD capacity) {
        return GetModuleFileNameW(nullptr, buffer, capacity);
    }));
}

std::string Win32System::programFolder() {
    return folderOf(programPath());
}

std::string Win32System::currentFolder() {
    return asFolder(growingString<wchar_t>(
        [](wchar_t* buffer, DWORD capacity) { return GetCurrentDirectoryW(capacity, buffer); }));
}

std::string Win32System::tempFolder() {
    const std::wstring shortForm = growingString<wchar_t>(
        [](wchar_t* buffer, DWORD capacity) { return GetTempPathW(capacity, buffer); });
    if (shortForm.empty()) {
        return {};
    }
    // %TEMP% often holds the 8.3 form (C:\Users\JOHNSM~1\...); a missing folder has no long one.
    const std::wstring longForm = growingString<wchar_t>([&](wchar_t* buffer, DWORD capacity) {
        return GetLongPathNameW(shortForm.c_str(), buffer, capacity);
    });
    return asFolder(longForm.empty() ? shortForm : longForm);
}

int64_t Win32System::fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return -1;
    }
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
}

std::optional<std::string> Win32System::readFile(const std::string& path, size_t maxBytes) {
    // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS; devices and pipes open but are
    // not disk files.
    const HANDLE file = CreateFileW(
        wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> content;
    LARGE_INTEGER size{};
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) &&
        static_cast<uint64_t>(size.QuadPart) <= maxBytes) {
        // Read to the end rather than trusting the size: the file may grow meanwhile.
        std::string text(static_cast<size_t>(size.QuadPart) + 1, '\0');
        size_t used = 0;
        while (true) {
            if (used == text.size()) {
                text.resize(text.size() * 2);
            }
            const DWORD want = static_cast<DWORD>(
                std::min<size_t>(text.size() - used, std::numeric_limits<DWORD>::max()));
            DWORD got = 0;
            if (!ReadFile(file, text.data() + used, want, &got, nullptr)) {
                break;
            }
            if (got == 0) {
                text.resize(used);
                content = std::move(text);
                break;
            }
            used += got;
            if (used > maxBytes) {
                break;
            }
        }
    }
    CloseHandle(file);
    return content;
}

std::unique_ptr<OutputFile> Win32System::createFile(const std::string& path) {
    std::wstring target = wide(path);
    // A folder fails here, before anything is written.
    if (isFolder(target)) {
        return nullptr;
    }
    std::wstring temporaryPath;
    const HANDLE file = createTemporaryBeside(path, temporaryPath);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<BufferedOutputFile>(file, std::move(temporaryPath), std::move(target));
}

bool Win32System::copyFile(const std::string& from, const std::string& to) {
    return CopyFileW(wide(from).c_str(), wide(to).c_str(), FALSE) != 0;
}

bool Win32System::deleteFile(const std::string& path) {
    return DeleteFileW(wide(path).c_str()) != 0;
}

std::vector<std::string> Win32System::listFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') {
        pattern.push_back('\\');
    }
    pattern.push_back('*');
    WIN32_FIND_DATAW entry{};
    const HANDLE search = FindFirstFileW(wide(pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0) {
            names.push_back(narrow(entry.cFileName));
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

uint32_t Win32System::tickCount() {
    return GetTickCount();
}

void Win32System::sleepMs(uint32_t ms) {
    Sleep(ms);
}

uint32_t Win32System::lastInputTick() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    if (GetLastInputInfo(&info)) {
        return info.dwTime;
    }
    // The core reads now - lastInput as a signed difference: without an answer the user counts
    // as idle for as long as it can tell.
    return GetTickCount() - 0x7FFFFFFFu;
}

void Win32System::printText(const std::string& text) {
    writeText(STD_OUTPUT_HANDLE, text);
}

void writeToStandardError(const std::string& text) {
    writeText(STD_ERROR_HANDLE, text);
}

void Win32System::reportError(const std::string& line) {
    writeToStandardError(line + "\n");
}

}  // namespace drape::platform::win32
