// Entities of the plain geometric classes are cloned by copying their data; a clone must be what
// filing the source through and back would have made.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "clone_fixtures.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/dwgmemfiler.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/ray.h"
#include "db/undolog.h"
#include "rx/rxclass.h"

using namespace clonetest;

// A line with a field of its own: its clones must keep the field and the class.
class TaggedLine : public AcDbLine {
public:
    ACRX_DECLARE_MEMBERS(TaggedLine);
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
        if (Acad::ErrorStatus es = AcDbLine::dwgOutFields(filer); es != Acad::eOk) return es;
        return filer->writeInt32(tag);
    }
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
        if (Acad::ErrorStatus es = AcDbLine::dwgInFields(filer); es != Acad::eOk) return es;
        return filer->readInt32(&tag);
    }
    int tag = 0;
};
ACRX_DXF_DEFINE_MEMBERS(TaggedLine, AcDbLine, 0, 0, 0, "TAGGEDLINE", "CloneTests")

namespace {

const bool g_registered = (TaggedLine::rxInit(), true);

// The object's data as a copy filer writes it.
std::vector<Adesk::UInt8> filedImage(AcDbObjectId id) {
    AcDbObject* object = nullptr;
    if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return {};
    AcDbDwgMemoryFiler filer(AcDb::kCopyFiler, id.database());
    object->dwgOut(&filer);
    object->close();
    return filer.bytes();
}

AcDbObjectId makeLinetype(AcDbDatabase& db, const char* name) {
    auto* record = new AcDbLinetypeTableRecord;
    record->setName(name);
    return withOpen<AcDbLinetypeTable>(db.linetypeTableId(), [&](AcDbLinetypeTable* table) {
        AcDbObjectId id;
        EXPECT_EQ(table->add(id, record), Acad::eOk);
        record->close();
        return id;
    }, AcDb::kForWrite);
}

// One entity of each plain class, with data away from the defaults.
std::vector<AcDbEntity*> plainEntities() {
    auto* line = new AcDbLine(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6));
    line->setThickness(0.5);
    auto* polyline = new AcDbPolyline;
    polyline->addVertexAt(0, AcGePoint2d(0, 0), 0.5, 1, 2);
    polyline->addVertexAt(1, AcGePoint2d(3, 1));
    polyline->setClosed(true);
    auto* ray = new AcDbRay;
    ray->setBasePoint(AcGePoint3d(7, 8, 9));
    ray->setUnitDir(AcGeVector3d(0, 1, 0));
    return {line,
            new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d(0, 0, -1), 2.5),
            new AcDbArc(AcGePoint3d(2, 0, 0), 3, 0.25, 2.0),
            new AcDbPoint(AcGePoint3d(9, 9, 1)),
            new AcDbEllipse(AcGePoint3d(), AcGeVector3d(0, 0, 1), AcGeVector3d(4, 0, 0), 0.5, 0.1, 3.0),
            ray,
            polyline};
}

struct PlainDrawing {
    AcDbDatabase db{true, true};
    AcDbObjectId walls, dashed, watcher;
    std::vector<AcDbObjectId> entities;
    PlainDrawing() {
        walls = makeLayer(db, "Walls", 1);
        dashed = makeLinetype(db, "Dashed");
        watcher = append(db.modelSpaceId(), new CloneLink(9));
        for (AcDbEntity* entity : plainEntities()) {
            entity->setDatabaseDefaults(&db);
            entity->setLayer(walls);
            entity->setLinetype(dashed);
            entity->setColorIndex(5);
            resbuf* xdata = acutBuildList(1001, "ACAD", 1000, "kept", 1070, 12, 0);
            entity->setXData(xdata);
            acutRelRb(xdata);
            entity->addPersistentReactor(watcher);
            entities.push_back(append(db.modelSpaceId(), entity));
        }
    }
    AcDbObjectIdArray ids() const {
        AcDbObjectIdArray array;
        for (AcDbObjectId id : entities) array.append(id);
        return array;
    }
};

TEST(DataCopy, ClonesFileAsTheirSources) {
    (void)g_registered;
    PlainDrawing src;
    AcDbIdMapping map;
    AcDbObjectIdArray ids = src.ids();
    ASSERT_EQ(src.db.deepCloneObjects(ids, src.db.modelSpaceId(), map), Acad::eOk);
    for (AcDbObjectId id : src.entities) {
        const AcDbObjectId copy = cloneOf(map, id);
        ASSERT_FALSE(copy.isNull());
        EXPECT_EQ(filedImage(copy), filedImage(id));  // same owner, layer, linetype, reactor, xdata
        auto isA = [](AcDbObject* o) { return o->isA(); };
        EXPECT_EQ(withOpen<AcDbObject>(copy, isA), withOpen<AcDbObject>(id, isA));
        EXPECT_FALSE(withOpen<AcDbObject>(copy, [](AcDbObject* o) { return o->isAcDbObjectIdsInFlux(); }));
    }
    EXPECT_EQ(entitiesOf(src.db.modelSpaceId()).size(), 2 * src.entities.size() + 1);

    // Cloned together with the object it watches, a clone's reactor follows that object's clone.
    AcDbIdMapping withWatcher;
    ids.append(src.watcher);
    ASSERT_EQ(src.db.deepCloneObjects(ids, src.db.modelSpaceId(), withWatcher), Acad::eOk);
    const AcDbObjectId watcherCopy = cloneOf(withWatcher, src.watcher);
    for (AcDbObjectId id : src.entities) {
        auto reactors = withOpen<AcDbObject>(cloneOf(withWatcher, id), [](AcDbObject* o) {
            return std::vector<AcDbObjectId>(o->persistentReactors().begin(), o->persistentReactors().end());
        });
        EXPECT_EQ(reactors, std::vector<AcDbObjectId>{watcherCopy});
    }
}

TEST(DataCopy, OtherDrawingsGetTheLayerAndLinetypeByName) {
    PlainDrawing src;
    AcDbDatabase* made = nullptr;
    ASSERT_EQ(src.db.wblock(made, src.ids(), AcGePoint3d()), Acad::eOk);
    std::unique_ptr<AcDbDatabase> out(made);
    const AcDbObjectId walls = recordNamed(out->layerTableId(), "Walls");
    const AcDbObjectId dashed = recordNamed(out->linetypeTableId(), "Dashed");
    ASSERT_FALSE(walls.isNull());
    ASSERT_FALSE(dashed.isNull());
    const std::vector<AcDbObjectId> members = entitiesOf(out->modelSpaceId());
    ASSERT_EQ(members.size(), src.entities.size());  // the reactor's object stays behind
    for (AcDbObjectId id : members) {
        withOpen<AcDbEntity>(id, [&](AcDbEntity* e) {
            EXPECT_EQ(e->layerId(), walls);
            EXPECT_EQ(e->linetypeId(), dashed);
            EXPECT_STREQ(e->layer(), "Walls");
            EXPECT_EQ(e->colorIndex(), 5);
            EXPECT_EQ(e->ownerId(), out->modelSpaceId());
            EXPECT_TRUE(e->persistentReactors().isEmpty());  // a soft pointer into another drawing
            resbuf* xdata = e->xData("ACAD");
            EXPECT_NE(xdata, nullptr);
            acutRelRb(xdata);
            return true;
        });
    }

    // Inserted into a drawing with a layer of that name, the existing layer is used.
    AcDbDatabase dest(true, true);
    const AcDbObjectId destWalls = makeLayer(dest, "WALLS", 4);
    AcDbObjectId block;
    ASSERT_EQ(dest.insert(block, "PLAIN", out.get()), Acad::eOk);
    for (AcDbObjectId id : entitiesOf(block))
        EXPECT_EQ(withOpen<AcDbEntity>(id, [](AcDbEntity* e) { return e->layerId(); }), destWalls);
}

TEST(DataCopy, SubclassesAreFiled) {
    AcDbDatabase db(true, true);
    auto* line = new TaggedLine;
    line->tag = 42;
    line->setEndPoint(AcGePoint3d(1, 0, 0));
    const AcDbObjectId id = append(db.modelSpaceId(), line);
    AcDbIdMapping map;
    AcDbObjectIdArray ids{id};
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map), Acad::eOk);
    const AcDbObjectId copy = cloneOf(map, id);
    EXPECT_EQ(withOpen<TaggedLine>(copy, [](TaggedLine* t) { return t->tag; }), 42);

    AcDbDatabase* made = nullptr;
    ASSERT_EQ(db.wblock(made), Acad::eOk);
    std::unique_ptr<AcDbDatabase> out(made);
    const std::vector<AcDbObjectId> members = entitiesOf(out->modelSpaceId());
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(withOpen<TaggedLine>(members[1], [](TaggedLine* t) { return t->tag; }), 42);
}

// Counts the entities that are opened for modify and modified.
struct ModifyCounter : AcDbDatabaseReactor {
    int opened = 0, modified = 0;
    void objectOpenedForModify(const AcDbDatabase*, const AcDbObject* object) override {
        if (AcDbEntity::cast(object)) ++opened;
    }
    void objectModified(const AcDbDatabase*, const AcDbObject* object) override {
        if (AcDbEntity::cast(object)) ++modified;
    }
};

// The layer of an entity; null for the watcher, which is on layer 0.
AcDbObjectId layerOf(AcDbObjectId entity) {
    return withOpen<AcDbEntity>(entity, [](AcDbEntity* e) { return CloneLink::cast(e) ? AcDbObjectId() : e->layerId(); });
}

TEST(DataCopy, TranslationIsHeardAndUndone) {
    PlainDrawing src;
    const size_t count = entitiesOf(src.db.modelSpaceId()).size();  // with the watcher
    AcDbDatabase dest(true, true);
    const AcDbObjectId walls = makeLayer(dest, "Walls", 4);
    // A listener hears every clone whose ids translation changes.
    ModifyCounter counter;
    dest.addReactor(&counter);
    AcDbObjectId heard;
    ASSERT_EQ(dest.insert(heard, "HEARD", &src.db), Acad::eOk);
    dest.removeReactor(&counter);
    EXPECT_EQ(counter.opened, static_cast<int>(count));
    EXPECT_EQ(counter.modified, static_cast<int>(count));

    // Within an undo group: undone and redone with the translated ids.
    acdbHostBeginUndoGroup(&dest, "INSERT");
    AcDbObjectId block;
    ASSERT_EQ(dest.insert(block, "PLAIN", &src.db), Acad::eOk);
    acdbHostEndUndoGroup();
    const std::vector<AcDbObjectId> members = entitiesOf(block);
    ASSERT_EQ(members.size(), count);
    int onWalls = 0;
    for (AcDbObjectId id : members) onWalls += layerOf(id) == walls;
    EXPECT_EQ(onWalls, static_cast<int>(src.entities.size()));
    AcDbUndoLog& log = dest.internalUndoLog();
    EXPECT_EQ(log.undo(1), std::vector<std::string>{"INSERT"});
    EXPECT_TRUE(recordNamed(dest.blockTableId(), "PLAIN").isNull());
    EXPECT_EQ(log.redo(), std::vector<std::string>{"INSERT"});
    ASSERT_EQ(entitiesOf(block), members);
    onWalls = 0;
    for (AcDbObjectId id : members) onWalls += layerOf(id) == walls;
    EXPECT_EQ(onWalls, static_cast<int>(src.entities.size()));
}

}  // namespace
