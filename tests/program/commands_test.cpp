// The host commands of the program, run through the command line with a script.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include "db/circle.h"
#include "db/line.h"
#include "ed/commandline.h"
#include "ed/docman.h"
#include "ed/input.h"
#include "ed/sysvar.h"

namespace fs = std::filesystem;

namespace {
class HostCommands : public ::testing::Test {
protected:
    void SetUp() override {
        acDocManager->closeAllDocuments();
        line().reset();
        line().setOutput([this](const std::string& text) { out += text; });
        line().setInput(&input);
        doc = acDocManager->newDocument();
        horizontal = append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 0, 0)));
        vertical = append(new AcDbLine(AcGePoint3d(50, -50, 0), AcGePoint3d(50, 50, 0)));
        circle = append(new AcDbCircle(AcGePoint3d(200, 0, 0), AcGeVector3d::kZAxis, 10));
        folder = fs::temp_directory_path() / ("cadhost-commands-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        acDocManager->closeAllDocuments();
        line().setInput(nullptr);
        line().setOutput(nullptr);
        line().reset();
        fs::remove_all(folder);
    }
    static AcEdCommandLine& line() { return AcEdCommandLine::instance(); }
    int script(const std::string& text) {
        input.push(text);
        return line().run(true);
    }
    bool printed(const std::string& text) const { return out.find(text) != std::string::npos; }
    AcDbObjectId append(AcDbEntity* entity) {
        AcDbBlockTableRecord* space = nullptr;
        EXPECT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        return id;
    }
    int getShort(const char* name) {
        resbuf rb;
        return acedGetVar(name, &rb) == RTNORM && rb.restype == RTSHORT ? rb.resval.rint : -999;
    }

    AcEdLineSource input;
    std::string out;
    AcApDocument* doc = nullptr;
    AcDbObjectId horizontal, vertical, circle;
    fs::path folder;
};

TEST_F(HostCommands, ListAndErasePickByPoint) {
    EXPECT_EQ(script("LIST 20,0\n\nERASE 50,20\n210,0\n\nLIST ALL\n\n"), 0) << out;
    EXPECT_TRUE(printed("LINE"));
    EXPECT_TRUE(printed("Select objects: ALL\n1 found"));
    EXPECT_TRUE(vertical.isErased());
    EXPECT_TRUE(circle.isErased());
    EXPECT_FALSE(horizontal.isErased());
}

TEST_F(HostCommands, WrongPointInAScriptChangesNothing) {
    EXPECT_EQ(script("ERASE 20,0 1,x\n"), 1);
    EXPECT_FALSE(horizontal.isErased()) << "the command failed before it erased what it had";
    EXPECT_TRUE(printed("*ERASE failed: wrong answer \"1,x\"*"));
}

TEST_F(HostCommands, Setvar) {
    EXPECT_EQ(script("SETVAR ATTDIA 1\nSETVAR\nCMDNAMES\n"), 0) << out;
    EXPECT_EQ(getShort("ATTDIA"), 1);
    EXPECT_TRUE(printed("CMDNAMES = \"SETVAR\" (read only)"));
    EXPECT_EQ(script("SETVAR ATTDIA 7\n"), 1);
    EXPECT_TRUE(printed("Value out of range."));
    EXPECT_EQ(getShort("ATTDIA"), 1);
    EXPECT_EQ(script("SETVAR NOSUCH\n"), 1);
    EXPECT_TRUE(printed("Unknown variable name \"NOSUCH\""));
}

TEST_F(HostCommands, OpenSaveCloseAndNew) {
    const std::string path = (folder / "plan.dxf").string();
    EXPECT_EQ(script("SAVEAS " + path + "\nNEW\nOPEN " + path + "\n"), 0) << out;
    EXPECT_EQ(acDocManager->documentCount(), 2) << "the saved drawing is already open: OPEN activates it";
    EXPECT_EQ(acDocManager->curDocument(), doc);
    EXPECT_EQ(script("CLOSE\nOPEN " + path + "\n"), 0) << out;
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_STREQ(acDocManager->curDocument()->docTitle(), "plan.dxf");
    EXPECT_EQ(script("OPEN /nonexistent/plan.dxf\n"), 1);
    EXPECT_TRUE(printed("Cannot find the file \"/nonexistent/plan.dxf\"."));
    EXPECT_EQ(acDocManager->documentCount(), 2);
}

TEST_F(HostCommands, ModuleCommandsReportMissingModules) {
    EXPECT_EQ(script("ARX Load /nonexistent/m.arx\n"), 1);
    EXPECT_TRUE(printed("Unable to load /nonexistent/m.arx: cannot find the file."));
    EXPECT_EQ(script("ARX Unload m\n"), 1);
    EXPECT_TRUE(printed("m is not loaded."));
}
}  // namespace
