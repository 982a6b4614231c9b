// Attaching drawings as external references (acedXrefAttach).
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include "commands_fixture.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/line.h"
#include "ed/drawingfiles.h"
#include "ed/xref.h"

namespace fs = std::filesystem;

namespace {
class Xrefs : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-xref-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        // Door.dwg: a line and a circle, based at 1,0.
        AcDbDatabase door(true, true);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, door.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        for (AcDbEntity* e : {static_cast<AcDbEntity*>(new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(1, 20, 0))),
                              static_cast<AcDbEntity*>(new AcDbCircle(AcGePoint3d(5, 10, 0), AcGeVector3d::kZAxis, 1))}) {
            space->appendAcDbEntity(e);
            e->close();
        }
        space->close();
        door.setInsbase(AcGePoint3d(1, 0, 0));
        doorFile = (folder / "Door.dwg").string();
        std::string error;
        ASSERT_EQ(acedHostWriteDrawing(door, doorFile.c_str(), error), Acad::eOk) << error;
    }
    void TearDown() override {
        CommandTest::TearDown();
        fs::remove_all(folder);
    }
    // Attaches as the browser does: a point, unit scale, no rotation, not quiet.
    Acad::ErrorStatus attach(const std::string& file, const char* name, AcGePoint3d at = AcGePoint3d(100, 50, 0),
                             AcDbObjectIdArray* result = nullptr) {
        AcGeScale3d scale(1, 1, 1);
        double rotation = 0.0;
        Acad::ErrorStatus es =
            acedXrefAttach(file.c_str(), name, nullptr, result, &at, &scale, &rotation, false, nullptr, nullptr);
        EXPECT_EQ(acdbHostOpenObjectCount(), 0);
        return es;
    }
    int blockCount() const {
        AcDbBlockTable* table = nullptr;
        if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return -1;
        const int n = table->numRecords();
        table->close();
        return n;
    }
    fs::path folder;
    std::string doorFile;
};
}  // namespace

TEST_F(Xrefs, AttachDefinesTheReferenceAndInsertsIt) {
    AcDbObjectIdArray result;
    ASSERT_EQ(attach(doorFile, "Door", AcGePoint3d(100, 50, 0), &result), Acad::eOk) << out;
    EXPECT_TRUE(printed("Attach Xref \"Door\": " + doorFile)) << out;
    const AcDbObjectId door = block("Door");
    ASSERT_FALSE(door.isNull());
    read<AcDbBlockTableRecord>(door, [&](AcDbBlockTableRecord* b) {
        EXPECT_TRUE(b->isFromExternalReference());
        EXPECT_EQ(std::string(b->pathName()), doorFile);
        EXPECT_EQ(b->flags() & 32, 32) << "resolved";
        expectPoint(b->origin(), AcGePoint3d(1, 0, 0));
        EXPECT_TRUE(b->hasPreviewIcon());
    });
    EXPECT_EQ(entities(door).size(), 2u) << "the file's model space is loaded";
    ASSERT_EQ(result.length(), 1);
    ASSERT_EQ(entities().size(), 1u);
    EXPECT_EQ(entities()[0], result[0]);
    read<AcDbBlockReference>(result[0], [&](AcDbBlockReference* r) {
        EXPECT_EQ(r->blockTableRecord(), door);
        expectPoint(r->position(), AcGePoint3d(100, 50, 0));
    });

    out.clear();
    ASSERT_EQ(script("LIST 100,55\n\n"), 0) << out;
    EXPECT_TRUE(printed("Block name = \"Door\"")) << out;
    EXPECT_TRUE(printed("External reference = \"" + doorFile + "\"")) << out;

    // A second attachment of the same file uses the loaded definition.
    ASSERT_EQ(attach(doorFile, "Door", AcGePoint3d(200, 0, 0)), Acad::eOk) << out;
    EXPECT_EQ(entities().size(), 2u);
    EXPECT_EQ(entities(door).size(), 2u);
}

TEST_F(Xrefs, RefusalsLeaveTheDrawingUnchanged) {
    const int blocks = blockCount();
    EXPECT_EQ(attach((folder / "Missing.dwg").string(), "Missing"), Acad::eFileNotFound);
    EXPECT_TRUE(printed("Cannot find the file")) << out;

    ASSERT_EQ(script("LINE 0,0 5,5\n\nBLOCK Door 0,0 ALL\n\n"), 0) << out;
    const int withDoor = blockCount();
    EXPECT_EQ(withDoor, blocks + 1);
    EXPECT_EQ(attach(doorFile, "Door"), Acad::eDuplicateKey) << "a plain block holds the name";
    EXPECT_TRUE(printed("already exists")) << out;

    std::ofstream(folder / "Broken.dxf") << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nnot a number\n";
    EXPECT_NE(attach((folder / "Broken.dxf").string(), "Broken"), Acad::eOk);

    AcDbObjectIdArray requested;
    requested.append(db->modelSpaceId());
    AcGePoint3d at(0, 0, 0);
    EXPECT_EQ(acedXrefAttach(doorFile.c_str(), "Other", &requested, nullptr, &at), Acad::eNotApplicable);

    EXPECT_EQ(blockCount(), withDoor);
    EXPECT_TRUE(entities().empty());
    EXPECT_EQ(acdbHostOpenObjectCount(), 0);
}

TEST_F(Xrefs, DrawingFilesKeepTheReference) {
    ASSERT_EQ(attach(doorFile, "Door"), Acad::eOk) << out;
    for (const char* name : {"host.dwg", "host.dxf"}) {
        const std::string file = (folder / name).string();
        std::string error;
        ASSERT_EQ(acedHostWriteDrawing(*db, file.c_str(), error), Acad::eOk) << error;
        AcDbDatabase back(false, true);
        ASSERT_EQ(acedHostReadDrawing(back, file.c_str(), error), Acad::eOk) << error;
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(back.getBlockTable(table, AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecord* door = nullptr;
        ASSERT_EQ(table->getAt("Door", door, AcDb::kForRead), Acad::eOk) << name;
        table->close();
        EXPECT_TRUE(door->isFromExternalReference()) << name;
        EXPECT_EQ(std::string(door->pathName()), doorFile) << name;
        EXPECT_EQ(door->entityIds().size(), 2u) << name;
        door->close();
    }
    std::ifstream in(folder / "host.dxf");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("AcDbBlockBegin\n  2\nDoor\n 70\n36\n"), std::string::npos) << "external and resolved";
    if (std::system("/usr/bin/python3 -c 'import ezdxf' 2>/dev/null") != 0) return;
    const std::string check = "/usr/bin/python3 -c \"import ezdxf, sys\n"
                              "doc = ezdxf.readfile(sys.argv[1])\n"
                              "door = doc.blocks.get('Door').block\n"
                              "assert door.is_xref and door.dxf.xref_path == sys.argv[2]\n"
                              "sys.exit(min(len(doc.audit().errors), 100))\" " +
                              (folder / "host.dxf").string() + " " + doorFile;
    EXPECT_EQ(std::system(check.c_str()), 0) << "ezdxf sees the external reference, without audit errors";
}
