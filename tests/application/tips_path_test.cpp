// The tips document's path: the temporary folder of any length with one backslash before the
// name; a module without the document writes nothing.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include "controls/Tips.h"

namespace fs = std::filesystem;

TEST(TipsFile, PathFromATemporaryFolderOfAnyLength) {
    const fs::path root = fs::temp_directory_path() / ("cadhost-tips-" + std::to_string(::getpid()));
    const fs::path deep = root / std::string(120, 'a') / std::string(120, 'b') / std::string(60, 'c');
    fs::create_directories(deep);
    std::string saved;
    if (const char* t = std::getenv("TMPDIR")) saved = t;
    ::setenv("TMPDIR", deep.c_str(), 1);
    CTips tips;
    std::string expected = "C:" + deep.string() + "/readme.rtf";
    for (char& c : expected)
        if (c == '/') c = '\\';
    EXPECT_GT(expected.size(), 300u);
    EXPECT_EQ(std::string(tips.writeTipsFile()), expected);
    EXPECT_FALSE(fs::exists(deep / "readme.rtf")) << "no module resources here: nothing is written";
    if (saved.empty()) ::unsetenv("TMPDIR");
    else ::setenv("TMPDIR", saved.c_str(), 1);
    fs::remove_all(root);
}
