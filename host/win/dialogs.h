#pragma once
// Dialogs made from in-memory templates in dialog units, modal and modeless, and the keyboard
// interface of dialogs (Tab, Enter, Escape). Dialog base units are fixed at those of
// "MS Sans Serif" 8 at 96 dots per inch: 6 x 13 pixels, so x pixels = x * 6 / 4 and
// y pixels = y * 13 / 8, whatever font the template names.
#include "win/winstyles.h"
#include <string>
#include <vector>
#include "win/winuser.h"

// Dialog styles.

// Standard command ids.

// Dialog messages, their window-data slots and WM_GETDLGCODE answers.
constexpr UINT DM_GETDEFID = WM_USER + 0, DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;
constexpr int DWLP_MSGRESULT = 0, DWLP_DLGPROC = 8, DWLP_USER = 16, DLGWINDOWEXTRA = 24;
constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
    DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
    DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
    DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;
// Class atoms of template controls.
constexpr WORD DLGATOM_BUTTON = 0x80, DLGATOM_EDIT = 0x81, DLGATOM_STATIC = 0x82,
    DLGATOM_LISTBOX = 0x83, DLGATOM_SCROLLBAR = 0x84, DLGATOM_COMBOBOX = 0x85;

// One control of a dialog template. The class is named, or given by its atom when the name is
// empty. Coordinates are dialog units relative to the dialog's client area.
struct DialogItemTemplate {
    std::string className;
    WORD classAtom = 0;
    std::string text;
    int id = 0;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

// A dialog template: the dialog's style, client rectangle in dialog units, caption, font and
// controls in tab order. An empty class name makes a dialog of the dialog class.
struct DialogTemplate {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string caption;
    std::string className;
    WORD pointSize = 8;
    std::string faceName = "MS Sans Serif";
    WORD weight = 400;
    bool italic = false;
    std::vector<DialogItemTemplate> items;
};

// Modeless: the dialog, or null when a control could not be made (unless DS_NOFAILCREATE).
CADHOST_API HWND CreateDialogIndirectParam(HINSTANCE instance, const DialogTemplate& dialogTemplate,
                                           HWND parent, DLGPROC proc, LPARAM initParam);
// Modal: runs the dialog's loop on the thread's input until EndDialog; answers its result, -1
// when the dialog could not be made. When the input ends the dialog is cancelled as by Escape
// (and ended with IDCANCEL if it ignores that), so the loop never waits.
CADHOST_API INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DialogTemplate& dialogTemplate,
                                           HWND parent, DLGPROC proc, LPARAM initParam);
CADHOST_API BOOL EndDialog(HWND dialog, INT_PTR result);
CADHOST_API LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API BOOL IsDialogMessage(HWND dialog, MSG* msg);
CADHOST_API BOOL MapDialogRect(HWND dialog, RECT* rect);
CADHOST_API LONG GetDialogBaseUnits();
CADHOST_API HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
CADHOST_API HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
CADHOST_API LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
CADHOST_API BOOL SetDlgItemText(HWND dialog, int id, const char* text);
CADHOST_API UINT GetDlgItemText(HWND dialog, int id, char* buffer, int bufferMax);
CADHOST_API BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
CADHOST_API UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
CADHOST_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
CADHOST_API UINT IsDlgButtonChecked(HWND dialog, int id);
CADHOST_API BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
