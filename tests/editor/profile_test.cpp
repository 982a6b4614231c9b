#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include "ed/inifile.h"
#include "ed/profile.h"
#include "ed/winapp.h"

namespace fs = std::filesystem;

namespace {
class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("cadhost-profile-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        path = (folder / "sub" / "profile.ini").string();
        setenv("CADHOST_PROFILE", path.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("CADHOST_PROFILE");
        fs::remove_all(folder);
    }
    std::string contents() const {
        std::ifstream in(path);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path folder;
    std::string path;
};

TEST_F(Profile, ValuesRoundTripThroughTheApplicationObject) {
    CWinApp* app = acedGetAcadWinApp();
    EXPECT_EQ(AcEdProfile::path(), path);
    EXPECT_EQ(static_cast<int>(app->GetProfileInt("Quillmark", "DoNotShow", 0)), 0) << "no file yet";
    EXPECT_TRUE(app->WriteProfileInt("Quillmark", "DoNotShow", 1));
    EXPECT_TRUE(app->WriteProfileInt("Quillmark", "nTopLeftX3", -40));
    EXPECT_TRUE(app->WriteProfileString("Quillmark", "Directory", "C:\\Blocks\\Doors"));
    EXPECT_EQ(static_cast<int>(app->GetProfileInt("quillmark", "donotshow", 0)), 1) << "names ignore case";
    EXPECT_EQ(static_cast<int>(app->GetProfileInt("Quillmark", "nTopLeftX3", 0)), -40);
    EXPECT_EQ(app->GetProfileString("Quillmark", "Directory"), "C:\\Blocks\\Doors");
    EXPECT_EQ(app->GetProfileString("Quillmark", "Missing", "dflt"), "dflt");
    EXPECT_EQ(contents(), "[Quillmark]\nDoNotShow=1\nnTopLeftX3=-40\nDirectory=C:\\Blocks\\Doors\n");
    for (const auto& entry : fs::directory_iterator(folder / "sub"))
        EXPECT_EQ(entry.path().filename(), "profile.ini") << "no temporary file is left";
}

TEST_F(Profile, RemovingAndRefusing) {
    CWinApp* app = acedGetAcadWinApp();
    app->WriteProfileString("A", "x", "1");
    app->WriteProfileString("B", "y", "  padded  ");
    EXPECT_EQ(app->GetProfileString("B", "y"), "  padded  ");
    EXPECT_FALSE(app->WriteProfileString("A", "x", "two\nlines"));
    EXPECT_EQ(app->GetProfileString("A", "x"), "1");
    EXPECT_TRUE(app->WriteProfileString("A", "x", nullptr));
    EXPECT_EQ(app->GetProfileString("A", "x", "gone"), "gone");
    EXPECT_TRUE(app->WriteProfileString("B", nullptr, nullptr));
    EXPECT_EQ(app->GetProfileString("B", "y", "gone"), "gone");
    EXPECT_TRUE(app->WriteProfileString("A", "n", "12abc"));
    EXPECT_EQ(static_cast<int>(app->GetProfileInt("A", "n", 7)), 7) << "not a whole number";
}

TEST_F(Profile, WritesKeepValuesOfOtherSessionsAndComments) {
    fs::create_directories(folder / "sub");
    std::ofstream(path) << "; kept\n[Other]\nkey = value with spaces\n[Quillmark]\nShowPreviews=0\n";
    EXPECT_TRUE(AcEdProfile::setInt("Quillmark", "ShowPreviews", 1));
    EXPECT_EQ(contents(), "; kept\n[Other]\nkey=value with spaces\n[Quillmark]\nShowPreviews=1\n");
}

TEST(HostWindows, GivingTheCommandLineTheFocusIsRecorded) {
    AcEdCommandLineWindow* cmdLine = acedGetAcadDockCmdLine();
    ASSERT_NE(cmdLine, nullptr);
    const int before = cmdLine->focusCount();
    cmdLine->loseFocus();
    cmdLine->SetFocus();
    EXPECT_TRUE(cmdLine->hasFocus());
    EXPECT_EQ(cmdLine->focusCount(), before + 1);
    EXPECT_EQ(acedGetAcadDockCmdLine(), cmdLine);
    EXPECT_EQ(acedGetAcadFrame(), nullptr) << "no window layer yet";
}

TEST(IniFile, ParsesDuplicatesAndQuotes) {
    AcEdIniFile ini;
    ini.parse("[S]\na=1\nA=2\nb=\"  q  \"\n[T]\nc=3\n[s]\nd=4\n");
    std::string v;
    ASSERT_TRUE(ini.get("S", "a", v));
    EXPECT_EQ(v, "2");
    ASSERT_TRUE(ini.get("S", "b", v));
    EXPECT_EQ(v, "  q  ");
    ASSERT_TRUE(ini.get("S", "d", v)) << "a repeated section continues the first";
    EXPECT_EQ(ini.keys("S"), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_FALSE(ini.set("S", "bad=key", "1"));
    EXPECT_FALSE(ini.set("bad]", "k", "1"));
}
}  // namespace
