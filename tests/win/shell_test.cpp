// Drive kinds, the shell's names and icons of drives and folders, and the special places.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include "win/icons.h"
#include "win/shell.h"

namespace fs = std::filesystem;

namespace {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-shell-" + std::to_string(::getpid()));
        fs::create_directories(folder / "Dwg");
        fs::create_directories(folder / "home");
        std::FILE* f = std::fopen((folder / "Dwg" / "door.dwg").c_str(), "w");
        if (f) std::fclose(f);
        if (const char* h = std::getenv("HOME")) savedHome = h;
        setenv("HOME", (folder / "home").c_str(), 1);
        setenv("CADHOST_PROFILE", (folder / "profile.ini").c_str(), 1);
        setenv("CADHOST_DRIVES",
               ("A=removable:/media/a;D=" + folder.string() + ";E=cdrom:/media/cd;F=remote:/mnt/f;R=ramdisk:/tmp;X=bogus:/x")
                   .c_str(),
               1);
    }
    void TearDown() override {
        unsetenv("CADHOST_DRIVES");
        unsetenv("CADHOST_PROFILE");
        if (savedHome.empty()) unsetenv("HOME");
        else setenv("HOME", savedHome.c_str(), 1);
        fs::remove_all(folder);
    }
    std::string displayName(const char* path, UINT flags = 0) {
        SHFILEINFO info{};
        if (!SHGetFileInfo(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME | flags)) return "(none)";
        return info.szDisplayName;
    }
    fs::path folder;
    std::string savedHome;
};

TEST_F(ShellTest, DriveMaskAndKindsFromTheMapping) {
    // A, C (the default), D, E, F and R; the entry of an unknown kind is skipped.
    EXPECT_EQ(GetLogicalDrives(), DWORD((1u << 0) | (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5) | (1u << 17)));
    EXPECT_EQ(GetDriveTypeA("A:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA("C:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("d:"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("E:\\"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveTypeA("F:\\"), DRIVE_REMOTE);
    EXPECT_EQ(GetDriveTypeA("R:\\"), DRIVE_RAMDISK);
    EXPECT_EQ(GetDriveTypeA("X:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);

    WinDriveMap map;
    EXPECT_TRUE(map.set('G', "cdrom:/media/g"));
    EXPECT_EQ(map.type('G'), DRIVE_CDROM);
    EXPECT_FALSE(map.set('H', "cdrom:relative"));
    EXPECT_FALSE(map.set('H', "floppy:/x"));
    EXPECT_EQ(map.folder('H'), nullptr);
    EXPECT_TRUE(map.set('G', ""));
    EXPECT_EQ(map.type('G'), DRIVE_NO_ROOT_DIR);
}

TEST_F(ShellTest, DisplayAndTypeNamesOfDrivesFoldersAndFiles) {
    EXPECT_EQ(displayName("C:\\"), "Local Disk (C:)");
    EXPECT_EQ(displayName("a:\\"), "Removable Disk (A:)");
    EXPECT_EQ(displayName("E:"), "CD Drive (E:)");
    EXPECT_EQ(displayName("F:\\"), "Network Drive (F:)");
    EXPECT_EQ(displayName("D:\\Dwg\\"), "Dwg");
    EXPECT_EQ(displayName("D:\\Dwg\\door.dwg"), "door.dwg");
    EXPECT_EQ(displayName("Z:\\"), "(none)");
    EXPECT_EQ(displayName("D:\\missing"), "(none)");
    // Given attributes, nothing is looked up.
    SHFILEINFO info{};
    ASSERT_TRUE(SHGetFileInfo("D:\\missing\\plan.dxf", 0, &info, sizeof info, SHGFI_USEFILEATTRIBUTES | SHGFI_TYPENAME));
    EXPECT_STREQ(info.szTypeName, "DXF File");
    ASSERT_TRUE(SHGetFileInfo("D:\\Dwg", 0, &info, sizeof info, SHGFI_TYPENAME));
    EXPECT_STREQ(info.szTypeName, "File Folder");
    ASSERT_TRUE(SHGetFileInfo("C:\\", 0, &info, sizeof info, SHGFI_TYPENAME));
    EXPECT_STREQ(info.szTypeName, "Local Disk");
    // A structure too small is refused.
    EXPECT_EQ(SHGetFileInfo("C:\\", 0, &info, sizeof info - 1, SHGFI_DISPLAYNAME), 0u);
}

TEST_F(ShellTest, IconsOfDrivesAndFoldersAtBothSizes) {
    SHFILEINFO small{}, large{}, open{};
    ASSERT_TRUE(SHGetFileInfo("E:\\", 0, &small, sizeof small, SHGFI_ICON | SHGFI_SMALLICON));
    ASSERT_TRUE(SHGetFileInfo("E:\\", 0, &large, sizeof large, SHGFI_ICON));
    ASSERT_TRUE(SHGetFileInfo("D:\\Dwg", 0, &open, sizeof open, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON));
    int w = 0, h = 0;
    ASSERT_TRUE(cadhostIconSize(small.hIcon, w, h));
    EXPECT_EQ(w, 16);
    ASSERT_TRUE(cadhostIconSize(large.hIcon, w, h));
    EXPECT_EQ(w, 32);
    EXPECT_NE(open.hIcon, nullptr);
    EXPECT_NE(open.iIcon, small.iIcon);
    // The index alone needs the system image list, which is not kept.
    SHFILEINFO index{};
    EXPECT_EQ(SHGetFileInfo("C:\\", 0, &index, sizeof index, SHGFI_SYSICONINDEX), 0u);
    EXPECT_GE(index.iIcon, 0);
    DestroyIcon(small.hIcon);
    DestroyIcon(large.hIcon);
    DestroyIcon(open.hIcon);
}

TEST_F(ShellTest, SpecialPlacesNamesAndFolders) {
    const struct {
        int csidl;
        const char* name;
        bool hasFolder;
    } places[] = {{CSIDL_DESKTOP, "Desktop", true},
                  {CSIDL_DRIVES, "My Computer", false},
                  {CSIDL_CONTROLS, "Control Panel", false},
                  {CSIDL_NETWORK, "My Network Places", false},
                  {CSIDL_PERSONAL, "My Documents", true}};
    IMalloc* malloc = nullptr;
    ASSERT_EQ(SHGetMalloc(&malloc), S_OK);
    for (const auto& p : places) {
        LPITEMIDLIST list = nullptr;
        ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, p.csidl, &list), S_OK) << p.name;
        EXPECT_EQ(displayName(reinterpret_cast<LPCSTR>(list), SHGFI_PIDL), p.name);
        char path[260] = "x";
        EXPECT_EQ(SHGetPathFromIDList(list, path) != FALSE, p.hasFolder) << p.name;
        if (p.csidl == CSIDL_DRIVES) malloc->Free(list);
        else ILFree(list);
    }
    LPITEMIDLIST list = nullptr;
    EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x7E, &list), E_INVALIDARG);
    EXPECT_EQ(list, nullptr);

    // The documents are $HOME/Documents once it exists (or is made), $HOME before, in drive form.
    char path[260];
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, FALSE));
    EXPECT_EQ(std::string(path), "D:\\home");
    ASSERT_TRUE(SHGetSpecialFolderPath(nullptr, path, CSIDL_PERSONAL, TRUE));
    EXPECT_EQ(std::string(path), "D:\\home\\Documents");
    EXPECT_TRUE(fs::is_directory(folder / "home" / "Documents"));
    EXPECT_FALSE(SHGetSpecialFolderPath(nullptr, path, CSIDL_CONTROLS, FALSE));
}

}  // namespace
