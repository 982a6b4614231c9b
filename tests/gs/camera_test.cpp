// The camera of a view: zoom, dolly, roll and orbit, the trackball a preview builds on them,
// and the matrices that map the world onto the device.
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include "gs_support.h"

using gstest::Preview;

namespace {
constexpr double kPi = std::numbers::pi;

void expectNear(const AcGeVector3d& a, const AcGeVector3d& b, double tol = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}
void expectNear(const AcGePoint3d& a, const AcGePoint3d& b, double tol = 1e-9) { expectNear(a.asVector(), b.asVector(), tol); }

struct Frame {
    AcGeVector3d right, up, back;
};
Frame frameOf(const AcGsView& view) {
    Frame f;
    view.axes(f.right, f.up, f.back);
    return f;
}

// A trackball drag from one pixel to another, as a preview control turns its view.
void trackball(AcGsView& view, int x0, int y0, int x1, int y1) {
    AcGsDCRect rc;
    view.getViewport(rc);
    const int w = rc.m_max.x - rc.m_min.x + 1, h = rc.m_max.y - rc.m_min.y + 1;
    const int cx = rc.m_min.x + w / 2, cy = rc.m_min.y + h / 2;
    const double r = std::min(w, h) * double(0.4f);
    const auto ball = [&](int x, int y) {
        AcGeVector3d p((x - cx) / r, -(y - cy) / r, 0);
        if (p.lengthSqrd() > 1) p = p / p.length();
        else p.z = std::sqrt(1 - p.x * p.x - p.y * p.y);
        return p;
    };
    const AcGeVector3d a = ball(x0, y0).crossProduct(ball(x1, y1));
    const double len = a.length();
    const double phi = std::atan2(a.x, a.y);
    const double theta = len > 0 ? std::acos(a.z / len) + kPi / 2 : kPi / 2;
    const double alpha = std::asin(std::min(len, 1.0));
    view.roll(phi);
    view.orbit(0, theta);
    view.orbit(alpha, 0);
    view.orbit(0, -theta);
    view.roll(-phi);
}

TEST(GsCamera, ZoomsScaleTheFieldAndRefuseWhatWouldBreakIt) {
    Preview p;
    p.view->setView(AcGePoint3d(0, 0, 1), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 40, 30);
    for (int i = 0; i < 3; ++i) p.view->zoom(0.9);
    for (int i = 0; i < 3; ++i) p.view->zoom(1.1);
    const double shown = std::pow(0.9, 3) * std::pow(1.1, 3);  // of the first zoom
    EXPECT_NEAR(40 / p.view->fieldWidth(), shown, 1e-12);
    EXPECT_NEAR(30 / p.view->fieldHeight(), shown, 1e-12);
    const double w = p.view->fieldWidth();
    for (double bad : {0.0, -2.0, double(NAN), double(INFINITY), 1e-320}) p.view->zoom(bad);
    EXPECT_EQ(p.view->fieldWidth(), w);

    // A point's extents give a tiny field that still works; a broken camera is refused.
    p.view->setView(AcGePoint3d(3, 4, 1), AcGePoint3d(3, 4, 0), AcGeVector3d(0, 1, 0), 2e-11, 2e-11);
    EXPECT_EQ(p.view->fieldWidth(), 2e-11);
    p.view->setView(AcGePoint3d(NAN, 0, 1), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 1, 1);
    p.view->setView(AcGePoint3d(0, 0, 0), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 1, 1);
    p.view->setView(AcGePoint3d(0, 0, 1), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 0, 1);
    expectNear(p.view->target(), AcGePoint3d(3, 4, 0));
    EXPECT_EQ(p.view->fieldHeight(), 2e-11);
}

TEST(GsCamera, OrbitTurnsTheCameraAboutTheTarget) {
    Preview p;
    const AcGePoint3d target(1, 2, 3);
    p.view->setView(target + AcGeVector3d(0, 0, 10), target, AcGeVector3d(0, 1, 0), 4, 3);
    p.view->orbit(kPi / 2, 0);  // to the right, about the up axis
    expectNear(p.view->position(), target + AcGeVector3d(10, 0, 0));
    expectNear(frameOf(*p.view).up, AcGeVector3d(0, 1, 0));
    expectNear(p.view->target(), target);

    p.view->setView(target + AcGeVector3d(0, 0, 10), target, AcGeVector3d(0, 1, 0), 4, 3);
    p.view->orbit(0, kPi / 2);  // upwards, about the right axis: looking down the old up vector
    expectNear(p.view->position(), target + AcGeVector3d(0, 10, 0));
    expectNear(frameOf(*p.view).up, AcGeVector3d(0, 0, -1));

    // Nothing moves for a zero orbit, nor for a trackball drag that ends where it started.
    p.view->setView(AcGePoint3d(5, -7, 9), target, AcGeVector3d(0.3, 0.2, 1), 4, 3);
    const AcGePoint3d pos = p.view->position();
    const Frame before = frameOf(*p.view);
    p.view->orbit(0, 0);
    EXPECT_EQ(p.view->position(), pos);
    trackball(*p.view, 250, 100, 250, 100);
    expectNear(p.view->position(), pos, 1e-12);
    expectNear(frameOf(*p.view).up, before.up, 1e-12);
}

TEST(GsCamera, TrackballDragsTurnAboutTheAxisOfTheDrag) {
    Preview p;  // 400 x 300: centre (200, 150), radius 120
    p.view->setView(AcGePoint3d(0, 0, 10), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 4, 3);
    trackball(*p.view, 200, 150, 320, 150);  // from the centre to the right by the radius
    // The scene turned right by 90 degrees (the radius in single precision leaves it a little short).
    expectNear(p.view->position(), AcGePoint3d(-10, 0, 0), 0.01);
    expectNear(frameOf(*p.view).up, AcGeVector3d(0, 1, 0));

    // Any drag turns about the axis normal to both ball points: that axis keeps its place in
    // the camera's frame (roll and orbit agree in their senses).
    p.view->setView(AcGePoint3d(3, 4, 12), AcGePoint3d(1, 1, 1), AcGeVector3d(0, 0, 1), 4, 3);
    const Frame f0 = frameOf(*p.view);
    const AcGeVector3d a0(-0.31, 0.52, 0.79);  // a direction in the camera's frame
    const AcGeVector3d world = f0.right * a0.x + f0.up * a0.y + f0.back * a0.z;
    // The drag whose axis that is: from the ball's top along the normal's horizontal turn.
    trackball(*p.view, 180, 120, 260, 170);
    const Frame f1 = frameOf(*p.view);
    const auto ball = [](double x, double y) {
        const double r = 300 * double(0.4f);
        AcGeVector3d q((x - 200) / r, -(y - 150) / r, 0);
        q.z = std::sqrt(1 - q.x * q.x - q.y * q.y);
        return q;
    };
    AcGeVector3d axis = ball(180, 120).crossProduct(ball(260, 170));
    axis = axis / axis.length();
    const AcGeVector3d axisWorld = f0.right * axis.x + f0.up * axis.y + f0.back * axis.z;
    EXPECT_NEAR(axisWorld.dotProduct(f1.right), axis.x, 1e-9);
    EXPECT_NEAR(axisWorld.dotProduct(f1.up), axis.y, 1e-9);
    EXPECT_NEAR(axisWorld.dotProduct(f1.back), axis.z, 1e-9);
    EXPECT_GT(std::fabs(world.dotProduct(f1.back) - a0.z), 1e-3);  // and the camera did turn
    expectNear(p.view->target(), AcGePoint3d(1, 1, 1));
    EXPECT_NEAR((p.view->position() - p.view->target()).length(), (AcGePoint3d(3, 4, 12) - AcGePoint3d(1, 1, 1)).length(), 1e-9);
}

TEST(GsCamera, DollyAndRollMoveInViewCoordinates) {
    Preview p;
    p.view->setView(AcGePoint3d(0, 0, 10), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 4, 3);
    p.view->orbit(kPi / 2, 0);  // looking from +x: right is -y... along the frame's axes
    const Frame f = frameOf(*p.view);
    const AcGePoint3d pos = p.view->position(), target = p.view->target();
    p.view->dolly(1, 2, 3);
    const AcGeVector3d moved = f.right * 1 + f.up * 2 + f.back * 3;
    expectNear(p.view->position(), pos + moved);
    expectNear(p.view->target(), target + moved);

    p.view->roll(kPi / 2);  // the up vector turns about the view direction; the camera stays
    expectNear(p.view->position(), pos + moved);
    expectNear(frameOf(*p.view).up, AcGeMatrix3d::rotation(kPi / 2, -f.back) * f.up);
    p.view->roll(NAN);
    p.view->dolly(INFINITY, 0, 0);
    expectNear(p.view->position(), pos + moved);
}

TEST(GsCamera, MatricesMapTheFieldOntoTheDevice) {
    Preview p;  // 400 x 300
    // A field of another aspect grows to the device's: 40 x 10 shows 40 x 30.
    p.view->setView(AcGePoint3d(5, 5, 10), AcGePoint3d(5, 5, 0), AcGeVector3d(0, 1, 0), 40, 10);
    const AcGeMatrix3d w2d = p.view->worldToDeviceMatrix();
    expectNear(w2d * AcGePoint3d(5, 5, 0), AcGePoint3d(200, 150, 0));
    expectNear(w2d * AcGePoint3d(25, 20, 0), AcGePoint3d(400, 300, 0));
    AcGsDCRect rc;
    p.view->getViewport(rc);
    EXPECT_EQ(rc.m_max.x - rc.m_min.x + 1, 400);
    EXPECT_EQ(rc.m_max.y - rc.m_min.y + 1, 300);

    // A pixel offset brought into view coordinates: what panning dollies by.
    AcGeVector3d pan(-1, 1, 0);
    pan.transformBy(p.view->viewingMatrix() * w2d.inverse());
    expectNear(pan, AcGeVector3d(-0.1, 0.1, 0));
    p.device->onSize(200, 300);  // now the height grows: 40 x 60
    expectNear(p.view->worldToDeviceMatrix() * AcGePoint3d(25, 35, 0), AcGePoint3d(200, 300, 0));

    // Perspective: what is nearer the camera lies farther from the centre.
    p.view->setView(AcGePoint3d(0, 0, 10), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 4, 6, AcGsView::kPerspective);
    EXPECT_TRUE(p.view->isPerspective());
    const AcGeMatrix3d persp = p.view->worldToDeviceMatrix();
    EXPECT_NEAR((persp * AcGePoint3d(1, 0, 0)).x, 150, 1e-9);
    EXPECT_NEAR((persp * AcGePoint3d(1, 0, 5)).x, 200, 1e-9);
}

}  // namespace
