#include "support/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/area_resample.h"
#include "platform/unicode.h"

namespace drape::test {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Paths cross the interface as UTF-8; std::filesystem reads a plain string in the ANSI code
// page on Windows, so the fake names its files through UTF-16, where bytes that are not UTF-8
// become U+FFFD alike on every OS instead of an exception.
fs::path utf8Path(const std::string& path) {
    return fs::path(platform::utf8ToUtf16(path));
}

std::string utf8Name(const fs::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

class FakeFile : public platform::OutputFile {
  public:
    explicit FakeFile(std::ofstream file) : file_(std::move(file)) {}
    bool write(const void* data, size_t size) override {
        file_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        return static_cast<bool>(file_);
    }
    bool close() override {
        if (!file_.is_open()) {
            return false;
        }
        file_.close();
        return static_cast<bool>(file_);
    }

  private:
    std::ofstream file_;
};

}  // namespace

std::vector<uint8_t> utf16Bytes(const std::string& text) {
    std::vector<uint8_t> bytes = platform::utf16leBytes(text);
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

FakePlatform::FakePlatform() : Platform(*this, *this, *this, *this, *this, ui) {
    // Windows open only where a graphical display is reachable, as on a real desktop.
    ui.display = &graphicalDisplay;
    // The close box and the exit button ask alike: the request arrives as an event.
    ui.onCloseRequest = [this](platform::WindowId window) {
        events.push_back({platform::EventKind::Close, 0, window});
    };
    std::random_device seed;
    const fs::path base = fs::temp_directory_path() /
                          ("drape-fake-" + std::to_string(seed()) + "-" + std::to_string(seed()));
    fs::create_directories(base / "program");
    fs::create_directories(base / "current");
    fs::create_directories(base / "temp");
    fs::create_directories(base / "desktop");
    root = utf8Name(base) + "/";
    programDir = root + "program/";
    currentDir = root + "current/";
    tempDir = root + "temp/";
    desktopDir = root + "desktop/";
}

FakePlatform::~FakePlatform() {
    std::error_code ignored;
    fs::remove_all(utf8Path(root), ignored);
}

uint32_t FakePlatform::address(int a, int b, int c, int d) {
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 |
           static_cast<uint32_t>(c) << 16 | static_cast<uint32_t>(d) << 24;
}

void FakePlatform::setString(const std::string& key, const std::string& name,
                             const std::string& text) {
    registry[lower(key)][lower(name)] = {platform::RegType::Sz, utf16Bytes(text)};
}

std::string FakePlatform::stringValue(const std::string& key, const std::string& name) const {
    const auto k = registry.find(lower(key));
    if (k == registry.end()) {
        return {};
    }
    const auto v = k->second.find(lower(name));
    if (v == k->second.end()) {
        return {};
    }
    std::u16string units;
    for (size_t i = 0; i + 1 < v->second.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(v->second.data[i] | v->second.data[i + 1] << 8);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    return platform::utf16ToUtf8(units);
}

bool FakePlatform::hasValue(const std::string& key, const std::string& name) const {
    const auto k = registry.find(lower(key));
    return k != registry.end() && k->second.contains(lower(name));
}

int64_t FakePlatform::fileSize(const std::string& name) {
    const fs::path path = utf8Path(name);
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        return -1;
    }
    return static_cast<int64_t>(fs::file_size(path, error));
}

std::optional<std::string> FakePlatform::readFile(const std::string& name, size_t maxBytes) {
    const fs::path path = utf8Path(name);
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) > maxBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<platform::OutputFile> FakePlatform::createFile(const std::string& path) {
    std::ofstream file(utf8Path(path), std::ios::binary | std::ios::trunc);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<FakeFile>(std::move(file));
}

bool FakePlatform::copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    return fs::copy_file(utf8Path(from), utf8Path(to), fs::copy_options::overwrite_existing, error);
}

bool FakePlatform::deleteFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(utf8Path(path), error) && fs::remove(utf8Path(path), error);
}

std::vector<std::string> FakePlatform::listFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(utf8Path(folder), error)) {
        if (entry.is_regular_file()) {
            names.push_back(utf8Name(entry.path().filename()));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

int FakePlatform::regOpenKey(uint32_t rootKey, const std::string& keyPath) {
    if (rootKey != platform::kHkeyCurrentUser) {
        return platform::kRegFileNotFound;
    }
    return registry.contains(lower(keyPath)) ? platform::kRegSuccess : platform::kRegFileNotFound;
}

int FakePlatform::regQueryValue(uint32_t rootKey, const std::string& keyPath,
                                const std::string& name, size_t maxBytes, platform::RegValue& out) {
    if (regOpenKey(rootKey, keyPath) != platform::kRegSuccess) {
        return platform::kRegFileNotFound;
    }
    const auto& values = registry[lower(keyPath)];
    const auto v = values.find(lower(name));
    if (v == values.end()) {
        return platform::kRegFileNotFound;
    }
    if (v->second.data.size() > maxBytes) {
        return platform::kRegMoreData;
    }
    out = v->second;
    return platform::kRegSuccess;
}

int FakePlatform::regCreateKey(uint32_t rootKey, const std::string& keyPath) {
    if (rootKey != platform::kHkeyCurrentUser) {
        return platform::kRegAccessDenied;
    }
    if (registryFailure != 0) {
        return registryFailure;
    }
    registry[lower(keyPath)];
    return platform::kRegSuccess;
}

int FakePlatform::regSetValue(uint32_t rootKey, const std::string& keyPath, const std::string& name,
                              const platform::RegValue& value) {
    if (registryFailure != 0) {
        return registryFailure;
    }
    if (regOpenKey(rootKey, keyPath) != platform::kRegSuccess) {
        return platform::kRegFileNotFound;
    }
    registry[lower(keyPath)][lower(name)] = value;
    return platform::kRegSuccess;
}

int FakePlatform::regDeleteValue(uint32_t rootKey, const std::string& keyPath,
                                 const std::string& name) {
    if (regOpenKey(rootKey, keyPath) != platform::kRegSuccess) {
        return platform::kRegFileNotFound;
    }
    return registry[lower(keyPath)].erase(lower(name)) == 1 ? platform::kRegSuccess
                                                            : platform::kRegFileNotFound;
}

bool FakePlatform::setWallpaper(const std::string& path, uint32_t flags) {
    // Like the desktop, load the picture at once: later changes to the file do not show.
    wallpaperCalls.push_back({path, flags, readFile(path, size_t{1} << 30).value_or("")});
    shownWallpaper = path;
    tick += wallpaperSetMs;
    if ((flags & platform::kSpifUpdateIniFile) != 0) {
        regCreateKey(platform::kHkeyCurrentUser, "Control Panel\\Desktop");
        setString("Control Panel\\Desktop", "Wallpaper", path);
    }
    return true;
}

void FakePlatform::messageBox(const std::string& caption, const std::string& text, uint32_t flags) {
    messageBoxes.push_back({caption, text, flags});
}

bool FakePlatform::openProgramWindow(const std::string& title) {
    programWindowCalls.push_back("open " + title);
    windowOpen = true;
    return true;
}

void FakePlatform::closeProgramWindow() {
    programWindowCalls.emplace_back("close");
    windowOpen = false;
}

void FakePlatform::broadcastTerminate() {
    ++broadcasts;
    // drape's instances own two windows that hear a broadcast, so its own hears it twice.
    if (windowOpen) {
        for (int i = 0; i < broadcastDeliveries; ++i) {
            events.push_back({platform::EventKind::Terminate, 0});
        }
    }
}

platform::Event FakePlatform::waitEvent(uint32_t timeoutMs) {
    if (!userActions.empty()) {
        UserAction action = std::move(userActions.front());
        userActions.pop_front();
        if (action.change) {
            action.change(ui);
        }
        return action.event;
    }
    if (!events.empty()) {
        const platform::Event event = events.front();
        events.pop_front();
        return event;
    }
    if (timeoutMs == platform::kWaitForever) {
        // Nothing would ever come: the user closes the newest window instead.
        ++foreverWaitsRunDry;
        platform::WindowId newest = 0;
        for (const auto& [id, window] : ui.windows) {
            newest = window.open ? id : newest;
        }
        return {platform::EventKind::Close, 0, newest};
    }
    if (timeoutsBeforeClose == 0) {
        timeoutsBeforeClose = -1;
        closeDelivered = true;
        return {platform::EventKind::Close, 0};
    }
    if (timeoutsBeforeClose > 0) {
        --timeoutsBeforeClose;
    }
    tick += timeoutMs;
    return {};
}

bool FakePlatform::createShortcut(const platform::ShortcutLink& shortcut) {
    shortcuts.push_back(shortcut);
    return true;
}

bool FakePlatform::openViewer(const std::string& title, int linesPerPage) {
    if (!viewerAvailable) {
        return false;
    }
    viewerTitle = title;
    viewerLinesPerPage = linesPerPage;
    viewerOpen = true;
    return true;
}

platform::ViewerInput FakePlatform::waitViewerInput() {
    if (viewerInputs.empty()) {
        return platform::ViewerInput::Close;
    }
    const platform::ViewerInput input = viewerInputs.front();
    viewerInputs.pop_front();
    return input;
}

void FakePlatform::stretchHalftone(const platform::PixelView& source,
                                   const platform::MutablePixelView& target) {
    platform::areaResample(source, target);
}

int FakePlatform::glyphAdvance(platform::FontId font) const {
    const auto f = fonts.find(font);
    if (f == fonts.end()) {
        return 0;
    }
    return f->second.request.pixelHeight / 2 + (f->second.request.weight >= 700 ? 1 : 0);
}

platform::FontId FakePlatform::createFont(const platform::FontRequest& request) {
    fontRequests.push_back(request);
    if (request.pixelHeight <= 0) {
        return 0;
    }
    const platform::FontId id = nextFont++;
    fonts[id] = {request};
    return id;
}

platform::TextExtent FakePlatform::measureText(platform::FontId font, const std::string& text) {
    const auto f = fonts.find(font);
    if (f == fonts.end() || text.empty()) {
        return {};
    }
    const int characters = static_cast<int>(platform::countCharacters(text));
    return {characters * glyphAdvance(font), f->second.request.pixelHeight};
}

void FakePlatform::renderText(platform::FontId font, const std::string& text, int x,
                              const platform::MutablePixelView& coverage) {
    textRenders.push_back({font, text, x});
    const platform::TextExtent extent = measureText(font, text);
    const int advance = glyphAdvance(font);
    const int characters = advance > 0 ? extent.width / advance : 0;
    for (int c = 0; c < characters; ++c) {
        const int left = x + c * advance + glyphInset;
        const int right = x + (c + 1) * advance - glyphInset;
        for (int y = glyphInset; y < extent.height - glyphInset && y < coverage.height; ++y) {
            for (int i = std::max(left, 0); i < right && i < coverage.width; ++i) {
                uint8_t* p = coverage.pixels + static_cast<size_t>(y) * coverage.stride +
                             static_cast<size_t>(i) * 3;
                p[0] = glyphCoverage[2];
                p[1] = glyphCoverage[1];
                p[2] = glyphCoverage[0];
            }
        }
    }
}

}  // namespace drape::test
