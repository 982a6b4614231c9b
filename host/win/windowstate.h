#pragma once
// Internal state of the window tree, shared by the files that implement the window framework.
#include <map>
#include <string>
#include <vector>
#include "win/winuser.h"

namespace winstate {

struct WindowClass {
    WNDCLASS wc{};
    std::string name;
    bool global = false;
};

struct Window {
    HWND hwnd = nullptr;
    const WindowClass* cls = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};              // relative to the parent's client area (screen for top level)
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children;  // z-order, top first
    std::string text;
    HFONT font = nullptr;
    HICON bigIcon = nullptr, smallIcon = nullptr;  // the window's, not owned
    UINT_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<LONG_PTR> extra;  // class extra bytes, one slot per pointer
    bool destroying = false;
    bool created = false;
    RECT invalid{};            // client coordinates; empty when valid
    bool eraseNeeded = false;
    bool noRedraw = false;      // WM_SETREDRAW FALSE: no painting until it is switched on again
    bool paintPending = false;  // a WM_PAINT for the window was taken from the queue
    RECT paintRect{};
    bool paintErase = false;
    HDC paintTarget = nullptr;  // set while the window is rendered into a picture
    bool captionActive = false;  // the caption is drawn active (WM_NCACTIVATE)
};

// The window of a handle, or null when the handle is not a live window.
Window* find(HWND hwnd);
// Every live window, in the order of creation.
std::vector<HWND> allWindows();
// The top-level windows, top of the z-order first.
std::vector<HWND>& topLevel();
// The sibling list that holds the window.
std::vector<HWND>& siblings(Window* w);
// Borders of the non-client area: left, top, right, bottom thickness.
RECT frameInsets(DWORD style, DWORD exStyle);
// Client rectangle of the window in the coordinates of its parent's client area.
RECT clientInParent(const Window* w);
// Screen position of the window's client origin.
POINT clientOrigin(HWND hwnd);
bool isEmpty(const RECT& r);

// The state of a key (VK_SHIFT, VK_CONTROL, ...) as the input last left it.
void setKeyState(UINT virtualKey, bool down);
// The cursor moved to a screen point: a tracked window it left hears WM_MOUSELEAVE.
void cursorMoved(POINT screenPoint);
// Focus and capture bookkeeping when a window goes away or hides.
void forgetWindow(HWND hwnd);
void removeTimers(HWND hwnd);
void removeQueued(HWND hwnd);
// The picture surface behind a paint target (render.cpp).
HDC makeScratchDC(HWND hwnd);
// The sizing border of a resizable window at a screen point, HTNOWHERE off its frame (sizing.cpp).
LRESULT frameHitTest(HWND hwnd, POINT screen);
// The tracking sizes, with the window's WM_GETMINMAXINFO answer.
MINMAXINFO minMaxInfo(HWND hwnd);
// Follows the mouse, resizing the window on one edge (WMSZ_xxx), until the button is released.
void sizeLoop(HWND hwnd, WPARAM edge);

}  // namespace winstate
