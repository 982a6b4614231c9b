// A small module for the editor tests: a command group, LISP functions defined per document,
// an editor reactor, a modal dialog, and a log the tests read.
#include <cstdio>
#include <string>
#include "ed/command.h"
#include "ed/docman.h"
#include "ed/editor.h"
#include "ed/lispfuncs.h"
#include "ed/prompts.h"
#include "ed/winapp.h"
#include "rx/dynlinker.h"
#include "rx/print.h"
#include "ui/dialog.h"
#include "ui/dockbar.h"

namespace {
std::string g_log;
bool g_sloppy = false;  // unload without removing the command group or the reactor
int g_loadDwg = 0;

void note(const std::string& s) {
    if (!g_log.empty()) g_log += ';';
    g_log += s;
}

class Reactor : public AcEditorReactor {
public:
    void commandWillStart(const char* cmd) override { note(std::string("start:") + cmd); }
    void commandEnded(const char* cmd) override { note(std::string("end:") + cmd); }
    void commandCancelled(const char* cmd) override { note(std::string("cancel:") + cmd); }
};
Reactor* g_reactor = nullptr;

void pointCommand() {
    ads_point p;
    int rc = acedGetPoint(nullptr, "\nModule point: ", p);
    if (rc == RTNORM) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "point:%g,%g,%g", p[0], p[1], p[2]);
        note(buf);
    } else {
        note("point-rc:" + std::to_string(rc));
    }
}

void queueCommand() {
    acDocManager->sendStringToExecute(acDocManager->curDocument(), "(tm-record \"queued\") ", false, false, false);
    note("queue-body");
}

void echoCommand() { note("module-echo"); }

constexpr int kNameEdit = 101;

// A name dialog: an edit holding "old", OK and Cancel; keeps the edited text on OK.
class NameDialog : public CDialog {
public:
    std::string m_text;
    bool m_overFrame = false;

protected:
    BOOL OnInitDialog() override {
        CWnd* frame = acedGetAcadFrame();
        m_overFrame = frame && ::GetWindow(m_hWnd, GW_OWNER) == frame->m_hWnd;
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        char buffer[256] = "";
        ::GetDlgItemText(m_hWnd, kNameEdit, buffer, sizeof buffer);
        m_text = buffer;
        CDialog::OnOK();
    }
};

DialogTemplate nameTemplate() {
    DialogTemplate t;
    t.cx = 160;
    t.cy = 50;
    t.caption = "Name";
    auto item = [&](WORD atom, const char* text, int id, DWORD style, short x, short y, short cx, short cy) {
        DialogItemTemplate i;
        i.classAtom = atom;
        i.text = text;
        i.id = id;
        i.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
        i.x = x;
        i.y = y;
        i.cx = cx;
        i.cy = cy;
        t.items.push_back(i);
    };
    item(DLGATOM_EDIT, "old", kNameEdit, WS_BORDER | ES_AUTOHSCROLL, 7, 7, 146, 14);
    item(DLGATOM_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON, 49, 29, 50, 14);
    item(DLGATOM_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON, 103, 29, 50, 14);
    return t;
}

void dialogCommand() {
    NameDialog dialog;
    dialog.InitModalIndirect(nameTemplate());
    const INT_PTR result = dialog.DoModal();
    acutPrintf(dialog.m_overFrame ? "\nThe dialog is over the main window." : "\nThe dialog has no owner.");
    if (result == IDOK) acutPrintf("\nName: %s", dialog.m_text.c_str());
    else acutPrintf("\nName dialog cancelled.");
}

// A docked bar with a panel: a button that counts its presses into a list.
constexpr int kDockButton = 301, kDockList = 302;

class DockPanel : public CDialog {
protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) != kDockButton || HIWORD(wParam) != BN_CLICKED) return CDialog::OnCommand(wParam, lParam);
        const std::string item = "press " + std::to_string(++m_presses);
        ::SendDlgItemMessage(m_hWnd, kDockList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        acutPrintf("\nDock button pressed (%d).", m_presses);
        return TRUE;
    }
    int m_presses = 0;
};

class DockBar : public CAdUiDockControlBar {
public:
    DockBar() : CAdUiDockControlBar(kSizable) {}

protected:
    BOOL CreateControlBar(LPCREATESTRUCT) override {
        DialogTemplate t;
        t.style = WS_CHILD | WS_VISIBLE | DS_CONTROL;
        t.cx = 100;
        t.cy = 150;
        t.items = {
            {"", DLGATOM_BUTTON, "Count", kDockButton, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 4, 4, 50, 14},
            {"", DLGATOM_LISTBOX, "", kDockList, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER, 0, 4, 22, 90, 100},
        };
        return m_panel.CreateIndirect(t, this);
    }
    void SizeChanged(CRect* rect, BOOL, int) override {
        m_panel.MoveWindow(rect->left + 2, rect->top + 1, rect->Width() - 4, rect->Height() - 3);
    }
    DockPanel m_panel;
};
DockBar* g_dockBar = nullptr;

void dockBarCommand() {
    if (g_dockBar) {
        g_dockBar->RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
        return;
    }
    g_dockBar = new DockBar;
    if (!g_dockBar->Create(nullptr, "Test Bar", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 170, 400),
                           acedGetAcadFrame(), 403)) {
        delete g_dockBar;
        g_dockBar = nullptr;
        acutPrintf("\nThe bar cannot be made.");
        return;
    }
    g_dockBar->EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT);
    g_dockBar->m_bHoldContentLayout = false;
    g_dockBar->RestoreControlBar(AFX_IDW_DOCKBAR_LEFT);
}

int record() {
    resbuf* args = acedGetArgs();
    note(std::string("lisp:") + (args && args->restype == RTSTR ? args->resval.rstring : "?"));
    acutRelRb(args);
    return acedRetVoid();
}

int hello() {
    acutPrintf("\nHello from the module.");
    note("hello");
    return acedRetVoid();
}
}  // namespace

extern "C" CADHOST_API const char* edtestLog() { return g_log.c_str(); }
extern "C" CADHOST_API void edtestClearLog() { g_log.clear(); }
extern "C" CADHOST_API void edtestSetSloppy(bool sloppy) { g_sloppy = sloppy; }
extern "C" CADHOST_API int edtestLoadDwgCount() { return g_loadDwg; }

extern "C" CADHOST_API AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode message, void* packet) {
    switch (message) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(packet);
        acrxDynamicLinker->registerAppMDIAware(packet);
        acedCmdUndefine("HOSTECHO", 1);
        acedRegCmds->addCommand("EDTEST", "TMPOINT", "TMPOINT", ACRX_CMD_MODAL, pointCommand);
        acedRegCmds->addCommand("EDTEST", "TMQUEUE", "TMQUEUE", ACRX_CMD_MODAL, queueCommand);
        acedRegCmds->addCommand("EDTEST", "HOSTECHO", "HOSTECHO", ACRX_CMD_MODAL, echoCommand);
        acedRegCmds->addCommand("EDTEST", "TMDIALOG", "TMDIALOG", ACRX_CMD_MODAL, dialogCommand);
        acedRegCmds->addCommand("EDTEST", "TMDOCKBAR", "TMDOCKBAR", ACRX_CMD_MODAL, dockBarCommand);
        g_reactor = new Reactor;
        acedEditor->addReactor(g_reactor);
        g_loadDwg = 0;
        note("init");
        break;
    case AcRx::kLoadDwgMsg:
        ++g_loadDwg;
        acedDefun("tm-record", 0);
        acedDefun("c:tmhello", 1);
        note(std::string("load:") + static_cast<AcApDocument*>(packet)->docTitle());
        break;
    case AcRx::kUnloadDwgMsg: note(std::string("unloaddwg:") + static_cast<AcApDocument*>(packet)->docTitle()); break;
    case AcRx::kInvkSubrMsg:
        switch (acedGetFunCode()) {
        case 0: record(); break;
        case 1: hello(); break;
        default: acdbFail("Received nonexistent function code."); break;
        }
        break;
    case AcRx::kUnloadAppMsg:
        note("unload");
        if (!g_sloppy) {
            acedRegCmds->removeGroup("EDTEST");
            acedEditor->removeReactor(g_reactor);
        }
        delete g_reactor;
        g_reactor = nullptr;
        delete g_dockBar;
        g_dockBar = nullptr;
        acedCmdUndefine("HOSTECHO", 0);
        break;
    default: break;
    }
    return AcRx::kRetOK;
}
