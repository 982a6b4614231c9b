// The directory reader of the drawing list on a folder tree mapped as drive T:.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "browser/SADirRead.h"

namespace fs = std::filesystem;

namespace {
class DirRead : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("cadhost-dirread-" + std::to_string(::getpid()));
        fs::create_directories(root / "lib" / "Doors");
        fs::create_directories(root / "lib" / "windows");
        fs::create_directories(root / "lib" / "old.v1");
        fs::create_directories(root / "lib" / "f.dwg");
        fs::create_directories(root / "other");
        file("lib/b.dwg", 300, 1700000300);
        file("lib/A.DWG", 100, 1700000200);
        file("lib/c.dwg", 200, 1700000100);
        file("lib/notes.txt", 5, 1700000000);
        setenv("CADHOST_PROFILE", (root / "profile.ini").c_str(), 1);
        setenv("CADHOST_DRIVES", ("T=" + root.string()).c_str(), 1);
    }
    void TearDown() override {
        unsetenv("CADHOST_PROFILE");
        unsetenv("CADHOST_DRIVES");
        fs::remove_all(root);
    }
    void file(const char* name, size_t size, time_t written) {
        std::ofstream(root / name) << std::string(size, 'x');
        const struct timespec times[2] = {{0, UTIME_OMIT}, {written, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (root / name).c_str(), times, 0), 0);
    }
    static std::vector<std::string> paths(const std::vector<CSADirRead::DirEntry>& list) {
        std::vector<std::string> out;
        for (const CSADirRead::DirEntry& e : list) out.push_back(e.m_sPath.str());
        return out;
    }
    fs::path root;
};
using V = std::vector<std::string>;
}  // namespace

TEST(DirReadTrim, TrailingSeparators) {
    auto trim = [](const char* s) {
        CString path(s);
        CSADirRead::trimTrailingSeparators(path);
        return path.str();
    };
    EXPECT_EQ(trim("T:\\lib\\\\\\"), "T:\\lib");
    EXPECT_EQ(trim("T:\\"), "T:");
    EXPECT_EQ(trim("/srv/lib//"), "/srv/lib");
    EXPECT_EQ(trim("T:\\lib/"), "T:\\lib/") << "with a backslash in the path, slashes stay";
    EXPECT_EQ(trim("\\"), "");
    EXPECT_EQ(trim("lib"), "lib");
}

TEST_F(DirRead, SubfoldersWithoutExtensionThenTheFolder) {
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\lib\\\\", true));
    EXPECT_EQ(reader.startFolder().str(), "T:\\lib");
    EXPECT_EQ(paths(reader.folderList()), (V{"T:\\lib\\Doors", "T:\\lib\\windows", "T:\\lib"}))
        << "\"old.v1\" and \"f.dwg\" have an extension";
    for (const CSADirRead::DirEntry& e : reader.folderList()) {
        EXPECT_EQ(e.m_dwAttributes, 0u) << "folder entries carry their path only";
        EXPECT_EQ(e.m_bIsFolder, 0);
    }
    ASSERT_TRUE(reader.scanFolders("T:\\lib", false));
    EXPECT_EQ(reader.folderList().size(), 4u) << "the list grows until it is reset";
    EXPECT_TRUE(reader.resetFolders());
    EXPECT_TRUE(reader.folderList().empty());
}

TEST_F(DirRead, DriveRoot) {
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\", true));
    EXPECT_EQ(reader.startFolder().str(), "T:");
    EXPECT_EQ(paths(reader.folderList()), (V{"T:\\lib", "T:\\other", "T:"}));
}

TEST_F(DirRead, EmptyAndMissingFolders) {
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\lib", false));
    EXPECT_FALSE(reader.scanFolders("\\\\", true));
    EXPECT_FALSE(reader.scanFolders("", true));
    EXPECT_EQ(reader.startFolder().str(), "T:\\lib") << "nothing changes";
    EXPECT_EQ(reader.folderList().size(), 1u);

    ASSERT_TRUE(reader.scanFolders("T:\\missing", true));
    EXPECT_EQ(paths(reader.folderList()), (V{"T:\\lib", "T:\\missing"}));
    EXPECT_TRUE(reader.scanFiles("*.dwg", true, true));
    EXPECT_TRUE(reader.fileList().empty());
    ASSERT_TRUE(reader.scanFolders("Q:\\lib", true)) << "an unmapped drive reads as an empty folder";
    EXPECT_TRUE(reader.scanFiles("*", true, true));
    EXPECT_TRUE(reader.fileList().empty());
}

TEST_F(DirRead, DrawingMaskTakesFilesOnly) {
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\lib\\", false));
    ASSERT_TRUE(reader.scanFiles("*.dwg", true, false));
    EXPECT_EQ(paths(reader.fileList()), (V{"T:\\lib\\A.DWG", "T:\\lib\\b.dwg", "T:\\lib\\c.dwg"}))
        << "the folder \"f.dwg\" is not listed";
    const CSADirRead::DirEntry& a = reader.fileList()[0];
    EXPECT_EQ(a.m_bIsFolder, 0);
    EXPECT_EQ(a.m_dwAttributes, FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(a.m_nSize, 100u);
    EXPECT_EQ((uint64_t(a.m_ftLastWrite.dwHighDateTime) << 32) | a.m_ftLastWrite.dwLowDateTime,
              (1700000200ULL + 11644473600ULL) * 10000000ULL);

    ASSERT_TRUE(reader.resetFiles());
    ASSERT_TRUE(reader.scanFiles("*", false, true));
    EXPECT_EQ(paths(reader.fileList()), (V{"T:\\lib\\Doors", "T:\\lib\\f.dwg", "T:\\lib\\old.v1", "T:\\lib\\windows"}))
        << "never \".\" or \"..\"";
    EXPECT_EQ(reader.fileList()[0].m_bIsFolder, 1);
    EXPECT_EQ(reader.fileList()[0].m_dwAttributes, FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(DirRead, SortOrders) {
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\lib", false));
    ASSERT_TRUE(reader.scanFiles("*.*", true, false));
    ASSERT_EQ(reader.fileList().size(), 4u);
    EXPECT_TRUE(reader.sortFileList(CSADirRead::kSortByTime, true));
    EXPECT_EQ(paths(reader.fileList()), (V{"T:\\lib\\notes.txt", "T:\\lib\\c.dwg", "T:\\lib\\A.DWG", "T:\\lib\\b.dwg"}));
    EXPECT_TRUE(reader.sortFileList(CSADirRead::kSortBySize, false));
    EXPECT_EQ(paths(reader.fileList()), (V{"T:\\lib\\b.dwg", "T:\\lib\\c.dwg", "T:\\lib\\A.DWG", "T:\\lib\\notes.txt"}));
    EXPECT_TRUE(reader.sortFileList(7, true));
    EXPECT_EQ(reader.fileList()[0].m_sPath.str(), "T:\\lib\\b.dwg") << "other orders leave the list";
    EXPECT_TRUE(reader.sortFileList(CSADirRead::kSortByPath, true));
    EXPECT_EQ(paths(reader.fileList()), (V{"T:\\lib\\A.DWG", "T:\\lib\\b.dwg", "T:\\lib\\c.dwg", "T:\\lib\\notes.txt"}));
    EXPECT_TRUE(reader.sortFileList(CSADirRead::kSortByPath, false));
    EXPECT_EQ(reader.fileList()[0].m_sPath.str(), "T:\\lib\\notes.txt");
}

TEST_F(DirRead, LargeSizesCompareByTheirHighPart) {
    const fs::path big = root / "lib" / "big.dwg";
    {
        std::ofstream(big) << "";
    }
    fs::resize_file(big, (uint64_t(1) << 32) + 7);  // sparse
    CSADirRead reader;
    ASSERT_TRUE(reader.scanFolders("T:\\lib", false));
    ASSERT_TRUE(reader.scanFiles("*.dwg", true, false));
    EXPECT_TRUE(reader.sortFileList(CSADirRead::kSortBySize, false));
    EXPECT_EQ(reader.fileList()[0].m_sPath.str(), "T:\\lib\\big.dwg");
    EXPECT_EQ(reader.fileList()[0].m_nSize, (uint64_t(1) << 32) + 7);
}
