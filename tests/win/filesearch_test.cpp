// The platform's file search over a mapped drive: patterns, entries and their data, handles.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "win/filesearch.h"
#include "win/lasterror.h"

namespace fs = std::filesystem;

TEST(NamePattern, WildcardsAndCase) {
    EXPECT_TRUE(winNameMatches("*.dwg", "x.dwg"));
    EXPECT_TRUE(winNameMatches("*.dwg", "X.DWG"));
    EXPECT_TRUE(winNameMatches("*.DWG", "a.b.dwg"));
    EXPECT_FALSE(winNameMatches("*.dwg", "x.dwg.bak"));
    EXPECT_FALSE(winNameMatches("*.dwg", "xdwg"));
    EXPECT_TRUE(winNameMatches("*", ".hidden"));
    EXPECT_TRUE(winNameMatches("*.*", "noext"));
    EXPECT_TRUE(winNameMatches("a?c", "abc"));
    EXPECT_FALSE(winNameMatches("a?c", "a.c")) << "? does not match a dot";
    EXPECT_TRUE(winNameMatches("ab?.txt", "ab.txt")) << "? matches nothing before a dot";
    EXPECT_TRUE(winNameMatches("a??", "a")) << "? matches nothing at the end";
    EXPECT_FALSE(winNameMatches("a?", "abc"));
    EXPECT_TRUE(winNameMatches("a.*", "a")) << "a dot before * matches the end of the name";
    EXPECT_TRUE(winNameMatches("PLAN", "plan"));
    EXPECT_FALSE(winNameMatches("plan", "plan2"));
    EXPECT_FALSE(winNameMatches("", "a"));
    EXPECT_FALSE(winNameMatches("\x01", "abc")) << "control characters are plain characters";
    EXPECT_TRUE(winNameMatches(std::string_view("a\0b", 3), std::string_view("A\0B", 3)));
    EXPECT_FALSE(winNameMatches(std::string_view("a.\0", 3), "a")) << "a dot before NUL is a plain dot";
}

TEST(NamePattern, StarDotMatchesNamesWithoutExtension) {
    EXPECT_TRUE(winNameMatches("*.", "folder"));
    EXPECT_FALSE(winNameMatches("*.", "a.b"));
    EXPECT_TRUE(winNameMatches("*.", "."));
    EXPECT_TRUE(winNameMatches("*.", ".."));
    EXPECT_FALSE(winNameMatches("*.", ".config"));
}

TEST(NamePattern, LongInputsStayLinear) {
    const std::string name(4000, 'a');
    const std::string pattern = std::string(200, '*') + "b";
    EXPECT_FALSE(winNameMatches(pattern, name));
    EXPECT_TRUE(winNameMatches(std::string(300, '*'), name));
}

class FileSearch : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-search-" + std::to_string(::getpid()));
        fs::create_directories(folder / "lib" / "sub");
        fs::create_directories(folder / "lib" / "f.dwg");
        std::ofstream(folder / "lib" / "b.DWG") << "12345";
        std::ofstream(folder / "lib" / "a.dwg") << "x";
        std::ofstream(folder / "lib" / ".hidden.dwg") << "";
        std::ofstream(folder / "lib" / "notes.txt") << "";
        setenv("CADHOST_PROFILE", (folder / "profile.ini").c_str(), 1);
        setenv("CADHOST_DRIVES", ("T=" + folder.string()).c_str(), 1);
    }
    void TearDown() override {
        unsetenv("CADHOST_PROFILE");
        unsetenv("CADHOST_DRIVES");
        fs::remove_all(folder);
    }
    // Names reported for a pattern, with "/" after folders.
    std::vector<std::string> names(const char* pattern) {
        std::vector<std::string> out;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(pattern, &data);
        if (h == INVALID_HANDLE_VALUE) return out;
        do out.push_back(std::string(data.cFileName) + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/" : ""));
        while (FindNextFileA(h, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(h));
        return out;
    }
    fs::path folder;
};

TEST_F(FileSearch, EntriesInOrderWithDotsOutsideTheRoot) {
    using V = std::vector<std::string>;
    EXPECT_EQ(names("T:\\lib\\*"), (V{"./", "../", ".hidden.dwg", "a.dwg", "b.DWG", "f.dwg/", "notes.txt", "sub/"}));
    EXPECT_EQ(names("t:/lib/*.DWG"), (V{".hidden.dwg", "a.dwg", "b.DWG", "f.dwg/"}));
    EXPECT_EQ(names("T:\\lib\\*."), (V{"./", "../", "sub/"})) << "\"f.dwg\" has an extension";
    EXPECT_EQ(names("T:\\*"), (V{"lib/"})) << "no dots at a drive's root";
    EXPECT_EQ(names("T:*"), (V{"lib/"}));
    EXPECT_EQ(names("T:\\lib\\A.DWG"), (V{"a.dwg"}));
    EXPECT_EQ(names((folder / "lib" / "n*").c_str()), (V{"notes.txt"})) << "Linux paths search too";
}

TEST_F(FileSearch, DataOfAnEntry) {
    ASSERT_EQ(chmod((folder / "lib" / "b.DWG").c_str(), 0444), 0);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, (folder / "lib" / "b.DWG").c_str(), times, 0), 0);
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA("T:\\lib\\b.dwg", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "b.DWG");
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    const uint64_t write = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(write, (1700000000ULL + 11644473600ULL) * 10000000ULL + 5);
    const uint64_t created = (uint64_t(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    EXPECT_GT(created, 116444736000000000ULL);
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h)) << "a handle closes once";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    h = FindFirstFileA("T:\\lib\\.hidden.dwg", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    FindClose(h);
}

TEST_F(FileSearch, FailuresAnswerTheirCodes) {
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA("T:\\missing\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("T:\\lib\\*.xyz", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("T:\\lib\\", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("T:\\lib\\a.dwg\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("Q:\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(FindFirstFileA("\\\\server\\share\\*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_BAD_NETPATH);
    EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FileSearch, EntriesThatVanishAreSkipped) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA("T:\\lib\\*.dwg", &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, ".hidden.dwg");
    fs::remove(folder / "lib" / "a.dwg");
    ASSERT_TRUE(FindNextFileA(h, &data));
    EXPECT_STREQ(data.cFileName, "b.DWG");
    EXPECT_TRUE(FindClose(h));
    // A search left open is freed when the program ends.
    ASSERT_NE(FindFirstFileA("T:\\lib\\*", &data), INVALID_HANDLE_VALUE);
}
