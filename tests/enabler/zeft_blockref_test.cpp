#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>
#include "db/dwgmemfiler.h"
#include "db/dxffiler.h"
#include "db/line.h"
#include "gi/recorder.h"
#include "rx/print.h"
#include "zeft_blockref_support.h"

using namespace zefttest;

namespace {

std::string g_printed;
void capture(const char* text) { g_printed += text; }

std::string internalName(const ZEFTBlockReference& ref) {
    char* name = nullptr;
    ref.internalBlockName(name);
    std::string s = name ? name : "<null>";
    std::free(name);
    return s;
}

std::string originalName(const ZEFTBlockReference& ref) {
    const char* name = ref.originalBlockName();
    return name ? name : "<null>";
}

// DOOR: a line and a grip point, in a drawing that already holds *DOOR1.
struct DoorDrawing : Drawing {
    DoorDrawing() {
        door = block("DOOR", {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)), gripPoint(1, AcGePoint3d())});
        block("*DOOR1");
    }
    AcDbObjectId door;
};

void deleteAll(AcDbVoidPtrArray& entities) {
    for (void* e : entities) delete static_cast<AcDbEntity*>(e);
    entities.removeAll();
}

class ZeftBlockRef : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerClasses(); }
};

}  // namespace

TEST_F(ZeftBlockRef, BindingMakesAPrivateCopyOnlyForDefinitionsWithGripPoints) {
    DoorDrawing d;
    const AcDbObjectId plain = d.block("PLAIN", {new AcDbLine()});
    ZEFTBlockReference shared;
    EXPECT_EQ(shared.setBlockTableRecordId(plain), plain);
    EXPECT_EQ(shared.blockTableRecord(), plain);
    EXPECT_EQ(internalName(shared), "<null>");

    ZEFTBlockReference ref;
    const AcDbObjectId copy = ref.setBlockTableRecordId(d.door);
    EXPECT_NE(copy, d.door);
    EXPECT_EQ(ref.blockTableRecord(), copy);
    EXPECT_EQ(internalName(ref), "*DOOR2");
    EXPECT_EQ(std::string(ZEFTBlockReference::blockNameOf(copy)), "*DOOR2");
    EXPECT_EQ(d.entitiesOf(copy).size(), 2u);
    EXPECT_EQ(ref.setBlockTableRecordId(plain), plain);  // bound once, it stays on its copy
    EXPECT_EQ(ref.blockTableRecord(), copy);

    const AcDbObjectId a = d.append(new AcDbLine()), b = d.append(new AcDbLine());
    ref.appendAttribute(a);
    ref.appendAttribute(b);
    EXPECT_EQ(ref.attributeCount(), 2);
    EXPECT_EQ(ref.getAttribute(0), a);
    EXPECT_EQ(ref.getAttribute(1), b);
    EXPECT_TRUE(ref.getAttribute(2).isNull());
}

TEST_F(ZeftBlockRef, RotationMirrorAndScale) {
    Drawing d;
    const AcDbObjectId block = d.block("B", {new AcDbLine(AcGePoint3d(), AcGePoint3d(1, 0, 0))});
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(5, 5, 0), {AcGePoint3d(6, 5, 0)}), AcDb::kForWrite);
    const AcGeMatrix3d quarter = AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(5, 5, 0));
    ASSERT_EQ(ref->transformBy(quarter), Acad::eOk);
    EXPECT_TRUE(ref->position().isEqualTo(AcGePoint3d(5, 5, 0)));
    EXPECT_NEAR(ref->rotation(), M_PI / 2, 1e-12);
    {
        Open<ZEFTAttribute> attribute(ref->getAttribute(0));
        EXPECT_TRUE(attribute->position().isEqualTo(AcGePoint3d(5, 6, 0)));
    }
    ASSERT_EQ(ref->transformBy(quarter.inverse()), Acad::eOk);

    // Mirror in the X axis: the X factor turns negative and the rotation gains a half turn.
    const AcGeMatrix3d mirror = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d::kOrigin, AcGeVector3d::kYAxis));
    ASSERT_EQ(ref->transformBy(mirror), Acad::eOk);
    EXPECT_EQ(ref->scaleFactors().sx, -1.0);
    EXPECT_EQ(ref->scaleFactors().sy, 1.0);
    EXPECT_NEAR(ref->rotation(), 3.1415926535898, 1e-12);
    EXPECT_TRUE((ref->blockTransform() * AcGePoint3d(1, 0, 0)).isEqualTo(AcGePoint3d(6, -5, 0)));
    ASSERT_EQ(ref->transformBy(mirror), Acad::eOk);  // and back
    EXPECT_EQ(ref->scaleFactors().sx, 1.0);
    EXPECT_NEAR(std::cos(ref->rotation()), 1.0, 1e-12);

    ASSERT_EQ(ref->transformBy(AcGeMatrix3d::scaling(2.0, AcGePoint3d(5, 5, 0))), Acad::eOk);
    EXPECT_EQ(ref->scaleFactors().sx, 2.0);
    EXPECT_EQ(ref->scaleFactors().sz, 2.0);
    ASSERT_EQ(ref->transformBy(AcGeMatrix3d::scaling(0.5 * (1 + 2e-11), AcGePoint3d(5, 5, 0))), Acad::eOk);
    EXPECT_EQ(ref->scaleFactors().sx, 1.0);  // within the equal-point tolerance: exactly 1
    EXPECT_EQ(ref->scaleFactors().sz, 1.0);

    AcGeMatrix3d stretch;
    stretch.entry[0][0] = 2.0;
    EXPECT_EQ(ref->transformBy(stretch), Acad::eCannotScaleNonUniformly);
    EXPECT_EQ(ref->scaleFactors().sx, 1.0);

    ZEFTBlockReference flipped;  // a negative Y factor keeps its sign
    flipped.setScaleFactors(AcGeScale3d(1, -1, 1));
    ASSERT_EQ(flipped.transformBy(AcGeMatrix3d::rotation(M_PI / 2, AcGeVector3d::kZAxis)), Acad::eOk);
    EXPECT_EQ(flipped.scaleFactors().sy, -1.0);
}

TEST_F(ZeftBlockRef, TransformedCopyCarriesThePlacementAndTheMatrix) {
    ZEFTBlockReference ref;
    ref.setPosition(AcGePoint3d(1, 0, 0));
    ref.setRotation(0.5);
    ref.setScaleFactors(AcGeScale3d(3.0));
    ref.setOriginalBlockName("B");
    AcDbEntity* copy = nullptr;
    ASSERT_EQ(ref.getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(0, 4, 0)), copy), Acad::eOk);
    auto* moved = ZEFTBlockReference::cast(copy);
    ASSERT_NE(moved, nullptr);
    EXPECT_TRUE(moved->position().isEqualTo(AcGePoint3d(1, 4, 0)));
    EXPECT_NEAR(moved->rotation(), 0.5, 1e-12);
    EXPECT_EQ(moved->scaleFactors().sx, 3.0);
    EXPECT_EQ(originalName(*moved), "B");
    delete copy;
    AcGeMatrix3d stretch;
    stretch.entry[1][1] = 3.0;
    EXPECT_EQ(ref.getTransformedCopy(stretch, copy), Acad::eExplodeBeforeTransform);
}

TEST_F(ZeftBlockRef, ExplodeLeavesOutGripPointsAndCountsTheOriginOnce) {
    Drawing d;
    const AcDbObjectId block =
        d.block("TWO",
                {new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0)), gripPoint(1, AcGePoint3d()), new AcDbLine()},
                AcGePoint3d(1, 0, 0));
    Open<ZEFTBlockReference> ref(d.reference(block, AcGePoint3d(10, 0, 0)));
    AcDbVoidPtrArray pieces;
    ASSERT_EQ(ref->explode(pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 2);
    auto* first = AcDbLine::cast(static_cast<AcDbEntity*>(pieces[0]));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->startPoint().isEqualTo(AcGePoint3d(10, 0, 0)));
    EXPECT_TRUE(first->endPoint().isEqualTo(AcGePoint3d(11, 0, 0)));
    deleteAll(pieces);
}

TEST_F(ZeftBlockRef, ExplodedNestedReferenceStandsInPlaceWithAttributesOfItsOwn) {
    Drawing d;
    const AcDbObjectId inner = d.block("INNER", {new AcDbLine()});
    const AcDbObjectId outer = d.block("OUTER");
    auto* nested = new ZEFTBlockReference();
    nested->setBlockTableRecordId(inner);
    nested->setPosition(AcGePoint3d(2, 0, 0));
    auto* attribute = new ZEFTAttribute();
    attribute->setPosition(AcGePoint3d(2, 1, 0));
    attribute->setTextString("N");
    const AcDbObjectId sourceAttribute = d.append(attribute, outer);  // an entity of OUTER too
    nested->appendAttribute(sourceAttribute);
    d.append(nested, outer);

    Open<ZEFTBlockReference> ref(d.reference(outer, AcGePoint3d(0, 10, 0)));
    AcDbVoidPtrArray pieces;
    ASSERT_EQ(ref->explode(pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 1);  // the attribute comes with its reference, not as a text
    auto* copy = ZEFTBlockReference::cast(static_cast<AcDbEntity*>(pieces[0]));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->position().isEqualTo(AcGePoint3d(2, 10, 0)));
    ASSERT_EQ(copy->attributeCount(), 1);
    EXPECT_NE(copy->getAttribute(0), sourceAttribute);
    {
        Open<ZEFTAttribute> cloned(copy->getAttribute(0));
        EXPECT_TRUE(cloned->position().isEqualTo(AcGePoint3d(2, 11, 0)));
    }
    Open<ZEFTAttribute> original(sourceAttribute);
    EXPECT_TRUE(original->position().isEqualTo(AcGePoint3d(2, 1, 0)));
    deleteAll(pieces);
}

TEST_F(ZeftBlockRef, AttributesAreDrawnInTheColourTheyResolveTo) {
    Drawing d;
    {
        AcDbLayerTable* layers = nullptr;
        ASSERT_EQ(d.db.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
        auto* layer = new AcDbLayerTableRecord();
        layer->setName("RED");
        layer->setColor(AcCmColor::fromIndex(1));
        EXPECT_EQ(layers->add(layer), Acad::eOk);
        layer->close();
        layers->close();
    }
    const AcDbObjectId refId = d.reference(d.block("B", {new AcDbLine()}), AcGePoint3d(),
                                           {AcGePoint3d(0, 0, 0), AcGePoint3d(0, 1, 0), AcGePoint3d(0, 2, 0)});
    {
        Open<ZEFTBlockReference> ref(refId, AcDb::kForWrite);
        ref->setColorIndex(5);
        Open<ZEFTAttribute> byBlock(ref->getAttribute(0), AcDb::kForWrite);
        byBlock->setColorIndex(0);
        Open<ZEFTAttribute> byLayer(ref->getAttribute(1), AcDb::kForWrite);
        byLayer->setLayer("RED");
        byLayer->setColorIndex(256);
        Open<ZEFTAttribute> green(ref->getAttribute(2), AcDb::kForWrite);
        green->setColorIndex(3);
    }
    Open<ZEFTBlockReference> ref(refId);
    AcGiRecordingDraw recorder;
    recorder.setDatabase(&d.db);
    EXPECT_TRUE(ref->worldDraw(&recorder.worldDraw()));
    const std::vector<const AcGiPrimitive*> texts = recorder.primitives(AcGiPrimitiveType::kText);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0]->traits.color, 5);
    EXPECT_EQ(texts[1]->traits.color, 1);
    EXPECT_EQ(texts[2]->traits.color, 3);

    ref->dragCloneState = 1;  // a drag clone draws nothing; an aborted regen clears the mark
    recorder.clear();
    ref->worldDraw(&recorder.worldDraw());
    EXPECT_TRUE(recorder.primitives().empty());
    recorder.setRegenAbort(true);
    ref->worldDraw(&recorder.worldDraw());
    EXPECT_EQ(ref->dragCloneState, 0);
}

TEST_F(ZeftBlockRef, ListShowsTheOriginalBlockName) {
    DoorDrawing d;
    Open<ZEFTBlockReference> ref(d.reference(d.door, AcGePoint3d(1, 2, 3)));
    ASSERT_TRUE(ref->hasPrivateDefinition());
    g_printed.clear();
    acutSetPrintSink(capture);
    ref->list();
    acutSetPrintSink(nullptr);
    EXPECT_EQ(g_printed,
              "\nZEFTBlockReference\n\n\tBlock Name: \t\tDOOR\n\tInsert Point: \t\t1.000000, 2.000000, 3.000000\n\n");
}

TEST_F(ZeftBlockRef, DeepCloneGivesTheCloneItsOwnDefinitionAndAttributes) {
    DoorDrawing d;
    const AcDbObjectId refId = d.reference(d.door, AcGePoint3d(), {AcGePoint3d(1, 1, 0)});
    AcDbObjectIdArray ids{refId};
    AcDbIdMapping idMap;
    ASSERT_EQ(d.db.deepCloneObjects(ids, d.db.modelSpaceId(), idMap), Acad::eOk);
    AcDbIdPair pair(refId, AcDbObjectId::kNull, false);
    ASSERT_TRUE(idMap.compute(pair));
    Open<ZEFTBlockReference> source(refId);
    Open<ZEFTBlockReference> clone(pair.value());
    EXPECT_NE(clone->blockTableRecord(), source->blockTableRecord());
    EXPECT_EQ(internalName(*clone.object), "*DOOR21");  // named after *DOOR2 without a second asterisk
    EXPECT_EQ(std::string(ZEFTBlockReference::blockNameOf(clone->blockTableRecord())), "*DOOR21");
    EXPECT_EQ(d.entitiesOf(clone->blockTableRecord()).size(), 2u);
    ASSERT_EQ(clone->attributeCount(), 1);
    EXPECT_NE(clone->getAttribute(0), source->getAttribute(0));
    EXPECT_EQ(clone->getAttribute(0).objectClass(), ZEFTAttribute::desc());
}

TEST_F(ZeftBlockRef, ErasingTakesTheAttributesAlongAndUnerasingBringsThemBack) {
    Drawing d;
    const AcDbObjectId refId = d.reference(d.block("B", {new AcDbLine()}), AcGePoint3d(), {AcGePoint3d()});
    ZEFTBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
    const AcDbObjectId attribute = ref->getAttribute(0);
    EXPECT_EQ(ref->erase(), Acad::eOk);
    EXPECT_TRUE(attribute.isErased());
    EXPECT_EQ(ref->erase(false), Acad::eOk);
    EXPECT_FALSE(attribute.isErased());
    ref->close();
}

TEST_F(ZeftBlockRef, DwgRecordRoundTripsAndOlderRecordsStillRead) {
    Drawing d;
    const AcDbObjectId a = d.append(new ZEFTAttribute()), b = d.append(new ZEFTAttribute());
    ZEFTBlockReference ref;
    ref.setInsBase(AcGePoint3d(1, 2, 3));
    ref.setInternalBlockName("*DOOR4");
    ref.setOriginalBlockName("DOOR");
    ref.appendAttribute(a);
    ref.appendAttribute(b);
    AcDbDwgMemoryFiler filer(AcDb::kUndoFiler, &d.db);
    ASSERT_EQ(ref.dwgOutFields(&filer), Acad::eOk);
    filer.rewind();
    ZEFTBlockReference back;
    back.appendAttribute(b);  // replaced, not added to
    ASSERT_EQ(back.dwgInFields(&filer), Acad::eOk);
    EXPECT_TRUE(back.insBase().isEqualTo(AcGePoint3d(1, 2, 3)));
    EXPECT_EQ(internalName(back), "*DOOR4");
    EXPECT_EQ(originalName(back), "DOOR");
    ASSERT_EQ(back.attributeCount(), 2);
    EXPECT_EQ(back.getAttribute(0), a);

    // Unset names go out as empty texts and come back unset.
    AcDbDwgMemoryFiler bare(AcDb::kUndoFiler, &d.db);
    ZEFTBlockReference().dwgOutFields(&bare);
    bare.rewind();
    back.dwgInFields(&bare);
    EXPECT_EQ(internalName(back), "<null>");
    EXPECT_EQ(originalName(back), "<null>");

    // Version 1 ends after the attribute ids; a newer version asks to be a proxy.
    AcDbDwgMemoryFiler old(AcDb::kUndoFiler, &d.db);
    ZEFTBlockReference().AcDbBlockReference::dwgOutFields(&old);
    old.writeUInt16(1);
    old.writePoint3d(AcGePoint3d(4, 4, 4));
    old.writeString("");
    old.writeInt16(1);
    old.writeHardOwnershipId(a);
    old.rewind();
    ZEFTBlockReference fromOld;
    fromOld.setOriginalBlockName("kept");
    ASSERT_EQ(fromOld.dwgInFields(&old), Acad::eOk);
    EXPECT_EQ(old.remaining(), 0u);
    EXPECT_EQ(fromOld.getAttribute(0), a);
    EXPECT_EQ(originalName(fromOld), "kept");
    AcDbDwgMemoryFiler newer(AcDb::kUndoFiler, &d.db);
    ZEFTBlockReference().AcDbBlockReference::dwgOutFields(&newer);
    newer.writeUInt16(3);
    newer.rewind();
    EXPECT_EQ(fromOld.dwgInFields(&newer), Acad::eMakeMeProxy);
}

TEST_F(ZeftBlockRef, DxfRecordCarriesTheOriginalNameAfterTheAttributeIds) {
    Drawing d;
    const AcDbObjectId a = d.append(new ZEFTAttribute());
    ZEFTBlockReference ref;
    ref.setInsBase(AcGePoint3d(1, 2, 3));
    ref.setInternalBlockName("*DOOR4");
    ref.setOriginalBlockName("DOOR");
    ref.appendAttribute(a);
    AcDbDxfMemoryFiler filer(&d.db);
    ASSERT_EQ(ref.dxfOutFields(&filer), Acad::eOk);
    const std::vector<AcDbDxfGroup>& groups = filer.groups();
    size_t own = 0;
    while (own < groups.size() && !(groups[own].code == 100 && groups[own].text == "ZEFTBlockReference")) ++own;
    std::vector<int> codes;
    for (size_t i = own; i < groups.size(); ++i) codes.push_back(groups[i].code);
    EXPECT_EQ(codes, (std::vector<int>{100, 70, 10, 300, 71, 360, 301}));

    filer.rewind();
    ZEFTBlockReference back;
    ASSERT_EQ(back.dxfInFields(&filer), Acad::eOk);
    EXPECT_TRUE(back.insBase().isEqualTo(AcGePoint3d(1, 2, 3)));
    EXPECT_EQ(internalName(back), "*DOOR4");
    EXPECT_EQ(originalName(back), "DOOR");
    ASSERT_EQ(back.attributeCount(), 1);
    EXPECT_EQ(back.getAttribute(0), a);

    // A record without the original name still reads; what follows is left to the host.
    filer.groups().pop_back();
    filer.writeString(1001, "APP");
    filer.rewind();
    ZEFTBlockReference shorter;
    shorter.setOriginalBlockName("kept");
    ASSERT_EQ(shorter.dxfInFields(&filer), Acad::eOk);
    EXPECT_EQ(originalName(shorter), "kept");
    EXPECT_EQ(shorter.attributeCount(), 1);

    AcDbDxfMemoryFiler broken(&d.db);
    ref.dxfOutFields(&broken);
    broken.groups().erase(broken.groups().begin() + static_cast<long>(own) + 3);  // 300
    broken.rewind();
    EXPECT_EQ(ZEFTBlockReference().dxfInFields(&broken), Acad::eInvalidDxfCode);
    EXPECT_NE(std::string(broken.errorMessage()).find("expected group code 300"), std::string::npos);
}

#include "ModuleState.h"

// The module's current reference must not outlive the reference itself.
TEST(ZeftBlockRefLifetime, DestroyedReferenceIsNoLongerTheStretchReference) {
    ZEFTBlockReference::rxInit();
    auto* ref = new ZEFTBlockReference;
    stretchBlockReference = ref;
    delete ref;
    EXPECT_EQ(stretchBlockReference, nullptr);
}
