// The recording drawing context: transforms, traits, nesting, aborting, viewport.
#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <numbers>
#include "gi/recorder.h"

namespace {
constexpr double kPi = std::numbers::pi;

// A drawable whose drawing is given by the test.
class Scripted : public AcGiDrawable {
public:
    std::function<void(AcGiDrawableTraits*)> attributes;
    std::function<bool(AcGiWorldDraw*)> world;
    std::function<void(AcGiViewportDraw*)> viewport;

    Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) override {
        if (attributes) attributes(traits);
        return 0;
    }
    Adesk::Boolean worldDraw(AcGiWorldDraw* mode) override { return world ? world(mode) : Adesk::kTrue; }
    void viewportDraw(AcGiViewportDraw* mode) override {
        if (viewport) viewport(mode);
    }
};

void segment(AcGiGeometry& g, AcGePoint3d a, AcGePoint3d b) {
    const AcGePoint3d pts[2] = {a, b};
    g.polyline(2, pts);
}

void expectPoint(const AcGePoint3d& p, double x, double y, double z = 0.0) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
    EXPECT_NEAR(p.z, z, 1e-9);
}

AcGeMatrix3d scaling3(double sx, double sy, double sz) {
    AcGeMatrix3d m;
    m.entry[0][0] = sx;
    m.entry[1][1] = sy;
    m.entry[2][2] = sz;
    return m;
}
}  // namespace

TEST(RecorderTransforms, NestedPushesComposeInnerFirst) {
    AcGiRecordingDraw rec;
    Scripted d;
    AcGeMatrix3d inside;
    d.world = [&](AcGiWorldDraw* w) {
        AcGiWorldGeometry& g = w->geometry();
        g.pushModelTransform(AcGeMatrix3d::translation(AcGeVector3d(10, 0, 0)));
        segment(g, {0, 0, 0}, {1, 0, 0});
        g.pushModelTransform(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis));
        segment(g, {0, 0, 0}, {1, 0, 0});
        inside = g.getModelToWorldTransform();
        g.popModelTransform();
        g.popModelTransform();
        segment(g, {0, 0, 0}, {1, 0, 0});
        return true;
    };
    EXPECT_TRUE(rec.draw(&d));
    ASSERT_EQ(rec.primitives().size(), 3u);
    expectPoint(rec.primitives()[0].points[1], 11, 0);
    expectPoint(rec.primitives()[1].points[0], 10, 0);
    expectPoint(rec.primitives()[1].points[1], 10, 1);
    expectPoint(rec.primitives()[2].points[1], 1, 0);
    expectPoint(inside * AcGePoint3d(1, 0, 0), 10, 1);
    EXPECT_EQ(rec.unbalancedPushes(), 0);
    EXPECT_EQ(rec.unbalancedPops(), 0);
}

TEST(RecorderTransforms, NestedDrawableInheritsTransformAndDepth) {
    AcGiRecordingDraw rec;
    Scripted inner, outer;
    inner.world = [](AcGiWorldDraw* w) {
        w->geometry().circle(AcGePoint3d(1, 0, 0), 1.0, AcGeVector3d::kZAxis);
        return true;
    };
    outer.world = [&](AcGiWorldDraw* w) {
        w->geometry().pushModelTransform(AcGeMatrix3d::scaling(2.0));
        w->geometry().draw(&inner);
        w->geometry().popModelTransform();
        return true;
    };
    rec.draw(&outer);
    const AcGiPrimitive* c = rec.first(AcGiPrimitiveType::kCircle);
    ASSERT_NE(c, nullptr);
    expectPoint(c->center, 2, 0);
    EXPECT_NEAR(c->radius, 2.0, 1e-12);
    EXPECT_EQ(c->depth, 1);
    EXPECT_EQ(c->drawable, &inner);
    EXPECT_EQ(rec.maxDepth(), 1);
    AcDbExtents ext = rec.extents();
    expectPoint(ext.minPoint(), 0, -2);
    expectPoint(ext.maxPoint(), 4, 2);
}

TEST(RecorderTransforms, UnequalScalingTurnsCircleIntoEllipse) {
    AcGiRecordingDraw rec;
    Scripted d;
    d.world = [](AcGiWorldDraw* w) {
        w->geometry().pushModelTransform(scaling3(2, 1, 1));
        w->geometry().circle(AcGePoint3d::kOrigin, 1.0, AcGeVector3d::kZAxis);
        w->geometry().popModelTransform();
        return true;
    };
    rec.draw(&d);
    ASSERT_EQ(rec.primitives().size(), 1u);
    const AcGiPrimitive& p = rec.primitives()[0];
    ASSERT_EQ(p.type, AcGiPrimitiveType::kEllipse);
    EXPECT_TRUE(p.isClosedCurve());
    EXPECT_NEAR(p.radius, 2.0, 1e-12);
    EXPECT_NEAR(p.radiusRatio, 0.5, 1e-12);
    expectPoint(p.startPoint(), 2, 0);
    for (double t = 0; t < 2 * kPi; t += 0.1) {
        const AcGePoint3d q = p.pointAt(t);
        EXPECT_NEAR(q.x * q.x / 4 + q.y * q.y, 1.0, 1e-9);
    }
    expectPoint(rec.extents().minPoint(), -2, -1);
    expectPoint(rec.extents().maxPoint(), 2, 1);
}

// Elliptical arcs under any affine transform come back on their principal axes, every point
// where the transform puts it; the box is exact.
TEST(RecorderCurves, EllipticalArcsKeepTheirPointsUnderTransforms) {
    const AcGePoint3d c(1, 2, 0);
    const AcGeVector3d major(3, 1, 0), minor = AcGeVector3d::kZAxis.crossProduct(major) * 0.4;
    const double start = 0.3, sweep = 4.0;
    const AcGeMatrix3d m = AcGeMatrix3d::rotation(0.7, AcGeVector3d::kZAxis, AcGePoint3d(5, 0, 0)) * scaling3(1.5, -0.5, 1);
    for (double turn : {1.0, -1.0}) {  // counter-clockwise, and the same arc given clockwise
        AcGiRecordingDraw rec;
        AcGiWorldGeometry& g = rec.worldDraw().geometry();
        g.pushModelTransform(m);
        if (turn > 0) g.ellipticalArc(c, AcGeVector3d::kZAxis, major, 0.4, start, sweep);
        else g.ellipticalArc(c, AcGeVector3d::kZAxis, major, 0.4, start + sweep, -sweep);
        g.popModelTransform();
        ASSERT_EQ(rec.primitives().size(), 1u);
        const AcGiPrimitive& p = rec.primitives()[0];
        ASSERT_EQ(p.type, AcGiPrimitiveType::kEllipse);
        EXPECT_FALSE(p.isClosedCurve());
        EXPECT_NEAR(p.sweep, sweep, 1e-12);
        EXPECT_LE(p.radiusRatio, 1.0);
        EXPECT_NEAR(p.startVector.dotProduct(p.normal.crossProduct(p.startVector)), 0.0, 1e-12);
        AcDbExtents box;
        for (int k = 0; k <= 400; ++k) {
            const double t = sweep * k / 400;
            const double s = turn > 0 ? start + t : start + sweep - t;
            const AcGePoint3d want = m * (c + major * std::cos(s) + minor * std::sin(s));
            const AcGePoint3d got = p.pointAt(t);
            EXPECT_NEAR(got.distanceTo(want), 0.0, 1e-9) << "t " << t;
            box.addPoint(want);
        }
        const AcDbExtents ext = rec.extents();
        EXPECT_NEAR(ext.minPoint().x, box.minPoint().x, 1e-3);
        EXPECT_NEAR(ext.minPoint().y, box.minPoint().y, 1e-3);
        EXPECT_NEAR(ext.maxPoint().x, box.maxPoint().x, 1e-3);
        EXPECT_NEAR(ext.maxPoint().y, box.maxPoint().y, 1e-3);
        EXPECT_LE(ext.minPoint().x, box.minPoint().x + 1e-12);
        EXPECT_GE(ext.maxPoint().y, box.maxPoint().y - 1e-12);
    }
}

// Transforms that overflow leave out what they would place at infinity or NaN, whatever the
// primitive, and the flattening of what is left stays finite.
TEST(RecorderTransforms, NonFiniteGeometryIsLeftOut) {
    AcGiRecordingDraw rec;
    Scripted d;
    d.world = [](AcGiWorldDraw* w) {
        AcGiWorldGeometry& g = w->geometry();
        segment(g, AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));  // kept
        g.pushModelTransform(scaling3(1e300, 1e300, 1e300));
        g.pushModelTransform(scaling3(1e300, 1e300, 1e300));
        g.circle(AcGePoint3d(1, 1, 0), 1.0, AcGeVector3d::kZAxis);
        g.circularArc(AcGePoint3d(1, 1, 0), 1.0, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1.0);
        g.ellipticalArc(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 0.5, 0.0, 2 * kPi);
        segment(g, AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        g.text(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1.0, 1.0, 0.0, "H");
        g.xline(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        g.popModelTransform();
        g.popModelTransform();
        return true;
    };
    rec.draw(&d);
    ASSERT_EQ(rec.primitives().size(), 1u);
    EXPECT_EQ(rec.nonFiniteCount(), 6u);
    for (const AcGiPrimitive& p : rec.primitives()) EXPECT_TRUE(p.isFinite());
    EXPECT_TRUE(rec.extents().maxPoint().isEqualTo(AcGePoint3d(1, 1, 0)));

    // A curve flattened with a deviation that is not a number still gets a bounded step count.
    rec.clear();
    rec.worldDraw().geometry().circle(AcGePoint3d::kOrigin, 1.0, AcGeVector3d::kZAxis);
    const auto pts = rec.primitives().at(0).flatten(std::nan(""));
    EXPECT_GE(pts.size(), 9u);
    EXPECT_LE(pts.size(), 4100u);
}

TEST(RecorderTransforms, MirroredArcKeepsItsPath) {
    AcGiRecordingDraw rec;
    Scripted d;
    d.world = [](AcGiWorldDraw* w) {
        w->geometry().pushModelTransform(scaling3(-1, 1, 1));
        w->geometry().circularArc(AcGePoint3d::kOrigin, 1.0, AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, kPi / 2);
        w->geometry().popModelTransform();
        return true;
    };
    rec.draw(&d);
    const AcGiPrimitive* a = rec.first(AcGiPrimitiveType::kArc);
    ASSERT_NE(a, nullptr);
    expectPoint(a->startPoint(), -1, 0);
    expectPoint(a->endPoint(), 0, 1);
    expectPoint(a->pointAt(kPi / 4), -std::sqrt(0.5), std::sqrt(0.5));
    EXPECT_NEAR(a->normal.z, -1.0, 1e-12);
    EXPECT_NEAR(a->sweep, kPi / 2, 1e-12);
}

TEST(RecorderTransforms, TextFollowsRotationAndScaling) {
    AcGiRecordingDraw rec;
    Scripted d;
    d.world = [](AcGiWorldDraw* w) {
        AcGiWorldGeometry& g = w->geometry();
        g.pushModelTransform(AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0)) *
                             AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis) * scaling3(2, 3, 1));
        g.text(AcGePoint3d(1, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d::kXAxis, 1.0, 1.0, 0.0, "AB");
        g.popModelTransform();
        g.pushModelTransform(AcGeMatrix3d::scaling(4.0));
        g.text(AcGePoint3d::kOrigin, AcGeVector3d::kZAxis, AcGeVector3d::kYAxis, 0.5, 0.8, 0.2, "C");
        g.popModelTransform();
        return true;
    };
    rec.draw(&d);
    const auto texts = rec.primitives(AcGiPrimitiveType::kText);
    ASSERT_EQ(texts.size(), 2u);
    const AcGiPrimitive& t = *texts[0];
    EXPECT_EQ(t.text, "AB");
    expectPoint(t.position, 5, 2);
    EXPECT_NEAR(t.direction.y, 1.0, 1e-12);
    EXPECT_NEAR(t.normal.z, 1.0, 1e-12);
    EXPECT_NEAR(t.height, 3.0, 1e-12);
    EXPECT_NEAR(t.widthFactor, 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(t.oblique, 0.0, 1e-12);
    const AcGiPrimitive& u = *texts[1];
    EXPECT_NEAR(u.height, 2.0, 1e-12);
    EXPECT_NEAR(u.widthFactor, 0.8, 1e-12);
    EXPECT_NEAR(u.oblique, 0.2, 1e-12);
    EXPECT_NEAR(u.direction.y, 1.0, 1e-12);
}

TEST(RecorderTransforms, UnbalancedTransformsAreRepairedAndCounted) {
    AcGiRecordingDraw rec;
    Scripted leaky, popper, plain;
    leaky.world = [](AcGiWorldDraw* w) {
        w->geometry().pushModelTransform(AcGeMatrix3d::translation(AcGeVector3d(100, 0, 0)));
        return true;
    };
    Adesk::Boolean popResult = Adesk::kTrue;
    popper.world = [&](AcGiWorldDraw* w) {
        popResult = w->geometry().popModelTransform();
        return true;
    };
    plain.world = [](AcGiWorldDraw* w) {
        segment(w->geometry(), {0, 0, 0}, {1, 0, 0});
        return true;
    };
    rec.draw(&leaky);
    rec.draw(&popper);
    rec.draw(&plain);
    EXPECT_EQ(rec.unbalancedPushes(), 1);
    EXPECT_EQ(rec.unbalancedPops(), 1);
    EXPECT_EQ(popResult, Adesk::kFalse);
    ASSERT_EQ(rec.primitives().size(), 1u);
    expectPoint(rec.primitives()[0].points[0], 0, 0);
}

TEST(RecorderTraits, TraitsInForceAndByBlockThroughNesting) {
    AcGiRecordingDraw rec;
    Scripted leaf, insert, outer;
    leaf.attributes = [](AcGiDrawableTraits* t) {
        t->setColor(0);
        t->setLineWeight(AcDb::kLnWtByBlock);
    };
    leaf.world = [](AcGiWorldDraw* w) {
        segment(w->geometry(), {0, 0, 0}, {1, 0, 0});
        w->subEntityTraits().setColor(3);
        w->subEntityTraits().setFillType(kAcGiFillAlways);
        const AcGePoint3d tri[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        w->geometry().polygon(3, tri);
        return true;
    };
    Adesk::UInt16 insertColor = 5;
    insert.attributes = [&](AcGiDrawableTraits* t) {
        t->setColor(insertColor);
        t->setLineWeight(AcDb::kLnWt100);
    };
    insert.world = [&](AcGiWorldDraw* w) {
        w->geometry().draw(&leaf);
        EXPECT_EQ(w->subEntityTraits().color(), insertColor);  // the insert's own traits are back
        return true;
    };
    rec.draw(&insert);
    rec.draw(&leaf);
    ASSERT_EQ(rec.primitives().size(), 4u);
    const AcGiPrimitive& nested = rec.primitives()[0];
    EXPECT_EQ(nested.traits.color, 0);
    EXPECT_EQ(nested.effective.color, 5);
    EXPECT_EQ(nested.effective.lineWeight, AcDb::kLnWt100);
    EXPECT_EQ(rec.primitives()[1].traits.color, 3);
    EXPECT_EQ(rec.primitives()[1].traits.fillType, kAcGiFillAlways);
    EXPECT_EQ(rec.primitives()[2].effective.color, 7);  // ByBlock at top level
    EXPECT_EQ(rec.primitives()[2].effective.lineWeight, AcDb::kLnWtByLwDefault);
    EXPECT_EQ(rec.traits().color(), 7);
    EXPECT_EQ(rec.traits().fillType(), kAcGiFillNever);

    // A ByBlock insert inside a blue one passes the blue on.
    rec.clear();
    insertColor = 0;
    outer.attributes = [](AcGiDrawableTraits* t) { t->setColor(5); };
    outer.world = [&](AcGiWorldDraw* w) {
        w->geometry().draw(&insert);
        return true;
    };
    rec.draw(&outer);
    EXPECT_EQ(rec.primitives().at(0).effective.color, 5);
    EXPECT_EQ(rec.primitives().at(0).depth, 2);
}

TEST(RecorderAbort, AbortStopsDrawingAndRefusesPrimitives) {
    AcGiRecordingDraw rec;
    Scripted polite, rude;
    polite.world = [](AcGiWorldDraw* w) {
        for (int i = 0; i < 100 && !w->regenAbort(); ++i) segment(w->geometry(), {double(i), 0, 0}, {i + 1.0, 0, 0});
        return true;
    };
    rude.world = [](AcGiWorldDraw* w) {
        for (int i = 0; i < 100; ++i) segment(w->geometry(), {double(i), 0, 0}, {i + 1.0, 0, 0});
        return true;
    };
    rec.setRegenAbort(true);
    EXPECT_FALSE(rec.draw(&polite));
    EXPECT_TRUE(rec.primitives().empty());
    EXPECT_EQ(rec.worldDraw().geometry().circle(AcGePoint3d::kOrigin, 1, AcGeVector3d::kZAxis), Adesk::kTrue);
    rec.setRegenAbort(false);
    EXPECT_EQ(rec.worldDraw().geometry().circle(AcGePoint3d::kOrigin, 1, AcGeVector3d::kZAxis), Adesk::kFalse);

    rec.clear();
    rec.setRegenAbortAfter(10);
    EXPECT_FALSE(rec.draw(&polite));
    EXPECT_EQ(rec.primitives().size(), 10u);
    EXPECT_EQ(rec.refusedCount(), 0u);
    rec.clear();
    rec.setRegenAbortAfter(10);
    rec.draw(&rude);
    EXPECT_EQ(rec.primitives().size(), 10u);
    EXPECT_EQ(rec.refusedCount(), 90u);
}

TEST(RecorderViewport, ViewportDrawFollowsWorldDrawThatAnswersFalse) {
    AcGiRecordingDraw rec;
    rec.setViewport(AcGePoint2d(0, 0), AcGePoint2d(200, 100), AcGePoint2d(5, 5), 50.0);
    Scripted d;
    AcGePoint2d pixels, ll, ur;
    AcGeMatrix3d toEye;
    d.world = [](AcGiWorldDraw* w) {
        segment(w->geometry(), {0, 0, 0}, {1, 0, 0});
        return false;
    };
    d.viewport = [&](AcGiViewportDraw* v) {
        v->viewport().getNumPixelsInUnitSquare(AcGePoint3d::kOrigin, pixels);
        v->viewport().getViewportDcCorners(ll, ur);
        v->viewport().getModelToEyeTransform(toEye);
        // Half a pixel, in world units.
        EXPECT_NEAR(v->deviation(0, AcGePoint3d::kOrigin), 0.25, 1e-12);
        v->geometry().circle(AcGePoint3d::kOrigin, 1.0 / pixels.x, AcGeVector3d::kZAxis);
    };
    rec.draw(&d);
    EXPECT_NEAR(pixels.x, 2.0, 1e-12);
    EXPECT_NEAR(pixels.y, 2.0, 1e-12);
    EXPECT_NEAR(ur.x, 200.0, 1e-12);
    expectPoint(toEye * AcGePoint3d(5, 5, 0), 0, 0);
    ASSERT_EQ(rec.primitives().size(), 2u);
    EXPECT_FALSE(rec.primitives()[0].viewportDependent);
    EXPECT_TRUE(rec.primitives()[1].viewportDependent);
    EXPECT_NEAR(rec.primitives()[1].radius, 0.5, 1e-12);

    // Answering true skips viewportDraw.
    rec.clear();
    d.world = [](AcGiWorldDraw*) { return true; };
    rec.draw(&d);
    EXPECT_TRUE(rec.primitives().empty());
}

TEST(RecorderCurves, ThreePointArcsRunFromStartThroughPointToEnd) {
    AcGiRecordingDraw rec;
    AcGiWorldGeometry& g = rec.worldDraw().geometry();
    g.circularArc(AcGePoint3d(-1, 0, 0), AcGePoint3d(0, -1, 0), AcGePoint3d(1, 0, 0), AcGiArcType::kAcGiArcChord);
    g.circularArc(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0), AcGePoint3d(2, 0, 0));  // collinear: a line
    ASSERT_EQ(rec.primitives().size(), 2u);
    const AcGiPrimitive& b = rec.primitives()[0];
    ASSERT_EQ(b.type, AcGiPrimitiveType::kArc);
    EXPECT_NEAR(b.sweep, kPi, 1e-12);
    expectPoint(b.startPoint(), -1, 0);
    expectPoint(b.pointAt(b.sweep / 2), 0, -1);
    expectPoint(b.flatten(0.01).back(), -1, 0);  // the chord closes the path
    EXPECT_EQ(rec.primitives()[1].type, AcGiPrimitiveType::kPolyline);
}

TEST(RecorderCurves, FlatteningStaysWithinDeviation) {
    AcGiRecordingDraw rec;
    rec.worldDraw().geometry().circularArc(AcGePoint3d(1, 2, 0), 10.0, AcGeVector3d::kZAxis,
                                           AcGeVector3d(0, 1, 0), -kPi);  // clockwise half circle
    const AcGiPrimitive& a = rec.primitives().at(0);
    expectPoint(a.startPoint(), 1, 12);
    expectPoint(a.endPoint(), 1, -8);
    expectPoint(a.pointAt(kPi / 2), 11, 2);
    const auto pts = a.flatten(0.01);
    ASSERT_GT(pts.size(), 10u);
    for (size_t i = 0; i < pts.size(); ++i) {
        EXPECT_NEAR(pts[i].distanceTo(a.center), 10.0, 1e-9);
        if (i == 0) continue;
        const AcGePoint3d mid((pts[i].x + pts[i - 1].x) / 2, (pts[i].y + pts[i - 1].y) / 2, 0);
        EXPECT_GE(mid.distanceTo(a.center), 10.0 - 0.01 - 1e-12);
    }
}
