// The graphics-system preview control: what it shows of a block or a drawing file, the wheel,
// zoom, pan and orbit drags and mode 0, file names, and the resizable dialog base's placement.
#include <gtest/gtest.h>
#include <cairo.h>
#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <numbers>
#include "../ui/window_input.h"
#include "module_resources.h"
#include "db/line.h"
#include "db/point.h"
#include "db/symtab.h"
#include "ed/prompts.h"
#include "ed/winapp.h"
#include "preview/GsPreviewCtrl.h"
#include "preview/SnapDlg.h"
#include "res/resource.h"
#include "win/render.h"

namespace {
namespace fs = std::filesystem;
HINSTANCE const kModule = reinterpret_cast<HINSTANCE>(0x6200);

AcDbObjectId addBlock(AcDbDatabase& db, const char* name, std::initializer_list<AcDbEntity*> entities) {
    AcDbBlockTable* table = nullptr;
    AcDbObjectId id;
    if (db.getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return id;
    auto* record = new AcDbBlockTableRecord;
    record->setName(name);
    if (table->add(id, record) != Acad::eOk) {
        delete record;
        table->close();
        return id;
    }
    for (AcDbEntity* e : entities) {
        AcDbObjectId entityId;
        if (record->appendAcDbEntity(entityId, e) == Acad::eOk) e->close();
        else delete e;
    }
    record->close();
    table->close();
    return id;
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(hwnd, message, wParam, lParam);
}

class GsPreviewTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        folder = fs::temp_directory_path() / ("cadhost-gspreview-" + std::to_string(::getpid()));
        fs::create_directories(folder);
        ::setenv("CADHOST_PROFILE", (folder / "profile.ini").c_str(), 1);
        ASSERT_NO_FATAL_FAILURE(resources.registerScript());
        previousDb = acdbHostApplicationServices()->workingDatabase();
        acdbHostApplicationServices()->setWorkingDatabase(&db);
        addBlock(db, "SQUARE",
                 {new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(40, 0, 0)), new AcDbLine(AcGePoint3d(40, 0, 0), AcGePoint3d(40, 30, 0)),
                  new AcDbLine(AcGePoint3d(40, 30, 0), AcGePoint3d(0, 30, 0)), new AcDbLine(AcGePoint3d(0, 30, 0), AcGePoint3d(0, 0, 0))});
        addBlock(db, "ONEPOINT", {new AcDbPoint(AcGePoint3d(3, 4, 0))});
        WNDCLASS wc{};
        wc.lpfnWndProc = hostProc;
        wc.lpszClassName = "GsPreviewHost";
        RegisterClass(&wc);
        host = CreateWindowEx(0, "GsPreviewHost", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(control.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), CWnd::FromHandle(host), IDC_GS_PREVIEW));
    }
    void TearDown() override {
        if (::IsWindow(control.m_hWnd)) control.DestroyWindow();
        DestroyWindow(host);
        EXPECT_EQ(db.numOpenObjects(), 0);
        acdbHostApplicationServices()->setWorkingDatabase(previousDb);
        resources.unregister();
        ::unsetenv("CADHOST_PROFILE");
        fs::remove_all(folder);
        WindowTestBase::TearDown();
    }
    void send(UINT message, WPARAM wParam, int x, int y) { ::SendMessage(control.m_hWnd, message, wParam, MAKELPARAM(x, y)); }
    void wheel(int notches) { ::SendMessage(control.m_hWnd, WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0); }
    void drag(POINT from, POINT to) {
        send(WM_LBUTTONDOWN, MK_LBUTTON, from.x, from.y);
        send(WM_MOUSEMOVE, MK_LBUTTON, to.x, to.y);
        send(WM_LBUTTONUP, 0, to.x, to.y);
    }
    AcGeVector3d viewDirection() const { return control.view()->target() - control.view()->position(); }
    // Pixels of the control as pictured (rows top to bottom) that pass a test.
    template <class Test>
    int countPixels(Test test) {
        cairo_surface_t* s = cadhostRenderWindow(control.m_hWnd);
        if (!s) return -1;
        cairo_surface_flush(s);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t p = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride))[x];
                n += test(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
            }
        cairo_surface_destroy(s);
        return n;
    }

    fs::path folder;
    ModuleResources resources{kModule};
    AcDbDatabase* previousDb = nullptr;
    AcDbDatabase db;
    HWND host = nullptr;
    CGsPreviewCtrl control;
};

const auto kGreen = [](int r, int g, int b) { return r < 60 && g > 100 && b < 60; };
const auto kWhite = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };

TEST_F(GsPreviewTest, ShowsABlockFittedAndOnePointWithTheSmallestField) {
    control.ShowBlock("SQUARE", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    ASSERT_NE(control.view(), nullptr);
    EXPECT_EQ(control.blockName(), CString("SQUARE"));
    EXPECT_NEAR(control.view()->target().x, 20, 1e-9);
    EXPECT_NEAR(control.view()->target().y, 15, 1e-9);
    EXPECT_NEAR(control.view()->fieldWidth(), 40, 1e-9);
    EXPECT_NEAR(control.view()->fieldHeight(), 30, 1e-9);
    AcGeVector3d right, up, back;
    control.view()->axes(right, up, back);
    EXPECT_TRUE(right.isEqualTo(AcGeVector3d::kXAxis)) << "plan view, x to the right";
    EXPECT_EQ(control.view()->mode(), AcGsView::kFlatShadedWithWireframe);
    EXPECT_GT(countPixels(kWhite), 400) << "the square's sides";

    control.ShowBlock("ONEPOINT", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    ASSERT_NE(control.view(), nullptr);
    EXPECT_DOUBLE_EQ(control.view()->fieldWidth(), 2e-11);
    EXPECT_DOUBLE_EQ(control.view()->fieldHeight(), 2e-11);
    EXPECT_TRUE(control.view()->target().isEqualTo(AcGePoint3d(3, 4, 0)));
    EXPECT_GE(countPixels(kWhite), 0) << "a frame is drawn";

    control.ShowBlock("MISSING", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    EXPECT_EQ(control.view(), nullptr);
    EXPECT_TRUE(control.blockName().IsEmpty());
    EXPECT_EQ(countPixels(kWhite), 0);
}

TEST_F(GsPreviewTest, WheelNotchesZoomByATenthEachWayAndModeNoneMovesNothing) {
    control.ShowBlock("SQUARE", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    const double initial = control.view()->fieldWidth();
    for (int i = 0; i < 3; ++i) wheel(-1);
    EXPECT_NEAR(initial / control.view()->fieldWidth(), std::pow(0.9, 3), 1e-12);
    for (int i = 0; i < 3; ++i) wheel(1);
    EXPECT_NEAR(initial / control.view()->fieldWidth(), std::pow(0.9, 3) * std::pow(1.1, 3), 1e-12);
    wheel(3);
    EXPECT_NEAR(initial / control.view()->fieldWidth(), std::pow(0.9, 3) * std::pow(1.1, 4), 1e-12)
        << "one step a message, whatever its delta";

    control.m_nMode = CGsPreviewCtrl::kNone;
    const double field = control.view()->fieldWidth();
    const AcGePoint3d target = control.view()->target();
    wheel(-1);
    drag(POINT{200, 150}, POINT{260, 100});
    EXPECT_FALSE(control.dragging());
    send(WM_MBUTTONDOWN, MK_MBUTTON, 200, 150);
    EXPECT_TRUE(control.dragging());
    send(WM_MOUSEMOVE, MK_MBUTTON, 250, 150);
    EXPECT_FALSE(control.dragging()) << "the first move cancels a middle-button drag in mode 0";
    send(WM_MBUTTONUP, 0, 250, 150);
    EXPECT_DOUBLE_EQ(control.view()->fieldWidth(), field);
    EXPECT_TRUE(control.view()->target().isEqualTo(target));
}

TEST_F(GsPreviewTest, ZoomAndPanDragsFollowTheMouse) {
    control.ShowBlock("SQUARE", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    control.m_nMode = CGsPreviewCtrl::kZoom;
    const double field = control.view()->fieldWidth();
    drag(POINT{200, 150}, POINT{200, 120});  // up by a tenth of the height: in by 1.1
    EXPECT_NEAR(field / control.view()->fieldWidth(), 1.1, 1e-12);
    EXPECT_EQ(::GetCapture(), nullptr);

    // 40 x 30 units on 400 x 300 pixels fits at 10 pixels a unit: 1.1 times that after the zoom.
    control.m_nMode = CGsPreviewCtrl::kPan;
    const AcGePoint3d target = control.view()->target();
    drag(POINT{200, 150}, POINT{244, 128});
    const AcGeVector3d moved = control.view()->target() - target;
    EXPECT_NEAR(moved.x, -44 / 11.0, 1e-9) << "the drawing follows the mouse to the right";
    EXPECT_NEAR(moved.y, -22 / 11.0, 1e-9) << "and up";
    EXPECT_NEAR(moved.z, 0, 1e-9);
}

TEST_F(GsPreviewTest, OrbitDragsTurnByTheTrackballAngle) {
    control.ShowBlock("SQUARE", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    control.m_nMode = CGsPreviewCtrl::kOrbit;
    const AcGePoint3d position = control.view()->position();
    const AcGeVector3d up = control.view()->upVector();
    drag(POINT{230, 80}, POINT{230, 80});
    EXPECT_EQ(control.view()->position().asVector() - position.asVector(), AcGeVector3d(0, 0, 0)) << "a drag of no length";
    EXPECT_EQ(control.view()->upVector() - up, AcGeVector3d(0, 0, 0));

    // Centre (200, 150), radius 0.4 x 300 = 120 pixels.
    const AcGeVector3d before = viewDirection();
    drag(POINT{200, 150}, POINT{320, 150});
    const AcGeVector3d after = viewDirection();
    EXPECT_NEAR(before.angleTo(after), std::numbers::pi / 2, 1e-3);
    EXPECT_NEAR(after.y, 0.0, 1e-9) << "a horizontal drag turns about the vertical";
    EXPECT_NEAR(control.view()->upVector().normal().y, 1.0, 1e-9);
    EXPECT_NEAR(before.length(), after.length(), 1e-9);
}

TEST_F(GsPreviewTest, OrbitModeShowsTheGreenCircleUnlessSwitchedOff) {
    control.ShowBlock("SQUARE", 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
    control.m_nMode = CGsPreviewCtrl::kOrbit;
    control.SetOrbitCircle(TRUE);
    EXPECT_GT(countPixels(kGreen), 600) << "a circle of radius 130 and four of radius 9";
    control.SetOrbitCircle(FALSE);
    EXPECT_EQ(countPixels(kGreen), 0);
    control.SetOrbitCircle(TRUE);
    control.m_nMode = CGsPreviewCtrl::kPan;
    EXPECT_EQ(countPixels(kGreen), 0) << "only in orbit mode";
}

TEST_F(GsPreviewTest, DrawingFilesLoadTheirModelSpaceAndBadNamesAreReported) {
    EXPECT_EQ(previewFilePath("\\\\server\\share\\\\plans\\a.dwg"), CString("//server/share/plans/a.dwg"));
    EXPECT_EQ(previewFilePath("C:\\plans\\\\a.dwg"), CString("C:/plans/a.dwg"));
    EXPECT_EQ(previewFilePath("///x//y"), CString("//x/y"));

    control.LoadDrawing("\\\\server\\share\\a.dwg");
    EXPECT_EQ(acedHostLastAlert(), "Could not load the drawing file: //server/share/a.dwg");
    EXPECT_EQ(control.view(), nullptr);
    const std::string missing = (folder / "missing.dwg").string();
    control.LoadDrawing(missing.c_str());
    EXPECT_EQ(acedHostLastAlert(), "Could not load the drawing file: " + missing);

    const std::string notADrawing = (folder / "text.dwg").string();
    std::FILE* f = std::fopen(notADrawing.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a drawing", f);
    std::fclose(f);
    control.LoadDrawing(notADrawing.c_str());
    EXPECT_EQ(acedHostLastAlert(), "Could not load the drawing file: " + notADrawing);
    EXPECT_EQ(control.drawing(), nullptr);
    EXPECT_TRUE(control.blockName().IsEmpty());

    const std::string plan = (folder / "plan.dwg").string();
    {
        AcDbDatabase drawing(true, true);
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, drawing.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(100, 50, 0));
        AcDbObjectId id;
        ASSERT_EQ(space->appendAcDbEntity(id, line), Acad::eOk);
        line->close();
        space->close();
        ASSERT_EQ(drawing.saveAs(plan.c_str()), Acad::eOk);
    }
    control.LoadDrawing(plan.c_str());
    ASSERT_NE(control.drawing(), nullptr);
    EXPECT_EQ(control.drawing()->numOpenObjects(), 0);
    EXPECT_EQ(control.blockName(), CString("*Model_Space"));
    EXPECT_EQ(control.fileName(), CString(plan.c_str()));
    EXPECT_TRUE(control.view()->target().isEqualTo(AcGePoint3d(50, 25, 0)));
    EXPECT_GT(countPixels(kWhite), 300);
}

// The resizable base, as a modeless dialog of a template in memory.
class SnapDialog : public CSnapDlg {
public:
    SnapDialog() : CSnapDlg(0, nullptr) {
        DialogTemplate t;
        t.style = WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_SETFONT;
        t.x = 10;
        t.y = 10;
        t.cx = 200;
        t.cy = 100;
        t.caption = "Snap";
        CreateIndirect(t);
        m_strSection = "Quillmark";
    }
    ~SnapDialog() override {
        if (::IsWindow(m_hWnd)) DestroyWindow();
    }
};

TEST_F(GsPreviewTest, PlacementComesBackWithinTheScreenAndSizingKeepsTheLimits) {
    SnapDialog dialog;
    ASSERT_TRUE(::IsWindow(dialog.m_hWnd));
    CWinApp* app = acedGetAcadWinApp();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    CRect window, restored;
    dialog.GetWindowRect(&window);
    dialog.GetRestoredRect(restored);
    const int left = std::max(200, int(window.left)), top = std::max(200, int(window.top));
    EXPECT_EQ(restored, CRect(left, top, left + 450, top + 340))
        << "no stored placement: 450 x 340 where the window is, kept off the corner";

    dialog.MoveWindow(300, 250, 400, 300);
    dialog.SavePlacement();
    dialog.GetRestoredRect(restored);
    EXPECT_EQ(restored, CRect(300, 250, 700, 550));

    app->WriteProfileInt("Quillmark", "sizeWidth3", 1100);
    app->WriteProfileInt("Quillmark", "sizeHeight3", 900);
    app->WriteProfileInt("Quillmark", "nTopLeftX3", 150);
    app->WriteProfileInt("Quillmark", "nTopLeftY3", GetSystemMetrics(SM_CYSCREEN) - 5);
    dialog.GetRestoredRect(restored);
    EXPECT_EQ(restored, CRect(200, 200, 400, 1100)) << "too wide comes back 200 wide; a corner near the edge at 200";
    app->WriteProfileInt("Quillmark", "sizeWidth3", 1000);
    app->WriteProfileInt("Quillmark", "sizeHeight3", 901);
    app->WriteProfileInt("Quillmark", "nTopLeftX3", screenWidth - 5);
    dialog.GetRestoredRect(restored);
    EXPECT_EQ(restored, CRect(200, 200, 1200, 300));

    // Sizing from the top-left corner below the minimum width moves the right edge.
    RECT proposed{500, 300, 700, 340};
    ::SendMessage(dialog.m_hWnd, WM_SIZING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_EQ(CRect(proposed), CRect(500, 300, 850, 400));
    RECT large{0, 0, 1300, 1100};
    ::SendMessage(dialog.m_hWnd, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&large));
    EXPECT_EQ(CRect(large), CRect(0, 0, 1200, 1000));

    // The grip in the client area's corner is the bottom-right sizing corner.
    dialog.MoveWindow(300, 250, 400, 300);
    CRect client;
    dialog.GetClientRect(&client);
    POINT corner{client.right - 3, client.bottom - 3}, inside{client.right / 2, client.bottom / 2};
    ::ClientToScreen(dialog.m_hWnd, &corner);
    ::ClientToScreen(dialog.m_hWnd, &inside);
    EXPECT_EQ(::SendMessage(dialog.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(::SendMessage(dialog.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTCLIENT);
    dialog.SetShowGripper(FALSE);
    EXPECT_EQ(::SendMessage(dialog.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTCLIENT);
}
}  // namespace
