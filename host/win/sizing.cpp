// Sizing a window with the mouse: the sizing borders of a resizable frame, and the loop that
// follows the mouse from WM_NCLBUTTONDOWN on a border until the button is released.
#include <algorithm>
#include "win/headless.h"
#include "win/windowstate.h"
#include "win/wingdi.h"

namespace winstate {

LRESULT frameHitTest(HWND hwnd, POINT screen) {
    Window* w = find(hwnd);
    RECT wr;
    if (!w || !(w->style & WS_THICKFRAME) || !GetWindowRect(hwnd, &wr) || !PtInRect(&wr, screen)) return HTNOWHERE;
    const int frame = GetSystemMetrics(SM_CXFRAME);
    // The corners reach along the edges as far as a caption button.
    const int corner = frame + GetSystemMetrics(SM_CYCAPTION);
    const bool left = screen.x < wr.left + frame, right = screen.x >= wr.right - frame;
    const bool top = screen.y < wr.top + frame, bottom = screen.y >= wr.bottom - frame;
    const bool nearLeft = screen.x < wr.left + corner, nearRight = screen.x >= wr.right - corner;
    const bool nearTop = screen.y < wr.top + corner, nearBottom = screen.y >= wr.bottom - corner;
    if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
    if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
    if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
    if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    return HTNOWHERE;
}

namespace {

// The window rectangle for the mouse moved by (dx, dy) from where the drag began, kept within the
// tracking sizes on the dragged sides.
RECT tracked(RECT from, WPARAM edge, int dx, int dy, const MINMAXINFO& mmi) {
    RECT r = from;
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    if (left) r.left = std::clamp<LONG>(from.left + dx, r.right - mmi.ptMaxTrackSize.x, r.right - mmi.ptMinTrackSize.x);
    if (right) r.right = std::clamp<LONG>(from.right + dx, r.left + mmi.ptMinTrackSize.x, r.left + mmi.ptMaxTrackSize.x);
    if (top) r.top = std::clamp<LONG>(from.top + dy, r.bottom - mmi.ptMaxTrackSize.y, r.bottom - mmi.ptMinTrackSize.y);
    if (bottom) r.bottom = std::clamp<LONG>(from.bottom + dy, r.top + mmi.ptMinTrackSize.y, r.top + mmi.ptMaxTrackSize.y);
    return r;
}

void place(HWND hwnd, const RECT& screenRect) {
    Window* w = find(hwnd);
    if (!w) return;
    POINT origin{0, 0};
    if (w->parent && (w->style & WS_CHILD)) origin = clientOrigin(w->parent);
    SetWindowPos(hwnd, nullptr, screenRect.left - origin.x, screenRect.top - origin.y, screenRect.right - screenRect.left,
                 screenRect.bottom - screenRect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

MINMAXINFO minMaxInfo(HWND hwnd) {
    MINMAXINFO mmi{};
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const int frame = GetSystemMetrics(SM_CXFRAME);
    mmi.ptMaxSize = POINT{cx + 2 * frame, cy + 2 * frame};
    mmi.ptMaxPosition = POINT{-frame, -frame};
    mmi.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = POINT{cx + 2 * frame + 12, cy + 2 * frame + 12};
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    mmi.ptMinTrackSize.x = std::max<LONG>(mmi.ptMinTrackSize.x, 0);
    mmi.ptMinTrackSize.y = std::max<LONG>(mmi.ptMinTrackSize.y, 0);
    mmi.ptMaxTrackSize.x = std::max(mmi.ptMaxTrackSize.x, mmi.ptMinTrackSize.x);
    mmi.ptMaxTrackSize.y = std::max(mmi.ptMaxTrackSize.y, mmi.ptMinTrackSize.y);
    return mmi;
}

void sizeLoop(HWND hwnd, WPARAM edge) {
    if (!find(hwnd) || edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT) return;
    SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    const MINMAXINFO mmi = minMaxInfo(hwnd);
    RECT start;
    GetWindowRect(hwnd, &start);
    POINT from;
    GetCursorPos(&from);
    SetCapture(hwnd);
    // Messages for other windows (timers, paints) go on while the mouse is followed.
    for (bool done = false; !done && find(hwnd) && GetCapture() == hwnd;) {
        MSG msg;
        FetchResult r = cadhostFetchMessage(&msg, true);
        if (r == FetchResult::Idle) break;
        if (r == FetchResult::Quit) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        const bool mouse = msg.hwnd == hwnd && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP);
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            place(hwnd, start);
            break;
        }
        if (!mouse) {
            if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) continue;
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            continue;
        }
        done = msg.message == WM_LBUTTONUP;
        RECT proposed = tracked(start, edge, msg.pt.x - from.x, msg.pt.y - from.y, mmi);
        SendMessage(hwnd, WM_SIZING, edge, reinterpret_cast<LPARAM>(&proposed));
        RECT now;
        if (GetWindowRect(hwnd, &now) && !EqualRect(&now, &proposed)) place(hwnd, proposed);
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    if (find(hwnd)) SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace winstate
