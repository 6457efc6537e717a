// Where the tests of the win32 backend find the built drape.exe.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/win32/win32_text.h"

namespace drape::platform::win32 {

// DRAPE_BIN_DIR's drape.exe (a Unix path is read on Wine's drive for the Unix root), else the
// one in the build tree beside the tests' folder; "" when it is not there.
inline std::wstring builtProgram() {
    std::wstring folder;
    if (const char* bin = std::getenv("DRAPE_BIN_DIR")) {
        folder = wide(bin);
        if (!folder.empty() && folder[0] == L'/') {
            folder = L"Z:" + folder;
        }
    } else {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        folder = self;
        folder = folder.substr(0, folder.find_last_of(L"\\/")) + L"\\..\\src";
    }
    const std::wstring program = folder + L"\\drape.exe";
    return GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES ? program
                                                                          : std::wstring();
}

}  // namespace drape::platform::win32
