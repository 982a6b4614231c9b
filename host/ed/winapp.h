#pragma once
// Stand-ins for the host application's windows and application object.
#include "rx/export.h"
#include "ui/cstring.h"
#include "ui/wnd.h"

typedef unsigned int UINT;
struct IDispatch;

// The host's application object; its profile is the host's profile (ed/profile.h).
class CADHOST_API CWinApp {
public:
    UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value);
    CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr);
    // A null value removes the entry, a null entry the whole section.
    BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value);
    // The application's automation object (ax/appautomation.h), with a reference added when asked.
    IDispatch* GetIDispatch(BOOL addRef);
    const char* m_pszAppName = "cadhost";
};

// The command line: a child window along the bottom of the main frame (made when it is first
// asked for while the frame exists). Giving it the focus is counted, with or without a window.
class CADHOST_API AcEdCommandLineWindow : public CWnd {
public:
    // Answers the window that had the focus before.
    CWnd* SetFocus();
    bool hasFocus() const { return m_focus; }
    int focusCount() const { return m_count; }
    // Host side: another window took the focus.
    void loseFocus() { m_focus = false; }
    // Host side: makes the window in the frame when there is a frame and no window yet.
    void attachToFrame(CWnd* frame);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool m_focus = false;
    int m_count = 0;
};

CADHOST_API CWinApp* acedGetAcadWinApp();
CADHOST_API AcEdCommandLineWindow* acedGetAcadDockCmdLine();
// The main frame window: the program's, or one a test registers; none otherwise (dialogs then
// have no parent).
CADHOST_API CWnd* acedGetAcadFrame();
CADHOST_API void acedHostSetAcadFrame(CWnd* frame);
// Host side: makes the main frame, a visible top-level window "cadhost" of the size SCREENSIZE
// gives (800 x 600 without it), and registers it; null when the window cannot be made. The
// program makes it at its start and destroys it at its end.
CADHOST_API CWnd* acedHostCreateAcadFrame();
CADHOST_API void acedHostDestroyAcadFrame();
