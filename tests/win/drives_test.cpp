// Drive letters over Linux folders: mapping both ways, configuration, and the drive functions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include "ed/profile.h"
#include "win/drives.h"
#include "win/lasterror.h"

namespace fs = std::filesystem;

namespace {
std::string linuxOf(const WinDriveMap& map, const char* path) {
    std::string out, error;
    EXPECT_TRUE(map.toLinux(path, out, &error)) << path << ": " << error;
    return out;
}

WinDriveMap withDrives() {
    WinDriveMap map;
    map.set('D', "/srv/drawings/");
    map.setCurrentFolder("/home/user");
    return map;
}
}  // namespace

TEST(DriveMap, DrivePathsInEitherSeparatorAndCase) {
    const WinDriveMap map = withDrives();
    EXPECT_EQ(linuxOf(map, "C:\\a\\b.dwg"), "/a/b.dwg");
    EXPECT_EQ(linuxOf(map, "C:/a/b.dwg"), "/a/b.dwg");
    EXPECT_EQ(linuxOf(map, "c:\\"), "/");
    EXPECT_EQ(linuxOf(map, "d:\\lib\\\\x.dxf"), "/srv/drawings/lib/x.dxf");
    EXPECT_EQ(linuxOf(map, "D:\\"), "/srv/drawings");
    EXPECT_EQ(linuxOf(map, "\\\\?\\D:\\x"), "/srv/drawings/x");
}

TEST(DriveMap, DotsNeverLeaveTheDrive) {
    const WinDriveMap map = withDrives();
    EXPECT_EQ(linuxOf(map, "D:\\..\\..\\etc\\passwd"), "/srv/drawings/etc/passwd");
    EXPECT_EQ(linuxOf(map, "D:\\a\\.\\b\\..\\c"), "/srv/drawings/a/c");
    EXPECT_EQ(linuxOf(map, "D:.."), "/srv/drawings");
}

TEST(DriveMap, DriveRelativeAndRootRelativeForms) {
    WinDriveMap map = withDrives();
    EXPECT_EQ(linuxOf(map, "C:x\\y"), "/home/user/x/y") << "C: holds the current folder";
    EXPECT_EQ(linuxOf(map, "D:x"), "/srv/drawings/x") << "the current folder is not on D:";
    EXPECT_EQ(linuxOf(map, "\\x\\y"), "/x/y");
    map.setCurrentFolder("/srv/drawings/lib");
    EXPECT_EQ(linuxOf(map, "D:x"), "/srv/drawings/lib/x");
    EXPECT_EQ(linuxOf(map, "\\x"), "/srv/drawings/x") << "the current drive is D:";
    EXPECT_EQ(linuxOf(map, "C:x"), "/x");
}

TEST(DriveMap, LinuxPathsKeepWorking) {
    const WinDriveMap map = withDrives();
    EXPECT_EQ(linuxOf(map, "/tmp/a\\b.dxf"), "/tmp/a\\b.dxf") << "a path starting with / is taken as it is";
    EXPECT_EQ(linuxOf(map, "sub\\a.dxf"), "sub/a.dxf");
    EXPECT_EQ(linuxOf(map, "a.dxf"), "a.dxf");
    EXPECT_EQ(linuxOf(map, ""), "");
}

TEST(DriveMap, RefusedPathsSayWhy) {
    const WinDriveMap map = withDrives();
    std::string out = "kept", error;
    DWORD code = 0;
    EXPECT_FALSE(map.toLinux("\\\\server\\share\\a.dwg", out, &error, &code));
    EXPECT_EQ(code, ERROR_BAD_NETPATH);
    EXPECT_NE(error.find("\\\\server\\share"), std::string::npos) << error;
    EXPECT_FALSE(map.toLinux("E:\\a.dwg", out, &error, &code));
    EXPECT_EQ(code, ERROR_PATH_NOT_FOUND);
    EXPECT_NE(error.find("Drive E: is not mapped"), std::string::npos) << error;
    EXPECT_FALSE(map.toLinux("\\\\.\\COM1", out, &error, &code));
    EXPECT_EQ(code, ERROR_INVALID_NAME);
    EXPECT_EQ(out, "kept");

    WinDriveMap noDrives;
    noDrives.set('C', "");
    noDrives.setCurrentFolder("/home/user");
    EXPECT_FALSE(noDrives.toLinux("\\x", out, &error, &code));
    EXPECT_EQ(code, ERROR_PATH_NOT_FOUND);
}

TEST(DriveMap, BackToTheDriveForm) {
    const WinDriveMap map = withDrives();
    std::string out;
    EXPECT_TRUE(map.toWindows("/srv/drawings/lib/a.dwg", out));
    EXPECT_EQ(out, "D:\\lib\\a.dwg");
    EXPECT_TRUE(map.toWindows("/srv/drawingsX/a", out)) << "a longer name is not inside D:'s folder";
    EXPECT_EQ(out, "C:\\srv\\drawingsX\\a");
    EXPECT_TRUE(map.toWindows("/srv/drawings", out));
    EXPECT_EQ(out, "D:\\");
    EXPECT_TRUE(map.toWindows("docs/../a.dwg", out));
    EXPECT_EQ(out, "C:\\home\\user\\a.dwg");
    EXPECT_FALSE(map.toWindows("/tmp/a\\b", out)) << "a backslash in a name has no drive form";
    WinDriveMap onlyD;
    onlyD.set('C', "");
    onlyD.set('D', "/srv");
    EXPECT_FALSE(onlyD.toWindows("/tmp", out));
    EXPECT_TRUE(map.isDriveRoot("/srv/drawings"));
    EXPECT_FALSE(map.isDriveRoot("/srv"));
}

TEST(DriveMap, ListEntries) {
    WinDriveMap map;
    EXPECT_EQ(map.addList(" d = /srv/drawings ;E:=/mnt/x;;F=relative;G;=/x;HH=/y;C="), 4);
    ASSERT_NE(map.folder('D'), nullptr);
    EXPECT_EQ(*map.folder('d'), "/srv/drawings");
    ASSERT_NE(map.folder('E'), nullptr);
    EXPECT_EQ(*map.folder('E'), "/mnt/x");
    EXPECT_EQ(map.folder('F'), nullptr);
    EXPECT_EQ(map.folder('C'), nullptr) << "an empty folder removes the drive";
    EXPECT_EQ(map.mask(), DWORD((1u << 3) | (1u << 4)));
    EXPECT_FALSE(map.set('1', "/x"));
}

class SessionDrives : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-drives-" + std::to_string(::getpid()));
        fs::create_directories(folder / "lib");
        setenv("CADHOST_PROFILE", (folder / "profile.ini").c_str(), 1);
        unsetenv("CADHOST_DRIVES");
    }
    void TearDown() override {
        unsetenv("CADHOST_PROFILE");
        unsetenv("CADHOST_DRIVES");
        unsetenv("TMPDIR");
        fs::remove_all(folder);
    }
    fs::path folder;
};

TEST_F(SessionDrives, ProfileThenEnvironment) {
    ASSERT_TRUE(AcEdProfile::setString("Drives", "P", folder.c_str()));
    ASSERT_TRUE(AcEdProfile::setString("Drives", "Q:", "/srv"));
    setenv("CADHOST_DRIVES", ("Q=" + (folder / "lib").string()).c_str(), 1);
    EXPECT_EQ(GetLogicalDrives(), DWORD((1u << 2) | (1u << 15) | (1u << 16)));
    std::string out;
    EXPECT_TRUE(cadhostLinuxPath("p:\\lib", out));
    EXPECT_EQ(out, (folder / "lib").string());
    EXPECT_TRUE(cadhostLinuxPath("Q:\\a.dwg", out));
    EXPECT_EQ(out, (folder / "lib" / "a.dwg").string()) << "the environment replaces the profile's drive";
    EXPECT_EQ(GetDriveTypeA("Q:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("q:"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA(nullptr), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA("R:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA("Q:\\lib\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(SessionDrives, TemporaryFolderInDriveForm) {
    setenv("TMPDIR", folder.c_str(), 1);
    setenv("CADHOST_DRIVES", ("T=" + folder.string()).c_str(), 1);
    char buffer[MAX_PATH];
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 3u);
    EXPECT_STREQ(buffer, "T:\\");
    setenv("TMPDIR", (folder / "lib").c_str(), 1);
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 7u);
    EXPECT_STREQ(buffer, "T:\\lib\\");
    char small[4] = "xyz";
    EXPECT_EQ(GetTempPathA(sizeof small, small), 8u) << "the size needed, with the NUL";
    EXPECT_STREQ(small, "xyz");
    setenv("CADHOST_DRIVES", "C=;T=/nowhere", 1);
    EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(SessionDrives, FileAttributes) {
    setenv("CADHOST_DRIVES", ("T=" + folder.string()).c_str(), 1);
    std::ofstream(folder / "lib" / "a.dwg") << "x";
    std::ofstream(folder / "lib" / ".hidden") << "x";
    std::ofstream(folder / "lib" / "ro.dwg") << "x";
    ASSERT_EQ(chmod((folder / "lib" / "ro.dwg").c_str(), 0444), 0);
    EXPECT_EQ(GetFileAttributesA("T:\\lib"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("t:/LIB/../lib/a.dwg"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA("T:\\lib\\.hidden"), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributesA("T:\\lib\\ro.dwg"), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileAttributesA("T:\\lib\\missing.dwg"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("T:\\nofolder\\a.dwg"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesA("\\\\server\\share"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_BAD_NETPATH);
}
