// Devices painting their views into windows: where drawables land, the render modes, what
// views hold, viewport drawing, and objects released in any order.
#include <gtest/gtest.h>
#include <cmath>
#include <numbers>
#include "db/circle.h"
#include "gi/geometry.h"
#include "gs_support.h"

using namespace gstest;

namespace {

struct Drawing {
    Drawing() : db(true, true) {
        AcDbBlockTable* table = nullptr;
        if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return;
        auto* record = new AcDbBlockTableRecord;
        record->setName("PREVIEW");
        if (table->add(block, record) == Acad::eOk) record->close();
        else delete record;
        table->close();
    }
    // Adds the block record to the view as a preview does: opened for read, added, closed.
    bool show(AcGsView* view, AcGsModel* model) {
        AcDbBlockTableRecord* record = nullptr;
        if (acdbOpenObject(record, block, AcDb::kForRead) != Acad::eOk) return false;
        const bool added = view->add(record, model);
        record->close();
        return added;
    }
    AcDbDatabase db;
    AcDbObjectId block;
};

// Plan view of x 0..20, y -7.5..7.5 on 400 x 300: 20 pixels a unit, (x, y) at (20 x, 150 - 20 y).
void planView(AcGsView* view) {
    view->setView(AcGePoint3d(10, 0, 50), AcGePoint3d(10, 0, 0), AcGeVector3d(0, 1, 0), 20, 15);
}

// A drawable of the module's kind: nothing in world drawing; in viewport drawing a circle about
// the view's target, and what the viewport answered kept.
class Gadget : public AcGiDrawable {
public:
    Adesk::Boolean worldDraw(AcGiWorldDraw*) override { return Adesk::kFalse; }
    void viewportDraw(AcGiViewportDraw* mode) override {
        ++draws;
        mode->viewport().getModelToEyeTransform(modelToEye);
        mode->viewport().getViewportDcCorners(lowerLeft, upperRight);
        viewDir = mode->viewport().viewDir();
        mode->subEntityTraits().setColor(3);
        if (view) mode->geometry().circle(view->target(), radius, viewDir);
    }
    void setGsNode(AcGsNode* n) override { node = n; }
    AcGsNode* gsNode() const override { return node; }

    AcGsView* view = nullptr;
    double radius = 2.0;
    int draws = 0;
    AcGeMatrix3d modelToEye;
    AcGePoint2d lowerLeft, upperRight;
    AcGeVector3d viewDir;
    AcGsNode* node = nullptr;
};

int redIn(const std::vector<uint32_t>& px, int w, int x0, int y0, int x1, int y1) {
    return count(px, w, x0, y0, x1, y1, isRed);
}

TEST(GsDevice, PaintsTheViewIntoTheWindowWhereTheCameraPutsIt) {
    Drawing d;
    line(d.block, AcGePoint3d(5, 0, 0), AcGePoint3d(15, 0, 0), 1);  // red, 100..300 at row 150
    line(d.block, AcGePoint3d(5, 0, 0), AcGePoint3d(5, 0, 5), 1);   // along z: a dot from above
    Preview p;
    planView(p.view);
    ASSERT_TRUE(d.show(p.view, p.model));
    std::vector<uint32_t> px = p.picture();
    ASSERT_EQ(p.width, 400);
    EXPECT_GT(redIn(px, p.width, 110, 149, 290, 150), 170);
    EXPECT_EQ(redIn(px, p.width, 0, 0, 399, 140), 0);
    EXPECT_EQ(redIn(px, p.width, 0, 160, 399, 299), 0);
    EXPECT_TRUE(isBlack(at(px, p.width, 200, 50)));

    // Looking along the y axis with z up, the second line stands upright over (100, 150).
    p.view->orbit(0, -std::numbers::pi / 2);
    px = p.picture();
    EXPECT_GT(redIn(px, p.width, 99, 60, 100, 140), 70);
    EXPECT_GT(redIn(px, p.width, 110, 149, 290, 150), 170);

    // No painting, no pixels: a window whose paint does not update the view stays black.
    SetWindowLongPtr(p.window, GWLP_USERDATA, 0);
    px = p.picture();
    EXPECT_EQ(redIn(px, p.width, 0, 0, 399, 299), 0);
}

TEST(GsDevice, RenderModesDrawFacesAsOutlinesHiddenOrShaded) {
    Drawing d;
    solid(d.block, 5, -5, 10, 5, 1);                                // red square at z = 5: 100..300 x 50..250
    line(d.block, AcGePoint3d(0, 2, 0), AcGePoint3d(20, 2, 0), 2);  // yellow at z = 0, under it (row 110)
    Preview p;
    planView(p.view);
    d.show(p.view, p.model);
    const auto isYellow = [](Rgb c) { return c.r > 200 && c.g > 200 && c.b < 60; };
    const auto modePicture = [&](AcGsView::RenderMode mode) {
        p.view->setMode(mode);
        EXPECT_EQ(p.view->mode(), mode);
        return p.picture();
    };

    std::vector<uint32_t> px = modePicture(AcGsView::k2DOptimized);  // outlines only, the line seen through
    EXPECT_TRUE(isBlack(at(px, p.width, 200, 200)));
    EXPECT_GT(redIn(px, p.width, 99, 60, 100, 240), 150);
    EXPECT_GT(count(px, p.width, 120, 109, 280, 110, isYellow), 150);

    px = modePicture(AcGsView::kHiddenLine);  // the square hides the line; its inside is background
    EXPECT_TRUE(isBlack(at(px, p.width, 200, 200)));
    EXPECT_GT(redIn(px, p.width, 99, 60, 100, 240), 150);
    EXPECT_EQ(count(px, p.width, 120, 105, 280, 115, isYellow), 0);
    EXPECT_GT(count(px, p.width, 20, 109, 90, 110, isYellow), 70);  // beside the square it shows

    px = modePicture(AcGsView::kFlatShadedWithWireframe);  // filled, lit head on: full red
    EXPECT_TRUE(isRed(at(px, p.width, 200, 200)));
    EXPECT_EQ(count(px, p.width, 120, 105, 280, 115, isYellow), 0);

    // From below the line is nearer than the square and crosses it.
    p.view->orbit(0, std::numbers::pi);
    px = modePicture(AcGsView::kFlatShaded);
    EXPECT_GT(count(px, p.width, 120, 185, 280, 195, isYellow), 150);
    EXPECT_GT(count(px, p.width, 150, 150, 250, 170, isRed), 1000);

    p.view->setMode(static_cast<AcGsView::RenderMode>(7));  // not a mode here: refused
    EXPECT_EQ(p.view->mode(), AcGsView::kFlatShaded);
}

TEST(GsDevice, ViewsHoldDrawablesUntilErasedAndRecordDatabaseObjectsOnceUntilModified) {
    Drawing d;
    const AcDbObjectId lineId = line(d.block, AcGePoint3d(5, 0, 0), AcGePoint3d(15, 0, 0), 1);
    Preview p;
    planView(p.view);
    Gadget gadget;
    EXPECT_TRUE(p.view->add(&gadget, p.model));
    EXPECT_TRUE(p.view->add(&gadget, p.model));  // once is enough
    EXPECT_EQ(p.view->nodes().size(), 1u);
    EXPECT_NE(gadget.node, nullptr);
    EXPECT_FALSE(p.view->add(&gadget, reinterpret_cast<AcGsModel*>(&gadget)));  // not a model
    EXPECT_FALSE(p.view->add(nullptr, p.model));
    ASSERT_TRUE(d.show(p.view, p.model));
    EXPECT_EQ(p.view->nodes().size(), 2u);

    std::vector<uint32_t> px = p.picture();
    EXPECT_GT(redIn(px, p.width, 110, 149, 290, 150), 170);
    const int frames = p.device->frameCount();
    p.view->update();  // nothing changed: no new frame
    EXPECT_EQ(p.device->frameCount(), frames);

    // The recording of the block stays until the model hears of a change.
    AcDbLine* l = nullptr;
    ASSERT_EQ(acdbOpenObject(l, lineId, AcDb::kForWrite), Acad::eOk);
    l->setColorIndex(5);
    l->close();
    px = p.picture();
    EXPECT_GT(redIn(px, p.width, 110, 149, 290, 150), 170);
    AcDbBlockTableRecord* record = nullptr;
    ASSERT_EQ(acdbOpenObject(record, d.block, AcDb::kForRead), Acad::eOk);
    p.model->onModified(record, nullptr);
    record->close();
    px = p.picture();
    EXPECT_EQ(redIn(px, p.width, 110, 149, 290, 150), 0);
    EXPECT_GT(count(px, p.width, 110, 149, 290, 150, [](Rgb c) { return c.b > 200 && c.r < 60; }), 170);

    EXPECT_TRUE(p.view->erase(&gadget));
    EXPECT_EQ(gadget.node, nullptr);
    EXPECT_FALSE(p.view->erase(&gadget));
    EXPECT_EQ(p.view->nodes().size(), 1u);
    p.view->eraseAll();
    EXPECT_TRUE(p.view->nodes().empty());
    EXPECT_TRUE(p.model->nodes().empty());
    px = p.picture();
    EXPECT_EQ(count(px, p.width, 0, 0, 399, 299, [](Rgb c) { return !isBlack(c); }), 0);
}

TEST(GsDevice, ViewportDrawablesSeeTheViewAndDrawForEachFrame) {
    Preview p;
    planView(p.view);
    Gadget gadget;
    gadget.view = p.view;
    p.view->add(&gadget, p.model);
    std::vector<uint32_t> px = p.picture();
    EXPECT_TRUE(p.save("viewport_circle"));
    EXPECT_TRUE(p.view->viewingMatrix().isEqualTo(gadget.modelToEye));
    EXPECT_EQ(gadget.upperRight.x - gadget.lowerLeft.x, 400);
    EXPECT_EQ(gadget.upperRight.y - gadget.lowerLeft.y, 300);
    EXPECT_NEAR(gadget.viewDir.z, 1.0, 1e-12);
    // A green circle of radius 2 (40 pixels) about the target (200, 150).
    const auto isGreen = [](Rgb c) { return c.g > 200 && c.r < 60 && c.b < 60; };
    EXPECT_GE(count(px, p.width, 236, 145, 244, 155, isGreen), 5);
    EXPECT_EQ(count(px, p.width, 190, 140, 210, 160, isGreen), 0);

    const int draws = gadget.draws;
    p.view->orbit(0.5, 0.25);
    p.picture();
    EXPECT_GT(gadget.draws, draws);
    EXPECT_TRUE(p.view->viewingMatrix().isEqualTo(gadget.modelToEye));
    p.view->eraseAll();
}

TEST(GsDevice, ObjectsReleasedInAnyOrderLeaveNothingBehind) {
    Drawing d;
    line(d.block, AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0), 1);
    AcGsManager* manager = acgsGetGsManager();
    AcGsClassFactory* factory = manager->getGSClassFactory();
    HWND window = previewWindow(100, 80);
    Gadget gadget;
    for (int order = 0; order < 3; ++order) {
        AcGsDevice* device = manager->createAutoCADDevice(window);
        AcGsView* view = factory->createView();
        AcGsModel* model = manager->createAutoCADModel();
        AcGsModel* gadgetModel = factory->createModel();
        ASSERT_TRUE(device->add(view));
        ASSERT_TRUE(view->add(&gadget, gadgetModel));
        ASSERT_TRUE(d.show(view, model));
        view->update();
        if (order == 0) {  // the models first: the view lets go of their nodes
            manager->destroyAutoCADModel(model);
            factory->deleteModel(gadgetModel);
            EXPECT_TRUE(view->nodes().empty());
            manager->destroyAutoCADDevice(device);
            EXPECT_EQ(view->getDevice(), nullptr);
            view->update();
            factory->deleteView(view);
        } else if (order == 1) {  // the device, then the view, then the models
            manager->destroyAutoCADDevice(device);
            factory->deleteView(view);
            EXPECT_TRUE(model->nodes().empty());
            manager->destroyAutoCADModel(model);
            factory->deleteModel(gadgetModel);
        } else {  // the view while on its device; the device draws what is left: nothing
            factory->deleteView(view);
            EXPECT_TRUE(device->views().empty());
            device->update();
            manager->destroyAutoCADModel(model);
            factory->deleteModel(gadgetModel);
            manager->destroyAutoCADDevice(device);
        }
    }
    EXPECT_EQ(manager->createAutoCADDevice(nullptr), nullptr);
    DestroyWindow(window);
}

TEST(GsDevice, AFieldOfAPointAndFarGeometryStayFinite) {
    Drawing d;
    line(d.block, AcGePoint3d(1, 1, 0), AcGePoint3d(1, 1, 0), 1);  // a block whose extents are a point
    line(d.block, AcGePoint3d(-1e6, 1, 0), AcGePoint3d(1e6, 1, 0), 1);
    solid(d.block, -5e5, -5e5, 1e6, -1, 3);  // under the line
    auto* c = new AcDbCircle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 1e5);
    append(d.block, c);
    Preview p;
    p.view->setView(AcGePoint3d(1, 1, 1), AcGePoint3d(1, 1, 0), AcGeVector3d(0, 1, 0), 2e-11, 2e-11);
    p.view->setMode(AcGsView::kHiddenLine);
    d.show(p.view, p.model);
    std::vector<uint32_t> px = p.picture();
    EXPECT_TRUE(p.save("far"));
    EXPECT_EQ(p.device->frame().size(), 400u * 300u);
    // The line through the target crosses the middle; the rest lies beyond the window.
    EXPECT_GT(redIn(px, p.width, 0, 140, 399, 160), 300);
    p.view->setMode(AcGsView::kFlatShaded);
    p.view->setView(AcGePoint3d(1, 1, 1), AcGePoint3d(1, 1, 0), AcGeVector3d(0, 1, 0), 2e-11, 2e-11,
                    AcGsView::kPerspective);
    p.picture();
    EXPECT_GT(p.device->frameCount(), 1);
}

// A box of edges over two squares at different heights, pictured in three modes and turned.
TEST(GsDevice, PicturesOfABlockInTheModes) {
    Drawing d;
    const double z[2] = {0, 6};
    for (double h : z) {
        line(d.block, AcGePoint3d(4, -4, h), AcGePoint3d(16, -4, h), 7);
        line(d.block, AcGePoint3d(16, -4, h), AcGePoint3d(16, 4, h), 7);
        line(d.block, AcGePoint3d(16, 4, h), AcGePoint3d(4, 4, h), 7);
        line(d.block, AcGePoint3d(4, 4, h), AcGePoint3d(4, -4, h), 7);
    }
    for (double x : {4.0, 16.0})
        for (double y : {-4.0, 4.0}) line(d.block, AcGePoint3d(x, y, 0), AcGePoint3d(x, y, 6), 4);
    solid(d.block, 4, -4, 8, 0, 1);   // red on the floor
    solid(d.block, 9, -2, 5, 6, 5);   // blue at the top
    solid(d.block, 6, -1, 4, 3, 3);   // green between
    Preview p;
    planView(p.view);
    d.show(p.view, p.model);
    p.view->zoom(0.7);
    p.view->orbit(0.5, 0.6);
    std::vector<std::vector<uint32_t>> pictures;
    for (AcGsView::RenderMode mode : {AcGsView::k2DOptimized, AcGsView::kHiddenLine, AcGsView::kFlatShadedWithWireframe}) {
        p.view->setMode(mode);
        pictures.push_back(p.picture());
        EXPECT_TRUE(p.save("block_mode" + std::to_string(int(mode))));
    }
    EXPECT_NE(pictures[0], pictures[1]);
    EXPECT_NE(pictures[1], pictures[2]);
    p.view->orbit(2.0, -0.3);
    pictures.push_back(p.picture());
    EXPECT_TRUE(p.save("block_orbited"));
    EXPECT_NE(pictures[2], pictures[3]);
}

}  // namespace
