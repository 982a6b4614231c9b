#include "ed/winapp.h"
#include <algorithm>
#include <memory>
#include "ax/appautomation.h"
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

IDispatch* CWinApp::GetIDispatch(BOOL addRef) {
    IDispatch* application = axApplicationDispatch();
    if (addRef) application->AddRef();
    return application;
}

CWnd* AcEdCommandLineWindow::SetFocus() {
    m_focus = true;
    ++m_count;
    return m_hWnd ? CWnd::SetFocus() : nullptr;
}

namespace {
constexpr const char* kCommandLineClass = "CadhostCommandLine";
constexpr int kCommandLineHeight = 48;  // three lines of text
}  // namespace

void AcEdCommandLineWindow::attachToFrame(CWnd* frame) {
    if (m_hWnd || !frame || !frame->GetSafeHwnd()) return;
    WNDCLASS wc{};
    wc.lpfnWndProc = ::DefWindowProc;
    wc.lpszClassName = kCommandLineClass;
    RegisterClass(&wc);  // already there from an earlier frame: kept
    RECT client{};
    frame->GetClientRect(&client);
    const RECT rect{0, std::max(0, static_cast<int>(client.bottom) - kCommandLineHeight), client.right, client.bottom};
    CreateEx(0, kCommandLineClass, "Command Line", WS_CHILD | WS_VISIBLE | WS_BORDER, rect, frame, 0);
}

LRESULT AcEdCommandLineWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: m_focus = true; break;
    case WM_KILLFOCUS: m_focus = false; break;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(m_hWnd, &paint);
        RECT client{};
        GetClientRect(&client);
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
        HGDIOBJ font = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        RECT line{client.left + 4, client.top, client.right - 4, client.bottom - 4};
        ::DrawText(dc, "Command:", -1, &line, DT_LEFT | DT_BOTTOM | DT_SINGLELINE);
        ::SelectObject(dc, font);
        ::EndPaint(m_hWnd, &paint);
        return 0;
    }
    default: break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
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
    // Never destroyed: its window goes with the frame, which the window layer may outlive.
    static AcEdCommandLineWindow* window = new AcEdCommandLineWindow;
    window->attachToFrame(acedGetAcadFrame());
    return window;
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
