#pragma once
// The modal "Preview" dialog of the browser: a drawing's model space or a block of the current
// drawing in a graphics-system preview on a tab, three buttons choosing what the left mouse button
// does (zoom, pan or orbit; kept in the profile), and one action: "Open" for a drawing (the panel
// opens it once the dialog has ended) or "Insert" for a block (picks a point and queues the
// browser's insertion text).
#include <memory>
#include <vector>
#include "controls/ButtonST.h"
#include "preview/GsPreviewCtrl.h"
#include "preview/SnapDlg.h"
#include "res/resource.h"

class CPreviewDlg : public CSnapDlg {
public:
    enum { IDD = IDD_PREVIEW };
    explicit CPreviewDlg(CWnd* parent);
    ~CPreviewDlg() override;

    void SetSource(const CString& name, const CString& file);
    // The drawing the user chose to open with "Open"; empty otherwise.
    const CString& drawingToOpen() const { return m_strOpen; }
    CGsPreviewCtrl* preview(int index = 0) const;

    CButton m_openOrInsert;
    CTabCtrl m_tabs;
    CButton m_close;
    CButtonST m_modeButtons[3];    // zoom, pan, orbit
    CButtonST m_renderButtons[7];  // never shown
    // The previews, one per tab; their windows go with the dialog's, the objects with the dialog.
    std::vector<std::unique_ptr<CGsPreviewCtrl>> m_previews;
    CString m_strName;
    CString m_strFile;
    HICON m_hIcon = nullptr;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnZoomMode();
    afx_msg void OnPanMode();
    afx_msg void OnOrbitMode();
    afx_msg void OnTabChange(NMHDR* header, LRESULT* result);
    afx_msg void OnOpenOrInsert();
    DECLARE_MESSAGE_MAP()

private:
    void setMode(int mode);
    void layout(int width, int height);
    CString m_strOpen;
};
