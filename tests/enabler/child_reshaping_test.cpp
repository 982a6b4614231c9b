#include <cmath>
#include "db/arc.h"
#include "db/circle.h"
#include "db/line.h"
#include "db/polyline.h"
#include "db/text.h"
#include "GripDragContext.h"
#include "grip_drag_support.h"

using namespace zefttest;

namespace {

using ChildReshaping = GripDragTest;
const double kS = std::sqrt(0.5);

// Drags grip `index` of a reference (grips enumerated first, as the host does).
void drag(AcDbObjectId refId, int index, const AcGeVector3d& offset, bool stretch = false) {
    Open<ZEFTBlockReference> ref(refId, AcDb::kForWrite);
    gripList(ref.object);
    const AcDbIntArray indices{index};
    EXPECT_EQ(stretch ? ref->moveStretchPointsAt(indices, offset) : ref->moveGripPointsAt(indices, offset), Acad::eOk);
}

AcGePoint3d lineEnd(AcDbObjectId id, bool start) {
    Open<AcDbLine> line(id);
    return start ? line->startPoint() : line->endPoint();
}

// The entities of the definition a reference shows, in definition order.
std::vector<AcDbObjectId> shownBy(Drawing& d, AcDbObjectId refId) {
    Open<ZEFTBlockReference> ref(refId);
    return d.entitiesOf(ref->blockTableRecord());
}

AcDbPolyline* polyline(std::initializer_list<AcGePoint2d> points) {
    auto* p = new AcDbPolyline();
    unsigned i = 0;
    for (const AcGePoint2d& at : points) p->addVertexAt(i++, at);
    return p;
}

AcGePoint3d vertex(AcDbObjectId id, unsigned i) {
    Open<AcDbPolyline> p(id);
    AcGePoint3d at;
    p->getPointAt(i, at);
    return at;
}

}  // namespace

TEST_F(ChildReshaping, TranslatingGripMovesEachKindOfChildOnTheAllowedAxis) {
    Drawing d;
    ZEFTGripPoint* grip = gripPoint(1, AcGePoint3d(), {}, 1);
    grip->pointLists[0].append(AcGePoint3d(-1, -1, 0));
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block =
        d.block("T1", {grip, new AcDbLine(AcGePoint3d(), AcGePoint3d(10, 0, 0)), polyline({{0, 0}, {5, 5}, {10, 0}}),
                       new AcDbCircle(AcGePoint3d(), AcGeVector3d::kZAxis, 2), new AcDbText(AcGePoint3d(), "T"),
                       new AcDbArc(AcGePoint3d(), 5, 0, M_PI)},
                AcGePoint3d::kOrigin, &ids);
    const std::vector<int> bound[] = {{0}, {1}, {0}, {0}, {3}};
    for (int i = 0; i < 5; ++i) bind(ids[0], 0, ids[i + 1], bound[i]);
    const AcDbObjectId ref = d.reference(block);
    drag(ref, 1, AcGeVector3d(5, 5, 0));

    const std::vector<AcDbObjectId> shown = shownBy(d, ref);
    EXPECT_TRUE(near(lineEnd(shown[1], true), AcGePoint3d(0, 5, 0)));
    EXPECT_TRUE(near(lineEnd(shown[1], false), AcGePoint3d(10, 0, 0)));
    EXPECT_TRUE(near(vertex(shown[2], 1), AcGePoint3d(5, 10, 0)));
    EXPECT_TRUE(near(vertex(shown[2], 0), AcGePoint3d(0, 0, 0)));
    EXPECT_TRUE(near(Open<AcDbCircle>(shown[3])->center(), AcGePoint3d(0, 5, 0)));
    EXPECT_TRUE(near(Open<AcDbText>(shown[4])->position(), AcGePoint3d(0, 5, 0)));
    EXPECT_TRUE(near(Open<AcDbArc>(shown[5])->center(), AcGePoint3d(0, 5, 0)));
    Open<ZEFTGripPoint> moved(shown[0]);
    EXPECT_TRUE(near(moved->position(), AcGePoint3d(0, 5, 0)));
    EXPECT_TRUE(near(moved->pointLists[0][0], AcGePoint3d(-1, 4, 0)));
    EXPECT_TRUE(moved->lastOffset().isZeroLength());
    // The shared definition is untouched.
    EXPECT_TRUE(near(lineEnd(ids[1], true), AcGePoint3d()));
}

TEST_F(ChildReshaping, TurningGripsTurnAboutTheCentreAndTopBottomEndsFollowTheDrag) {
    for (int topBottom : {0, 1}) {
        Drawing d;
        ZEFTGripPoint* grip = gripPoint(3, AcGePoint3d(10, 0, 0), {}, topBottom);
        std::vector<AcDbObjectId> ids;
        const AcDbObjectId block =
            d.block("T3", {grip, new AcDbLine(AcGePoint3d(10, 0, 0), AcGePoint3d(5, 0, 0))}, AcGePoint3d::kOrigin, &ids);
        bind(ids[0], 0, ids[1], {0, 1});
        const AcDbObjectId ref = d.reference(block, AcGePoint3d(50, 50, 0));
        drag(ref, 1, AcGeVector3d(0, 10, 0));  // a turn of 45 degrees about the origin
        const std::vector<AcDbObjectId> shown = shownBy(d, ref);
        const AcGePoint3d onGrip = topBottom ? AcGePoint3d(10, 10, 0) : AcGePoint3d(10 * kS, 10 * kS, 0);
        EXPECT_TRUE(near(lineEnd(shown[1], true), onGrip)) << topBottom;
        EXPECT_TRUE(near(lineEnd(shown[1], false), AcGePoint3d(5 * kS, 5 * kS, 0))) << topBottom;
        Open<ZEFTGripPoint> moved(shown[0]);
        EXPECT_TRUE(near(moved->position(), onGrip)) << topBottom;
        EXPECT_TRUE(near(moved->centerOfRadius(), AcGePoint3d()));
    }
}

TEST_F(ChildReshaping, TwoPointGripStretchesAlongItsLineAndMovesTheSubPointOnce) {
    Drawing d;
    ZEFTGripPoint* grip = gripPoint(4, AcGePoint3d(), {AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)});
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block =
        d.block("T4", {grip, new AcDbLine(AcGePoint3d(0, 1, 0), AcGePoint3d(10, 1, 0)),
                       new AcDbLine(AcGePoint3d(0, 2, 0), AcGePoint3d(10, 2, 0)),
                       new AcDbLine(AcGePoint3d(0, 3, 0), AcGePoint3d(10, 3, 0))},
                AcGePoint3d::kOrigin, &ids);
    for (int i = 1; i <= 3; ++i) bind(ids[0], 1, ids[i], {1});
    const AcDbObjectId ref = d.reference(block);
    drag(ref, 2, AcGeVector3d(5, 0, 0));  // sub-point 1 along the line
    drag(ref, 2, AcGeVector3d(3, 4, 0));  // projected onto the line: (3, 0, 0)
    const std::vector<AcDbObjectId> shown = shownBy(d, ref);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(near(lineEnd(shown[i], false), AcGePoint3d(18, i, 0))) << i;
        EXPECT_TRUE(near(lineEnd(shown[i], true), AcGePoint3d(0, i, 0))) << i;
    }
    EXPECT_TRUE(near(Open<ZEFTGripPoint>(shown[0])->subPoints[1], AcGePoint3d(18, 0, 0)));
}

TEST_F(ChildReshaping, TwoPointTopBottomGripTurnsBothEndsChildrenAndSnapsTheDrag) {
    for (double increment : {0.0, 5.0}) {
        Drawing d;
        ZEFTGripPoint* grip = gripPoint(4, AcGePoint3d(), {AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)}, 1);
        if (increment > 0) {
            grip->setDimensionalSettings(0, "Length");
            grip->smartGripData[0].values.append(increment);
        }
        std::vector<AcDbObjectId> ids;
        const AcDbObjectId block =
            d.block("TB", {grip, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)),
                           new AcDbLine(AcGePoint3d(2, 0, 0), AcGePoint3d(4, 0, 0))},
                    AcGePoint3d::kOrigin, &ids);
        bind(ids[0], 1, ids[1], {1});
        bind(ids[0], 0, ids[1], {0});  // in both lists: turned once, with the dragged end
        bind(ids[0], 0, ids[2], {0});
        const AcDbObjectId ref = d.reference(block);
        drag(ref, 2, AcGeVector3d(0, 10, 0));
        const std::vector<AcDbObjectId> shown = shownBy(d, ref);
        const double reach = increment > 0 ? 15.0 : std::sqrt(200.0);  // snapped to 15
        const AcGePoint3d end(reach * kS, reach * kS, 0);
        EXPECT_TRUE(near(lineEnd(shown[1], true), AcGePoint3d()));
        EXPECT_TRUE(near(lineEnd(shown[1], false), end)) << increment;
        EXPECT_TRUE(near(lineEnd(shown[2], true), AcGePoint3d(2 * kS, 2 * kS, 0)));
        EXPECT_TRUE(near(lineEnd(shown[2], false), AcGePoint3d(4 * kS, 4 * kS, 0)));
        EXPECT_TRUE(near(Open<ZEFTGripPoint>(shown[0])->subPoints[1], end)) << increment;
    }
}

TEST_F(ChildReshaping, RectangleGripMovesEachEdgeOnItsAxisAndTheCornerBoth) {
    Drawing d;
    ZEFTGripPoint* grip = gripPoint(5, AcGePoint3d(), {AcGePoint3d(0, 5, 0), AcGePoint3d(5, 5, 0), AcGePoint3d(5, 0, 0),
                                                      AcGePoint3d(0, 0, 0)});
    grip->setDimensionalSettings(0, "Height");
    grip->setDimensionalSettings(1, "Width");
    grip->smartGripData[1].values.append(5.0);  // widths in steps of 5
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block =
        d.block("R", {grip, new AcDbLine(AcGePoint3d(0, 5, 0), AcGePoint3d(5, 5, 0)),
                      new AcDbLine(AcGePoint3d(5, 5, 0), AcGePoint3d(5, 0, 0)), polyline({{0, 0}, {0, 5}, {5, 5}, {5, 0}})},
                AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {0, 1});  // top edge
    bind(ids[0], 0, ids[3], {1, 2});
    bind(ids[0], 1, ids[2], {0, 1});  // right edge; the outline sits at another position here
    bind(ids[0], 1, ids[3], {2, 3});
    const AcDbObjectId ref = d.reference(block);
    const std::vector<AcDbObjectId> shown = shownBy(d, ref);
    auto sub = [&](int k) { return Open<ZEFTGripPoint>(shown[0])->subPoints[k]; };

    drag(ref, 3, AcGeVector3d(2.6, 7, 0));  // sub-point 2 in x: width 7.6 snaps to 10
    EXPECT_TRUE(near(lineEnd(shown[2], true), AcGePoint3d(10, 5, 0)));
    EXPECT_TRUE(near(lineEnd(shown[1], false), AcGePoint3d(5, 5, 0)));
    EXPECT_TRUE(near(sub(1), AcGePoint3d(10, 5, 0)));
    EXPECT_TRUE(near(sub(2), AcGePoint3d(10, 0, 0)));

    drag(ref, 1, AcGeVector3d(2, 3, 0));  // sub-point 0 in y
    EXPECT_TRUE(near(lineEnd(shown[1], true), AcGePoint3d(0, 8, 0)));
    EXPECT_TRUE(near(lineEnd(shown[2], true), AcGePoint3d(10, 5, 0)));
    EXPECT_TRUE(near(sub(0), AcGePoint3d(0, 8, 0)));

    drag(ref, 2, AcGeVector3d(5, 1, 0));  // the corner: top edge in y, right edge in x
    EXPECT_TRUE(near(lineEnd(shown[1], false), AcGePoint3d(5, 9, 0)));
    EXPECT_TRUE(near(lineEnd(shown[2], false), AcGePoint3d(15, 0, 0)));
    EXPECT_TRUE(near(vertex(shown[3], 1), AcGePoint3d(0, 9, 0)));
    EXPECT_TRUE(near(vertex(shown[3], 2), AcGePoint3d(15, 9, 0)));
    EXPECT_TRUE(near(vertex(shown[3], 3), AcGePoint3d(15, 0, 0)));
    EXPECT_TRUE(near(sub(1), AcGePoint3d(15, 9, 0)));

    drag(ref, 4, AcGeVector3d(1, 1, 0));  // sub-point 3 moves nothing
    EXPECT_TRUE(near(sub(3), AcGePoint3d()));
    EXPECT_TRUE(Open<ZEFTGripPoint>(shown[0])->lastOffset().isEqualTo(AcGeVector3d(1, 1, 0)));
}

TEST_F(ChildReshaping, TurnGripTurnsTheWholeReferenceOnceAndNeverInAStretch) {
    Drawing d;
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("T0",
                                       {gripPoint(0, AcGePoint3d(10, 0, 0)), new AcDbLine(AcGePoint3d(10, 0, 0), AcGePoint3d()),
                                        new AcDbLine(AcGePoint3d(10, 0, 0), AcGePoint3d(0, 5, 0))},
                                       AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {0});
    bind(ids[0], 0, ids[2], {0});
    const AcDbObjectId ref = d.reference(block, AcGePoint3d(100, 0, 0), {AcGePoint3d(100, 5, 0)});
    drag(ref, 1, AcGeVector3d(0, 1, 0), true);
    EXPECT_DOUBLE_EQ(Open<ZEFTBlockReference>(ref)->rotation(), 0.0);
    drag(ref, 1, AcGeVector3d(0, 1, 0));
    Open<ZEFTBlockReference> turned(ref);
    EXPECT_NEAR(turned->rotation(), M_PI / 2, 1e-9);
    EXPECT_TRUE(near(turned->position(), AcGePoint3d(110, -10, 0)));
    EXPECT_TRUE(near(Open<ZEFTAttribute>(turned->getAttribute(0))->position(), AcGePoint3d(105, -10, 0)));
    EXPECT_TRUE(near(lineEnd(shownBy(d, ref)[1], true), AcGePoint3d(10, 0, 0)));
}

TEST_F(ChildReshaping, AttributeDefinitionChildMovesTheReferencesAttributeInWorldDirections) {
    Drawing d;
    ZEFTGripPoint* grip = gripPoint(1, AcGePoint3d(), {}, 1);
    grip->setLeftRight(1);
    auto* definition = new ZEFTAttributeDefinition();
    definition->setPosition(AcGePoint3d());
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("AD", {grip, definition}, AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {0});
    const AcDbObjectId ref = d.reference(block, AcGePoint3d(100, 0, 0), {AcGePoint3d(100, 0, 0)});
    const std::vector<AcDbObjectId> shown = shownBy(d, ref);
    AcDbObjectId attributeId;
    {
        Open<ZEFTBlockReference> r(ref, AcDb::kForWrite);
        r->setRotation(M_PI / 2);
        attributeId = r->getAttribute(0);
        Open<ZEFTAttribute>(attributeId, AcDb::kForWrite)->setDefinitionId(AcDbSoftPointerId(shown[1]));
    }
    drag(ref, 1, AcGeVector3d(0, 3, 0));  // along the definition's x axis
    EXPECT_TRUE(near(Open<ZEFTAttribute>(attributeId)->position(), AcGePoint3d(100, 3, 0)));
    EXPECT_TRUE(near(Open<ZEFTAttributeDefinition>(shown[1])->position(), AcGePoint3d()));
    EXPECT_TRUE(near(Open<ZEFTGripPoint>(shown[0])->position(), AcGePoint3d(3, 0, 0)));
}

TEST_F(ChildReshaping, NestedIntelligentReferenceMovesItsOwnGripAndKeepsTheOuterOffset) {
    Drawing d;
    ZEFTGripPoint* inner = gripPoint(1, AcGePoint3d(1, 0, 0));
    inner->setLeftRight(1);
    std::vector<AcDbObjectId> innerIds;
    const AcDbObjectId innerBlock = d.block(
        "INNER", {inner, new AcDbLine(AcGePoint3d(1, 0, 0), AcGePoint3d(0, 0, 0))}, AcGePoint3d::kOrigin, &innerIds);
    bind(innerIds[0], 0, innerIds[1], {0});
    auto* nested = new ZEFTBlockReference();
    nested->setBlockTableRecord(innerBlock);
    ZEFTGripPoint* outer = gripPoint(1, AcGePoint3d(1, 0, 0));
    outer->setLeftRight(1);
    std::vector<AcDbObjectId> ids;
    const AcDbObjectId block = d.block("OUTER", {outer, nested}, AcGePoint3d::kOrigin, &ids);
    bind(ids[0], 0, ids[1], {1});  // the nested reference's grip 1: its grip point
    const AcDbObjectId ref = d.reference(block);
    Open<ZEFTBlockReference>(ref, AcDb::kForWrite)->setScaleFactors(AcGeScale3d(2, 2, 2));
    drag(ref, 1, AcGeVector3d(8, 0, 0));  // (4, 0, 0) in the definition and for the nested reference

    EXPECT_TRUE(currentGripOffset().isEqualTo(AcGeVector3d(8, 0, 0)));
    const std::vector<AcDbObjectId> nestedShown = shownBy(d, shownBy(d, ref)[1]);
    ASSERT_EQ(nestedShown.size(), 2u);
    EXPECT_TRUE(near(lineEnd(nestedShown[1], true), AcGePoint3d(5, 0, 0)));
    EXPECT_TRUE(near(lineEnd(innerIds[1], true), AcGePoint3d(1, 0, 0)));  // the shared inner block
}
