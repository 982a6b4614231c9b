// Saving drawings as .dwg and reading them back.
#include "db/objectiterator.h"
#include "dwgtest.h"

using namespace dwgtest;

namespace {

TEST(DwgRoundTrip, ReopenedDrawingIsEqualObjectForObject) {
    TempDir dir;
    AcDbDatabase db(true, true);
    buildDrawing(&db);
    const std::string path = dir.file("drawing.dwg");
    ASSERT_EQ(db.saveAs(path.c_str()), Acad::eOk) << db.lastError();
    EXPECT_STREQ(db.filename(), path.c_str());

    // Read into a drawing that has contents of its own: they are replaced.
    AcDbDatabase back(true, true);
    append(back.modelSpaceId(), new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    ASSERT_EQ(back.readDwgFile(path.c_str()), Acad::eOk) << back.lastError();
    EXPECT_TRUE(back.lastError().empty()) << back.lastError();
    EXPECT_EQ(dumpDatabase(&db), dumpDatabase(&back));
    EXPECT_EQ(back.handseed().value(), db.handseed().value());
    EXPECT_EQ(back.headerValues(), db.headerValues());
    for (AcDbObjectId id : back.allIds()) EXPECT_EQ(id.database(), &back);

    // Both write the same DXF, and the reopened drawing the same drawing file.
    const std::string a = dir.file("a.dxf"), b = dir.file("b.dxf"), again = dir.file("again.dwg");
    ASSERT_EQ(db.dxfOut(a.c_str()), Acad::eOk) << db.lastError();
    ASSERT_EQ(back.dxfOut(b.c_str()), Acad::eOk) << back.lastError();
    EXPECT_TRUE(readBytes(a) == readBytes(b));
    ASSERT_EQ(back.saveAs(again.c_str()), Acad::eOk) << back.lastError();
    EXPECT_TRUE(readBytes(path) == readBytes(again));
}

TEST(DwgRoundTrip, TablesBlocksAndReferencesWorkAfterReading) {
    TempDir dir;
    AcDbDatabase db(true, true);
    buildDrawing(&db);
    ASSERT_EQ(db.saveAs(dir.file("d.dwg").c_str()), Acad::eOk);
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDwgFile(dir.file("d.dwg").c_str()), Acad::eOk) << back.lastError();
    AcDbBlockTable* bt = nullptr;
    ASSERT_EQ(back.getBlockTable(bt, AcDb::kForRead), Acad::eOk);
    AcDbObjectId door;
    EXPECT_EQ(bt->getAt("door", door), Acad::eOk);
    bt->close();
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, back.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    const std::vector<AcDbObjectId> ents = ms->entityIds();
    ms->close();
    int refs = 0, atts = 0, erased = 0;
    for (AcDbObjectId id : ents) {
        erased += id.isErased();
        AcDbBlockReference* ref = nullptr;
        if (id.isErased() || acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk) continue;
        ++refs;
        EXPECT_EQ(ref->blockTableRecord(), door);
        AcDbObjectIterator* it = ref->attributeIterator();
        for (; !it->done(); it->step()) {
            AcDbAttribute* att = nullptr;
            EXPECT_EQ(acdbOpenObject(att, it->objectId(), AcDb::kForRead), Acad::eOk);
            if (!att) continue;
            EXPECT_EQ(att->ownerId(), id);
            att->close();
            ++atts;
        }
        delete it;
        ref->close();
    }
    EXPECT_EQ(refs, 2);
    EXPECT_EQ(atts, 2);
    EXPECT_EQ(erased, 1);
    // New objects get handles above the saved ones.
    const AcDbObjectId added = append(back.modelSpaceId(), new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
    EXPECT_FALSE(added.handle() < db.handseed());
}

TEST(DwgSave, ChoosesTheFormatByExtensionAndRefusesObjectsOpenForWrite) {
    TempDir dir;
    AcDbDatabase db(true, true);
    const AcDbObjectId id = append(db.modelSpaceId(), new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    const std::string dxf = dir.file("d.DXF"), dwg = dir.file("d.dwg");
    ASSERT_EQ(db.saveAs(dxf.c_str()), Acad::eOk) << db.lastError();
    EXPECT_STREQ(db.filename(), dxf.c_str());
    AcDbDatabase fromDxf(false, true);
    EXPECT_EQ(fromDxf.readDxfFile(dxf.c_str()), Acad::eOk) << fromDxf.lastError();
    EXPECT_EQ(fromDxf.readDwgFile(dxf.c_str()), Acad::eFilerError);
    EXPECT_NE(fromDxf.lastError().find("not a drawing file"), std::string::npos) << fromDxf.lastError();

    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(db.saveAs(dwg.c_str()), Acad::eWasOpenForWrite);
    EXPECT_NE(db.lastError().find("open for write"), std::string::npos) << db.lastError();
    line->close();
    // Objects open for read do not stop a save; they do stop reading a file into the drawing.
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(db.saveAs(dwg.c_str()), Acad::eOk) << db.lastError();
    EXPECT_EQ(db.readDwgFile(dwg.c_str()), Acad::eInvalidOpenState);
    line->close();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(readBytes(dwg).data()), 6), "AC1018");
}

}  // namespace
