// Drawings written as DXF and read back; the files opened by ezdxf.
#include <gtest/gtest.h>
#include "drawing.h"
#include "dxftestutil.h"

using namespace dxftest;

namespace {

std::string headerDump(AcDbDatabase* db) {
    std::string out;
    for (const auto& [name, value] : db->headerValues()) {
        if (name == "ACADVER" || name == "DWGCODEPAGE") continue;
        out += name + "=";
        if (auto* i = std::get_if<int>(&value)) out += std::to_string(*i);
        else if (auto* d = std::get_if<double>(&value)) out += std::to_string(*d);
        else if (auto* s = std::get_if<std::string>(&value)) out += *s;
        else if (auto* p = std::get_if<AcGePoint3d>(&value)) out += std::to_string(p->x) + "," + std::to_string(p->y) + "," + std::to_string(p->z);
        out += "\n";
    }
    return out;
}

std::string layerDump(AcDbDatabase* db) {
    std::string out;
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return out;
    for (AcDbObjectId id : table->recordIds()) {
        AcDbLayerTableRecord* layer = nullptr;
        if (acdbOpenObject(layer, id, AcDb::kForRead) != Acad::eOk) continue;
        out += std::string(layer->name()) + " " + std::to_string(layer->color().colorIndex()) + " " +
               id.handle().ascii() + "\n";
        layer->close();
    }
    table->close();
    return out;
}

class DxfRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = std::make_unique<AcDbDatabase>(true, true);
        buildDrawing(m_db.get());
        m_path = m_dir.file("drawing.dxf");
        ASSERT_EQ(m_db->dxfOut(m_path.c_str()), Acad::eOk) << m_db->lastError();
    }
    TempDir m_dir;
    std::unique_ptr<AcDbDatabase> m_db;
    std::string m_path;
};

}  // namespace

TEST_F(DxfRoundTrip, EveryEntityComesBackEqual) {
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(m_path.c_str()), Acad::eOk) << back.lastError();
    std::string why;
    EXPECT_TRUE(sameBlocks(dumpBlocks(m_db.get()), dumpBlocks(&back), why)) << why;
    EXPECT_EQ(entityCount(m_db.get()), entityCount(&back));
    EXPECT_EQ(layerDump(m_db.get()), layerDump(&back));
    EXPECT_EQ(headerDump(m_db.get()), headerDump(&back));
    EXPECT_FALSE(back.handseed() < m_db->handseed());
}

TEST_F(DxfRoundTrip, SecondSaveIsTheSameFile) {
    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(m_path.c_str()), Acad::eOk) << back.lastError();
    std::string again = m_dir.file("again.dxf");
    ASSERT_EQ(back.dxfOut(again.c_str()), Acad::eOk) << back.lastError();
    AcDbDatabase third(false, true);
    ASSERT_EQ(third.readDxfFile(again.c_str()), Acad::eOk) << third.lastError();
    std::string last = m_dir.file("last.dxf");
    ASSERT_EQ(third.dxfOut(last.c_str()), Acad::eOk);
    // Once read back, a drawing saves to the same groups each time (reals to the last bits).
    // Handles may differ: what the drawing does not hold as objects (BLOCK and ENDBLK,
    // layouts, ...) gets new ones at each save.
    std::string a = readText(again), b = readText(last);
    cadhost::dxf::TokenReader ra(a), rb(b);
    cadhost::dxf::Token ta, tb;
    size_t groups = 0;
    while (ra.next(ta)) {
        ASSERT_TRUE(rb.next(tb)) << "second file ends early at group " << groups;
        ASSERT_EQ(ta.code, tb.code) << "line " << ta.line;
        if (ta.kind() == cadhost::dxf::ValueKind::Double) {
            EXPECT_TRUE(nearlyEqual(*ta.toDouble(), *tb.toDouble())) << "line " << ta.line;
        } else if (ta.kind() != cadhost::dxf::ValueKind::Handle && ta.code != 5) {
            EXPECT_EQ(ta.value, tb.value) << "line " << ta.line;
        }
        ++groups;
    }
    EXPECT_FALSE(rb.next(tb));
    EXPECT_GT(groups, 500u);
}

TEST_F(DxfRoundTrip, FileHasTheAutoCad2004Layout) {
    std::string text = readText(m_path);
    EXPECT_EQ(text.rfind("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1018\n", 0), 0u);
    for (const char* part : {"  2\nCLASSES\n", "  2\nTABLES\n", "  2\nBLOCK_RECORD\n", "  2\nBLOCKS\n",
                             "  2\nENTITIES\n", "  2\nOBJECTS\n", "ACAD_GROUP\n", "$HANDSEED\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    EXPECT_TRUE(text.ends_with("  0\nEOF\n"));
    // Text beyond ASCII is written as \U+ escapes in AC1018 files.
    EXPECT_NE(text.find("Caf\\U+00E9"), std::string::npos);
    for (unsigned char c : text) ASSERT_LT(c, 0x80);
}

TEST_F(DxfRoundTrip, EzdxfAuditsWithoutErrors) {
    if (!haveEzdxf()) GTEST_SKIP() << "no /usr/bin/python3 with ezdxf";
    std::string out;
    EXPECT_EQ(ezdxfAuditErrors(m_path, out), 0) << out;
    int rc = 0;

    // ezdxf sees the entities by type, and the block with its attribute definition.
    rc = runCommand("/usr/bin/python3 -c \"import ezdxf, sys, collections\n"
                    "doc = ezdxf.readfile(sys.argv[1])\n"
                    "c = collections.Counter(e.dxftype() for e in doc.modelspace())\n"
                    "print(' '.join(k + '=' + str(v) for k, v in sorted(c.items())))\n"
                    "print(' '.join(sorted(e.dxftype() for e in doc.blocks.get('DOOR'))))\n"
                    "print(len(doc.audit().fixes))\" '" + m_path + "' 2>&1",
                    out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out, "ARC=1 CIRCLE=1 DIMENSION=2 ELLIPSE=1 INSERT=2 LINE=2 LWPOLYLINE=1 MTEXT=1 POINT=1 POLYLINE=1 RAY=1 TEXT=1\n"
              "ATTDEF LINE\n0\n");
}

TEST_F(DxfRoundTrip, FailedSaveKeepsTheOldFile) {
    std::string before = readText(m_path);
    // A drawing with a coordinate that has no DXF form cannot be saved.
    AcDbDatabase bad(true, true);
    append(&bad, bad.modelSpaceId(), new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(std::nan(""), 1, 0)));
    EXPECT_NE(bad.dxfOut(m_path.c_str()), Acad::eOk);
    EXPECT_NE(bad.lastError().find("finite"), std::string::npos) << bad.lastError();
    EXPECT_EQ(readText(m_path), before);
    // No temporary file is left beside it.
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(m_dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 1u);
    EXPECT_NE(m_db->dxfOut((m_dir.path() + "/missing/folder/x.dxf").c_str()), Acad::eOk);
    EXPECT_FALSE(m_db->lastError().empty());
}

TEST_F(DxfRoundTrip, ObjectsOpenForWriteAreSavedAsTheyAre) {
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, m_db->modelSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbObjectId first = ms->entityIds().front();
    ms->close();
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, first, AcDb::kForWrite), Acad::eOk);
    line->setStartPoint(AcGePoint3d(-7, -8, -9));
    std::string path = m_dir.file("open.dxf");
    EXPECT_EQ(m_db->dxfOut(path.c_str()), Acad::eOk) << m_db->lastError();
    line->close();
    EXPECT_NE(readText(path).find(" 10\n-7.0\n 20\n-8.0\n 30\n-9.0\n"), std::string::npos);
}
