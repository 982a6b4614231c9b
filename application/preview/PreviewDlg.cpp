#include "preview/PreviewDlg.h"
#include "browser/InsertionProtocol.h"
#include "ed/winapp.h"
#include "frame/ResourceString.h"
#include "win/icons.h"

BEGIN_MESSAGE_MAP(CPreviewDlg, CSnapDlg)
    ON_WM_SIZE()
    ON_BN_CLICKED(IDC_ZOOM_MODE, &CPreviewDlg::OnZoomMode)
    ON_BN_CLICKED(IDC_PAN_MODE, &CPreviewDlg::OnPanMode)
    ON_BN_CLICKED(IDC_ORBIT_MODE, &CPreviewDlg::OnOrbitMode)
    ON_BN_CLICKED(IDC_OPEN_OR_INSERT, &CPreviewDlg::OnOpenOrInsert)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PREVIEW_TABS, &CPreviewDlg::OnTabChange)
END_MESSAGE_MAP()

namespace {
constexpr const char* kInterfaceMode = "nInterfaceMode";

struct ButtonLook {
    int id;
    UINT icon;
    const char* tip;
};
constexpr ButtonLook kModeLooks[3] = {
    {IDC_ZOOM_MODE, IDI_ZOOM, "Zoom"}, {IDC_PAN_MODE, IDI_PAN, "Pan"}, {IDC_ORBIT_MODE, IDI_ORBIT, "Orbit"}};
constexpr ButtonLook kRenderLooks[7] = {
    {IDC_2D_WIREFRAME, IDI_2D_WIREFRAME, "2D Wireframe"},
    {IDC_3D_WIREFRAME, IDI_3D_WIREFRAME, "3D Wireframe"},
    {IDC_HIDDEN, IDI_HIDDEN, "Hidden"},
    {IDC_FLAT_SHADED, IDI_FLAT_SHADED, "Flat Shaded"},
    {IDC_GOURAUD_SHADED, IDI_GOURAUD_SHADED, "Gouraund Shaded"},
    {IDC_FLAT_SHADED_EDGES, IDI_FLAT_SHADED_EDGES, "Flat Shaded, Edges On"},
    {IDC_GOURAUD_SHADED_EDGES, IDI_GOURAUD_SHADED_EDGES, "Gouraund Shaded, Edges On"},
};

void giveLook(CButtonST& button, const ButtonLook& look) {
    button.setIconResource(look.icon, look.icon);
    button.setFlat(TRUE, TRUE);
    button.setTooltipText(look.tip, TRUE);
}
}  // namespace

CPreviewDlg::CPreviewDlg(CWnd* parent) : CSnapDlg(IDD, parent) {}

CPreviewDlg::~CPreviewDlg() {
    if (m_hIcon) DestroyIcon(m_hIcon);
}

void CPreviewDlg::SetSource(const CString& name, const CString& file) {
    m_strName = name;
    m_strFile = file;
}

CGsPreviewCtrl* CPreviewDlg::preview(int index) const {
    return index >= 0 && index < static_cast<int>(m_previews.size()) ? m_previews[index].get() : nullptr;
}

void CPreviewDlg::DoDataExchange(CDataExchange* dx) {
    CSnapDlg::DoDataExchange(dx);
    DDX_Control(dx, IDC_OPEN_OR_INSERT, m_openOrInsert);
    DDX_Control(dx, IDC_PREVIEW_TABS, m_tabs);
    DDX_Control(dx, IDCANCEL, m_close);
    for (int i = 0; i < 3; ++i) DDX_Control(dx, kModeLooks[i].id, m_modeButtons[i]);
    for (int i = 0; i < 7; ++i) DDX_Control(dx, kRenderLooks[i].id, m_renderButtons[i]);
}

BOOL CPreviewDlg::OnInitDialog() {
    CSnapDlg::OnInitDialog();
    m_strSection = loadResourceString(IDS_PRODUCT);
    for (int i = 0; i < 3; ++i) giveLook(m_modeButtons[i], kModeLooks[i]);
    for (int i = 0; i < 7; ++i) giveLook(m_renderButtons[i], kRenderLooks[i]);
    m_hIcon = static_cast<HICON>(LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_PREVIEW), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (m_hIcon) SetIcon(m_hIcon, FALSE);

    CRect placed;
    GetRestoredRect(placed);
    SetWindowPos(nullptr, placed.left, placed.top, placed.Width(), placed.Height(), SWP_NOZORDER | SWP_NOACTIVATE);

    // The tab lies under the preview it frames.
    ::SetWindowPos(m_tabs.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto control = std::make_unique<CGsPreviewCtrl>();
    if (control->Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this, IDC_GS_PREVIEW)) {
        control->ModifyStyleEx(0, WS_EX_STATICEDGE);
        ::SetWindowPos(control->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        m_previews.push_back(std::move(control));
    }
    CGsPreviewCtrl* shown = preview();
    if (shown && !m_strFile.IsEmpty()) {
        shown->LoadDrawing(m_strFile);
        m_tabs.InsertItem(0, m_strName);
    } else if (shown && !m_strName.IsEmpty()) {
        m_openOrInsert.SetWindowText(loadResourceString(IDS_INSERT));
        shown->ShowBlock(m_strName, 1.0, false, 0, AcGeVector3d(0, 1, 0), AcGeVector3d(0, 0, 1));
        m_tabs.InsertItem(0, m_strName);
    }

    const int stored = static_cast<int>(acedGetAcadWinApp()->GetProfileInt(m_strSection, kInterfaceMode, CGsPreviewCtrl::kZoom));
    const int mode = stored == CGsPreviewCtrl::kPan || stored == CGsPreviewCtrl::kZoom ? stored : CGsPreviewCtrl::kOrbit;
    for (auto& p : m_previews) {
        p->m_nMode = mode;
        p->SetOrbitCircle(mode == CGsPreviewCtrl::kOrbit);
    }
    CRect client;
    GetClientRect(&client);
    layout(client.Width(), client.Height());
    return TRUE;
}

void CPreviewDlg::layout(int w, int h) {
    const auto place = [](CWnd& control, int left, int top, int right, int bottom) {
        if (::IsWindow(control.m_hWnd)) control.MoveWindow(CRect(left, top, right, bottom), TRUE);
    };
    place(m_tabs, 2, 4, w - 80, h - 4);
    // The previews lie in the tab's page, under its captions.
    CRect caption(0, 0, 0, 0);
    if (::IsWindow(m_tabs.m_hWnd) && m_tabs.GetItemCount() > 0) m_tabs.GetItemRect(0, &caption);
    for (auto& p : m_previews) place(*p, 5, 7 + caption.bottom, w - 83, h - 27);
    place(m_openOrInsert, w - 73, 5, w - 4, 29);
    place(m_close, w - 73, 35, w - 4, 59);
    // Three 22-pixel buttons a pixel apart, the row centred under the Close button.
    const int first = (w - 73 + w - 4) / 2 - 34;
    for (int i = 0; i < 3; ++i) place(m_modeButtons[i], first + i * 23, 64, first + i * 23 + 22, 86);
    for (CButtonST& b : m_modeButtons)
        if (::IsWindow(b.m_hWnd)) b.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CPreviewDlg::OnSize(UINT type, int cx, int cy) {
    CSnapDlg::OnSize(type, cx, cy);
    SavePlacement();
    layout(cx, cy);
}

void CPreviewDlg::setMode(int mode) {
    for (auto& p : m_previews) {
        p->m_nMode = mode;
        p->SetOrbitCircle(mode == CGsPreviewCtrl::kOrbit);
    }
    if (!m_previews.empty())
        acedGetAcadWinApp()->WriteProfileInt(m_strSection, kInterfaceMode, m_previews.front()->m_nMode);
}

void CPreviewDlg::OnZoomMode() { setMode(CGsPreviewCtrl::kZoom); }
void CPreviewDlg::OnPanMode() { setMode(CGsPreviewCtrl::kPan); }
void CPreviewDlg::OnOrbitMode() { setMode(CGsPreviewCtrl::kOrbit); }

void CPreviewDlg::OnTabChange(NMHDR*, LRESULT* result) {
    const int selected = m_tabs.GetCurSel();
    for (int i = 0; i < static_cast<int>(m_previews.size()); ++i) m_previews[i]->ShowWindow(i == selected ? SW_SHOW : SW_HIDE);
    *result = 0;
}

void CPreviewDlg::OnOpenOrInsert() {
    const int tab = m_tabs.GetCurSel();
    CGsPreviewCtrl* shown = preview(tab < 0 ? 0 : tab);
    if (!shown) return;
    ShowWindow(SW_HIDE);
    if (!shown->fileName().IsEmpty()) {
        m_strOpen = shown->fileName();
        EndDialog(IDOK);
        return;
    }
    const CString block = shown->blockName();
    if (!block.IsEmpty()) insertAtPickedPoint(InsertKind::kBlock, block, loadResourceString(IDS_INSERTION_POINT));
    ShowWindow(SW_SHOW);
}
