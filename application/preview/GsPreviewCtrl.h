#pragma once
// A child window that shows a block of the current drawing, or the model space of a drawing
// file, through the host's graphics system. The wheel zooms; the left button zooms, pans or
// orbits by the mode; the middle button pans in every mode but 0.
#include <memory>
#include "db/database.h"
#include "gs/gs.h"
#include "preview/OrbitGadget.h"
#include "ui/ctrls.h"

// A path as the control loads it: backslashes become slashes and runs of slashes one, except
// the two that begin a network path.
CString previewFilePath(const char* path);

class CGsPreviewCtrl : public CStatic {
public:
    enum Mode { kNone = 0, kOrbit = 1, kPan = 2, kZoom = 3 };

    CGsPreviewCtrl();
    ~CGsPreviewCtrl() override;

    // Shows the model space of the drawing file; reports a file it cannot read and then shows nothing.
    void LoadDrawing(const char* path);
    // Shows the block of the current working database; an unknown name leaves the control empty.
    void ShowBlock(const char* name, double zoomFactor, bool keepView, int fitMode, const AcGeVector3d& upHint,
                   const AcGeVector3d& viewDirection);
    void SetRenderMode();
    void SetOrbitCircle(BOOL show);
    void InitGs();
    void ReleaseGs();

    const CString& blockName() const { return m_strBlock; }
    const CString& fileName() const { return m_strFile; }
    AcGsView* view() const { return m_pView; }
    AcGsDevice* device() const { return m_pDevice; }
    AcDbDatabase* drawing() const { return m_pDb.get(); }
    bool orbitCircleShown() const { return m_bOrbitCircle != 0; }
    bool dragging() const { return m_bZoomDrag || m_bPanDrag || m_bOrbitDrag; }

    int m_nMode = kPan;
    int m_nRenderMode = AcGsView::kFlatShadedWithWireframe;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg LRESULT OnMButtonDown(WPARAM flags, LPARAM point);
    afx_msg LRESULT OnMButtonUp(WPARAM flags, LPARAM point);
    afx_msg void OnRButtonDown(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnSetFocus(CWnd* old);
    afx_msg void OnKillFocus(CWnd* next);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnNcHitTest(CPoint point);
    afx_msg HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    DECLARE_MESSAGE_MAP()

private:
    void SetupView(AcDbBlockTableRecord* record, double zoomFactor, bool keepView, int fitMode,
                   const AcGeVector3d& upHint, const AcGeVector3d& viewDirection);
    void startDrag(BOOL& flag, CPoint point);
    void endDrag();
    void showModeCursor();
    void drawOrbitCircle(CDC* dc = nullptr);
    void drawFocus(CDC* dc = nullptr);
    void redraw();
    void orbitStep(CPoint from, CPoint to);

    std::unique_ptr<AcDbDatabase> m_pDb;
    CString m_strBlock;
    CString m_strFile;
    double m_dDragZoom = 1.0;
    CBrush m_bgBrush;
    CToolTipCtrl m_toolTip;
    HCURSOR m_hCursorZoom = nullptr, m_hCursorPan = nullptr, m_hCursorOrbit = nullptr, m_hCursorDefault = nullptr;
    AcGsManager* m_pGsManager = nullptr;
    AcGsClassFactory* m_pGsFactory = nullptr;
    AcGsDevice* m_pDevice = nullptr;
    AcGsView* m_pView = nullptr;
    AcGsModel* m_pModel = nullptr;
    AcGsModel* m_pGadgetModel = nullptr;
    OrbitGadget m_orbitGadget;
    BOOL m_bZoomDrag = FALSE, m_bPanDrag = FALSE, m_bOrbitDrag = FALSE;
    CPoint m_ptLast;
    BOOL m_bOrbitCircle = TRUE;
    CRect m_rcFocus;
};
