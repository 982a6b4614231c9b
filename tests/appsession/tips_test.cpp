// The module's getting-started tips at load: shown while the profile does not say otherwise,
// "Do not show again" written at each click, and the document written to the temporary folder
// without following what is already there.
#include "appsession_support.h"

using namespace appsession;

namespace {

class TipsSession : public Session {
protected:
    void SetUp() override {
        Session::SetUp();
        std::ofstream(profile, std::ios::trunc) << "[Quillmark]\nDoNotShow=0\n";
        if (const char* t = std::getenv("TMPDIR")) savedTemp = t;
        ::setenv("TMPDIR", folder.c_str(), 1);
        tipsFile = folder / "readme.rtf";
        document = readFile(fs::path(CADHOST_SOURCE_DIR) / "application" / "res" / "tips.rtf");
    }
    void TearDown() override {
        if (savedTemp.empty()) ::unsetenv("TMPDIR");
        else ::setenv("TMPDIR", savedTemp.c_str(), 1);
        Session::TearDown();
    }
    std::string profileText() const { return readFile(profile); }

    std::string savedTemp, document;
    fs::path tipsFile;
};

TEST_F(TipsSession, ShownAtLoadUntilTheBoxIsTicked) {
    ASSERT_GT(document.size(), 2000u);
    const std::string top = path("tips.png"), scrolled = path("tips-scrolled.png");
    ASSERT_EQ(run("picture active \"" + top + "\"\nwheel #269 -4\npicture active \"" + scrolled +
                  "\"\nclick #270\nkey enter\n"),
              0)
        << out;
    EXPECT_GT(fs::file_size(top), 0u);
    EXPECT_NE(readFile(top), readFile(scrolled)) << "the wheel scrolls the document";
    EXPECT_EQ(readFile(tipsFile), document) << "the resource is written to readme.rtf in the temporary folder";
    EXPECT_NE(profileText().find("DoNotShow=1"), std::string::npos) << profileText();
    EXPECT_NE(out.find("Quillmark Free version loaded."), std::string::npos) << out;

    // With the box ticked the next load shows nothing: the document is not written again.
    fs::remove(tipsFile);
    ASSERT_EQ(run("(princ \"next\")\n"), 0) << out;
    EXPECT_FALSE(fs::exists(tipsFile));
    EXPECT_EQ(out.find("open object"), std::string::npos) << out;
}

TEST_F(TipsSession, EachClickWritesTheBoxWhateverClosesTheDialog) {
    ASSERT_EQ(run("click #270\nclick #270\nkey enter\n"), 0) << out;
    EXPECT_NE(profileText().find("DoNotShow=0"), std::string::npos) << "ticked and unticked\n" << profileText();
    ASSERT_EQ(run("click #270\nkey escape\n"), 0) << out;
    EXPECT_NE(profileText().find("DoNotShow=1"), std::string::npos) << "Escape keeps the click\n" << profileText();
}

TEST_F(TipsSession, ReadmeIsReplacedAndLinksAreNotWrittenThrough) {
    std::ofstream(tipsFile) << "an older file";
    ASSERT_EQ(run("key enter\n"), 0) << out;
    EXPECT_EQ(readFile(tipsFile), document);

    const fs::path victim = folder / "victim.txt";
    std::ofstream(victim) << "keep me";
    fs::remove(tipsFile);
    fs::create_symlink(victim, tipsFile);
    ASSERT_EQ(run("key enter\n"), 0) << out;
    EXPECT_EQ(readFile(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(tipsFile)) << "the link itself is replaced";
    EXPECT_EQ(readFile(tipsFile), document);

    // A folder in the way: the dialog opens empty and says why.
    fs::remove(tipsFile);
    fs::create_directory(tipsFile);
    ASSERT_EQ(run("key enter\n"), 0) << out;
    EXPECT_NE(out.find("The tips could not be written"), std::string::npos) << out;
    EXPECT_TRUE(fs::is_directory(tipsFile));
}

}  // namespace
