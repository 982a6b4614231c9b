#include <memory>
#include <set>
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/blockref.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/minsert.h"
#include "db/objectiterator.h"
#include "db/seqend.h"
#include "entities_fixture.h"
#include "gi/recorder.h"

namespace {

struct Exploded {
    AcDbVoidPtrArray items;
    ~Exploded() {
        for (void* p : items) delete static_cast<AcDbEntity*>(p);
    }
    template <class T>
    std::vector<T*> of() const {
        std::vector<T*> out;
        for (void* p : items)
            if (T* t = T::cast(static_cast<AcDbEntity*>(p)); t && t->isA() == T::desc()) out.push_back(t);
        return out;
    }
};

class BlockReferenceTest : public EntityTest {
protected:
    // Block "B" with origin (10, 5): a line from the origin along X, an attribute definition
    // and a constant one.
    void SetUp() override {
        block = addBlock("B", AcGePoint3d(10, 5, 0));
        add(block, new AcDbLine(AcGePoint3d(10, 5, 0), AcGePoint3d(12, 5, 0)));
        auto* def = new AcDbAttributeDefinition(AcGePoint3d(10, 6, 0), "default", "TAG", "Value?");
        add(block, def);
        auto* constant = new AcDbAttributeDefinition(AcGePoint3d(10, 7, 0), "fixed", "CONST", "");
        constant->setConstant(true);
        add(block, constant);
    }
    // A reference in model space with one attribute made from the definition.
    AcDbObjectId insert(const AcGePoint3d& at, double rotation, const AcGeScale3d& scale, bool withAttribute) {
        auto* ref = new AcDbBlockReference(at, block);
        ref->setRotation(rotation);
        ref->setScaleFactors(scale);
        AcDbObjectId id = addToModel(ref);
        if (withAttribute) {
            AcDbBlockReference* open = nullptr;
            EXPECT_EQ(acdbOpenObject(open, id, AcDb::kForWrite), Acad::eOk);
            AcDbAttributeDefinition def(AcGePoint3d(10, 6, 0), "default", "TAG", "Value?");
            auto* att = new AcDbAttribute;
            EXPECT_EQ(att->setAttributeFromBlock(&def, open->blockTransform()), Acad::eOk);
            att->setTextString("value");
            EXPECT_EQ(open->appendAttribute(attributeId, att), Acad::eOk);
            att->close();
            open->close();
        }
        return id;
    }
    AcGePoint3d attributePosition() {
        AcDbAttribute* att = nullptr;
        EXPECT_EQ(acdbOpenObject(att, attributeId, AcDb::kForRead), Acad::eOk);
        AcGePoint3d p = att ? att->position() : AcGePoint3d();
        if (att) att->close();
        return p;
    }

    AcDbObjectId block, attributeId;
};

TEST_F(BlockReferenceTest, BlockTransformAppliesOriginScaleRotationAndPosition) {
    AcDbBlockReference ref(AcGePoint3d(100, 50, 0), block);
    ref.setRotation(kPi / 2);
    ref.setScaleFactors(AcGeScale3d(2, 3, 1));
    AcGeMatrix3d m = ref.blockTransform();
    // (11, 5) is 1 along X from the origin: scaled to 2, turned onto +Y.
    expectPoint(m * AcGePoint3d(11, 5, 0), AcGePoint3d(100, 52, 0));
    // (10, 6) is 1 along Y: scaled to 3, turned onto -X.
    expectPoint(m * AcGePoint3d(10, 6, 0), AcGePoint3d(97, 50, 0));
    expectPoint(m * AcGePoint3d(10, 5, 4), AcGePoint3d(100, 50, 4));

    // A tilted normal: the block's Z axis goes along it.
    ref.setNormal(AcGeVector3d(1, 0, 0));
    AcGeVector3d z = ref.blockTransform() * AcGeVector3d::kZAxis;
    EXPECT_TRUE(z.isEqualTo(AcGeVector3d(1, 0, 0)));
}

TEST_F(BlockReferenceTest, SetBlockTransformTakesTheTransformApart) {
    AcDbBlockReference ref(AcGePoint3d(), block);
    AcGeMatrix3d wanted = AcGeMatrix3d::translation(AcGeVector3d(3, 4, 5)) *
                          AcGeMatrix3d::rotation(0.7, AcGeVector3d::kZAxis) *
                          AcGeMatrix3d(AcGeScale3d(-2, 2, 2)) *
                          AcGeMatrix3d::translation(AcGeVector3d(-10, -5, 0));
    ASSERT_EQ(ref.setBlockTransform(wanted), Acad::eOk);
    EXPECT_TRUE(ref.blockTransform().isEqualTo(wanted));
    expectPoint(ref.position(), AcGePoint3d(3, 4, 5));
    EXPECT_LT(ref.scaleFactors().sx * ref.scaleFactors().sy, 0);  // the reflection is kept

    AcGeMatrix3d shear;
    shear.entry[0][1] = 0.5;
    EXPECT_EQ(ref.setBlockTransform(shear), Acad::eCannotScaleNonUniformly);
    EXPECT_TRUE(ref.blockTransform().isEqualTo(wanted));
}

TEST_F(BlockReferenceTest, ExplodeTransformsLinesAndLeavesAttributeDefinitionsOut) {
    AcDbObjectId id = insert(AcGePoint3d(5, 5, 0), kPi / 2, AcGeScale3d(1), true);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
    Exploded out;
    ASSERT_EQ(ref->explode(out.items), Acad::eOk);
    ref->close();

    auto lines = out.of<AcDbLine>();
    ASSERT_EQ(lines.size(), 1u);
    expectPoint(lines[0]->startPoint(), AcGePoint3d(5, 5, 0));
    expectPoint(lines[0]->endPoint(), AcGePoint3d(5, 7, 0));
    EXPECT_FALSE(lines[0]->isDatabaseResident());
    EXPECT_TRUE(out.of<AcDbAttributeDefinition>().empty());
    // The constant definition and the attribute come as texts.
    auto texts = out.of<AcDbText>();
    ASSERT_EQ(texts.size(), 2u);
    std::set<std::string> strings;
    for (AcDbText* t : texts) strings.insert(t->textStringConst());
    EXPECT_EQ(strings, (std::set<std::string>{"fixed", "value"}));
    for (AcDbText* t : texts) {
        EXPECT_NEAR(t->rotation(), kPi / 2, 1e-9);
        if (std::string(t->textStringConst()) == "fixed") expectPoint(t->position(), AcGePoint3d(3, 5, 0));
        if (std::string(t->textStringConst()) == "value") expectPoint(t->position(), AcGePoint3d(4, 5, 0));
    }
}

TEST_F(BlockReferenceTest, ExplodeUnderNonUniformScaleExplodesNestedReferencesFirst) {
    // A block holding a reference to B turned by 45 degrees, inserted with X scale 2.
    AcDbObjectId outer = addBlock("OUTER");
    auto* nested = new AcDbBlockReference(AcGePoint3d(0, 0, 0), block);
    nested->setRotation(kPi / 4);
    add(outer, nested);
    add(outer, new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1.0));
    AcDbBlockReference ref(AcGePoint3d(0, 0, 0), outer);
    ref.setScaleFactors(AcGeScale3d(2, 1, 1));

    Exploded out;
    ASSERT_EQ(ref.explode(out.items), Acad::eOk);
    EXPECT_TRUE(out.of<AcDbBlockReference>().empty());
    auto lines = out.of<AcDbLine>();
    ASSERT_EQ(lines.size(), 1u);
    expectPoint(lines[0]->startPoint(), AcGePoint3d(0, 0, 0));
    expectPoint(lines[0]->endPoint(), AcGePoint3d(2 * std::sqrt(2.0), std::sqrt(2.0), 0));
    EXPECT_EQ(out.items.length(), 3);  // line, constant text, and the circle as an ellipse
}

TEST_F(BlockReferenceTest, AttributesMoveWithTheReference) {
    AcDbObjectId id = insert(AcGePoint3d(0, 0, 0), 0.0, AcGeScale3d(2), true);
    expectPoint(attributePosition(), AcGePoint3d(0, 2, 0));

    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForWrite), Acad::eOk);
    AcGeMatrix3d turn = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, AcGePoint3d(0, 0, 0));
    ASSERT_EQ(ref->transformBy(AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)) * turn), Acad::eOk);
    expectPoint(ref->position(), AcGePoint3d(10, 0, 0));
    EXPECT_NEAR(ref->rotation(), kPi / 2, 1e-9);
    AcDbIntArray grip{0};
    ASSERT_EQ(ref->moveGripPointsAt(grip, AcGeVector3d(0, 1, 0)), Acad::eOk);
    ref->close();
    expectPoint(attributePosition(), AcGePoint3d(8, 1, 0));
    AcDbAttribute* att = nullptr;
    ASSERT_EQ(acdbOpenObject(att, attributeId, AcDb::kForRead), Acad::eOk);
    EXPECT_NEAR(att->rotation(), kPi / 2, 1e-9);
    EXPECT_NEAR(att->height(), 0.4, 1e-12);  // the definition's 0.2, scaled by 2
    EXPECT_EQ(att->ownerId(), id);
    att->close();
}

TEST_F(BlockReferenceTest, OffAxisNonUniformTransformIsRefusedWithoutChanges) {
    AcDbObjectId id = insert(AcGePoint3d(1, 1, 0), kPi / 4, AcGeScale3d(1), true);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForWrite), Acad::eOk);
    AcGeMatrix3d stretchX;
    stretchX.entry[0][0] = 3;
    EXPECT_EQ(ref->transformBy(stretchX), Acad::eCannotScaleNonUniformly);
    expectPoint(ref->position(), AcGePoint3d(1, 1, 0));
    AcDbEntity* copy = nullptr;
    EXPECT_EQ(ref->getTransformedCopy(stretchX, copy), Acad::eExplodeBeforeTransform);
    EXPECT_EQ(copy, nullptr);
    // Along the reference's own axes the scale is taken on.
    AcGeMatrix3d alongAxes = AcGeMatrix3d::rotation(kPi / 4, AcGeVector3d::kZAxis) *
                             AcGeMatrix3d(AcGeScale3d(3, 1, 1)) *
                             AcGeMatrix3d::rotation(-kPi / 4, AcGeVector3d::kZAxis);
    AcGeMatrix3d before = ref->blockTransform();
    ASSERT_EQ(ref->transformBy(alongAxes), Acad::eOk);
    EXPECT_TRUE(ref->blockTransform().isEqualTo(alongAxes * before));
    ref->close();
}

TEST_F(BlockReferenceTest, MirroringFlipsAScaleAndKeepsTheGeometry) {
    AcDbBlockReference ref(AcGePoint3d(5, 0, 0), block);
    ref.setRotation(0.3);
    AcGeMatrix3d mirror = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(0, 0, 0), AcGeVector3d::kXAxis));
    AcGeMatrix3d expected = mirror * ref.blockTransform();
    ASSERT_EQ(ref.transformBy(mirror), Acad::eOk);
    EXPECT_TRUE(ref.blockTransform().isEqualTo(expected));
    EXPECT_LT(ref.scaleFactors().sx, 0);
    EXPECT_TRUE(ref.normal().isEqualTo(AcGeVector3d::kZAxis));
}

TEST_F(BlockReferenceTest, ErasingTheReferenceErasesItsAttributes) {
    AcDbObjectId id = insert(AcGePoint3d(), 0.0, AcGeScale3d(1), true);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId end = ref->sequenceEndId();
    EXPECT_FALSE(end.isNull());
    EXPECT_TRUE(end.objectClass()->isDerivedFrom(AcDbSequenceEnd::desc()));
    ASSERT_EQ(ref->erase(), Acad::eOk);
    ref->close();
    EXPECT_TRUE(attributeId.isErased());
    EXPECT_TRUE(end.isErased());
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForWrite, true), Acad::eOk);
    ASSERT_EQ(ref->erase(false), Acad::eOk);
    ref->close();
    EXPECT_FALSE(attributeId.isErased());
}

TEST_F(BlockReferenceTest, AppendAttributeNeedsAResidentReferenceOpenForWrite) {
    AcDbBlockReference loose(AcGePoint3d(), block);
    auto att = std::make_unique<AcDbAttribute>();
    EXPECT_EQ(loose.appendAttribute(att.get()), Acad::eNotInDatabase);
    AcDbObjectId id = insert(AcGePoint3d(), 0.0, AcGeScale3d(1), false);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ref->appendAttribute(att.get()), Acad::eNotOpenForWrite);
    AcDbObjectIterator* it = ref->attributeIterator();
    EXPECT_TRUE(it->done());
    delete it;
    ref->close();
}

TEST_F(BlockReferenceTest, IteratorWalksTheAttributesAndSkipsErasedOnes) {
    AcDbObjectId id = insert(AcGePoint3d(), 0.0, AcGeScale3d(1), true);
    AcDbObjectId first = attributeId;
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId second;
    auto* att = new AcDbAttribute(AcGePoint3d(1, 1, 0), "two", "T2");
    ASSERT_EQ(ref->appendAttribute(second, att), Acad::eOk);
    att->close();
    AcDbObjectIterator* it = ref->attributeIterator();
    std::vector<AcDbObjectId> seen;
    for (it->start(); !it->done(); it->step()) seen.push_back(it->objectId());
    EXPECT_EQ(seen, (std::vector<AcDbObjectId>{first, second}));
    delete it;
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenObject(obj, first, AcDb::kForWrite), Acad::eOk);
    obj->erase();
    obj->close();
    it = ref->attributeIterator();
    ASSERT_FALSE(it->done());
    EXPECT_EQ(it->objectId(), second);
    ASSERT_NE(it->entity(), nullptr);
    EXPECT_EQ(it->entity()->objectId(), second);
    delete it;
    ref->close();
}

TEST_F(BlockReferenceTest, ExtentsCoverTheTransformedDefinitionAndAttributes) {
    AcDbObjectId id = insert(AcGePoint3d(5, 5, 0), kPi / 2, AcGeScale3d(1), false);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
    AcDbExtents ext;
    ASSERT_EQ(ref->getGeomExtents(ext), Acad::eOk);
    ref->close();
    // The line runs from (5,5) to (5,7); the constant text lies left of x = 5.
    EXPECT_NEAR(ext.maxPoint().y, 7.0, 1e-9);
    EXPECT_NEAR(ext.minPoint().y, 5.0, 1e-9);
    EXPECT_LT(ext.minPoint().x, 3.0);
    EXPECT_NEAR(ext.maxPoint().x, 5.0, 1e-9);
}

TEST_F(BlockReferenceTest, DrawsTheDefinitionUnderTheTransformThenTheAttributes) {
    AcDbObjectId id = insert(AcGePoint3d(5, 5, 0), kPi / 2, AcGeScale3d(1), true);
    AcGiRecordingDraw rec;
    rec.setDatabase(&db);
    AcDbEntity* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
    ASSERT_TRUE(rec.draw(ref));
    ref->close();
    auto polylines = rec.primitives(AcGiPrimitiveType::kPolyline);
    ASSERT_EQ(polylines.size(), 1u);
    expectPoint(polylines[0]->points.front(), AcGePoint3d(5, 5, 0));
    expectPoint(polylines[0]->points.back(), AcGePoint3d(5, 7, 0));
    std::set<std::string> texts;
    for (const AcGiPrimitive* t : rec.primitives(AcGiPrimitiveType::kText)) texts.insert(t->text);
    EXPECT_EQ(texts, (std::set<std::string>{"fixed", "value"}));  // no text of the plain definition
    EXPECT_EQ(rec.unbalancedPushes(), 0);
}

TEST_F(BlockReferenceTest, BlockContainingItselfDoesNotRecurseForever) {
    AcDbObjectId loop = addBlock("LOOP");
    add(loop, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    auto* self = new AcDbBlockReference(AcGePoint3d(1, 0, 0), loop);
    self->setRotation(1.0);  // never turns onto the axes, however often repeated
    add(loop, self);
    AcDbBlockReference ref(AcGePoint3d(), loop);
    AcGiRecordingDraw rec;
    EXPECT_TRUE(rec.draw(&ref));
    EXPECT_GT(rec.count(AcGiPrimitiveType::kPolyline), 0u);
    AcDbExtents ext;
    EXPECT_EQ(ref.getGeomExtents(ext), Acad::eOk);
    // A scale the nested reference cannot take makes explode go down the loop: it gives up.
    ref.setScaleFactors(AcGeScale3d(2, 1, 1));
    Exploded out;
    EXPECT_NE(ref.explode(out.items), Acad::eOk);
    EXPECT_EQ(out.items.length(), 0);  // nothing left behind on failure
}

TEST_F(BlockReferenceTest, DxfGroupsRoundTrip) {
    AcDbBlockReference ref(AcGePoint3d(1, 2, 3), block);
    ref.setRotation(kPi / 6);
    ref.setScaleFactors(AcGeScale3d(2, -1, 0.5));
    ref.setNormal(AcGeVector3d(0, 1, 1));
    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbBlockReference> copy(dxfCopy(&ref, mem));
    int marker = findGroup(mem, 100, "AcDbBlockReference");
    ASSERT_GE(marker, 0);
    int name = findGroup(mem, 2, nullptr, marker);
    ASSERT_GE(name, 0);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(name)].text, "B");
    int angle = findGroup(mem, 50);
    ASSERT_GE(angle, 0);
    EXPECT_NEAR(mem.groups()[static_cast<size_t>(angle)].xyz[0], 30.0, 1e-9);  // degrees in the file
    EXPECT_EQ(findGroup(mem, 66), -1);  // no attributes follow
    EXPECT_EQ(copy->blockTableRecord(), block);
    EXPECT_TRUE(copy->blockTransform().isEqualTo(ref.blockTransform()));
}

TEST_F(BlockReferenceTest, DxfNameOfALaterBlockIsResolvedWhenItExists) {
    AcDbDxfMemoryFiler mem(&db);
    mem.writeSubclass("AcDbEntity");
    mem.writeString(8, "0");
    mem.writeSubclass("AcDbBlockReference");
    mem.writeString(2, "LATER");
    mem.writePoint3d(10, AcGePoint3d(1, 0, 0));
    mem.rewind();
    auto* ref = new AcDbBlockReference;
    ASSERT_EQ(ref->dxfInFields(&mem), Acad::eOk);
    EXPECT_TRUE(ref->blockTableRecord().isNull());
    AcDbObjectId refId = addToModel(ref);
    AcDbObjectId later = addBlock("LATER");
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ref->blockTableRecord(), later);
    ref->close();
}

TEST_F(BlockReferenceTest, ACloneDoesNotTakeOverTheAttributes) {
    AcDbObjectId id = insert(AcGePoint3d(), 0.0, AcGeScale3d(1), true);
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, id, AcDb::kForRead), Acad::eOk);
    std::unique_ptr<AcDbBlockReference> copy(AcDbBlockReference::cast(ref->clone()));
    AcDbEntity* moved = nullptr;
    ASSERT_EQ(ref->getTransformedCopy(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0)), moved), Acad::eOk);
    std::unique_ptr<AcDbEntity> movedOwner(moved);
    ref->close();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->internalAttributeIds().empty());
    EXPECT_TRUE(copy->sequenceEndId().isNull());
    EXPECT_EQ(copy->blockTableRecord(), block);
    expectPoint(attributePosition(), AcGePoint3d(0, 1, 0));  // the copy's move left it alone
}

TEST_F(BlockReferenceTest, MInsertExplodesIntoTheGrid) {
    AcDbMInsertBlock grid(AcGePoint3d(0, 0, 0), block, 3, 2, 10.0, 5.0);
    grid.setRotation(kPi / 2);
    Exploded out;
    ASSERT_EQ(grid.explode(out.items), Acad::eOk);
    auto lines = out.of<AcDbLine>();
    ASSERT_EQ(lines.size(), 6u);
    std::set<std::pair<long, long>> starts;
    for (AcDbLine* l : lines) starts.insert({std::lround(l->startPoint().x), std::lround(l->startPoint().y)});
    // Columns run along the turned X axis (+Y), rows along the turned Y axis (-X).
    EXPECT_EQ(starts, (std::set<std::pair<long, long>>{{0, 0}, {0, 10}, {0, 20}, {-5, 0}, {-5, 10}, {-5, 20}}));

    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbMInsertBlock> copy(dxfCopy(&grid, mem));
    EXPECT_GE(findGroup(mem, 100, "AcDbMInsertBlock"), 0);
    EXPECT_EQ(copy->columns(), 3);
    EXPECT_EQ(copy->rows(), 2);
    EXPECT_DOUBLE_EQ(copy->columnSpacing(), 10.0);
    EXPECT_DOUBLE_EQ(copy->rowSpacing(), 5.0);
}

}  // namespace
