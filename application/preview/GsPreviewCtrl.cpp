#include "preview/GsPreviewCtrl.h"
#include <algorithm>
#include <cmath>
#include <numbers>
#include "db/entity.h"
#include "db/symtab.h"
#include "ed/findfile.h"
#include "ed/prompts.h"
#include "frame/ResourceString.h"
#include "res/resource.h"
#include "win/resources.h"
#include "win/filetypes.h"
#include "win/sharemode.h"
#include "win/wingdi.h"

BEGIN_MESSAGE_MAP(CGsPreviewCtrl, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_MOUSEWHEEL()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_MBUTTONDOWN, &CGsPreviewCtrl::OnMButtonDown)
    ON_MESSAGE(WM_MBUTTONUP, &CGsPreviewCtrl::OnMButtonUp)
    ON_WM_RBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_DESTROY()
    ON_WM_NCHITTEST()
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

namespace {
constexpr const char* kModelSpace = "*Model_Space";
// A field of no extent (a block of one point) is shown this wide instead.
constexpr double kSmallestField = 2e-11;
}  // namespace

CString previewFilePath(const char* path) {
    std::string in = path ? path : "";
    std::replace(in.begin(), in.end(), '\\', '/');
    std::string out;
    size_t i = 0;
    if (in.compare(0, 2, "//") == 0) {
        out = "//";
        i = 2;
    }
    for (; i < in.size(); ++i)
        if (!(in[i] == '/' && !out.empty() && out.back() == '/')) out += in[i];
    return CString(out.c_str());
}

CGsPreviewCtrl::CGsPreviewCtrl() { m_bgBrush.CreateSolidBrush(RGB(0, 0, 0)); }

CGsPreviewCtrl::~CGsPreviewCtrl() {
    ReleaseGs();
    for (HCURSOR* cursor : {&m_hCursorZoom, &m_hCursorPan, &m_hCursorOrbit}) {
        if (*cursor) DestroyCursor(*cursor);
        *cursor = nullptr;
    }
}

void CGsPreviewCtrl::InitGs() {
    HINSTANCE resources = AfxGetResourceHandle();
    if (!m_hCursorZoom) m_hCursorZoom = LoadCursor(resources, MAKEINTRESOURCE(IDC_CURSOR_ZOOM));
    if (!m_hCursorPan) m_hCursorPan = LoadCursor(resources, MAKEINTRESOURCE(IDC_CURSOR_PAN));
    if (!m_hCursorOrbit) m_hCursorOrbit = LoadCursor(resources, MAKEINTRESOURCE(IDC_CURSOR_ORBIT));
    if (m_pGsManager) return;
    m_pGsManager = acgsGetGsManager(nullptr);
    if (!m_pGsManager) return;
    m_pGsFactory = m_pGsManager->getGSClassFactory();
    m_pDevice = m_pGsManager->createAutoCADDevice(m_hWnd);
    if (!m_pGsFactory || !m_pDevice) {
        ReleaseGs();
        return;
    }
    CRect client;
    GetClientRect(&client);
    m_pDevice->onSize(client.Width(), client.Height());
    m_pView = m_pGsFactory->createView();
    m_pModel = m_pGsManager->createAutoCADModel();
    m_pGadgetModel = m_pGsFactory->createModel();
    m_pView->add(&m_orbitGadget, m_pGadgetModel);
    m_orbitGadget.setView(m_pView);
    m_pDevice->add(m_pView);
    m_pView->setView(AcGePoint3d(0, 0, 1), AcGePoint3d(0, 0, 0), AcGeVector3d(0, 1, 0), 1, 1, AcGsView::kParallel);
}

void CGsPreviewCtrl::ReleaseGs() {
    m_strBlock.Empty();
    if (m_pView) {
        m_pView->eraseAll();
        if (m_pDevice) m_pDevice->erase(m_pView);
        m_pGsFactory->deleteView(m_pView);
        m_pView = nullptr;
    }
    m_orbitGadget.setView(nullptr);
    if (m_pGadgetModel) {
        m_pGsFactory->deleteModel(m_pGadgetModel);
        m_pGadgetModel = nullptr;
    }
    if (m_pModel) {
        m_pGsManager->destroyAutoCADModel(m_pModel);
        m_pModel = nullptr;
    }
    if (m_pDevice) {
        m_pGsManager->destroyAutoCADDevice(m_pDevice);
        m_pDevice = nullptr;
    }
    m_pGsFactory = nullptr;
    m_pGsManager = nullptr;
}

void CGsPreviewCtrl::LoadDrawing(const char* file) {
    const CString path = previewFilePath(file);
    const CString notLoaded = CString("Could not load the drawing file: ") + path;
    char found[MAX_PATH];
    if (acedFindFile(path, found, sizeof found) != RTNORM) {
        acedAlert(notLoaded);
        return;
    }
    ReleaseGs();
    m_pDb.reset();
    m_strFile = path;
    Invalidate();
    auto db = std::make_unique<AcDbDatabase>(false, true);
    try {
        if (db->readDwgFile(found, _SH_DENYWR) != Acad::eOk) {
            acedAlert(notLoaded);
            return;
        }
    } catch (...) {
        acedAlert(loadResourceString(IDS_LOAD_FAILED));
        return;
    }
    m_pDb = std::move(db);
    AcDbBlockTableRecord* space = nullptr;
    if (acdbOpenObject(space, m_pDb->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return;
    m_strBlock = kModelSpace;
    SetupView(space, 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
}

void CGsPreviewCtrl::ShowBlock(const char* name, double zoomFactor, bool keepView, int fitMode,
                               const AcGeVector3d& upHint, const AcGeVector3d& viewDirection) {
    ReleaseGs();
    m_pDb.reset();
    m_strFile.Empty();
    Invalidate();
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!name || !*name || !db) return;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return;
    AcDbObjectId id;
    const bool known = table->getAt(name, id) == Acad::eOk;
    table->close();
    AcDbBlockTableRecord* record = nullptr;
    if (!known || acdbOpenObject(record, id, AcDb::kForRead) != Acad::eOk) return;
    m_strBlock = name;
    SetupView(record, zoomFactor, keepView, fitMode, upHint, viewDirection);
}

void CGsPreviewCtrl::SetupView(AcDbBlockTableRecord* record, double zoomFactor, bool keepView, int fitMode,
                               const AcGeVector3d& upHint, const AcGeVector3d& viewDirection) {
    InitGs();
    if (!m_pView) {
        record->close();
        return;
    }
    AcDbExtents extents;
    if (m_strBlock == kModelSpace) {
        AcDbDatabase* db = m_pDb ? m_pDb.get() : record->database();
        extents = db->computeExtents();
    } else {
        for (const AcDbObjectId& id : record->entityIds()) {
            AcDbEntity* entity = nullptr;
            if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) continue;
            AcDbExtents one;
            if (entity->getGeomExtents(one) == Acad::eOk) extents.addExt(one);
            entity->close();
        }
    }
    if (extents.isEmpty()) extents.addPoint(AcGePoint3d::kOrigin);

    // Camera axes: d towards the viewer, y up (the hint made square to d, or a perpendicular of d
    // when the hint runs along it), x to the right.
    AcGeVector3d d = viewDirection.length() > 0.0 ? viewDirection.normal() : AcGeVector3d::kZAxis;
    AcGeVector3d y = upHint - d * upHint.dotProduct(d);
    AcGeVector3d x;
    if (y.length() > 1e-12) {
        y = y.normal();
        x = y.crossProduct(d);
    } else {
        x = d.perpVector().normal();
        y = d.crossProduct(x);
    }
    const AcGePoint3d t = extents.minPoint() + (extents.maxPoint() - extents.minPoint()) / 2.0;
    AcDbExtents local = extents;
    local.transformBy(AcGeMatrix3d::alignCoordSys(AcGePoint3d::kOrigin, AcGeVector3d::kXAxis, AcGeVector3d::kYAxis,
                                                  AcGeVector3d::kZAxis, t, x, y, d)
                          .inverse());
    double w = std::fabs(local.maxPoint().x - local.minPoint().x);
    double h = std::fabs(local.maxPoint().y - local.minPoint().y);
    if (w == 0.0) w = kSmallestField;
    if (h == 0.0) h = kSmallestField;
    m_pView->setView(t + d, t, y, w, h, AcGsView::kParallel);
    if (!keepView) {
        if (fitMode == 1) {
            CRect client;
            GetClientRect(&client);
            const double s = std::max(w / std::max(1, client.Width()), h / std::max(1, client.Height()));
            m_pView->zoom(s / zoomFactor);
        } else {
            m_pView->zoom(zoomFactor);
        }
    }
    SetRenderMode();
    if (!m_pDb) {
        m_pView->eraseAll();
        m_pView->add(&m_orbitGadget, m_pGadgetModel);
    }
    m_pView->add(record, m_pModel);
    record->close();
    Invalidate();
}

void CGsPreviewCtrl::SetRenderMode() {
    if (m_pView && m_nRenderMode >= 0 && m_nRenderMode <= 7)
        m_pView->setMode(static_cast<AcGsView::RenderMode>(m_nRenderMode));
}

void CGsPreviewCtrl::SetOrbitCircle(BOOL show) {
    m_bOrbitCircle = show ? TRUE : FALSE;
    if (m_hWnd) Invalidate(FALSE);
}

void CGsPreviewCtrl::redraw() { RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

void CGsPreviewCtrl::drawOrbitCircle(CDC* dc) {
    if (m_bPanDrag || m_nMode != kOrbit) return;
    std::unique_ptr<CClientDC> own;
    if (!dc) {
        own = std::make_unique<CClientDC>(this);
        dc = own.get();
    }
    CRect client;
    GetClientRect(&client);
    const int r = std::min(client.Width(), client.Height()) / 2 - 20;
    const CPoint c = client.CenterPoint();
    CPen green(PS_SOLID, 1, RGB(0, 255, 0));
    CPen* oldPen = dc->SelectObject(&green);
    CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
    const auto circle = [&](int x, int y, int radius) { dc->Ellipse(x - radius, y - radius, x + radius + 1, y + radius + 1); };
    if (r > 0) circle(c.x, c.y, r);
    for (const CPoint& p : {CPoint(c.x, c.y - r), CPoint(c.x, c.y + r), CPoint(c.x - r, c.y), CPoint(c.x + r, c.y)})
        circle(p.x, p.y, 9);
    dc->SelectObject(oldPen);
    if (oldBrush) ::SelectObject(dc->m_hDC, oldBrush->GetSafeHandle());
}

void CGsPreviewCtrl::drawFocus(CDC* dc) {
    if (::GetFocus() != m_hWnd) return;
    if (dc) dc->DrawFocusRect(&m_rcFocus);
    else Invalidate(FALSE);
}

void CGsPreviewCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (m_pView && (!m_strBlock.IsEmpty() || m_pDb)) {
        try {
            m_pView->invalidate();
            m_pView->update();
        } catch (...) {
            ReleaseGs();
        }
    } else if (m_bgBrush.GetSafeHandle()) {
        dc.FillRect(&client, &m_bgBrush);
    } else {
        dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    }
    if (m_bOrbitDrag || m_bOrbitCircle) drawOrbitCircle(&dc);
    drawFocus(&dc);
}

BOOL CGsPreviewCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CGsPreviewCtrl::OnSize(UINT type, int cx, int cy) {
    CStatic::OnSize(type, cx, cy);
    m_rcFocus = CRect(0, 0, cx, cy);
    m_rcFocus.DeflateRect(2, 2);
    if (m_pDevice) m_pDevice->onSize(cx, cy);
    if (m_pView && !m_strBlock.IsEmpty()) m_pView->invalidate();
    Invalidate(FALSE);
}

BOOL CGsPreviewCtrl::OnMouseWheel(UINT, short delta, CPoint) {
    if (m_nMode == kNone || !m_pView) return TRUE;
    m_pView->zoom(delta < 0 ? 0.9 : 1.1);
    Invalidate(FALSE);
    return TRUE;
}

void CGsPreviewCtrl::showModeCursor() {
    HCURSOR cursor = m_nMode == kZoom ? m_hCursorZoom : m_nMode == kPan ? m_hCursorPan : m_nMode == kOrbit ? m_hCursorOrbit : nullptr;
    if (!cursor) cursor = m_hCursorDefault ? m_hCursorDefault : LoadCursor(nullptr, IDC_ARROW);
    SetCursor(cursor);
}

void CGsPreviewCtrl::startDrag(BOOL& flag, CPoint point) {
    flag = TRUE;
    SetCapture();
    showModeCursor();
    m_ptLast = point;
}

void CGsPreviewCtrl::endDrag() {
    const bool dragged = dragging();
    m_bZoomDrag = m_bPanDrag = m_bOrbitDrag = FALSE;
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    showModeCursor();
    if (dragged) redraw();
}

void CGsPreviewCtrl::OnLButtonDown(UINT, CPoint point) {
    SetFocus();
    if (!m_pView || m_strBlock.IsEmpty()) return;
    if (m_nMode == kZoom) {
        m_dDragZoom = 1.0;
        startDrag(m_bZoomDrag, point);
    } else if (m_nMode == kPan) {
        startDrag(m_bPanDrag, point);
    } else if (m_nMode == kOrbit) {
        startDrag(m_bOrbitDrag, point);
    }
}

void CGsPreviewCtrl::OnLButtonUp(UINT, CPoint) { endDrag(); }

LRESULT CGsPreviewCtrl::OnMButtonDown(WPARAM, LPARAM lParam) {
    SetFocus();
    if (m_pView && !m_strBlock.IsEmpty()) startDrag(m_bPanDrag, CPoint(lParam));
    return 0;
}

LRESULT CGsPreviewCtrl::OnMButtonUp(WPARAM, LPARAM) {
    endDrag();
    return 0;
}

void CGsPreviewCtrl::OnRButtonDown(UINT flags, CPoint point) {
    SetFocus();
    CStatic::OnRButtonDown(flags, point);
}

void CGsPreviewCtrl::OnMouseMove(UINT flags, CPoint point) {
    showModeCursor();
    if (m_nMode == kNone && dragging()) endDrag();
    if (!m_pView) return;
    if (m_bZoomDrag) {
        const int dy = point.y - m_ptLast.y;
        if (dy != 0) {
            if (m_dDragZoom != 1.0) m_pView->zoom(m_dDragZoom);
            CRect client;
            GetClientRect(&client);
            // A step of the client's height or more zooms out by ten at most.
            m_dDragZoom = std::max(0.1, 1.0 - double(dy) / std::max(1, client.Height()));
            m_pView->zoom(m_dDragZoom);
            redraw();
        }
        m_ptLast = point;
    } else if (m_bPanDrag) {
        AcGeVector3d offset(-(point.x - m_ptLast.x), point.y - m_ptLast.y, 0);
        offset.transformBy(m_pView->viewingMatrix() * m_pView->worldToDeviceMatrix().inverse());
        m_pView->dolly(offset);
        redraw();
        m_ptLast = point;
    } else if (m_bOrbitDrag) {
        orbitStep(m_ptLast, point);
        redraw();
        m_ptLast = point;
    }
    (void)flags;
}

// A virtual trackball: the two points lifted onto a ball of 0.4 of the smaller viewport side,
// and the camera turned about the axis square to both by the angle between them.
void CGsPreviewCtrl::orbitStep(CPoint from, CPoint to) {
    AcGsDCRect viewport;
    m_pView->getViewport(viewport);
    const long w = viewport.m_max.x - viewport.m_min.x + 1, h = viewport.m_max.y - viewport.m_min.y + 1;
    const long cx = viewport.m_min.x + w / 2, cy = viewport.m_min.y + h / 2;
    const double r = std::min(w, h) * 0.4f;
    const auto onBall = [&](CPoint p) {
        AcGeVector3d v((p.x - cx) / r, -(p.y - cy) / r, 0.0);
        const double squared = v.x * v.x + v.y * v.y;
        if (squared > 1.0) v = v / std::sqrt(squared);
        else v.z = std::sqrt(1.0 - squared);
        return v;
    };
    const AcGeVector3d a = onBall(from).crossProduct(onBall(to));
    const double length = a.length();
    if (length == 0.0) return;
    const double roll = std::atan2(a.x, a.y);
    const double tilt = std::acos(a.z / length) + std::numbers::pi / 2;
    const double turn = std::asin(std::min(length, 1.0));
    m_pView->roll(roll);
    m_pView->orbit(0.0, tilt);
    m_pView->orbit(turn, 0.0);
    m_pView->orbit(0.0, -tilt);
    m_pView->roll(-roll);
}

void CGsPreviewCtrl::OnSetFocus(CWnd* old) {
    CStatic::OnSetFocus(old);
    CRect client;
    GetClientRect(&client);
    m_rcFocus = client;
    m_rcFocus.DeflateRect(2, 2);
    Invalidate(FALSE);
}

void CGsPreviewCtrl::OnKillFocus(CWnd* next) {
    CStatic::OnKillFocus(next);
    Invalidate(FALSE);
}

void CGsPreviewCtrl::OnDestroy() {
    ReleaseGs();
    m_pDb.reset();
    if (m_toolTip.m_hWnd) m_toolTip.DestroyWindow();
    CStatic::OnDestroy();
}

LRESULT CGsPreviewCtrl::OnNcHitTest(CPoint) { return HTCLIENT; }

HBRUSH CGsPreviewCtrl::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(m_bgBrush.GetSafeHandle()); }

BOOL CGsPreviewCtrl::PreTranslateMessage(MSG* msg) {
    if (!m_toolTip.m_hWnd && m_hWnd) {
        m_toolTip.Create(this);
        m_toolTip.Activate(FALSE);
    }
    if (m_toolTip.m_hWnd) m_toolTip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}
