// acedFindFile: rooted names where they say, others through the drawing's folder, the current
// folder, the support folders and the program's folder, in that order.
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include "ed/findfile.h"
#include "ed/profile.h"
#include "editor_fixture.h"
#include "rx/ads.h"
#include "win/filetypes.h"

namespace fs = std::filesystem;

namespace {
class FindFileTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        root = fs::temp_directory_path() / ("cadhost_findfile_" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* folder : {"drawing", "current", "profile", "env", "env2"}) fs::create_directories(root / folder);
        previous = fs::current_path();
        fs::current_path(root / "current");
        if (const char* p = std::getenv("CADHOST_PROFILE")) savedProfile = p;
        if (const char* a = std::getenv("ACAD")) savedAcad = a;
        ::setenv("CADHOST_PROFILE", (root / "profile.ini").c_str(), 1);
        ::unsetenv("ACAD");
    }
    void TearDown() override {
        fs::current_path(previous);
        restore("CADHOST_PROFILE", savedProfile);
        restore("ACAD", savedAcad);
        EditorTest::TearDown();
        fs::remove_all(root);
    }
    static void restore(const char* name, const std::string& value) {
        if (value.empty()) ::unsetenv(name);
        else ::setenv(name, value.c_str(), 1);
    }
    void touch(const fs::path& path) { std::ofstream(path) << "x"; }
    std::string find(const char* name) {
        char result[MAX_PATH];
        return acedFindFile(name, result) == RTNORM ? std::string(result) : std::string("<none>");
    }

    fs::path root, previous;
    std::string savedProfile, savedAcad;
};

TEST_F(FindFileTest, FoldersAreSearchedInOrder) {
    ASSERT_EQ(acDocManager->saveDocument(doc, (root / "drawing" / "plan.dxf").c_str()), Acad::eOk);
    ASSERT_TRUE(AcEdProfile::setString("General", "ACAD", (root / "profile").c_str()));
    const std::string env = (root / "env").string() + "; ;" + (root / "env2").string();
    ::setenv("ACAD", env.c_str(), 1);
    const std::vector<std::string> folders = acedHostFileSearchFolders();
    ASSERT_GE(folders.size(), 6u);
    EXPECT_EQ(folders[0], (root / "drawing").string());
    EXPECT_EQ(folders[1], (root / "current").string());
    EXPECT_EQ(folders[2], (root / "profile").string());
    EXPECT_EQ(folders[3], (root / "env").string());
    EXPECT_EQ(folders[4], (root / "env2").string());

    for (const char* folder : {"env2", "env", "profile", "current", "drawing"}) {
        touch(root / folder / "part.dwg");
        EXPECT_EQ(find("part.dwg"), (root / folder / "part.dwg").string()) << folder << " is searched before";
    }
    EXPECT_EQ(find("nothing.dwg"), "<none>");
    EXPECT_EQ(find(""), "<none>");
    EXPECT_EQ(acedFindFile(nullptr, nullptr), RTERROR);
    fs::create_directories(root / "current" / "folder.dwg");
    EXPECT_EQ(find("folder.dwg"), "<none>") << "folders are not files";

    // A subfolder given with the platform's separator.
    fs::create_directories(root / "env2" / "sub");
    touch(root / "env2" / "sub" / "deep.dwg");
    EXPECT_EQ(find("sub\\deep.dwg"), (root / "env2" / "sub" / "deep.dwg").string());
}

TEST_F(FindFileTest, RootedNamesAreTakenAsGiven) {
    touch(root / "env" / "a.dwg");
    touch(root / "current" / "a.dwg");
    const std::string linuxName = (root / "env" / "a.dwg").string();
    EXPECT_EQ(find(linuxName.c_str()), linuxName);
    // C: is the root folder: the drive form is answered as given.
    std::string driveName = "C:" + linuxName;
    for (char& c : driveName)
        if (c == '/') c = '\\';
    EXPECT_EQ(find(driveName.c_str()), driveName);
    EXPECT_EQ(find("C:\\no\\such\\a.dwg"), "<none>") << "not looked for elsewhere";
    EXPECT_EQ(find("\\\\server\\share\\a.dwg"), "<none>");

    // Support folders in the drive form answer in that form.
    std::string driveFolder = "C:" + (root / "env").string();
    for (char& c : driveFolder)
        if (c == '/') c = '\\';
    ::setenv("ACAD", driveFolder.c_str(), 1);
    touch(root / "env" / "b.dwg");
    EXPECT_EQ(find("b.dwg"), driveFolder + "\\b.dwg");
}

TEST_F(FindFileTest, TheAnswerMustFitTheBuffer) {
    touch(root / "current" / "c.dwg");
    const std::string expected = (root / "current" / "c.dwg").string();
    std::vector<char> result(expected.size() + 1, '?');
    EXPECT_EQ(acedFindFile("c.dwg", result.data(), result.size()), RTNORM);
    EXPECT_EQ(std::string(result.data()), expected);
    EXPECT_EQ(acedFindFile("c.dwg", result.data(), expected.size()), RTERROR);
    EXPECT_EQ(result[0], '\0');
}

TEST_F(FindFileTest, TheProgramFolderComesLast) {
    const fs::path program = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(acedHostFileSearchFolders().back(), program.parent_path().string());
    EXPECT_EQ(find(program.filename().c_str()), program.string());
}
}  // namespace
