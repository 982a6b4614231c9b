// Paths in the platform's form reach the file system through the drive mapping: the file
// commands, INSERT of a file, WBLOCK, EXPORT and the database's own file functions.
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>
#include "commands_fixture.h"
#include "db/circle.h"
#include "db/dwgfile.h"
#include "ed/drawingfiles.h"

namespace fs = std::filesystem;

namespace {
class DrivePaths : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-drivepaths-" + std::to_string(::getpid()));
        fs::create_directories(folder / "lib");
        setenv("CADHOST_PROFILE", (folder / "profile.ini").c_str(), 1);
        setenv("CADHOST_DRIVES", ("D=" + folder.string()).c_str(), 1);
        append(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d::kZAxis, 2));
    }
    void TearDown() override {
        CommandTest::TearDown();
        unsetenv("CADHOST_PROFILE");
        unsetenv("CADHOST_DRIVES");
        fs::remove_all(folder);
    }
    // The folder as a path of drive C: (which is "/"), with backslashes or slashes.
    std::string onC(const std::string& name, char separator) const {
        std::string path = "C:" + (folder / name).string();
        std::replace(path.begin(), path.end(), '/', separator);
        return path;
    }
    fs::path folder;
};
}  // namespace

TEST_F(DrivePaths, OpenAndSaveAsOnDriveC) {
    ASSERT_EQ(acDocManager->saveDocument(doc, (folder / "a.dxf").c_str()), Acad::eOk);
    acDocManager->closeAllDocuments();
    ASSERT_EQ(script("OPEN " + onC("a.dxf", '/') + "\n"), 0) << out;
    ASSERT_EQ(acDocManager->documentCount(), 1);
    EXPECT_EQ(fs::path(acDocManager->curDocument()->fileName()), folder / "a.dxf");
    acDocManager->closeAllDocuments();
    ASSERT_EQ(script("OPEN " + onC("a.dxf", '\\') + "\n"), 0) << out;
    ASSERT_EQ(acDocManager->documentCount(), 1);
    ASSERT_EQ(script("SAVEAS " + onC("b.dwg", '\\') + "\n"), 0) << out;
    EXPECT_TRUE(fs::exists(folder / "b.dwg"));
    EXPECT_FALSE(fs::exists(fs::current_path() / onC("b.dwg", '\\'))) << "not a name in the current folder";
}

TEST_F(DrivePaths, DriveFromTheEnvironment) {
    ASSERT_EQ(script("SAVEAS d:\\lib\\plan.dwg\n"), 0) << out;
    ASSERT_TRUE(fs::exists(folder / "lib" / "plan.dwg"));
    ASSERT_EQ(script("WBLOCK D:\\lib\\all.dxf\n*\n"), 0) << out;
    EXPECT_TRUE(fs::exists(folder / "lib" / "all.dxf"));
    ASSERT_EQ(script("INSERT D:\\lib\\all.dxf 0,0 1 0\n"), 0) << out;
    EXPECT_FALSE(block("all").isNull()) << "the block is named after the file";
    ASSERT_EQ(script("EXPORT D:\\lib\\plan.png\nE\n40x30\n"), 0) << out;
    EXPECT_TRUE(fs::exists(folder / "lib" / "plan.png"));
    acDocManager->closeAllDocuments();
    ASSERT_EQ(script("OPEN D:/LIB/../lib/plan.dwg\n"), 0) << out;
    EXPECT_EQ(fs::path(acDocManager->curDocument()->fileName()), folder / "lib" / "plan.dwg");
}

TEST_F(DrivePaths, PathsThatCannotBeMappedFailClearly) {
    EXPECT_EQ(script("OPEN Q:\\a.dxf\n"), 1);
    EXPECT_TRUE(printed("Drive Q: is not mapped")) << out;
    EXPECT_EQ(script("SAVEAS \\\\server\\share\\a.dwg\n"), 1);
    EXPECT_TRUE(printed("network path \"\\\\server\\share\" cannot be reached")) << out;
    EXPECT_EQ(script("INSERT Q:\\door.dwg 0,0 1 0\n"), 1);
    EXPECT_EQ(acDocManager->documentCount(), 1);
    std::string error;
    EXPECT_EQ(acDocManager->saveDocument(doc, "Q:\\a.dwg", &error), Acad::eFileAccessErr);
    EXPECT_NE(error.find("Drive Q:"), std::string::npos) << error;
}

TEST_F(DrivePaths, DatabaseFileFunctions) {
    ASSERT_EQ(db->saveAs("D:\\lib\\c.dwg"), Acad::eOk) << db->lastError();
    ASSERT_EQ(db->dxfOut("D:\\lib\\c.dxf"), Acad::eOk) << db->lastError();
    ASSERT_EQ(db->saveAs("D:\\lib\\d.DXF"), Acad::eOk) << db->lastError();
    EXPECT_TRUE(fs::exists(folder / "lib" / "c.dwg"));
    EXPECT_TRUE(fs::exists(folder / "lib" / "c.dxf"));
    EXPECT_TRUE(fs::exists(folder / "lib" / "d.DXF"));
    AcDbDatabase dwg(false, true), dxf(false, true);
    EXPECT_EQ(dwg.readDwgFile("D:\\lib\\c.dwg"), Acad::eOk) << dwg.lastError();
    EXPECT_EQ(dxf.readDxfFile("d:/lib/c.dxf"), Acad::eOk) << dxf.lastError();
    EXPECT_TRUE(acedHostIsBinaryDrawing("D:\\lib\\c.dwg"));
    std::vector<uint8_t> dib;
    std::string error;
    EXPECT_NE(acdbReadDwgPreview("D:\\lib\\c.dwg", dib, &error), Acad::eFileNotFound) << error;
    EXPECT_EQ(acdbReadDwgPreview("Q:\\c.dwg", dib, &error), Acad::eFileNotFound);
    EXPECT_NE(error.find("Drive Q:"), std::string::npos) << error;
    EXPECT_EQ(dwg.readDwgFile("Q:\\c.dwg"), Acad::eFileNotFound);
    EXPECT_NE(dwg.lastError().find("Drive Q:"), std::string::npos) << dwg.lastError();
    EXPECT_EQ(dwg.saveAs("Q:\\c.dwg"), Acad::eFileAccessErr);
    EXPECT_EQ(dwg.dxfOut("\\\\srv\\s\\c.dxf"), Acad::eFileAccessErr);
    EXPECT_EQ(dxf.readDxfFile("Q:\\c.dxf"), Acad::eFileNotFound);
}
