// Saving through the commands: read-only targets, symbolic links, names with a NUL character,
// temporary files of saves that were killed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include "../editor/editor_fixture.h"
#include "app/program.h"
#include "db/line.h"

namespace fs = std::filesystem;

namespace {
class Saving : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* entity = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0));
        space->appendAcDbEntity(entity);
        entity->close();
        space->close();
        folder = fs::temp_directory_path() / ("cadhost-saving-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "a");
        fs::create_directories(folder / "b");
    }
    void TearDown() override {
        EditorTest::TearDown();
        fs::remove_all(folder);
    }
    // Runs a script; answers its failures, with only its output kept.
    int run(const std::string& text) {
        out.clear();
        return script(text);
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    // Names in the folder other than the expected ones (left-over temporary files).
    static std::vector<std::string> others(const fs::path& dir, const std::vector<std::string>& expected) {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) found.push_back(name);
        }
        return found;
    }
    // A process id that is no longer running.
    static pid_t endedProcess() {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(0);
        int status = 0;
        ::waitpid(child, &status, 0);
        return child;
    }

    fs::path folder;
};

TEST_F(Saving, ReadOnlyTargetIsRefusedAndKeptAsItWas) {
    const fs::path target = folder / "a" / "plan.dxf";
    write(target, "old contents");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string before = doc->fileName();
    EXPECT_EQ(run("SAVEAS " + target.string() + "\n"), 1);
    EXPECT_TRUE(printed("Cannot save \"" + target.string() + "\": " + target.string() + ": the file is read-only"))
        << out;
    EXPECT_EQ(contents(target), "old contents");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(std::string(doc->fileName()), before) << "the drawing keeps its name";
    EXPECT_TRUE(doc->isModified() || !doc->isNamed());
    EXPECT_EQ(others(folder / "a", {"plan.dxf"}), std::vector<std::string>{});
    // Saving under its own name once it is named there is refused the same way.
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run("SAVEAS " + target.string() + "\n"), 0) << out;
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::remove);
    const std::string saved = contents(target);
    EXPECT_EQ(run("SAVE\n"), 1);
    EXPECT_TRUE(printed("the file is read-only")) << out;
    EXPECT_EQ(contents(target), saved);
}

TEST_F(Saving, SymbolicLinkIsFollowedAndStaysALink) {
    const fs::path real = folder / "a" / "real.dxf";
    write(real, "old contents");
    const fs::path link = folder / "b" / "link.dxf";
    fs::create_symlink("../a/real.dxf", link);
    const fs::path chain = folder / "b" / "chain.dxf";
    fs::create_symlink(link, chain);
    EXPECT_EQ(run("SAVEAS " + chain.string() + "\n"), 0) << out;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::is_symlink(chain));
    EXPECT_EQ(fs::read_symlink(link), fs::path("../a/real.dxf"));
    EXPECT_NE(contents(real).find("AcDbLine"), std::string::npos) << "the target holds the drawing";
    EXPECT_EQ(others(folder / "a", {"real.dxf"}), std::vector<std::string>{});
    EXPECT_EQ(others(folder / "b", {"link.dxf", "chain.dxf"}), std::vector<std::string>{});

    // A link to a file not there yet makes the file; a binary drawing too.
    const fs::path dwg = folder / "a" / "new.dwg";
    const fs::path dwgLink = folder / "b" / "new.dwg";
    fs::create_symlink(dwg, dwgLink);
    EXPECT_EQ(run("SAVEAS " + dwgLink.string() + "\n"), 0) << out;
    EXPECT_TRUE(fs::is_symlink(dwgLink));
    EXPECT_EQ(contents(dwg).substr(0, 3), "AC1");

    // A link to a read-only file is refused; the link and its target stay.
    fs::permissions(real, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string saved = contents(real);
    EXPECT_EQ(run("SAVEAS " + link.string() + "\n"), 1);
    EXPECT_TRUE(printed("/b/../a/real.dxf: the file is read-only")) << out;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(contents(real), saved);
}

TEST_F(Saving, FileNameWithANulIsRefusedEverywhere) {
    const std::string cut = (folder / "a" / "plan").string();
    const std::string name = cut + std::string(1, '\0') + ".dxf";
    for (const std::string& command :
         {"SAVEAS " + name, "OPEN " + name, "WBLOCK " + name, "EXPORT " + name, "ARX Load " + name}) {
        SCOPED_TRACE(command.substr(0, command.find(' ')));
        EXPECT_EQ(run(command + "\n"), 1);
        EXPECT_TRUE(printed("A file name cannot contain a NUL character.")) << out;
    }
    EXPECT_EQ(others(folder / "a", {}), std::vector<std::string>{}) << "nothing was written under the cut name";
    EXPECT_EQ(acDocManager->documentCount(), 1);

    CadhostOptions options;
    options.drawing = name;
    AcEdLineSource none;
    testing::internal::CaptureStderr();
    EXPECT_EQ(cadhostRun(options, &none), 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("A file name cannot contain a NUL character."),
              std::string::npos);
}

TEST_F(Saving, StaleTemporaryFilesOfKilledSavesAreRemoved) {
    const std::string ended = std::to_string(endedProcess());
    const std::string running = std::to_string(::getppid());
    const fs::path dir = folder / "a";
    const std::vector<std::string> kept = {
        ".cadhost-save-" + running + "-0.tmp",  // a save of a live process
        ".cadhost-save-" + ended + "-x.tmp",    // not the pattern
        "plan.dxf.tmp" + ended + "_0",          // not ours
        ".cadhost-save-" + ended + "-2.tmp",    // another user's (made so below when possible)
    };
    for (const std::string& n : kept) write(dir / n, "partial");
    const bool otherUser = ::chown((dir / kept[3]).c_str(), 65534, 65534) == 0;
    const std::string stale = ".cadhost-save-" + ended + "-7.tmp";
    write(dir / stale, "partial");
    EXPECT_EQ(run("SAVEAS " + (dir / "plan.dxf").string() + "\n"), 0) << out;
    EXPECT_FALSE(fs::exists(dir / stale)) << "the killed save's file is removed";
    for (size_t i = 0; i < kept.size(); ++i)
        if (i != 3 || otherUser) {
            EXPECT_TRUE(fs::exists(dir / kept[i])) << kept[i];
        }
    EXPECT_TRUE(fs::exists(dir / "plan.dxf"));
}
}  // namespace
