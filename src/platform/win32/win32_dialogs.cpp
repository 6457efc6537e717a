// [X] File-open chooser: GetOpenFileNameW owned by the showing window, our "name|pattern"
//     filter in its double-NUL form, the file must exist, "" when cancelled or when the
//     desktop is not shown
// [X] Folder chooser: SHBrowseForFolderW, file-system folders only, "" when cancelled
// [X] Clipboard: the text as CF_UNICODETEXT, owned by the layer's event window, which lives as
//     long as the program
// [ ] The chooser's starting folder: it opens where the system last left it
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

namespace {

// Room for a long path; the chooser reports a longer one as a failure.
constexpr DWORD kPathRoom = 32768;
// Another program may hold the clipboard for a moment.
constexpr int kClipboardTries = 10;
constexpr DWORD kClipboardPauseMs = 20;

}  // namespace

std::wstring win32FileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = filter.find('|', start);
        parts.push_back(filter.substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::wstring out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        // An entry without a pattern would shift every later name into a pattern's place.
        if (parts[i + 1].empty()) {
            continue;
        }
        out += wide(parts[i]);
        out += L'\0';
        out += wide(parts[i + 1]);
        out += L'\0';
    }
    if (!out.empty()) {
        out += L'\0';
    }
    return out;
}

std::string Win32Controls::chooseFile(const std::string& title, const std::string& filter) {
    // Nobody could answer a chooser on a desktop that is not shown.
    if (!windowing_.hasGraphicalDisplay()) {
        return {};
    }
    const std::wstring patterns = win32FileFilter(filter);
    const std::wstring caption = wide(title);
    std::vector<wchar_t> path(kPathRoom, L'\0');
    OPENFILENAMEW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = ownerWindow();
    chooser.lpstrFilter = patterns.empty() ? nullptr : patterns.c_str();
    chooser.nFilterIndex = 1;
    chooser.lpstrFile = path.data();
    chooser.nMaxFile = kPathRoom;
    chooser.lpstrTitle = caption.c_str();
    // The current folder is the program's business, not the chooser's.
    chooser.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&chooser)) {
        return {};
    }
    return narrow(path.data());
}

std::string Win32Controls::chooseFolder(const std::string& title) {
    if (!windowing_.hasGraphicalDisplay()) {
        return {};
    }
    const ComApartment com;
    const std::wstring caption = wide(title);
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW browse{};
    browse.hwndOwner = ownerWindow();
    browse.pszDisplayName = name;
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    std::string chosen;
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&browse)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(list, path)) {
            chosen = narrow(path);
        }
        CoTaskMemFree(list);
    }
    return chosen;
}

void Win32Controls::setClipboardText(const std::string& text) {
    const std::wstring units = wide(text);
    const size_t bytes = (units.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return;
    }
    void* locked = GlobalLock(memory);
    if (locked == nullptr) {
        GlobalFree(memory);
        return;
    }
    std::memcpy(locked, units.c_str(), bytes);
    GlobalUnlock(memory);
    // Emptying a clipboard opened without a window leaves it without an owner, and then no
    // data can be set.
    const HWND owner = layer_.eventWindow() != nullptr ? layer_.eventWindow() : ownerWindow();
    bool open = OpenClipboard(owner) != FALSE;
    for (int tries = 1; !open && tries < kClipboardTries; ++tries) {
        Sleep(kClipboardPauseMs);
        open = OpenClipboard(owner) != FALSE;
    }
    if (!open) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    // Once set, the memory is the system's.
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        GlobalFree(memory);
    }
    CloseClipboard();
}

}  // namespace drape::platform::win32
