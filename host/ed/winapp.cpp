#include "ed/winapp.h"
#include <memory>
#include "ed/profile.h"
#include "ed/sysvar.h"
#include "ui/wnd.h"

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

std::unique_ptr<CWnd>& ownFrame() {
    static std::unique_ptr<CWnd> f;
    return f;
}

constexpr const char* kFrameClass = "CadhostFrame";

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

CWnd* acedHostCreateAcadFrame() {
    acedHostDestroyAcadFrame();
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = kFrameClass;
    RegisterClass(&wc);  // already there from an earlier session: kept
    auto window = std::make_unique<CWnd>();
    if (!window->CreateEx(0, kFrameClass, "cadhost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                          GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr))
        return nullptr;
    ownFrame() = std::move(window);
    frame() = ownFrame().get();
    return frame();
}

void acedHostDestroyAcadFrame() {
    std::unique_ptr<CWnd>& own = ownFrame();
    if (!own) return;
    if (frame() == own.get()) frame() = nullptr;
    own->DestroyWindow();
    own.reset();
}
