#include <unistd.h>
#include <cmath>
#include <filesystem>
#include "commands_fixture.h"
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/objectiterator.h"
#include "ed/editor.h"
#include "ed/drawingfiles.h"

namespace fs = std::filesystem;

namespace {
constexpr double kPi = 3.14159265358979323846;

class Events : public AcEditorReactor {
public:
    Events() { acedEditor->addReactor(this); }
    ~Events() override { acedEditor->removeReactor(this); }
    void commandWillStart(const char* c) override { list.push_back(std::string("start:") + c); }
    void commandEnded(const char* c) override { list.push_back(std::string("end:") + c); }
    void beginInsert(AcDbDatabase*, const char* name, AcDbDatabase*) override {
        list.push_back(std::string("beginInsert:") + name);
    }
    void endInsert(AcDbDatabase*) override { list.push_back("endInsert"); }
    void beginDeepClone(AcDbDatabase*, AcDbIdMapping&) override { list.push_back("beginDeepClone"); }
    void endDeepClone(AcDbIdMapping&) override { list.push_back("endDeepClone"); }
    std::vector<std::string> list;
};

class Blocks : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-blocks-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override {
        CommandTest::TearDown();
        fs::remove_all(folder);
    }
    // A block "door": a line, a constant attribute definition and two that are asked.
    void defineDoor() {
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
        auto* door = new AcDbBlockTableRecord;
        door->setName("door");
        AcDbObjectId id;
        ASSERT_EQ(table->add(id, door), Acad::eOk);
        table->close();
        auto add = [&](AcDbEntity* e) {
            door->appendAcDbEntity(e);
            e->close();
        };
        add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
        auto* maker = new AcDbAttributeDefinition(AcGePoint3d(0, 5, 0), "ACME", "MAKER", "Maker");
        maker->setConstant(true);
        add(maker);
        add(new AcDbAttributeDefinition(AcGePoint3d(1, 2, 0), "Nobody", "NAME", "Your name"));
        add(new AcDbAttributeDefinition(AcGePoint3d(0, -2, 0), "1", "SIZE", "Size"));
        door->close();
    }
    struct Attribute {
        std::string tag, value;
        AcGePoint3d position;
    };
    std::vector<Attribute> attributes(AcDbObjectId refId) const {
        std::vector<Attribute> found;
        read<AcDbBlockReference>(refId, [&](AcDbBlockReference* ref) {
            AcDbObjectIterator* it = ref->attributeIterator();
            for (; !it->done(); it->step())
                read<AcDbAttribute>(it->objectId(), [&](AcDbAttribute* a) {
                    found.push_back({a->tagConst(), a->textStringConst(), a->position()});
                });
            delete it;
        });
        return found;
    }
    AcDbObjectId onlyReference() const {
        AcDbObjectId ref;
        for (AcDbObjectId id : entities())
            if (className(id) == "AcDbBlockReference") ref = id;
        return ref;
    }
    fs::path folder;
};

TEST_F(Blocks, InsertAsksEachAttributeWhileAttreqIsOne) {
    defineDoor();
    ASSERT_EQ(script("INSERT door 100,100 2 90\nJohn\n\n"), 0) << out;
    EXPECT_TRUE(printed("Your name <Nobody>: ")) << out;
    EXPECT_FALSE(printed("Maker")) << "constant definitions are not asked";
    AcDbObjectId ref = onlyReference();
    ASSERT_FALSE(ref.isNull());
    read<AcDbBlockReference>(ref, [&](AcDbBlockReference* r) {
        expectPoint(r->position(), AcGePoint3d(100, 100, 0));
        EXPECT_DOUBLE_EQ(r->scaleFactors().sx, 2);
        EXPECT_NEAR(r->rotation(), kPi / 2, 1e-12);
        EXPECT_EQ(r->blockTableRecord(), block("door"));
    });
    std::vector<Attribute> a = attributes(ref);
    ASSERT_EQ(a.size(), 2u) << "one attribute per non-constant definition";
    EXPECT_EQ(a[0].tag, "NAME");
    EXPECT_EQ(a[0].value, "John");
    EXPECT_EQ(a[1].value, "1") << "an empty answer takes the default";
    expectPoint(a[0].position, AcGePoint3d(96, 102, 0), "placed by the block transform");
}

TEST_F(Blocks, InsertDoesNotAskWhileAttreqIsZero) {
    defineDoor();
    ASSERT_EQ(script("SETVAR ATTREQ 0\nINSERT door 0,0 1 0\nCIRCLE 0,0 3\n"), 0) << out;
    EXPECT_FALSE(printed("Your name")) << out;
    std::vector<Attribute> a = attributes(onlyReference());
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].value, "Nobody");
    EXPECT_EQ(entities().size(), 2u) << "the next line ran as a command";
}

TEST_F(Blocks, BlockThenInsertRoundTrip) {
    Events events;
    ASSERT_EQ(script("LINE 0,0 10,0\n\nCIRCLE 5,5 2\nATTDEF\nid\nNumber\n0\n5,8\n1\n"
                     "BLOCK mark 5,0 ALL\n\n"),
              0)
        << out;
    EXPECT_TRUE(entities().empty()) << "the objects are erased";
    const AcDbObjectId mark = block("mark");
    ASSERT_FALSE(mark.isNull());
    EXPECT_EQ(entities(mark).size(), 3u);
    read<AcDbBlockTableRecord>(mark, [](AcDbBlockTableRecord* b) { expectPoint(b->origin(), AcGePoint3d(5, 0, 0)); });
    EXPECT_NE(std::find(events.list.begin(), events.list.end(), "endDeepClone"), events.list.end());

    ASSERT_EQ(script("INSERT mark 105,0 1 0\n42\n"), 0) << out;
    AcDbObjectId ref = onlyReference();
    std::vector<Attribute> a = attributes(ref);
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a[0].tag, "ID");
    EXPECT_EQ(a[0].value, "42");
    expectPoint(a[0].position, AcGePoint3d(105, 8, 0));
    AcDbExtents ext;
    read<AcDbBlockReference>(ref, [&](AcDbBlockReference* r) { EXPECT_EQ(r->getGeomExtents(ext), Acad::eOk); });
    EXPECT_NEAR(ext.minPoint().x, 100, 1e-9) << "the line's start lands at the base point's offset";
}

TEST_F(Blocks, BlockRedefinitionAndItsRefusals) {
    defineDoor();
    ASSERT_EQ(script("SETVAR ATTREQ 0\nINSERT door 0,0 1 0\n"), 0) << out;
    EXPECT_EQ(script("BLOCK door Y 0,0 ALL\n\n"), 1) << "the reference is inside the selection";
    EXPECT_TRUE(printed("cannot contain a reference to itself")) << out;
    EXPECT_EQ(entities(block("door")).size(), 4u);
    EXPECT_EQ(script("BLOCK bad<name\n"), 1);
    EXPECT_TRUE(printed("Invalid character")) << out;

    append(new AcDbCircle(AcGePoint3d(50, 0, 0), AcGeVector3d::kZAxis, 3));
    ASSERT_EQ(script("BLOCK door Y 50,0 53,0\n\n"), 0) << out;
    std::vector<AcDbObjectId> members = entities(block("door"));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_EQ(className(members[0]), "AcDbCircle");
    EXPECT_EQ(entities().size(), 1u) << "the old reference stays and now shows the new definition";
}

TEST_F(Blocks, EscapeOrNoSelectionLeavesNoBlock) {
    append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    EXPECT_EQ(script("BLOCK b1 0,0 \x1b\n"), 0);
    EXPECT_EQ(script("BLOCK b2 0,0 40,40\n\n"), 1);
    EXPECT_TRUE(printed("No objects selected")) << out;
    EXPECT_TRUE(block("b1").isNull());
    EXPECT_TRUE(block("b2").isNull());
    EXPECT_EQ(entities().size(), 1u);
}

TEST_F(Blocks, WblockAndInsertOfTheFile) {
    defineDoor();
    const std::string file = (folder / "door.dxf").string();
    ASSERT_EQ(script("WBLOCK " + file + "\ndoor\n"), 0) << out;
    ASSERT_TRUE(fs::exists(file));
    const std::string whole = (folder / "all.dxf").string();
    append(new AcDbCircle(AcGePoint3d(50, 0, 0), AcGeVector3d::kZAxis, 3));
    ASSERT_EQ(script("WBLOCK " + whole + "\n*\n"), 0) << out;
    {
        AcDbDatabase read(false, true);
        std::string error;
        ASSERT_EQ(acedHostReadDrawing(read, whole.c_str(), error), Acad::eOk) << error;
        AcDbBlockTable* table = nullptr;
        ASSERT_EQ(read.getBlockTable(table, AcDb::kForRead), Acad::eOk);
        EXPECT_TRUE(table->has("door"));
        table->close();
    }

    ASSERT_EQ(acDocManager->saveDocument(doc, whole.c_str()), Acad::eOk);
    EXPECT_EQ(script("WBLOCK " + whole + "\n"), 1);
    EXPECT_TRUE(printed("the file of an open drawing")) << out;

    acDocManager->closeAllDocuments();
    doc = acDocManager->newDocument();
    db = doc->database();
    Events events;
    ASSERT_EQ(script("INSERT " + file + " 0,0 1 0\nAnn\n2\n"), 0) << out;
    const AcDbObjectId door = block("door");
    ASSERT_FALSE(door.isNull()) << "named after the file";
    EXPECT_EQ(entities(door).size(), 4u);
    std::vector<Attribute> a = attributes(onlyReference());
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].value, "Ann");
    EXPECT_EQ(a[1].value, "2");
    EXPECT_EQ(events.list, (std::vector<std::string>{"start:INSERT", "beginInsert:door", "endInsert", "end:INSERT"}));
}

TEST_F(Blocks, InsertOfAnUnknownNameFails) {
    EXPECT_EQ(script("INSERT nosuch\n"), 1);
    EXPECT_TRUE(printed("Block \"nosuch\" not found")) << out;
    EXPECT_EQ(script("INSERT " + (folder / "none.dxf").string() + "\n"), 1);
    EXPECT_TRUE(printed("Cannot find the drawing file")) << out;
    EXPECT_EQ(script("INSERT *Model_Space\n"), 1);
    EXPECT_TRUE(entities().empty());
}

TEST_F(Blocks, EscapeAtAnAttributeValueAddsNothing) {
    defineDoor();
    const std::string file = (folder / "door.dxf").string();
    ASSERT_EQ(script("WBLOCK " + file + "\ndoor\n"), 0) << out;
    ASSERT_EQ(script("INSERT door 0,0 1 0\n\x1b\n"), 0);
    EXPECT_TRUE(entities().empty());
    acDocManager->closeAllDocuments();
    doc = acDocManager->newDocument();
    db = doc->database();
    ASSERT_EQ(script("INSERT " + file + " 0,0 1 0\n\x1b\n"), 0);
    EXPECT_TRUE(block("door").isNull()) << "the file is inserted only once every answer is in";
}

TEST_F(Blocks, PurgeRemovesOnlyWhatNothingUses) {
    defineDoor();
    // "outer" holds a reference to "inner"; neither is used.
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId innerId, outerId;
    for (const char* name : {"inner", "outer"}) {
        auto* b = new AcDbBlockTableRecord;
        b->setName(name);
        table->add(std::string(name) == "inner" ? innerId : outerId, b);
        b->close();
    }
    table->close();
    AcDbBlockTableRecord* outer = nullptr;
    ASSERT_EQ(acdbOpenObject(outer, outerId, AcDb::kForWrite), Acad::eOk);
    auto* nested = new AcDbBlockReference(AcGePoint3d(), innerId);
    outer->appendAcDbEntity(nested);
    nested->close();
    outer->close();
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(db->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    for (const char* name : {"used", "spare"}) {
        auto* layer = new AcDbLayerTableRecord;
        layer->setName(name);
        layers->add(layer);
        layer->close();
    }
    layers->close();
    ASSERT_EQ(script("SETVAR ATTREQ 0\nINSERT door 0,0 1 0\n"), 0);
    auto* circle = new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 1);
    circle->setLayer("used");
    append(circle);

    ASSERT_EQ(script("PURGE B inn*\n"), 0) << out;
    EXPECT_FALSE(block("inner").isNull()) << "still used by outer";
    ASSERT_EQ(script("PURGE A\n\n"), 0) << out;
    EXPECT_TRUE(block("inner").isNull());
    EXPECT_TRUE(block("outer").isNull());
    EXPECT_FALSE(block("door").isNull());
    EXPECT_TRUE(printed("Deleting layer \"spare\"")) << out;
    AcDbLayerTable* after = nullptr;
    ASSERT_EQ(db->getLayerTable(after, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(after->has("used"));
    EXPECT_FALSE(after->has("spare"));
    EXPECT_TRUE(after->has("0"));
    after->close();
}
}  // namespace

TEST_F(Blocks, ReferencesArePickedByWhatTheyDraw) {
    // A diagonal line scaled by 2 about its block's origin: picked on the line, not in the empty
    // corner of its box; nested references draw their blocks too.
    ASSERT_EQ(script("LINE 0,0 10,10\n\nBLOCK diag 0,0 ALL\n\nINSERT diag 100,0 2 0\n"), 0) << out;
    ASSERT_EQ(script("LIST 110,10\n\n"), 0) << out;
    EXPECT_TRUE(printed("1 found")) << out;
    out.clear();
    ASSERT_EQ(script("LIST 118,2\n\n"), 0) << out;
    EXPECT_TRUE(printed("0 found")) << "the box's empty corner is not the reference\n" << out;
    out.clear();
    ASSERT_EQ(script("BLOCK outer 100,0 ALL\n\nINSERT outer 0,0 1 0\nLIST 5,5\n\n"), 0) << out;
    EXPECT_TRUE(printed("1 found")) << out;
}
