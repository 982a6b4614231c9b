// A module's own entity class derived from a native one goes through DXF with its own
// fields; objects copy through the memory filer.
#include <gtest/gtest.h>
#include "drawing.h"
#include "dxftestutil.h"
#include "rx/rxclass.h"

using namespace dxftest;

namespace {

// A tag: text with a number of its own, as a module would add one.
class DxfTestTag : public AcDbText {
public:
    ACRX_DECLARE_MEMBERS(DxfTestTag);
    int number() const { assertReadEnabled(); return m_number; }
    void setNumber(int n) { assertWriteEnabled(); m_number = n; }

    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override {
        Acad::ErrorStatus es = AcDbText::dxfOutFields(filer);
        if (es != Acad::eOk) return es;
        filer->writeSubclass("DxfTestTag");
        filer->writeInt32(90, m_number);
        return filer->filerStatus();
    }
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override {
        Acad::ErrorStatus es = AcDbText::dxfInFields(filer);
        if (es != Acad::eOk) return es;
        if (!filer->atSubclassData("DxfTestTag")) return filer->filerStatus();
        resbuf rb;
        while (!filer->atEndOfObject() && !filer->atExtendedData() && filer->readItem(&rb) == Acad::eOk)
            if (rb.restype == 90) m_number = rb.resval.rlong;
        return filer->filerStatus();
    }

private:
    int m_number = 0;
};

ACRX_DXF_DEFINE_MEMBERS(DxfTestTag, AcDbText, 0, 0, 0, "DXFTESTTAG", "CadhostDxfTests")

class DxfCustomClass : public ::testing::Test {
protected:
    static void SetUpTestSuite() { DxfTestTag::rxInit(); }
    static void TearDownTestSuite() { deleteAcRxClass(DxfTestTag::desc()); }
};

}  // namespace

TEST_F(DxfCustomClass, ReadThroughItsOwnFields) {
    TempDir dir;
    AcDbDatabase db(true, true);
    auto* tag = new DxfTestTag;
    tag->setTextString("T-7");
    tag->setHeight(2.0);
    tag->setNumber(4711);
    append(&db, db.modelSpaceId(), tag);
    std::string path = dir.file("tag.dxf");
    ASSERT_EQ(db.dxfOut(path.c_str()), Acad::eOk) << db.lastError();
    std::string text = readText(path);
    EXPECT_NE(text.find("  0\nCLASS\n  1\nDXFTESTTAG\n  2\nDxfTestTag\n  3\nCadhostDxfTests\n 90\n0\n 91\n1\n280\n0\n281\n1\n"),
              std::string::npos);
    EXPECT_NE(text.find("  0\nDXFTESTTAG\n"), std::string::npos);

    AcDbDatabase back(false, true);
    ASSERT_EQ(back.readDxfFile(path.c_str()), Acad::eOk) << back.lastError();
    AcDbObjectId tagId;
    for (AcDbObjectId id : back.allIds())
        if (id.objectClass() == DxfTestTag::desc()) tagId = id;
    DxfTestTag* read = nullptr;
    ASSERT_EQ(acdbOpenObject(read, tagId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(read->number(), 4711);
    EXPECT_STREQ(read->textStringConst(), "T-7");
    read->close();

    if (!haveEzdxf()) return;
    std::string out;
    int rc = runCommand("/usr/bin/python3 -c \"import ezdxf, sys; doc = ezdxf.readfile(sys.argv[1]); "
                        "print(len(doc.audit().errors))\" '" + path + "' 2>&1", out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out, "0\n");
}

TEST(DxfMemoryCopy, ObjectsCopyThroughTheMemoryFiler) {
    AcDbDatabase db(true, true);
    buildDrawing(&db);
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForRead), Acad::eOk);
    std::vector<AcDbObjectId> ids = ms->entityIds();
    ms->close();
    size_t copied = 0;
    for (AcDbObjectId id : ids) {
        AcDbEntity* source = nullptr;
        ASSERT_EQ(acdbOpenObject(source, id, AcDb::kForRead), Acad::eOk);
        AcDbDxfMemoryFiler mem(&db);
        ASSERT_EQ(source->dxfOutFields(&mem), Acad::eOk);
        auto* copy = AcDbEntity::cast(source->isA()->create());
        source->close();
        ASSERT_NE(copy, nullptr);
        copy->internalSetDatabase(&db);
        mem.rewind();
        EXPECT_EQ(copy->dxfInFields(&mem), Acad::eOk) << id.objectClass()->name();
        AcDbDxfMemoryFiler again(&db);
        ASSERT_EQ(copy->dxfOutFields(&again), Acad::eOk);
        // The same groups (reals to the last bits), but for 66: a copy has no attributes.
        auto dump = [](const AcDbDxfMemoryFiler& f) {
            ObjectDump d;
            for (const AcDbDxfGroup& g : f.groups())
                if (g.code != 66) d.groups.push_back(g);
            return d;
        };
        std::string why;
        EXPECT_TRUE(sameObject(dump(mem), dump(again), why)) << id.objectClass()->name() << ": " << why;
        delete copy;
        ++copied;
    }
    EXPECT_GT(copied, 10u);
}
