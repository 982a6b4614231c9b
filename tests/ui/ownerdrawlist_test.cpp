// An owner-drawn list box with rows of their own heights, as a list of folders and drawings with
// thumbnails has them: tall rows measured once, their rectangles, scrolling a row at a time,
// the draw states, and a thumbnail drawn through a memory context into a row.
#include <gtest/gtest.h>
#include "window_input.h"
#include <vector>
#include "win/commctrl.h"
#include "win/listbox.h"
#include "win/render.h"
#include "win/wingdi.h"

namespace {

constexpr int kFolderRow = 17, kDrawingRow = 159;

struct Drawn {
    UINT item, action, state;
    RECT rect;
};

std::vector<Drawn>& drawn() {
    static std::vector<Drawn> d;
    return d;
}

// Item data 1 marks a drawing row; a drawing row shows a blue thumbnail below its caption.
LRESULT CALLBACK ownerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        mis->itemHeight = mis->itemData == 1 ? kDrawingRow : kFolderRow;
        return TRUE;
    }
    if (message == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        drawn().push_back({dis->itemID, dis->itemAction, dis->itemState, dis->rcItem});
        const bool selected = (dis->itemState & ODS_SELECTED) != 0;
        RECT r = dis->rcItem;
        FillRect(dis->hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        if (dis->itemData == 1) {
            HDC memory = CreateCompatibleDC(dis->hDC);
            HBITMAP thumb = CreateCompatibleBitmap(dis->hDC, 18, 12);
            HGDIOBJ old = SelectObject(memory, thumb);
            RECT all{0, 0, 18, 12};
            HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
            FillRect(memory, &all, blue);
            DeleteObject(blue);
            StretchBlt(dis->hDC, r.left + 1, r.top + 20, 180, 120, memory, 0, 0, 18, 12, SRCCOPY);
            SelectObject(memory, old);
            DeleteObject(thumb);
            DeleteDC(memory);
        }
        return TRUE;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

class OwnerDrawListTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        WNDCLASS wc{};
        wc.lpfnWndProc = ownerProc;
        wc.lpszClassName = "OwnerDrawListTestOwner";
        RegisterClass(&wc);
        owner = CreateWindowEx(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 240, 260, nullptr, nullptr,
                               nullptr, nullptr);
        list = CreateWindowEx(0, WC_LISTBOX, "",
                              WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOTIFY | WS_VSCROLL,
                              0, 0, 200, 250, owner, reinterpret_cast<HMENU>(202), nullptr, nullptr);
        // Rows are measured as they are added, before their data is set: heights are then set.
        const UINT_PTR kinds[] = {0, 0, 1, 1, 1};
        const char* names[] = {"A", "b", "M.dwg", "z.dwg", "door.dwg"};
        for (int i = 0; i < 5; ++i) {
            const int at = static_cast<int>(SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i])));
            SendMessage(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(kinds[i]));
            SendMessage(list, LB_SETITEMHEIGHT, static_cast<WPARAM>(at), MAKELPARAM(kinds[i] ? kDrawingRow : kFolderRow, 0));
        }
        drawn().clear();
    }
    void TearDown() override {
        DestroyWindow(owner);
        WindowTestBase::TearDown();
    }
    RECT rect(int i) {
        RECT r{};
        EXPECT_NE(SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)), LB_ERR);
        return r;
    }
    HWND owner = nullptr, list = nullptr;
};

}  // namespace

TEST_F(OwnerDrawListTest, TallRowsHaveTheirRectanglesAndScrollARowAtATime) {
    EXPECT_EQ(SendMessage(list, LB_GETITEMHEIGHT, 2, 0), kDrawingRow);
    EXPECT_EQ(rect(1).top, kFolderRow);
    EXPECT_EQ(rect(2).top, 2 * kFolderRow);
    EXPECT_EQ(rect(2).bottom, 2 * kFolderRow + kDrawingRow);
    EXPECT_EQ(rect(3).top, 2 * kFolderRow + kDrawingRow);  // below the client area, still answered
    // Rows taller than the platform allows are refused.
    EXPECT_EQ(SendMessage(list, LB_SETITEMHEIGHT, 2, MAKELPARAM(256, 0)), LB_ERR);
    SendMessage(list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 1);
    EXPECT_EQ(rect(1).top, 0);
    EXPECT_EQ(rect(0).bottom, 0);
    SendMessage(list, WM_VSCROLL, SB_BOTTOM, 0);
    // Two drawing rows do not fit in 250 pixels: the last one is shown alone.
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 4);
    EXPECT_EQ(rect(4).top, 0);
    // A click on a tall row selects it; the row is drawn selected with the focus.
    SendMessage(list, WM_VSCROLL, SB_TOP, 0);
    POINT p{100, 2 * kFolderRow + 100};
    ClientToScreen(list, &p);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, p, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, p, 0, 0, 0});
    cadhostPumpMessages(true);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 2);
    bool selectedDrawn = false;
    for (const Drawn& d : drawn())
        selectedDrawn = selectedDrawn || (d.item == 2 && (d.state & ODS_SELECTED) && (d.state & ODS_FOCUS) &&
                                          d.rect.bottom - d.rect.top == kDrawingRow);
    EXPECT_TRUE(selectedDrawn);
    // Keys move a row at a time and bring a tall row into view.
    key(VK_DOWN);
    key(VK_DOWN);
    cadhostPumpMessages(true);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 4);
    RECT shown = rect(4);
    EXPECT_GE(shown.top, 0);
    EXPECT_LE(shown.bottom, 250);
    const std::string path = std::string(CADHOST_BINARY_DIR) + "/ui_owner_drawn_rows.png";
    ASSERT_TRUE(cadhostSaveWindowPng(list, path.c_str()));
}
