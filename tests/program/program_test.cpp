#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include "app/program.h"
#include "db/database.h"
#include "db/line.h"
#include "ed/input.h"
#include "session_fixture.h"
#include "win/icons.h"

namespace fs = std::filesystem;

namespace {
const std::string kProgram = std::string(CADHOST_BINARY_DIR) + "/bin/cadhost";
const std::string kModule = std::string(CADHOST_BINARY_DIR) + "/bin/edtestmodule.arx";

class Program : public ProgramSessionTest {
protected:
    void SetUp() override {
        ProgramSessionTest::SetUp();
        drawing = (folder / "two lines.dxf").string();
        AcDbDatabase db(true, true);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        for (double y : {0.0, 50.0}) {
            auto* line = new AcDbLine(AcGePoint3d(0, y, 0), AcGePoint3d(100, y, 0));
            space->appendAcDbEntity(line);
            line->close();
        }
        space->close();
        ASSERT_EQ(db.dxfOut(drawing.c_str()), Acad::eOk);
    }

    int session(const std::string& lines, const std::string& openDrawing = "") {
        CadhostOptions options;
        options.drawing = openDrawing;
        return runSession(lines, options);
    }
    // Runs the built program with a shell command line; answers its exit status.
    int program(const std::string& arguments, const std::string& stdinText = "") {
        const std::string inputFile = (folder / "stdin.txt").string();
        std::ofstream(inputFile) << stdinText;
        const std::string command = kProgram + " " + arguments + " < '" + inputFile + "' > '" +
                                    (folder / "out.txt").string() + "' 2>&1";
        int rc = std::system(command.c_str());
        std::ifstream in(folder / "out.txt");
        out.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    int entities(const std::string& path) {
        AcDbDatabase db(false, true);
        if (db.readDxfFile(path.c_str()) != Acad::eOk) return -1;
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
        int n = 0;
        AcDbBlockTableRecordIterator* it = nullptr;
        space->newIterator(it);
        for (; !it->done(); it->step()) ++n;
        delete it;
        space->close();
        return n;
    }
    std::string drawing;
};

TEST_F(Program, ScriptEditsAndSavesTheDrawing) {
    const std::string saved = (folder / "saved.dxf").string();
    EXPECT_EQ(session("ERASE 50,50\n\nSAVEAS " + saved + "\nQUIT\n", drawing), 0) << out;
    EXPECT_EQ(entities(saved), 1);
    EXPECT_EQ(entities(drawing), 2) << "the opened file itself is unchanged";
    EXPECT_NE(out.find("Command: ERASE"), std::string::npos);
}

TEST_F(Program, BinaryDrawingRoundTrip) {
    const std::string dwg = (folder / "plan.dwg").string();
    EXPECT_EQ(session("SAVEAS " + dwg + "\n", drawing), 0) << out;
    EXPECT_EQ(session("ERASE ALL\n\nSAVEAS " + (folder / "back.dxf").string() + "\n", dwg), 0) << out;
    EXPECT_NE(out.find("2 found"), std::string::npos) << out;
    EXPECT_EQ(entities((folder / "back.dxf").string()), 0);
}

TEST_F(Program, UnnamedDrawingIsNamedBySave) {
    const std::string saved = (folder / "new.dxf").string();
    EXPECT_EQ(session("SAVE\n" + saved + "\n(getvar \"DWGNAME\")\n"), 0) << out;
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_NE(out.find("\"new.dxf\""), std::string::npos) << out;
}

TEST_F(Program, FailureStopsTheScriptAndChangesNothing) {
    const std::string saved = (folder / "never.dxf").string();
    EXPECT_EQ(session("ERASE 1,x\nSAVEAS " + saved + "\n", drawing), 1);
    EXPECT_FALSE(fs::exists(saved));
    EXPECT_NE(out.find("Stopped: a command failed"), std::string::npos) << out;
    EXPECT_EQ(session("SAVEAS " + (folder / "missing folder" / "x.dxf").string() + "\n"), 1);
    EXPECT_NE(out.find("Cannot save"), std::string::npos) << out;
}

TEST_F(Program, MissingDrawingEndsTheSessionAtOnce) {
    EXPECT_EQ(session("SAVEAS " + (folder / "x.dxf").string() + "\n", (folder / "none.dxf").string()), 1);
    EXPECT_NE(out.find("Cannot find the file"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "x.dxf"));
}

TEST_F(Program, QuitEndsTheSession) {
    EXPECT_EQ(session("QUIT\nNOSUCHCOMMAND\n"), 0);
    EXPECT_EQ(out.find("NOSUCHCOMMAND"), std::string::npos);
}

TEST_F(Program, TheProgramsModuleHasItsIcon) {
    EXPECT_EQ(session("QUIT\n"), 0);
    HMODULE program = GetModuleHandleA("Acad.exe");
    ASSERT_EQ(program, GetModuleHandleA(nullptr));
    HICON icon = LoadIcon(program, MAKEINTRESOURCE(1));
    ASSERT_NE(icon, nullptr);
    int width = 0, height = 0;
    EXPECT_TRUE(cadhostIconSize(icon, width, height));
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    EXPECT_TRUE(DestroyIcon(icon));
    auto small = static_cast<HICON>(LoadImage(program, MAKEINTRESOURCE(1), IMAGE_ICON, 16, 16, 0));
    EXPECT_TRUE(cadhostIconSize(small, width, height));
    EXPECT_EQ(width, 16);
    EXPECT_TRUE(DestroyIcon(small));
}

TEST_F(Program, ArgumentsOfTheProgram) {
    CadhostOptions o;
    std::string error;
    const char* args[] = {"cadhost", "plan.dxf", "--script", "run.scr", "--load", "a.arx", "--load", "b"};
    ASSERT_TRUE(cadhostParseArguments(8, args, o, error)) << error;
    EXPECT_EQ(o.drawing, "plan.dxf");
    EXPECT_EQ(o.script, "run.scr");
    EXPECT_EQ(o.modules, (std::vector<std::string>{"a.arx", "b"}));
    const char* bad[] = {"cadhost", "--frobnicate"};
    EXPECT_FALSE(cadhostParseArguments(2, bad, o, error));
    const char* twice[] = {"cadhost", "a.dxf", "b.dxf"};
    EXPECT_FALSE(cadhostParseArguments(3, twice, o, error));
}

TEST_F(Program, BuiltProgramExitStatus) {
    const std::string scriptFile = (folder / "run.scr").string();
    std::ofstream(scriptFile) << "LIST 50,0\n\nARX ?\n";
    EXPECT_EQ(program("'" + drawing + "' --script '" + scriptFile + "' --load '" + kModule + "'"), 0) << out;
    EXPECT_NE(out.find("LINE"), std::string::npos) << out;
    EXPECT_NE(out.find("edtestmodule"), std::string::npos) << out;
    EXPECT_EQ(program("--script '" + (folder / "none.scr").string() + "'"), 1);
    EXPECT_NE(out.find("cannot open the script"), std::string::npos);
    EXPECT_EQ(program("--load /nonexistent/m.arx"), 1);
    EXPECT_EQ(program("--bogus"), 2);
    // Standard input from a pipe is read like a script.
    EXPECT_EQ(program("'" + drawing + "'", "(+ 2 3)\nQUIT\n"), 0);
    EXPECT_NE(out.find("Command: (+ 2 3)\n5"), std::string::npos) << out;
    EXPECT_EQ(program("", "NOSUCH\n"), 1);
}
}  // namespace
