// Drawings holding the four intelligent entities through real DXF and binary files: every
// filed field comes back, links included, and the independent reader ezdxf opens the DXF.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cstring>
#include <filesystem>
#include "../dxffile/dxftestutil.h"
#include "CondFormula.h"
#include "ZEFTAttribute.h"
#include "ZEFTAttributeDefinition.h"
#include "ZEFTBlockReference.h"
#include "ZEFTGripPoint.h"
#include "db/database.h"
#include "db/line.h"
#include "db/proxyentity.h"

namespace {
CFormulaObject* token(int16_t type, const char* text, double value = 0.0) {
    auto* t = new CFormulaObject;
    t->type = type;
    t->text = text;
    t->value = value;
    return t;
}

AcDbObjectId append(AcDbObjectId recordId, AcDbEntity* entity) {
    AcDbBlockTableRecord* record = nullptr;
    EXPECT_EQ(acdbOpenObject(record, recordId, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(record->appendAcDbEntity(id, entity), Acad::eOk);
    entity->close();
    record->close();
    return id;
}

struct Drawing {
    AcDbObjectId block, line, grip, attdef, ref, attribute;
};

// A block with a line, a grip point bound to it with a statement and a variable, and an
// intelligent attribute definition; a reference to it owning an intelligent attribute.
Drawing build(AcDbDatabase& db) {
    Drawing d;
    AcDbBlockTable* table = nullptr;
    EXPECT_EQ(db.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* record = new AcDbBlockTableRecord;
    record->setName("PANEL");
    EXPECT_EQ(table->add(d.block, record), Acad::eOk);
    record->close();
    table->close();

    d.line = append(d.block, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    auto* grip = new ZEFTGripPoint;
    grip->setPosition(AcGePoint3d(10, 0, 0));
    grip->setGripType(5);
    grip->subPoints.append(AcGePoint3d(0, 0, 0));
    grip->subPoints.append(AcGePoint3d(10, 0, 0));
    grip->subPoints.append(AcGePoint3d(10, 5, 0));
    grip->subPoints.append(AcGePoint3d(0, 5, 0));
    grip->pointLists[0].append(AcGePoint3d(9, -1, 0));
    grip->pointLists[1].append(AcGePoint3d(-1, -1, 0));
    grip->appendChildEntity(d.line, 1);
    AcGeIntArray end{1};
    grip->setChildStretchPointIds(end, 1);
    grip->setDimensionalSettings(0, "Width");
    grip->smartGripData[0].values.append(2.5);
    auto* statement = new CCondFormula;
    statement->text = "setVar( w 2.5 )";
    statement->tokens.AddTail(token(3, "setVar(", 1));
    statement->tokens.AddTail(token(4, "w"));
    statement->tokens.AddTail(token(1, "2.5", 2.5));
    grip->AddFormula(statement);
    auto* variable = new CVariable;
    variable->name = "w";
    grip->variables.AddTail(variable);
    d.grip = append(d.block, grip);

    auto* attdef = new ZEFTAttributeDefinition;
    attdef->setTag("LEN");
    attdef->setConditionalPoint1(AcGePoint3d(0, 0, 0));
    attdef->setConditionalPoint2(AcGePoint3d(10, 0, 0));
    d.attdef = append(d.block, attdef);

    auto* ref = new ZEFTBlockReference;
    ref->setPosition(AcGePoint3d(100, 50, 0));
    ref->setBlockTableRecordId(d.block);
    ref->setOriginalBlockName("PANEL");
    ref->setInsBase(AcGePoint3d(0, 0, 0));
    d.ref = append(db.modelSpaceId(), ref);

    auto* attribute = new ZEFTAttribute;
    attribute->setTag("LEN");
    attribute->setDefaultValue("L=");
    attribute->setFieldLength(12.5);
    attribute->setConditionalPoint1(AcGePoint3d(100, 50, 0));
    attribute->setConditionalPoint2(AcGePoint3d(110.25, 50, 0));
    attribute->setDefinitionId(d.attdef);
    attribute->setTextString("L=10");
    d.attribute = append(db.modelSpaceId(), attribute);
    ZEFTBlockReference* open = nullptr;
    EXPECT_EQ(acdbOpenObject(open, d.ref, AcDb::kForWrite), Acad::eOk);
    open->appendAttribute(d.attribute);
    open->close();
    return d;
}

class EnablerDrawingFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTGripPoint::rxInit();
        ZEFTBlockReference::rxInit();
        acrxBuildClassHierarchy();
    }
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("enabler-files-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string file(const char* name) const { return (m_dir / name).string(); }

    // Saves, reads back into a new database and compares every object's DXF groups.
    void roundTrip(const char* name) {
        AcDbDatabase source(true, true);
        build(source);
        ASSERT_EQ(source.saveAs(file(name).c_str()), Acad::eOk) << source.lastError();
        AcDbDatabase back(false, true);
        ASSERT_EQ(name[std::strlen(name) - 1] == 'f' ? back.readDxfFile(file(name).c_str())
                                                     : back.readDwgFile(file(name).c_str()),
                  Acad::eOk)
            << back.lastError();
        std::string why;
        EXPECT_TRUE(dxftest::sameBlocks(dxftest::dumpBlocks(&source), dxftest::dumpBlocks(&back), why)) << why;

        // Links resolve in the drawing read back: the attribute belongs to the reference and
        // knows its definition; the grip point's child is the line of the same block.
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, back.modelSpaceId(), AcDb::kForRead), Acad::eOk);
        ZEFTBlockReference* ref = nullptr;
        for (AcDbObjectId id : space->entityIds())
            if (!ref && acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk) ref = nullptr;
        space->close();
        ASSERT_NE(ref, nullptr);
        ASSERT_EQ(ref->attributeCount(), 1);
        EXPECT_STREQ(ref->originalBlockName(), "PANEL");
        ZEFTAttribute* attribute = nullptr;
        ASSERT_EQ(acdbOpenObject(attribute, ref->getAttribute(0), AcDb::kForRead), Acad::eOk);
        EXPECT_EQ(attribute->fieldLength(), 12.5);
        AcDbObjectId definition = attribute->definitionId();
        attribute->close();
        AcDbObjectId block = ref->blockTableRecord();
        ref->close();
        // The reference shows its private copy; the attribute still knows the source's definition.
        AcDbBlockTableRecord* shown = nullptr;
        ASSERT_EQ(acdbOpenObject(shown, block, AcDb::kForRead), Acad::eOk);
        EXPECT_STREQ(shown->name(), "*PANEL1");
        shown->close();
        ZEFTAttributeDefinition* attdef = nullptr;
        ASSERT_EQ(acdbOpenObject(attdef, definition, AcDb::kForRead), Acad::eOk);
        AcDbBlockTableRecord* owner = nullptr;
        ASSERT_EQ(acdbOpenObject(owner, attdef->ownerId(), AcDb::kForRead), Acad::eOk);
        EXPECT_STREQ(owner->name(), "PANEL");
        owner->close();
        attdef->close();
    }

    std::filesystem::path m_dir;
};
}  // namespace

TEST_F(EnablerDrawingFiles, DxfFileKeepsEveryField) { roundTrip("panel.dxf"); }

TEST_F(EnablerDrawingFiles, BinaryFileKeepsEveryField) { roundTrip("panel.dwg"); }

TEST_F(EnablerDrawingFiles, EzdxfOpensTheCustomEntities) {
    if (!dxftest::haveEzdxf()) GTEST_SKIP() << "ezdxf is not installed";
    AcDbDatabase db(true, true);
    build(db);
    ASSERT_EQ(db.saveAs(file("peer.dxf").c_str()), Acad::eOk) << db.lastError();
    std::string out;
    EXPECT_EQ(dxftest::ezdxfAuditErrors(file("peer.dxf"), out), 0) << out;
    int rc = dxftest::runCommand(
        "/usr/bin/python3 -c \"import ezdxf, sys\n"
        "doc = ezdxf.readfile(sys.argv[1])\n"
        "kinds = sorted({e.dxftype() for e in doc.modelspace()} | {e.dxftype() for e in doc.blocks['PANEL']})\n"
        "print(' '.join(kinds))\" '" + file("peer.dxf") + "' 2>&1",
        out);
    ASSERT_EQ(rc, 0) << out;
    for (const char* kind : {"ZEFTBLOCKREFERENCE", "ZEFTATTRIBUTE", "ZEFTGRIPPOINT", "ZEFTATTRIBUTEDEFINITION"})
        EXPECT_NE(out.find(kind), std::string::npos) << kind << " missing in: " << out;
}

namespace {
// The enabler's classes, unregistered for the life of the object (a drawing opened without
// the enabler) and registered again after.
struct WithoutEnabler {
    WithoutEnabler() {
        for (AcRxClass* cls : {ZEFTBlockReference::desc(), ZEFTAttribute::desc(), ZEFTAttributeDefinition::desc(),
                               ZEFTGripPoint::desc()})
            deleteAcRxClass(cls);
    }
    ~WithoutEnabler() {
        ZEFTAttribute::rxInit();
        ZEFTAttributeDefinition::rxInit();
        ZEFTGripPoint::rxInit();
        ZEFTBlockReference::rxInit();
        acrxBuildClassHierarchy();
    }
};

int proxyCount(AcDbDatabase& db) {
    int n = 0;
    for (AcDbObjectId id : db.allIds()) {
        AcDbObject* obj = nullptr;
        if (acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) continue;
        n += AcDbProxyEntity::cast(obj) != nullptr;
        obj->close();
    }
    return n;
}
}  // namespace

// Opened without the enabler, the intelligent entities are proxies; saved to the binary file
// and opened with the enabler, they are the real entities again, with the same data.
TEST_F(EnablerDrawingFiles, ProxiesBecomeRealObjectsWhenTheEnablerIsLoaded) {
    std::string original;
    dxftest::BlockDump before;
    {
        AcDbDatabase source(true, true);
        build(source);
        ASSERT_EQ(source.saveAs(file("panel.dxf").c_str()), Acad::eOk) << source.lastError();
        AcDbDatabase read(false, true);
        ASSERT_EQ(read.readDxfFile(file("panel.dxf").c_str()), Acad::eOk) << read.lastError();
        before = dxftest::dumpBlocks(&read);
        ASSERT_EQ(read.saveAs(file("original.dxf").c_str()), Acad::eOk) << read.lastError();
    }
    {
        WithoutEnabler unloaded;
        AcDbDatabase proxies(false, true);
        ASSERT_EQ(proxies.readDxfFile(file("panel.dxf").c_str()), Acad::eOk) << proxies.lastError();
        EXPECT_GT(proxyCount(proxies), 3);
        ASSERT_EQ(proxies.saveAs(file("proxies.dwg").c_str()), Acad::eOk) << proxies.lastError();
    }
    AcDbDatabase real(false, true);
    ASSERT_EQ(real.readDwgFile(file("proxies.dwg").c_str()), Acad::eOk) << real.lastError();
    EXPECT_EQ(real.lastError(), "");
    EXPECT_EQ(proxyCount(real), 0);
    std::string why;
    EXPECT_TRUE(dxftest::sameBlocks(before, dxftest::dumpBlocks(&real), why)) << why;
    ASSERT_EQ(real.saveAs(file("final.dxf").c_str()), Acad::eOk) << real.lastError();
    // The same file as the original's but for the handles the writer makes at each save.
    std::string a = dxftest::readText(file("original.dxf")), b = dxftest::readText(file("final.dxf"));
    cadhost::dxf::TokenReader ra(a), rb(b);
    cadhost::dxf::Token ta, tb;
    while (ra.next(ta)) {
        ASSERT_TRUE(rb.next(tb)) << "the final file ends early";
        ASSERT_EQ(ta.code, tb.code) << "line " << ta.line;
        if (ta.kind() != cadhost::dxf::ValueKind::Handle && ta.code != 5) {
            EXPECT_EQ(ta.value, tb.value) << "line " << ta.line;
        }
    }
    EXPECT_FALSE(rb.next(tb));
}
