#include "ed/winapp.h"
#include "ed/profile.h"

UINT CWinApp::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) {
    return static_cast<UINT>(AcEdProfile::getInt(section, entry, defaultValue));
}

BOOL CWinApp::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) {
    return AcEdProfile::setInt(section, entry, value) ? TRUE : FALSE;
}

CString CWinApp::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) {
    return CString(AcEdProfile::getString(section, entry, defaultValue ? defaultValue : "").c_str());
}

BOOL CWinApp::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
    if (!entry) return AcEdProfile::removeSection(section) ? TRUE : FALSE;
    return AcEdProfile::setString(section, entry, value) ? TRUE : FALSE;
}

AcEdCommandLineWindow* AcEdCommandLineWindow::SetFocus() {
    m_focus = true;
    ++m_count;
    return nullptr;
}

namespace {
CWnd*& frame() {
    static CWnd* f = nullptr;
    return f;
}
}  // namespace

CWinApp* acedGetAcadWinApp() {
    static CWinApp app;
    return &app;
}

AcEdCommandLineWindow* acedGetAcadDockCmdLine() {
    static AcEdCommandLineWindow window;
    return &window;
}

CWnd* acedGetAcadFrame() { return frame(); }
void acedHostSetAcadFrame(CWnd* f) { frame() = f; }
