#include <memory>
#include "db/aligneddim.h"
#include "db/line.h"
#include "db/rotateddim.h"
#include "entities_fixture.h"
#include "gi/recorder.h"

namespace {

class DimensionTest : public EntityTest {};

TEST_F(DimensionTest, AlignedMeasuresTheDistanceInItsPlane) {
    AcDbAlignedDimension dim(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 7), AcGePoint3d(0, 0, 1));
    EXPECT_NEAR(dim.measurement(), 5.0, 1e-12);  // the height difference does not count
    double value = 0;
    EXPECT_EQ(dim.measurement(value), Acad::eOk);
    EXPECT_NEAR(value, 5.0, 1e-12);
}

TEST_F(DimensionTest, RotatedMeasuresAlongItsDirection) {
    AcDbRotatedDimension horizontal(0.0, AcGePoint3d(1, 1, 0), AcGePoint3d(4, 5, 0), AcGePoint3d(0, 8, 0));
    EXPECT_NEAR(horizontal.measurement(), 3.0, 1e-12);
    AcDbRotatedDimension vertical(kPi / 2, AcGePoint3d(1, 1, 0), AcGePoint3d(4, 5, 0), AcGePoint3d(8, 0, 0));
    EXPECT_NEAR(vertical.measurement(), 4.0, 1e-12);
    AcDbRotatedDimension reversed(0.0, AcGePoint3d(4, 5, 0), AcGePoint3d(1, 1, 0), AcGePoint3d(0, 8, 0));
    EXPECT_NEAR(reversed.measurement(), 3.0, 1e-12);
}

TEST_F(DimensionTest, TextShowsTheMeasurementWithTheDrawingsPrecision) {
    auto* dim = new AcDbAlignedDimension(AcGePoint3d(0, 0, 0), AcGePoint3d(2.5, 0, 0), AcGePoint3d(0, 1, 0));
    AcDbObjectId id = addToModel(dim);
    db.setHeaderValue("DIMDEC", 2);
    ASSERT_EQ(acdbOpenObject(dim, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(dim->displayText(), "2.50");
    dim->setDimensionText("L = <> mm");
    EXPECT_EQ(dim->displayText(), "L = 2.50 mm");
    dim->setDimensionText("fixed");
    EXPECT_EQ(dim->displayText(), "fixed");
    dim->setDimensionText(" ");
    EXPECT_EQ(dim->displayText(), "");
    db.setHeaderValue("DIMZIN", 8);
    dim->setDimensionText("");
    EXPECT_EQ(dim->displayText(), "2.5");
    dim->close();
}

TEST_F(DimensionTest, DrawsExtensionLinesTheDimensionLineTicksAndText) {
    AcDbRotatedDimension dim(0.0, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(5, 3, 0));
    AcGiRecordingDraw rec;
    ASSERT_TRUE(rec.draw(&dim));
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kPolyline), 5u);  // 2 extension lines, the line, 2 ticks
    const AcGiPrimitive* text = rec.first(AcGiPrimitiveType::kText);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "10.0000");
    EXPECT_GT(text->position.y, 3.0);  // above the dimension line
    bool dimensionLine = false;
    for (const AcGiPrimitive* p : rec.primitives(AcGiPrimitiveType::kPolyline))
        if (p->points.size() == 2 && p->points[0].isEqualTo(AcGePoint3d(0, 3, 0)) &&
            p->points[1].isEqualTo(AcGePoint3d(10, 3, 0)))
            dimensionLine = true;
    EXPECT_TRUE(dimensionLine);

    AcDbVoidPtrArray pieces;
    ASSERT_EQ(dim.explode(pieces), Acad::eOk);
    int lines = 0;
    for (void* p : pieces) {
        if (AcDbLine::cast(static_cast<AcDbEntity*>(p))) ++lines;
        delete static_cast<AcDbEntity*>(p);
    }
    EXPECT_EQ(lines, 5);
    EXPECT_EQ(pieces.length(), 6);
}

TEST_F(DimensionTest, TransformMovesThePointsAndTheMeasurementFollows) {
    AcDbRotatedDimension dim(0.0, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(5, 3, 0));
    dim.setTextPosition(AcGePoint3d(5, 4, 0));
    AcGeMatrix3d m = AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) * AcGeMatrix3d::scaling(2.0);
    ASSERT_EQ(dim.transformBy(m), Acad::eOk);
    EXPECT_NEAR(dim.measurement(), 20.0, 1e-9);
    EXPECT_NEAR(dim.rotation(), kPi / 2, 1e-12);
    expectPoint(dim.xLine2Point(), AcGePoint3d(0, 20, 0));
    expectPoint(dim.textPosition(), AcGePoint3d(-8, 10, 0));
    EXPECT_FALSE(dim.isUsingDefaultTextPosition());

    AcDbAlignedDimension aligned(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0), AcGePoint3d(0, 0, 0));
    ASSERT_EQ(aligned.transformBy(AcGeMatrix3d::mirroring(AcGePlane(AcGePoint3d(), AcGeVector3d::kXAxis))), Acad::eOk);
    EXPECT_NEAR(aligned.measurement(), 5.0, 1e-12);
    expectPoint(aligned.xLine2Point(), AcGePoint3d(-3, 4, 0));
}

TEST_F(DimensionTest, DxfRoundTripKeepsPointsRotationAndText) {
    AcDbRotatedDimension dim(kPi / 6, AcGePoint3d(1, 2, 0), AcGePoint3d(8, 3, 0), AcGePoint3d(4, 9, 0), "<> units",
                             AcDbObjectId::kNull);
    dim.setTextPosition(AcGePoint3d(4, 10, 0));
    AcDbDxfMemoryFiler mem(&db);
    std::unique_ptr<AcDbRotatedDimension> copy(dxfCopy(&dim, mem));
    int aligned = findGroup(mem, 100, "AcDbAlignedDimension");
    int rotated = findGroup(mem, 100, "AcDbRotatedDimension");
    ASSERT_GT(aligned, findGroup(mem, 100, "AcDbDimension"));
    ASSERT_GT(rotated, aligned);
    int angle = findGroup(mem, 50);
    EXPECT_GT(angle, aligned);
    EXPECT_LT(angle, rotated);
    EXPECT_NEAR(mem.groups()[static_cast<size_t>(angle)].xyz[0], 30.0, 1e-9);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 70))].integer, 128);

    EXPECT_NEAR(copy->rotation(), kPi / 6, 1e-12);
    expectPoint(copy->xLine1Point(), dim.xLine1Point());
    expectPoint(copy->xLine2Point(), dim.xLine2Point());
    expectPoint(copy->dimLinePoint(), dim.dimLinePoint());
    expectPoint(copy->textPosition(), AcGePoint3d(4, 10, 0));
    EXPECT_STREQ(copy->dimensionTextConst(), "<> units");
    EXPECT_NEAR(copy->measurement(), dim.measurement(), 1e-12);
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 3))].text, "Standard");

    AcDbAlignedDimension plain(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0), AcGePoint3d(0, 1, 0));
    std::unique_ptr<AcDbAlignedDimension> back(dxfCopy(&plain, mem));
    EXPECT_EQ(mem.groups()[static_cast<size_t>(findGroup(mem, 70))].integer, 1);
    EXPECT_EQ(findGroup(mem, 100, "AcDbRotatedDimension"), -1);
    expectPoint(back->xLine2Point(), AcGePoint3d(1, 0, 0));
    EXPECT_TRUE(back->isUsingDefaultTextPosition());
}

}  // namespace
