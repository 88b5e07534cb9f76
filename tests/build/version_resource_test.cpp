// Reads the version resources back from the built programs, as Explorer's property sheet would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Version {
    WORD file[4];
    std::vector<char> block;

    std::string Value(const std::string& name) const {
        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                            &size) ||
            size < sizeof(Translation))
            return "<no translation>";
        char path[128];
        wsprintfA(path, "\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage, name.c_str());
        char* text = nullptr;
        if (!VerQueryValueA(block.data(), path, reinterpret_cast<void**>(&text), &size)) return "<missing>";
        return text;
    }
};

Version Read(const std::string& program) {
    const std::string path = std::string(QV_DIST_DIR) + program;
    Version version{};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    EXPECT_GT(size, 0u) << path;
    if (size == 0) return version;
    version.block.resize(size);
    EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, version.block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueA(version.block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed) {
        version.file[0] = HIWORD(fixed->dwFileVersionMS);
        version.file[1] = LOWORD(fixed->dwFileVersionMS);
        version.file[2] = HIWORD(fixed->dwFileVersionLS);
        version.file[3] = LOWORD(fixed->dwFileVersionLS);
    }
    return version;
}

TEST(VersionResource, Quorvex) {
    const Version v = Read("Quorvex.exe");
    EXPECT_EQ(v.file[0], 2);
    EXPECT_EQ(v.file[1], 0);
    EXPECT_EQ(v.file[2], 1);
    EXPECT_EQ(v.file[3], 7);
    EXPECT_EQ(v.Value("FileVersion"), "2.0.1.7");
    EXPECT_EQ(v.Value("ProductName"), "Quorvex");
    EXPECT_EQ(v.Value("ProductVersion"), "2");
    EXPECT_EQ(v.Value("InternalName"), "quorvex");
    EXPECT_EQ(v.Value("OriginalFilename"), "quorvex");
    EXPECT_EQ(v.Value("FileDescription"), "Quorvex Public Build");
}

TEST(VersionResource, Fetchwell) {
    const Version v = Read("Fetchwell.exe");
    EXPECT_EQ(v.file[0], 1);
    EXPECT_EQ(v.file[1], 0);
    EXPECT_EQ(v.file[2], 0);
    EXPECT_EQ(v.file[3], 1);
    EXPECT_EQ(v.Value("FileVersion"), "1.0.0.1");
    EXPECT_EQ(v.Value("ProductVersion"), "1.0.0.0");
    EXPECT_EQ(v.Value("FileDescription"), "Fetchwell Application for Quorvex");
}

// Both programs carry the icon and a manifest asking for common controls 6 and to run as invoked.
TEST(ProgramResources, IconAndCommonControlsManifest) {
    for (const char* program : {"Quorvex.exe", "Fetchwell.exe"}) {
        const std::string path = std::string(QV_DIST_DIR) + program;
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << path;
        EXPECT_NE(FindResourceA(module, "MAINICON", reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr) << program;
        HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST));
        ASSERT_NE(manifest, nullptr) << program;
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
        const std::string xml(text, SizeofResource(module, manifest));
        EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos) << program;
        EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos) << program;
        // Run as invoked, not virtualized; trustInfo with its one namespace declaration and nothing
        // more (two on one element restart Windows XP SP2).
        // DPI-aware in the form Windows XP skips: the application element in the asm.v3 namespace.
        EXPECT_NE(xml.find("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"), std::string::npos) << program;
        EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos) << program;
        const size_t trust = xml.find("<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">");
        ASSERT_NE(trust, std::string::npos) << program;
        size_t declarations = 0;
        for (size_t at = xml.find("xmlns", trust); at != std::string::npos; at = xml.find("xmlns", at + 1))
            ++declarations;
        EXPECT_EQ(declarations, 1u) << program;
        EXPECT_NE(xml.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>", trust),
                  std::string::npos) << program;
        FreeLibrary(module);
    }
}

}  // namespace
