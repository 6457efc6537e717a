// drape.exe's resources as Windows reads them: the version block, the program's icon and the
// manifest that asks for version 6 of the common controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_text.h"
#include "win32_built_program.h"

namespace drape::platform::win32 {
namespace {

class Win32ProgramResources : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = builtProgram();
        if (program_.empty()) {
            GTEST_SKIP() << "drape.exe is not built";
        }
    }
    std::wstring program_;
};

TEST_F(Win32ProgramResources, TheVersionBlockNamesDrape181) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(program_.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD{(1u << 16) | 81u});

    const auto text = [&](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT units = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &units) ||
            value == nullptr) {
            return std::string("(missing)");
        }
        return narrow(value);
    };
    EXPECT_EQ(text(L"ProductName"), "Drape");
    EXPECT_EQ(text(L"FileDescription"), "Drape");
    EXPECT_EQ(text(L"FileVersion"), "1.81");
}

TEST_F(Win32ProgramResources, TheIconsAndTheCommonControlsManifestAreBuiltIn) {
    const HMODULE module = LoadLibraryExW(
        program_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);

    // Each icon group holds one picture of the size it is for.
    for (const auto& [id, side] :
         {std::pair{DRAPE_ICON_PROGRAM, 32}, std::pair{DRAPE_ICON_PROGRAM_SMALL, 16}}) {
        const HICON icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, 0));
        ASSERT_NE(icon, nullptr) << "icon " << id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        ASSERT_NE(info.hbmColor, nullptr);
        GetObjectW(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, side) << "icon " << id;
        EXPECT_EQ(colour.bmBitsPixel, 32) << "icon " << id;
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    // Type 24: manifests.
    const HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr) << "no manifest with id 1";
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string xml(data, SizeofResource(module, manifest));
    EXPECT_NE(xml.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<dpiAware"), std::string::npos);
    EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
    FreeLibrary(module);
}

}  // namespace
}  // namespace drape::platform::win32
