// Explode, snaps, drawing and list output of the native curves.
#include <memory>
#include <string>
#include "curves_fixture.h"
#include "db/arc.h"
#include "db/circle.h"
#include "db/ellipse.h"
#include "db/line.h"
#include "db/point.h"
#include "db/polyline.h"
#include "db/polyline2d.h"
#include "db/ray.h"
#include "gi/recorder.h"
#include "rx/print.h"

namespace {
struct Exploded {
    AcDbVoidPtrArray items;
    ~Exploded() {
        for (void* p : items) delete static_cast<AcDbEntity*>(p);
    }
    AcDbEntity* at(int i) const { return static_cast<AcDbEntity*>(items[i]); }
};

std::string g_printed;
void capture(const char* text) { g_printed += text; }

AcGePoint3dArray snaps(const AcDbEntity& e, AcDb::OsnapMode mode, const AcGePoint3d& pick = AcGePoint3d::kOrigin,
                       const AcGePoint3d& last = AcGePoint3d::kOrigin) {
    AcGePoint3dArray pts;
    AcDbIntArray ids;
    EXPECT_EQ(e.getOsnapPoints(mode, 0, pick, last, AcGeMatrix3d::kIdentity, pts, ids), Acad::eOk);
    return pts;
}
}  // namespace

TEST(CurveExplode, PolylineWithBulgesBecomesLinesAndArcs) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 0.0, 1.0, 1.0);
    pl.addVertexAt(1, AcGePoint2d(4, 0), 1.0);
    pl.addVertexAt(2, AcGePoint2d(4, 4));
    pl.addVertexAt(3, AcGePoint2d(4, 4));  // a zero-length segment is left out
    pl.addVertexAt(4, AcGePoint2d(0, 4), -0.5);
    pl.setClosed(true);
    pl.setThickness(2.0);
    pl.setColorIndex(3);
    Exploded out;
    ASSERT_EQ(pl.explode(out.items), Acad::eOk);
    ASSERT_EQ(out.items.length(), 4);
    double total = 0.0, plLength = 0.0;
    pl.getDistAtParam(5.0, plLength);
    int arcs = 0;
    for (int i = 0; i < out.items.length(); ++i) {
        auto* c = AcDbCurve::cast(out.at(i));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->colorIndex(), 3);
        double e, d;
        c->getEndParam(e);
        c->getDistAtParam(e, d);
        total += d;
        if (auto* arc = AcDbArc::cast(c)) {
            ++arcs;
            EXPECT_EQ(arc->thickness(), 2.0);
        } else {
            EXPECT_EQ(AcDbLine::cast(c)->thickness(), 2.0);
        }
    }
    EXPECT_EQ(arcs, 2);
    EXPECT_NEAR(total, plLength, 1e-9);
    // The half circle out to x = 6, and the inward arc from (0, 4) back to (0, 0).
    auto* half = AcDbArc::cast(out.at(1));
    ASSERT_NE(half, nullptr);
    expectPoint(half->center(), AcGePoint3d(4, 2, 0));
    EXPECT_NEAR(half->radius(), 2.0, 1e-12);
    EXPECT_NEAR(half->startAngle(), 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(half->endAngle(), kPi / 2, 1e-12);
    auto* inward = AcDbArc::cast(out.at(3));
    ASSERT_NE(inward, nullptr);
    AcGePoint3d s, e, mid, plMid;
    inward->getStartPoint(s);
    inward->getEndPoint(e);
    expectPoint(s, AcGePoint3d(0, 0, 0));  // clockwise in the polyline: counter-clockwise reversed
    expectPoint(e, AcGePoint3d(0, 4, 0));
    inward->getPointAtParam(inward->startAngle() + inward->totalAngle() / 2, mid);
    pl.getPointAtParam(4.5, plMid);
    expectPoint(mid, plMid);
}

TEST(CurveExplode, TiltedPolylinePiecesKeepItsPlane) {
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(1, 1), 0.3);
    pl.addVertexAt(1, AcGePoint2d(5, 2));
    pl.setNormal(AcGeVector3d(1, -2, 2));
    pl.setElevation(1.5);
    Exploded out;
    ASSERT_EQ(pl.explode(out.items), Acad::eOk);
    ASSERT_EQ(out.items.length(), 1);
    auto* arc = AcDbArc::cast(out.at(0));
    ASSERT_NE(arc, nullptr);
    expectVector(arc->normal(), pl.normal());
    AcGePoint3d a, b, p;
    arc->getStartPoint(a);
    pl.getPointAt(0, p);
    expectPoint(a, p);
    arc->getEndPoint(b);
    pl.getPointAt(1, p);
    expectPoint(b, p);
}

TEST(CurveExplode, TwoDPolylineExplodesAndOtherCurvesDoNot) {
    AcGePoint3dArray pts{AcGePoint3d(0, 0, 0), AcGePoint3d(3, 0, 0), AcGePoint3d(3, 3, 0)};
    AcGeDoubleArray bulges{0.0, 0.4};
    AcDb2dPolyline pl(AcDb::k2dSimplePoly, pts, 1.0, false, 0.0, 0.0, &bulges);
    Exploded out;
    ASSERT_EQ(pl.explode(out.items), Acad::eOk);
    ASSERT_EQ(out.items.length(), 2);
    EXPECT_NE(AcDbLine::cast(out.at(0)), nullptr);
    EXPECT_NE(AcDbArc::cast(out.at(1)), nullptr);
    expectPoint(AcDbLine::cast(out.at(0))->endPoint(), AcGePoint3d(3, 0, 1));

    AcDbVoidPtrArray none;
    EXPECT_EQ(AcDbLine().explode(none), Acad::eNotApplicable);
    EXPECT_EQ(AcDbCircle().explode(none), Acad::eNotApplicable);
    EXPECT_EQ(AcDbArc().explode(none), Acad::eNotApplicable);
    EXPECT_EQ(AcDbEllipse().explode(none), Acad::eNotApplicable);
    EXPECT_EQ(AcDbRay().explode(none), Acad::eNotApplicable);
    EXPECT_EQ(AcDbPoint().explode(none), Acad::eNotApplicable);
    EXPECT_TRUE(none.isEmpty());
}

TEST(CurveSnaps, EndMidCentreQuadrantPerpendicularTangent) {
    AcDbArc arc(AcGePoint3d::kOrigin, 2.0, kPi / 4, 3 * kPi / 2);
    EXPECT_EQ(snaps(arc, AcDb::kOsModeEnd).length(), 2);
    AcGePoint3dArray q = snaps(arc, AcDb::kOsModeQuad);
    EXPECT_EQ(q.length(), 3);  // 90, 180, 270 degrees
    expectPoint(snaps(arc, AcDb::kOsModeCen)[0], AcGePoint3d::kOrigin);
    AcGePoint3dArray perp = snaps(arc, AcDb::kOsModePerp, AcGePoint3d::kOrigin, AcGePoint3d(-5, 0, 0));
    ASSERT_EQ(perp.length(), 1);  // (2, 0) is outside the sweep
    expectPoint(perp[0], AcGePoint3d(-2, 0, 0));

    AcDbCircle circle(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, 1.0);
    AcGePoint3dArray tan = snaps(circle, AcDb::kOsModeTan, AcGePoint3d::kOrigin, AcGePoint3d(2, 0, 0));
    ASSERT_EQ(tan.length(), 2);
    for (const AcGePoint3d& t : tan) EXPECT_NEAR((t - AcGePoint3d(2, 0, 0)).dotProduct(t.asVector()), 0.0, 1e-12);
    expectPoint(snaps(circle, AcDb::kOsModeNear, AcGePoint3d(0, 3, 0))[0], AcGePoint3d(0, 1, 0));

    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(4, 0, 0));
    expectPoint(snaps(line, AcDb::kOsModeMid)[0], AcGePoint3d(2, 0, 0));
    expectPoint(snaps(line, AcDb::kOsModePerp, AcGePoint3d::kOrigin, AcGePoint3d(1, 5, 0))[0], AcGePoint3d(1, 0, 0));
    EXPECT_EQ(snaps(line, AcDb::kOsModePerp, AcGePoint3d::kOrigin, AcGePoint3d(9, 5, 0)).length(), 0);

    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0), 1.0);
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    pl.addVertexAt(2, AcGePoint2d(2, 3));
    EXPECT_EQ(snaps(pl, AcDb::kOsModeEnd).length(), 3);
    AcGePoint3dArray mids = snaps(pl, AcDb::kOsModeMid);
    ASSERT_EQ(mids.length(), 2);
    expectPoint(mids[0], AcGePoint3d(1, -1, 0));
    expectPoint(snaps(pl, AcDb::kOsModeCen)[0], AcGePoint3d(1, 0, 0));

    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(4, 0, 0), 0.5);
    AcGePoint3dArray feet = snaps(el, AcDb::kOsModePerp, AcGePoint3d::kOrigin, AcGePoint3d(0, 5, 0));
    EXPECT_TRUE(feet.length() >= 2);
    EXPECT_EQ(snaps(el, AcDb::kOsModeQuad).length(), 4);
    EXPECT_EQ(snaps(AcDbPoint(AcGePoint3d(1, 2, 3)), AcDb::kOsModeNode).length(), 1);
}

TEST(CurveDraw, PrimitivesOfTheCurves) {
    AcGiRecordingDraw rec;
    AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2.0);
    EXPECT_TRUE(rec.draw(&circle));
    ASSERT_EQ(rec.count(AcGiPrimitiveType::kCircle), 1u);
    EXPECT_EQ(rec.first(AcGiPrimitiveType::kCircle)->radius, 2.0);

    rec.clear();
    AcDbArc arc(AcGePoint3d::kOrigin, 1.0, kPi / 2, kPi);
    EXPECT_TRUE(rec.draw(&arc));
    const AcGiPrimitive* a = rec.first(AcGiPrimitiveType::kArc);
    ASSERT_NE(a, nullptr);
    EXPECT_NEAR(a->sweep, kPi / 2, 1e-12);
    expectPoint(a->startPoint(), AcGePoint3d(0, 1, 0));
    expectPoint(a->endPoint(), AcGePoint3d(-1, 0, 0));

    rec.clear();
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(0, 0));
    pl.addVertexAt(1, AcGePoint2d(2, 0));
    pl.addVertexAt(2, AcGePoint2d(2, 2), 1.0);
    pl.addVertexAt(3, AcGePoint2d(0, 2));
    EXPECT_TRUE(rec.draw(&pl));
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kPolyline), 1u);
    ASSERT_EQ(rec.count(AcGiPrimitiveType::kArc), 1u);
    const AcGiPrimitive* bulge = rec.first(AcGiPrimitiveType::kArc);
    EXPECT_NEAR(bulge->pointAt(bulge->sweep / 2).y, 1.0 + 2.0, 1e-12);  // the arc bows away from the square
    AcDbExtents ext;
    pl.getGeomExtents(ext);
    expectPoint(ext.maxPoint(), AcGePoint3d(2, 3, 0));
    expectPoint(rec.extents().maxPoint(), ext.maxPoint(), 1e-3);

    // A segment with width is a filled band.
    rec.clear();
    pl.setWidthsAt(0, 0.5, 0.5);
    EXPECT_TRUE(rec.draw(&pl));
    ASSERT_EQ(rec.count(AcGiPrimitiveType::kPolygon), 1u);
    EXPECT_EQ(rec.first(AcGiPrimitiveType::kPolygon)->traits.fillType, kAcGiFillAlways);

    // An ellipse is one curve, not chords; its flattening stays within the deviation asked.
    rec.clear();
    AcDbEllipse el(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d(5, 0, 0), 0.4);
    EXPECT_TRUE(rec.draw(&el));
    ASSERT_EQ(rec.primitives().size(), 1u);
    const AcGiPrimitive* e = rec.first(AcGiPrimitiveType::kEllipse);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->isClosedCurve());
    const std::vector<AcGePoint3d> path = e->flatten(0.001);
    for (size_t i = 1; i < path.size(); ++i) {
        AcGePoint3d m = path[i - 1] + (path[i] - path[i - 1]) * 0.5;
        AcGePoint3d c;
        el.getClosestPointTo(m, c);
        ASSERT_LE(c.distanceTo(m), 0.0011);
    }
    rec.clear();
    AcDbEllipse part(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, AcGeVector3d(0, 3, 0), 0.5, 0.5, 2.5);
    EXPECT_TRUE(rec.draw(&part));
    const AcGiPrimitive* partial = rec.first(AcGiPrimitiveType::kEllipse);
    ASSERT_NE(partial, nullptr);
    AcGePoint3d start, end;
    part.getStartPoint(start);
    part.getEndPoint(end);
    expectPoint(partial->startPoint(), start);
    expectPoint(partial->endPoint(), end);
    AcDbExtents partExt;
    part.getGeomExtents(partExt);
    expectPoint(rec.extents().minPoint(), partExt.minPoint());
    expectPoint(rec.extents().maxPoint(), partExt.maxPoint());

    rec.clear();
    AcDbRay ray;
    EXPECT_TRUE(rec.draw(&ray));
    EXPECT_EQ(rec.count(AcGiPrimitiveType::kRay), 1u);
}

TEST(CurveList, PrintsTheClassAndGeometry) {
    g_printed.clear();
    acutSetPrintSink(capture);
    AcDbCircle(AcGePoint3d(1, 2, 3), AcGeVector3d::kZAxis, 4.5).list();
    AcDbArc(AcGePoint3d::kOrigin, 1.0, 0.0, kPi / 2).list();
    AcDbPolyline pl;
    pl.addVertexAt(0, AcGePoint2d(7, 8));
    pl.list();
    acutSetPrintSink(nullptr);
    EXPECT_NE(g_printed.find("CIRCLE"), std::string::npos);
    EXPECT_NE(g_printed.find("4.5"), std::string::npos);
    EXPECT_NE(g_printed.find("ARC"), std::string::npos);
    EXPECT_NE(g_printed.find("90"), std::string::npos);
    EXPECT_NE(g_printed.find("LWPOLYLINE"), std::string::npos);
    EXPECT_NE(g_printed.find("7.0000"), std::string::npos);
}
