#include <cstdlib>
#include <memory>
#include "db/attdef.h"
#include "db/attribute.h"
#include "db/mtext.h"
#include "db/text.h"
#include "entities_fixture.h"
#include "ge/plane.h"
#include "gi/recorder.h"

namespace {

// "ABCD" at height 1: the host takes it as 4 x 0.6 = 2.4 wide.
constexpr double kWidth = 2.4;

class TextTest : public EntityTest {
protected:
    static AcDbText justified(AcDb::TextHorzMode h, AcDb::TextVertMode v, const AcGePoint3d& at) {
        AcDbText t(AcGePoint3d(), "ABCD", AcDbObjectId::kNull, 1.0);
        t.setHorizontalMode(h);
        t.setVerticalMode(v);
        t.setAlignmentPoint(at);
        t.adjustAlignment();
        return t;
    }
};

TEST_F(TextTest, AdjustAlignmentPlacesThePositionFromTheAlignmentPoint) {
    AcGePoint3d a(10, 10, 0);
    expectPoint(justified(AcDb::kTextCenter, AcDb::kTextBase, a).position(), AcGePoint3d(10 - kWidth / 2, 10, 0));
    expectPoint(justified(AcDb::kTextRight, AcDb::kTextBase, a).position(), AcGePoint3d(10 - kWidth, 10, 0));
    expectPoint(justified(AcDb::kTextMid, AcDb::kTextBase, a).position(), AcGePoint3d(10 - kWidth / 2, 9.5, 0));
    expectPoint(justified(AcDb::kTextLeft, AcDb::kTextTop, a).position(), AcGePoint3d(10, 9, 0));
    expectPoint(justified(AcDb::kTextRight, AcDb::kTextBottom, a).position(), AcGePoint3d(10 - kWidth, 10.2, 0));

    AcDbText rotated = justified(AcDb::kTextRight, AcDb::kTextBase, a);
    rotated.setRotation(kPi / 2);
    rotated.adjustAlignment();
    expectPoint(rotated.position(), AcGePoint3d(10, 10 - kWidth, 0));
    expectPoint(rotated.alignmentPoint(), a);

    AcDbText left(AcGePoint3d(1, 2, 3), "x");
    EXPECT_TRUE(left.isDefaultAlignment());
    left.setPosition(AcGePoint3d(4, 5, 6));
    expectPoint(left.alignmentPoint(), AcGePoint3d(4, 5, 6));  // follows the position
}

TEST_F(TextTest, AlignedAndFitTextTakeTheirSizeFromTheTwoPoints) {
    AcDbText aligned(AcGePoint3d(0, 0, 0), "ABCD", AcDbObjectId::kNull, 1.0);
    aligned.setHorizontalMode(AcDb::kTextAlign);
    aligned.setAlignmentPoint(AcGePoint3d(0, 4.8, 0));
    ASSERT_EQ(aligned.adjustAlignment(), Acad::eOk);
    EXPECT_NEAR(aligned.height(), 2.0, 1e-12);  // twice as long as at height 1
    EXPECT_NEAR(aligned.rotation(), kPi / 2, 1e-12);

    AcDbText fit(AcGePoint3d(0, 0, 0), "ABCD", AcDbObjectId::kNull, 1.0);
    fit.setHorizontalMode(AcDb::kTextFit);
    fit.setAlignmentPoint(AcGePoint3d(1.2, 0, 0));
    ASSERT_EQ(fit.adjustAlignment(), Acad::eOk);
    EXPECT_NEAR(fit.height(), 1.0, 1e-12);
    EXPECT_NEAR(fit.widthFactor(), 0.5, 1e-12);

    AcGePoint3dArray grips;
    AcDbIntArray modes, ids;
    fit.getGripPoints(grips, modes, ids);
    ASSERT_EQ(grips.length(), 2);
    ASSERT_EQ(fit.moveGripPointsAt(AcDbIntArray{1}, AcGeVector3d(1.2, 0, 0)), Acad::eOk);
    EXPECT_NEAR(fit.widthFactor(), 1.0, 1e-12);
}

TEST_F(TextTest, SettersRefuseValuesTextCannotHave) {
    AcDbText t;
    EXPECT_EQ(t.setHeight(0), Acad::eInvalidInput);
    EXPECT_EQ(t.setHeight(-1), Acad::eInvalidInput);
    EXPECT_EQ(t.setWidthFactor(0), Acad::eInvalidInput);
    EXPECT_EQ(t.setOblique(86 * kPi / 180), Acad::eInvalidInput);
    EXPECT_EQ(t.setOblique(-10 * kPi / 180), Acad::eOk);
    EXPECT_EQ(t.setOblique(350 * kPi / 180), Acad::eOk);  // the same as -10 degrees
    EXPECT_NEAR(t.oblique(), -10 * kPi / 180, 1e-12);
    EXPECT_EQ(t.setNormal(AcGeVector3d(0, 0, 0)), Acad::eInvalidInput);
    EXPECT_EQ(t.setHorizontalMode(static_cast<AcDb::TextHorzMode>(9)), Acad::eInvalidInput);
    EXPECT_EQ(t.setTextString(nullptr), Acad::eOk);
    char* copy = t.textString();
    EXPECT_STREQ(copy, "");
    std::free(copy);
}

TEST_F(TextTest, RotationAndUniformScaleFollowTheTransform) {
    AcDbText t = justified(AcDb::kTextCenter, AcDb::kTextBase, AcGePoint3d(10, 0, 0));
    AcGeMatrix3d m = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(2.0);
    ASSERT_EQ(t.transformBy(m), Acad::eOk);
    EXPECT_NEAR(t.height(), 2.0, 1e-12);
    EXPECT_NEAR(t.widthFactor(), 1.0, 1e-12);
    EXPECT_NEAR(t.rotation(), kPi / 2, 1e-12);
    expectPoint(t.alignmentPoint(), AcGePoint3d(0, 20, 0));
    expectPoint(t.position(), AcGePoint3d(0, 20 - kWidth, 0));  // the text is twice as wide now
}

TEST_F(TextTest, MirroredTextStaysReadable) {
    // Left text mirrored about the Y axis: it starts at the mirrored position and still
    // reads left to right.
    AcDbText left(AcGePoint3d(2, 1, 0), "ABCD", AcDbObjectId::kNull, 1.0);
    AcGeMatrix3d aboutY = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis));
    ASSERT_EQ(left.transformBy(aboutY), Acad::eOk);
    expectPoint(left.position(), AcGePoint3d(-2, 1, 0));
    EXPECT_NEAR(left.rotation(), 0.0, 1e-12);
    EXPECT_FALSE(left.isMirroredInX());
    EXPECT_TRUE(left.normal().isEqualTo(AcGeVector3d::kZAxis));

    // Middle text mirrored about the X axis: the same rotation, not upside down.
    AcDbText middle = justified(AcDb::kTextMid, AcDb::kTextBase, AcGePoint3d(5, 3, 0));
    AcGeMatrix3d aboutX = AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kYAxis));
    ASSERT_EQ(middle.transformBy(aboutX), Acad::eOk);
    expectPoint(middle.alignmentPoint(), AcGePoint3d(5, -3, 0));
    EXPECT_NEAR(middle.rotation(), 0.0, 1e-12);
    expectPoint(middle.position(), AcGePoint3d(5 - kWidth / 2, -3.5, 0));

    // Turned text mirrored about the Y axis reads at minus the angle.
    AcDbText turned(AcGePoint3d(1, 0, 0), "ABCD", AcDbObjectId::kNull, 1.0, kPi / 6);
    ASSERT_EQ(turned.transformBy(aboutY), Acad::eOk);
    EXPECT_NEAR(turned.rotation(), 2 * kPi - kPi / 6, 1e-12);

    // Aligned text keeps running from its first point to its second in reading direction.
    AcDbText aligned(AcGePoint3d(0, 0, 0), "ABCD", AcDbObjectId::kNull, 1.0);
    aligned.setHorizontalMode(AcDb::kTextAlign);
    aligned.setAlignmentPoint(AcGePoint3d(4.8, 0, 0));
    aligned.adjustAlignment();
    ASSERT_EQ(aligned.transformBy(aboutY), Acad::eOk);
    expectPoint(aligned.position(), AcGePoint3d(-4.8, 0, 0));
    expectPoint(aligned.alignmentPoint(), AcGePoint3d(0, 0, 0));
    EXPECT_NEAR(aligned.rotation(), 0.0, 1e-12);
    EXPECT_NEAR(aligned.height(), 2.0, 1e-12);
}

TEST_F(TextTest, ExtentsAndDrawingFollowTheBox) {
    AcDbText t = justified(AcDb::kTextCenter, AcDb::kTextVertMid, AcGePoint3d(0, 0, 0));
    AcDbExtents ext;
    ASSERT_EQ(t.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.minPoint(), AcGePoint3d(-kWidth / 2, -0.5, 0));
    expectPoint(ext.maxPoint(), AcGePoint3d(kWidth / 2, 0.5, 0));
    AcDbVoidPtrArray none;
    EXPECT_EQ(t.explode(none), Acad::eNotApplicable);

    t.mirrorInX(true);
    AcGiRecordingDraw rec;
    ASSERT_TRUE(rec.draw(&t));
    const AcGiPrimitive* text = rec.first(AcGiPrimitiveType::kText);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "ABCD");
    EXPECT_EQ(rec.unbalancedPushes(), 0);
    // Backward text: the glyphs run from the right end of the same box towards the left.
    EXPECT_LT(text->direction.x, 0);
    EXPECT_NEAR(text->position.x, kWidth / 2, 1e-9);
}

TEST_F(TextTest, DxfRoundTripKeepsEveryProperty) {
    AcDbText t(AcGePoint3d(1, 2, 3), "Hello", db.textstyle(), 2.5, kPi / 3);
    t.setHorizontalMode(AcDb::kTextRight);
    t.setVerticalMode(AcDb::kTextTop);
    t.setAlignmentPoint(AcGePoint3d(7, 8, 3));
    t.setWidthFactor(0.8);
    t.setOblique(15 * kPi / 180);
    t.mirrorInY(true);
    t.setThickness(0.5);
    t.setNormal(AcGeVector3d(0, 0, -1));
    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbText> copy(dxfCopy(&t, mem));
    // Two AcDbText parts; the vertical mode goes with the second.
    int first = findGroup(mem, 100, "AcDbText");
    int second = findGroup(mem, 100, "AcDbText", first + 1);
    ASSERT_GT(second, first);
    EXPECT_GT(findGroup(mem, 73, nullptr, second), second);
    EXPECT_EQ(findGroup(mem, 73), findGroup(mem, 73, nullptr, second));
    // Points are written in the object coordinate system.
    const AcDbDxfGroup& p10 = mem.groups()[static_cast<size_t>(findGroup(mem, 10))];
    EXPECT_NEAR(p10.xyz[0], -1.0, 1e-12);
    EXPECT_NEAR(p10.xyz[2], -3.0, 1e-12);

    expectPoint(copy->position(), t.position());
    expectPoint(copy->alignmentPoint(), t.alignmentPoint());
    EXPECT_EQ(copy->horizontalMode(), AcDb::kTextRight);
    EXPECT_EQ(copy->verticalMode(), AcDb::kTextTop);
    EXPECT_NEAR(copy->rotation(), kPi / 3, 1e-12);
    EXPECT_NEAR(copy->oblique(), 15 * kPi / 180, 1e-12);
    EXPECT_DOUBLE_EQ(copy->widthFactor(), 0.8);
    EXPECT_DOUBLE_EQ(copy->height(), 2.5);
    EXPECT_DOUBLE_EQ(copy->thickness(), 0.5);
    EXPECT_TRUE(copy->isMirroredInY());
    EXPECT_FALSE(copy->isMirroredInX());
    EXPECT_EQ(copy->textStyle(), db.textstyle());
    EXPECT_STREQ(copy->textStringConst(), "Hello");
    EXPECT_TRUE(copy->normal().isEqualTo(AcGeVector3d(0, 0, -1)));
}

TEST_F(TextTest, AttributeDefinitionFlagsAndDxfLayout) {
    AcDbAttributeDefinition def(AcGePoint3d(1, 1, 0), "default", "PART_NO", "Part number?");
    def.setInvisible(true);
    def.setVerifiable(true);
    def.setFieldLength(12);
    def.setHorizontalMode(AcDb::kTextCenter);
    def.setVerticalMode(AcDb::kTextVertMid);
    def.setLockPositionInBlock(true);
    EXPECT_EQ(def.attributeFlags(), 1 | 4);
    def.setConstant(true);
    def.setPreset(true);
    def.setInvisible(false);
    EXPECT_EQ(def.attributeFlags(), 2 | 4 | 8);

    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbAttributeDefinition> copy(dxfCopy(&def, mem));
    int own = findGroup(mem, 100, "AcDbAttributeDefinition");
    ASSERT_GT(own, findGroup(mem, 100, "AcDbText"));
    EXPECT_EQ(findGroup(mem, 100, "AcDbText", findGroup(mem, 100, "AcDbText") + 1), -1);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(own + 1)].code, 3);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(own + 2)].code, 2);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 70))].integer, 14);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 74))].integer, 2);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 73))].integer, 12);

    EXPECT_STREQ(copy->tagConst(), "PART_NO");
    EXPECT_STREQ(copy->promptConst(), "Part number?");
    EXPECT_STREQ(copy->textStringConst(), "default");
    EXPECT_EQ(copy->attributeFlags(), 14);
    EXPECT_EQ(copy->fieldLength(), 12);
    EXPECT_EQ(copy->verticalMode(), AcDb::kTextVertMid);
    EXPECT_TRUE(copy->lockPositionInBlock());
    char* tag = copy->tag();
    EXPECT_STREQ(tag, "PART_NO");
    std::free(tag);
}

TEST_F(TextTest, AttributeTakesTheDefinitionUnderTheBlockTransform) {
    AcDbAttributeDefinition def(AcGePoint3d(1, 0, 0), "default", "TAG", "?");
    def.setInvisible(true);
    AcDbAttribute att;
    AcGeMatrix3d blockXform = AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)) *
                              AcGeMatrix3d::rotation(kPi, AcGeVector3d::kZAxis);
    ASSERT_EQ(att.setAttributeFromBlock(&def, blockXform), Acad::eOk);
    expectPoint(att.position(), AcGePoint3d(9, 0, 0));
    EXPECT_NEAR(att.rotation(), kPi, 1e-12);
    EXPECT_STREQ(att.tagConst(), "TAG");
    EXPECT_STREQ(att.textStringConst(), "default");
    EXPECT_TRUE(att.isInvisible());

    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbAttribute> copy(dxfCopy(&att, mem));
    EXPECT_GT(findGroup(mem, 100, "AcDbAttribute"), 0);
    EXPECT_STREQ(copy->tagConst(), "TAG");
    EXPECT_TRUE(copy->isInvisible());
    expectPoint(copy->position(), AcGePoint3d(9, 0, 0));
    EXPECT_EQ(att.setAttributeFromBlock(nullptr, blockXform), Acad::eNullObjectPointer);
}

TEST_F(TextTest, R12GroupsWithoutMarkersAreRead) {
    AcDbDxfMemoryFiler mem(&db);
    mem.writeString(8, "0");
    mem.writePoint3d(10, AcGePoint3d(1, 2, 0));
    mem.writeDouble(40, 3.0);
    mem.writeString(1, "old");
    mem.writeInt16(72, 1);
    mem.writePoint3d(11, AcGePoint3d(5, 2, 0));
    mem.writeInt16(73, 3);
    mem.rewind();
    AcDbText t;
    ASSERT_EQ(t.dxfInFields(&mem), Acad::eOk);
    EXPECT_EQ(t.horizontalMode(), AcDb::kTextCenter);
    EXPECT_EQ(t.verticalMode(), AcDb::kTextTop);
    expectPoint(t.alignmentPoint(), AcGePoint3d(5, 2, 0));
    EXPECT_STREQ(t.textStringConst(), "old");
}

TEST_F(TextTest, MTextLongContentsGoInChunksAndComeBackWhole) {
    std::string contents;
    for (int i = 0; i < 120; ++i) contents += "w\xC3\xA9rd ";  // 6 bytes a word, a two-byte letter in each
    AcDbMText mt;
    mt.setContents(contents.c_str());
    mt.setLocation(AcGePoint3d(1, 2, 3));
    mt.setTextHeight(2.0);
    mt.setWidth(40);
    mt.setAttachment(AcDbMText::kMiddleCenter);
    mt.setRotation(kPi / 4);
    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbMText> copy(dxfCopy(&mt, mem));
    size_t chunks = 0;
    for (const AcDbDxfGroup& g : mem.groups())
        if (g.code == 3) {
            ++chunks;
            EXPECT_LE(g.text.size(), 250u);
        }
    EXPECT_EQ(chunks, 2u);
    EXPECT_EQ(copy->contentsConst(), contents);
    EXPECT_EQ(copy->attachment(), AcDbMText::kMiddleCenter);
    EXPECT_NEAR(copy->rotation(), kPi / 4, 1e-12);
    EXPECT_DOUBLE_EQ(copy->width(), 40);
    expectPoint(copy->location(), AcGePoint3d(1, 2, 3));
}

TEST_F(TextTest, MTextEmbeddedColumnDataDoesNotOverrideTheText) {
    AcDbDxfMemoryFiler mem(&db);
    mem.writeSubclass("AcDbEntity");
    mem.writeString(8, "0");
    mem.writeSubclass("AcDbMText");
    mem.writePoint3d(10, AcGePoint3d(1, 2, 0));
    mem.writeDouble(40, 2.5);
    mem.writeString(1, "body");
    mem.writeString(101, "Embedded Object");
    mem.writeInt16(70, 1);
    mem.writePoint3d(10, AcGePoint3d(1, 0, 0));
    mem.writePoint3d(11, AcGePoint3d(9, 9, 0));
    mem.writeDouble(40, 30.0);
    mem.rewind();
    AcDbMText mt;
    ASSERT_EQ(mt.dxfInFields(&mem), Acad::eOk);
    EXPECT_TRUE(mem.atEOF());
    expectPoint(mt.location(), AcGePoint3d(1, 2, 0));
    EXPECT_DOUBLE_EQ(mt.textHeight(), 2.5);
    EXPECT_STREQ(mt.contentsConst(), "body");
}

TEST_F(TextTest, MTextUnicodeEscapeSplitBetweenChunksIsDecoded) {
    AcDbDxfMemoryFiler mem(&db);
    mem.writeSubclass("AcDbEntity");
    mem.writeSubclass("AcDbMText");
    mem.writeString(3, "ab\\U+04");
    mem.writeString(1, "3cd \\\\U+0041");
    mem.rewind();
    AcDbMText mt;
    ASSERT_EQ(mt.dxfInFields(&mem), Acad::eOk);
    EXPECT_STREQ(mt.contentsConst(), "ab\xD0\xBC" "d \\\\U+0041");  // an escaped backslash stays
}

TEST_F(TextTest, MTextLaysOutLinesAroundTheAttachmentPoint) {
    AcDbMText mt;
    mt.setContents("{\\fArial|b1;AB}\\PABCD");
    mt.setTextHeight(1.0);
    mt.setAttachment(AcDbMText::kBottomRight);
    char* plain = mt.text();
    EXPECT_STREQ(plain, "AB\nABCD");
    std::free(plain);
    EXPECT_NEAR(mt.actualHeight(), 1.0 + 5.0 / 3.0, 1e-12);
    EXPECT_NEAR(mt.actualWidth(), kWidth, 1e-12);
    AcDbExtents ext;
    ASSERT_EQ(mt.getGeomExtents(ext), Acad::eOk);
    expectPoint(ext.maxPoint(), AcGePoint3d(0, 1.0 + 5.0 / 3.0, 0));
    expectPoint(ext.minPoint(), AcGePoint3d(-kWidth, 0, 0));

    AcDbVoidPtrArray pieces;
    ASSERT_EQ(mt.explode(pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 2);
    auto* last = static_cast<AcDbText*>(pieces[1]);
    expectPoint(last->position(), AcGePoint3d(-kWidth, 0, 0));  // the bottom line's baseline
    auto* first = static_cast<AcDbText*>(pieces[0]);
    EXPECT_NEAR(first->position().x, -1.2, 1e-12);  // right-aligned
    for (void* p : pieces) delete static_cast<AcDbEntity*>(p);

    // Words wrap at the width.
    mt.setContents("AB CD EF");
    mt.setWidth(3.1);
    EXPECT_NEAR(mt.actualHeight(), 1.0 + 5.0 / 3.0, 1e-12);  // "AB CD" and "EF"
    mt.setWidth(1.3);
    EXPECT_NEAR(mt.actualHeight(), 1.0 + 2 * 5.0 / 3.0, 1e-12);

    // Mirrored about the Y axis it reads rightwards still.
    ASSERT_EQ(mt.transformBy(AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis))), Acad::eOk);
    EXPECT_TRUE(mt.direction().isEqualTo(AcGeVector3d::kXAxis));
}

}  // namespace
