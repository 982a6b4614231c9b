#include <gtest/gtest.h>

#include <memory>

#include "clone_fixtures.h"

using namespace clonetest;
using Ids = std::vector<AcDbObjectId>;

namespace {

AcDbObjectIdArray array(std::initializer_list<AcDbObjectId> ids) { return AcDbObjectIdArray(ids); }

TEST(CopyFrom, CopiesDataKeepsIdentityAndRefusesOtherClasses) {
    AcDbDatabase db(true, true);
    AcDbObjectId other = makeBlock(db, "Other");
    AcDbObjectId a = append(db.modelSpaceId(), new CloneLink(7));
    AcDbObjectId b = append(other, new CloneLink(1));
    set(a, 'p', b);
    CloneLink* src = nullptr;
    CloneLink* dst = nullptr;
    ASSERT_EQ(acdbOpenObject(src, a, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(dst, b, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(dst->copyFrom(src), Acad::eOk);
    std::unique_ptr<AcRxObject> made(src->clone());
    dst->close();
    src->close();
    EXPECT_EQ(link(b).tag, 7);
    EXPECT_EQ(link(b).peer, b);
    EXPECT_EQ(link(b).owner, other);  // not moved into the source's block
    auto* copy = CloneLink::cast(made.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->tag, 7);
    EXPECT_FALSE(copy->isDatabaseResident());
    EXPECT_TRUE(copy->ownerId().isNull());
    AcDbBlockTableRecord block;
    EXPECT_EQ(copy->copyFrom(&block), Acad::eNotThatKindOfClass);
}

// An anonymous block whose two entities refer to each other; the first owns a part.
struct PairBlock {
    AcDbObjectId block, first, second, part;
    PairBlock(AcDbDatabase& db, const char* name) {
        block = makeBlock(db, name, AcGePoint3d(1, 2, 0));
        first = append(block, new CloneLink(1));
        second = append(block, new CloneLink(2));
        set(first, 'p', second);
        set(second, 'p', first);
        part = attachPart(first, 10);
    }
};

TEST(DeepClone, BlockDefinitionClonesReferToClones) {
    AcDbDatabase db(true, true);
    PairBlock src(db, "*U1");
    AcDbIdMapping map;
    AcDbObjectIdArray ids = array({src.block});
    ASSERT_EQ(db.deepCloneObjects(ids, db.blockTableId(), map), Acad::eOk);
    AcDbObjectId block = cloneOf(map, src.block);
    EXPECT_EQ(nameOf(block), "*U2");
    EXPECT_EQ(recordNamed(db.blockTableId(), "*U2"), block);
    const Ids members = entitiesOf(block);
    ASSERT_EQ(members, (Ids{cloneOf(map, src.first), cloneOf(map, src.second)}));
    LinkState a = link(members[0]), b = link(members[1]);
    EXPECT_EQ(a.tag + b.tag, 3);
    EXPECT_EQ(a.peer, members[1]);
    EXPECT_EQ(b.peer, members[0]);
    EXPECT_EQ(a.owner, block);
    EXPECT_FALSE(a.inFlux);
    ASSERT_FALSE(a.part.isNull());
    EXPECT_NE(a.part, src.part);
    EXPECT_EQ(ownerOf(a.part), members[0]);
    EXPECT_EQ(link(src.first).peer, src.second);  // the source is untouched
    // A named block cannot be duplicated in its own table.
    PairBlock named(db, "Pair");
    AcDbIdMapping map2;
    AcDbObjectIdArray namedIds = array({named.block});
    EXPECT_EQ(db.deepCloneObjects(namedIds, db.blockTableId(), map2), Acad::eDuplicateKey);
}

TEST(DeepClone, OwnedObjectsFollowUnlessErased) {
    AcDbDatabase db(true, true);
    PairBlock src(db, "Pair");
    AcDbIdMapping map;
    AcDbObjectIdArray ids = array({src.first});
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map), Acad::eOk);
    AcDbObjectId copy = cloneOf(map, src.first);
    LinkState a = link(copy);
    EXPECT_EQ(a.owner, db.modelSpaceId());
    EXPECT_EQ(a.part, cloneOf(map, src.part));
    EXPECT_EQ(link(a.part).peer, copy);
    EXPECT_EQ(link(a.part).tag, 10);
    EXPECT_EQ(ownerOf(a.part), copy);
    EXPECT_EQ(a.peer, src.second);  // not cloned: within one drawing the reference stays
    EXPECT_EQ(entitiesOf(db.modelSpaceId()), Ids{copy});
    AcDbIdPair pair(src.part, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    EXPECT_TRUE(pair.isCloned());
    EXPECT_FALSE(pair.isPrimary());

    withOpen<AcDbObject>(src.part, [](AcDbObject* p) { return p->erase(); }, AcDb::kForWrite);
    AcDbIdMapping map2;
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map2), Acad::eOk);
    EXPECT_EQ(map2.pairs().size(), 1u);
}

TEST(DeepClone, DeferredTranslationLeavesIdsInFlux) {
    AcDbDatabase db(true, true);
    AcDbObjectId first = append(db.modelSpaceId(), new CloneLink(1));
    AcDbObjectId second = append(db.modelSpaceId(), new CloneLink(2));
    set(first, 'p', second);
    AcDbIdMapping map;
    AcDbObjectIdArray ids = array({first, second});
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map, true), Acad::eOk);
    AcDbObjectId copy = cloneOf(map, first);
    EXPECT_EQ(link(copy).peer, second);
    EXPECT_TRUE(link(copy).inFlux);
    ASSERT_EQ(db.deepCloneObjects(ids, db.modelSpaceId(), map, true), Acad::eOk);  // nothing twice
    ASSERT_EQ(db.translateIds(map), Acad::eOk);
    EXPECT_EQ(link(copy).peer, cloneOf(map, second));
    EXPECT_FALSE(link(copy).inFlux);
    EXPECT_EQ(entitiesOf(db.modelSpaceId()).size(), 4u);
    AcDbObjectIdArray mixed = array({first, makeBlock(db, "B")});
    EXPECT_EQ(db.deepCloneObjects(mixed, db.modelSpaceId(), map), Acad::eInvalidOwnerObject);
}

// Two layers and two linked entities in model space, one on each layer.
struct LayeredDrawing {
    AcDbDatabase db{true, true};
    AcDbObjectId walls, doors, first, second;
    LayeredDrawing() {
        walls = makeLayer(db, "Walls", 1);
        doors = makeLayer(db, "Doors", 3);
        first = append(db.modelSpaceId(), new CloneLink(1));
        second = append(db.modelSpaceId(), new CloneLink(2));
        set(first, 'p', second);
        set(first, 's', walls);
        set(first, 'l', walls);
        set(second, 's', doors);
        set(second, 'l', doors);
        attachPart(second, 20);
    }
};

TEST(Wblock, WholeDrawingKeepsLayersByName) {
    LayeredDrawing src;
    withOpen<AcDbLayerTableRecord>(src.db.layerZero(), [](AcDbLayerTableRecord* zero) {
        zero->setColor(AcCmColor::fromIndex(2));
        return true;
    }, AcDb::kForWrite);
    AcDbDatabase* made = nullptr;
    ASSERT_EQ(src.db.wblock(made), Acad::eOk);
    std::unique_ptr<AcDbDatabase> out(made);
    AcDbObjectId walls = recordNamed(out->layerTableId(), "Walls");
    AcDbObjectId doors = recordNamed(out->layerTableId(), "Doors");
    EXPECT_EQ(walls.database(), out.get());
    EXPECT_EQ(layerColor(walls), 1);
    EXPECT_EQ(layerColor(out->layerZero()), 2);  // standard records take the source's data
    const Ids members = entitiesOf(out->modelSpaceId());
    ASSERT_EQ(members.size(), 2u);
    LinkState a = link(members[0]), b = link(members[1]);
    EXPECT_EQ(a.style, walls);
    EXPECT_EQ(a.layer, walls);
    EXPECT_EQ(b.layer, doors);
    EXPECT_EQ(a.peer, members[1]);
    EXPECT_EQ(ownerOf(b.part), members[1]);
    EXPECT_EQ(link(b.part).peer, members[1]);
    EXPECT_EQ(recordNamed(src.db.layerTableId(), "Walls"), src.walls);  // source table intact
}

TEST(Wblock, SelectedEntitiesBringWhatTheyReferToHard) {
    LayeredDrawing src;
    AcDbObjectId third = append(src.db.modelSpaceId(), new CloneLink(3));
    set(src.first, 's', third);
    AcDbDatabase* made = nullptr;
    ASSERT_EQ(src.db.wblock(made, array({src.first}), AcGePoint3d(5, 6, 7)), Acad::eOk);
    std::unique_ptr<AcDbDatabase> out(made);
    EXPECT_EQ(out->insbase().z, 7);
    EXPECT_TRUE(recordNamed(out->layerTableId(), "Doors").isNull());
    const Ids members = entitiesOf(out->modelSpaceId());
    ASSERT_EQ(members.size(), 2u);  // the hard-referenced entity joins the space
    LinkState a = link(members[0]);
    EXPECT_EQ(a.style, members[1]);
    EXPECT_EQ(link(members[1]).tag, 3);
    EXPECT_TRUE(a.peer.isNull());  // a soft reference into another drawing cannot survive
    EXPECT_EQ(a.layer, recordNamed(out->layerTableId(), "Walls"));

    ASSERT_EQ(src.db.wblock(made, src.db.modelSpaceId()), Acad::eOk);
    out.reset(made);
    EXPECT_EQ(entitiesOf(out->modelSpaceId()).size(), 3u);
}

TEST(Wblock, ExistingRecordsAreKeptAndFoundByName) {
    LayeredDrawing src;
    set(src.second, 'p', src.doors);  // a soft pointer does not bring the record along
    AcDbDatabase dest(true, true);
    AcDbObjectId destWalls = makeLayer(dest, "WALLS", 5);
    AcDbObjectId destDoors = makeLayer(dest, "Doors", 4);
    AcDbIdMapping map;
    AcDbObjectIdArray ids = array({src.first, src.second});
    ASSERT_EQ(src.db.wblockCloneObjects(ids, dest.modelSpaceId(), map, AcDb::kDrcIgnore), Acad::eOk);
    const Ids members = entitiesOf(dest.modelSpaceId());
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(link(members[0]).layer, destWalls);
    EXPECT_EQ(link(members[1]).peer, destDoors);
    EXPECT_EQ(layerColor(destWalls), 5);
    AcDbIdPair pair(src.walls, AcDbObjectId::kNull, false);
    ASSERT_TRUE(map.compute(pair));
    EXPECT_FALSE(pair.isCloned());
}

TEST(Insert, DrawingBecomesANamedBlock) {
    LayeredDrawing src;
    src.db.setInsbase(AcGePoint3d(3, 4, 0));
    AcDbObjectId bolt = makeBlock(src.db, "Bolt");
    append(bolt, new CloneLink(5));
    set(src.second, 's', bolt);
    AcDbDatabase dest(true, true);
    AcDbObjectId destWalls = makeLayer(dest, "Walls", 5);
    const size_t sourceObjects = src.db.numObjects();

    AcDbObjectId blockId;
    ASSERT_EQ(dest.insert(blockId, "Part", &src.db), Acad::eOk);
    EXPECT_EQ(recordNamed(dest.blockTableId(), "Part"), blockId);
    EXPECT_EQ(withOpen<AcDbBlockTableRecord>(blockId, [](AcDbBlockTableRecord* b) { return b->origin().x; }), 3);
    const Ids members = entitiesOf(blockId);
    ASSERT_EQ(members.size(), 2u);
    LinkState a = link(members[0]);
    EXPECT_EQ(a.owner, blockId);
    EXPECT_EQ(a.peer, members[1]);
    EXPECT_EQ(a.layer, destWalls);  // the existing layer is used and kept
    EXPECT_EQ(layerColor(destWalls), 5);
    EXPECT_EQ(layerColor(recordNamed(dest.layerTableId(), "Doors")), 3);
    AcDbObjectId destBolt = recordNamed(dest.blockTableId(), "Bolt");
    EXPECT_EQ(link(members[1]).style, destBolt);
    ASSERT_EQ(entitiesOf(destBolt).size(), 1u);
    EXPECT_EQ(link(entitiesOf(destBolt)[0]).tag, 5);
    EXPECT_TRUE(entitiesOf(dest.modelSpaceId()).empty());
    EXPECT_EQ(src.db.numObjects(), sourceObjects);
    EXPECT_EQ(link(src.first).peer, src.second);

    EXPECT_EQ(dest.insert(blockId, "PART", &src.db), Acad::eDuplicateKey);
    EXPECT_TRUE(blockId.isNull());
    EXPECT_EQ(dest.insert(blockId, "Bolt2", &dest), Acad::eInvalidInput);
    EXPECT_EQ(dest.insert(blockId, "", &src.db), Acad::eNullBlockName);
}

TEST(Insert, AnonymousBlocksNeverMerge) {
    AcDbDatabase src(true, true), dest(true, true);
    AcDbObjectId anon = makeBlock(src, "*U1");
    append(anon, new CloneLink(8));
    set(append(src.modelSpaceId(), new CloneLink(9)), 's', anon);
    AcDbObjectId own = makeBlock(dest, "*U1");
    append(own, new CloneLink(1));
    AcDbObjectId blockId;
    ASSERT_EQ(dest.insert(blockId, "Holder", &src), Acad::eOk);
    AcDbObjectId copy = link(entitiesOf(blockId).at(0)).style;
    EXPECT_EQ(nameOf(copy), "*U2");
    EXPECT_EQ(link(entitiesOf(copy).at(0)).tag, 8);
    EXPECT_EQ(link(entitiesOf(own).at(0)).tag, 1);
}

}  // namespace
