// Image lists and the list view's icon view: adding strips and masked bitmaps, drawing over the
// background colour, icon layout for a spacing and a width, hit tests, selection by click and
// keys, double clicks, scrolling, and the picture of a list on a black background.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <string>
#include <vector>
#include "win/commctrl.h"
#include "win/render.h"
#include "win/wingdi.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255), kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// A bitmap of width x height in one colour, with an optional single pixel of another.
HBITMAP solid(int width, int height, COLORREF color, POINT dot = {-1, -1}, COLORREF dotColor = 0) {
    std::vector<std::uint32_t> pixels(std::size_t(width) * std::size_t(height),
                                      0xFF000000u | GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color));
    if (dot.x >= 0)
        pixels[std::size_t(dot.y) * std::size_t(width) + std::size_t(dot.x)] =
            0xFF000000u | GetRValue(dotColor) << 16 | GetGValue(dotColor) << 8 | GetBValue(dotColor);
    return cadhostBitmapFromPixels(pixels, width, height);
}

// A memory context over a white bitmap; the destructor frees both.
struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
    Canvas(int w, int h) : bitmap(solid(w, h, kWhite)), old(SelectObject(dc, bitmap)) {}
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

}  // namespace

TEST(ImageListTest, StripsMasksAndBackgroundColour) {
    HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR24 | ILC_MASK, 1, 1);
    ASSERT_NE(list, nullptr);
    // A bitmap three images wide adds three images.
    HBITMAP strip = solid(12, 4, RGB(10, 20, 30), {5, 1}, kMagenta);
    EXPECT_EQ(ImageList_AddMasked(list, strip, kMagenta), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    HBITMAP red = solid(4, 4, RGB(255, 0, 0));
    HBITMAP mask = solid(4, 4, kBlack, {0, 0}, kWhite);  // white: transparent
    EXPECT_EQ(ImageList_Add(list, red, mask), 3);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    {
        Canvas c(8, 8);
        EXPECT_EQ(ImageList_GetBkColor(list), CLR_NONE);
        ASSERT_TRUE(ImageList_Draw(list, 1, c.dc, 0, 0, ILD_NORMAL));
        EXPECT_EQ(GetPixel(c.dc, 1, 1), kWhite);  // the mask colour lets the canvas through
        EXPECT_EQ(GetPixel(c.dc, 0, 0), RGB(10, 20, 30));
        ASSERT_TRUE(ImageList_Draw(list, 3, c.dc, 4, 4, ILD_NORMAL));
        EXPECT_EQ(GetPixel(c.dc, 4, 4), kWhite);
        EXPECT_EQ(GetPixel(c.dc, 5, 4), RGB(255, 0, 0));
        // A background colour fills the transparent pixels, unless drawn transparent.
        EXPECT_EQ(ImageList_SetBkColor(list, kBlack), CLR_NONE);
        ImageList_Draw(list, 1, c.dc, 0, 0, ILD_NORMAL);
        EXPECT_EQ(GetPixel(c.dc, 1, 1), kBlack);
        ImageList_Draw(list, 3, c.dc, 4, 4, ILD_TRANSPARENT);
        EXPECT_EQ(GetPixel(c.dc, 4, 4), kWhite);
        // Selected: blended half way with the highlight colour.
        ImageList_Draw(list, 3, c.dc, 4, 4, ILD_SELECTED);
        const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
        EXPECT_EQ(GetPixel(c.dc, 5, 4), RGB((255 + GetRValue(h)) / 2, GetGValue(h) / 2, GetBValue(h) / 2));
        EXPECT_FALSE(ImageList_Draw(list, 4, c.dc, 0, 0, ILD_NORMAL));
    }
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    EXPECT_TRUE(ImageList_Remove(list, -1));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    // Without ILC_MASK the mask colour stays opaque.
    HIMAGELIST plain = ImageList_Create(4, 4, ILC_COLOR4, 1, 1);
    EXPECT_EQ(ImageList_AddMasked(plain, strip, kMagenta), 0);
    {
        Canvas c(4, 4);
        ImageList_Draw(plain, 1, c.dc, 0, 0, ILD_NORMAL);
        EXPECT_EQ(GetPixel(c.dc, 1, 1), kMagenta);
    }
    ImageList_Destroy(plain);
    for (HBITMAP b : {strip, red, mask}) DeleteObject(b);
}

namespace {

constexpr int kSpacingX = 52, kSpacingY = 64;

std::vector<std::pair<UINT, int>>& notes() {
    static std::vector<std::pair<UINT, int>> n;
    return n;
}

LRESULT CALLBACK parentProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* h = reinterpret_cast<NMHDR*>(lParam);
        if (h->code == NM_CLICK || h->code == NM_DBLCLK) notes().emplace_back(h->code, reinterpret_cast<NMITEMACTIVATE*>(h)->iItem);
        return 0;
    }
    return DefWindowProc(w, message, wParam, lParam);
}

class IconViewTest : public WindowTestBase {
protected:
    void open(int items, int width = 160, int height = 200) {
        WNDCLASS wc{};
        wc.lpfnWndProc = parentProc;
        wc.lpszClassName = "IconViewTestParent";
        RegisterClass(&wc);
        notes().clear();
        parent = CreateWindowEx(0, "IconViewTestParent", "Blocks", WS_POPUP | WS_VISIBLE, 100, 100, width + 20, height + 20,
                                nullptr, nullptr, nullptr, nullptr);
        list = CreateWindowEx(0, WC_LISTVIEW, "", WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SINGLESEL | LVS_AUTOARRANGE,
                              10, 10, width, height, parent, reinterpret_cast<HMENU>(7), nullptr, nullptr);
        images = ImageList_Create(32, 32, ILC_COLOR4, 1, 1);
        for (COLORREF c : {RGB(200, 40, 40), RGB(40, 160, 40), RGB(40, 80, 200)}) {
            HBITMAP b = solid(32, 32, c, {16, 16}, kWhite);
            ImageList_Add(images, b, nullptr);
            DeleteObject(b);
        }
        SendMessage(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
        SendMessage(list, LVM_SETICONSPACING, 0, MAKELPARAM(kSpacingX, kSpacingY));
        for (int i = 0; i < items; ++i) {
            std::string name = i == 2 ? "A long block name" : "Blk" + std::to_string(i);
            LVITEM item{};
            item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
            item.iItem = i;
            item.pszText = name.data();
            item.iImage = i % 3;
            item.lParam = -1;
            SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        ImageList_Destroy(images);
        WindowTestBase::TearDown();
    }
    RECT itemRect(int item, int code) {
        RECT r{code, 0, 0, 0};
        SendMessage(list, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
        return r;
    }
    int hit(int x, int y, UINT* flags = nullptr) {
        LVHITTESTINFO info{};
        info.pt = POINT{x, y};
        int item = static_cast<int>(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (flags) *flags = info.flags;
        return item;
    }
    void mouse(WindowInputEvent::Kind kind, int x, int y) {
        POINT p{x, y};
        ClientToScreen(list, &p);
        cadhostQueueInput(WindowInputEvent{kind, 0, p, 0, 0, 0});
        cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, p, 0, 0, 0});
        cadhostPumpMessages(true);
    }
    int selected() { return static_cast<int>(SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }
    HWND parent = nullptr, list = nullptr;
    HIMAGELIST images = nullptr;
};

}  // namespace

TEST_F(IconViewTest, IconsFillRowsAcrossTheWidthAtTheirSpacing) {
    open(7);
    EXPECT_EQ(SendMessage(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0), reinterpret_cast<LRESULT>(images));
    EXPECT_EQ(SendMessage(list, LVM_GETITEMSPACING, 0, 0), MAKELRESULT(kSpacingX, kSpacingY));
    // 160 pixels hold three cells of 52: item 4 is the second of the second row.
    RECT icon = itemRect(4, LVIR_ICON);
    EXPECT_EQ(icon.left, kSpacingX);
    EXPECT_EQ(icon.top, kSpacingY);
    EXPECT_EQ(icon.right, 2 * kSpacingX);
    EXPECT_EQ(icon.bottom, kSpacingY + 36);
    // The label is centred under the icon, no wider than the cell.
    RECT label = itemRect(4, LVIR_LABEL);
    EXPECT_EQ(label.top, icon.bottom);
    EXPECT_NEAR((label.left + label.right) / 2.0, (icon.left + icon.right) / 2.0, 1.0);
    RECT longLabel = itemRect(2, LVIR_LABEL);
    EXPECT_LE(longLabel.right - longLabel.left, kSpacingX);
    EXPECT_GT(longLabel.bottom - longLabel.top, label.bottom - label.top);  // wrapped to two lines
    // The system spacing comes back with -1 (one column of 75 beside the scroll bar seven rows need).
    SendMessage(list, LVM_SETICONSPACING, 0, MAKELPARAM(-1, -1));
    EXPECT_EQ(itemRect(1, LVIR_ICON).top, GetSystemMetrics(SM_CYICONSPACING));
    EXPECT_EQ(itemRect(1, LVIR_ICON).right, GetSystemMetrics(SM_CXICONSPACING));
    SendMessage(list, LVM_SETICONSPACING, 0, MAKELPARAM(kSpacingX, kSpacingY));
    // A narrower list rearranges: two cells a row beside the scroll bar four rows need.
    SetWindowPos(list, nullptr, 0, 0, 130, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(itemRect(4, LVIR_ICON).left, 0);
    EXPECT_EQ(itemRect(4, LVIR_ICON).top, 2 * kSpacingY);
}

TEST_F(IconViewTest, HitTestsClicksDoubleClicksAndGridKeys) {
    open(7);
    UINT flags = 0;
    EXPECT_EQ(hit(kSpacingX + 26, 20, &flags), 1);
    EXPECT_EQ(flags, LVHT_ONITEMICON);
    RECT label = itemRect(1, LVIR_LABEL);
    EXPECT_EQ(hit(label.left + 2, label.top + 2, &flags), 1);
    EXPECT_EQ(flags, LVHT_ONITEMLABEL);
    EXPECT_EQ(hit(3, kSpacingY - 2, &flags), -1);  // below a short label, in the cell
    EXPECT_EQ(flags, LVHT_NOWHERE);
    EXPECT_EQ(hit(2 * kSpacingX + 20, 2 * kSpacingY + 20, &flags), -1);  // the cell after the last item
    mouse(WindowInputEvent::ButtonDown, kSpacingX + 26, 20);
    EXPECT_EQ(selected(), 1);
    mouse(WindowInputEvent::DoubleClick, 26, kSpacingY + 20);
    EXPECT_EQ(selected(), 3);
    ASSERT_FALSE(notes().empty());
    EXPECT_EQ(notes().back(), std::make_pair(NM_DBLCLK, 3));
    // A click on no item clears the selection.
    mouse(WindowInputEvent::ButtonDown, 2 * kSpacingX + 20, 2 * kSpacingY + 40);
    EXPECT_EQ(selected(), -1);
    mouse(WindowInputEvent::ButtonDown, 26, 20);
    // Neighbours in the grid (three columns).
    auto next = [&](int from, UINT flags) { return static_cast<int>(SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(from), flags)); };
    EXPECT_EQ(next(4, LVNI_ABOVE), 1);
    EXPECT_EQ(next(4, LVNI_BELOW), -1);
    EXPECT_EQ(next(3, LVNI_BELOW), 6);
    EXPECT_EQ(next(3, LVNI_TOLEFT), -1);
    EXPECT_EQ(next(3, LVNI_TORIGHT), 4);
    EXPECT_EQ(next(5, LVNI_TORIGHT), -1);
    for (auto [vk, expected] : std::vector<std::pair<UINT, int>>{{VK_RIGHT, 1}, {VK_DOWN, 4}, {VK_DOWN, 4},
                                                                  {VK_RIGHT, 5}, {VK_RIGHT, 5}, {VK_LEFT, 4},
                                                                  {VK_UP, 1}, {VK_END, 6}, {VK_HOME, 0}}) {
        key(vk);
        cadhostPumpMessages(true);
        EXPECT_EQ(selected(), expected) << "after key " << vk;
    }
}

TEST_F(IconViewTest, ManyIconsScrollVerticallyToKeepTheFocusInView) {
    open(20, 160, 140);
    // A scroll bar takes its width: 144 pixels hold two cells.
    EXPECT_EQ(itemRect(2, LVIR_ICON).left, 0);
    EXPECT_EQ(itemRect(2, LVIR_ICON).top, kSpacingY);
    mouse(WindowInputEvent::ButtonDown, 26, 20);
    key(VK_END);
    cadhostPumpMessages(true);
    EXPECT_EQ(selected(), 19);
    RECT last = itemRect(19, LVIR_BOUNDS);
    EXPECT_GE(last.top, 0);
    EXPECT_LE(last.bottom, 140);
    EXPECT_LT(itemRect(0, LVIR_ICON).top, 0);
    SendMessage(list, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(itemRect(0, LVIR_ICON).top, 0);
    SendMessage(list, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(itemRect(0, LVIR_ICON).top, -kSpacingY / 2);
}

TEST_F(IconViewTest, SmallIconsSitBesideTheirLabelsInRows) {
    open(5);
    HIMAGELIST small = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
    SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
    SetWindowLong(list, GWL_STYLE, GetWindowLong(list, GWL_STYLE) | LVS_SMALLICON);
    // Cells as wide as the longest label: two a row in 400 pixels.
    SetWindowPos(list, nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER);
    RECT first = itemRect(0, LVIR_ICON), label = itemRect(0, LVIR_LABEL), second = itemRect(1, LVIR_ICON);
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.right - first.left, 16 + 4);
    EXPECT_EQ(label.left, first.right);
    EXPECT_EQ(second.top, first.top);  // the same row
    EXPECT_GE(second.left, label.right);
    EXPECT_EQ(itemRect(2, LVIR_ICON).top, first.bottom + 2);  // the next row, below the row's gap
    UINT flags = 0;
    EXPECT_EQ(hit(label.left + 1, label.top + 2, &flags), 0);
    EXPECT_EQ(flags, LVHT_ONITEMLABEL);
    SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
    ImageList_Destroy(small);
}

TEST_F(IconViewTest, LabelsStandOutOnABlackBackground) {
    open(6, 160, 150);
    SendMessage(list, LVM_SETBKCOLOR, 0, kBlack);
    ImageList_SetBkColor(images, kBlack);
    SetFocus(list);
    LVITEM state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&state));
    const std::string path = std::string(CADHOST_BINARY_DIR) + "/ui_icon_view_black.png";
    ASSERT_TRUE(cadhostSaveWindowPng(list, path.c_str()));
    cairo_surface_t* s = cadhostRenderWindow(list);
    ASSERT_NE(s, nullptr);
    auto pixel = [&](int x, int y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
        return row[x] & 0xFFFFFF;
    };
    cairo_surface_flush(s);
    // White text somewhere in an unselected label; the selected label on the highlight colour.
    RECT label = itemRect(0, LVIR_LABEL);
    bool white = false;
    for (int y = label.top; y < label.bottom; ++y)
        for (int x = label.left; x < label.right; ++x) white = white || pixel(x, y) == 0xFFFFFF;
    EXPECT_TRUE(white);
    EXPECT_EQ(pixel(3, 3), 0x000000u);
    RECT chosen = itemRect(4, LVIR_LABEL);
    const COLORREF h = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(pixel(chosen.left + 1, chosen.bottom - 2), std::uint32_t(GetRValue(h)) << 16 | GetGValue(h) << 8 | GetBValue(h));
    cairo_surface_destroy(s);
    // A text colour that is set is kept.
    SendMessage(list, LVM_SETTEXTCOLOR, 0, RGB(255, 255, 0));
    EXPECT_EQ(SendMessage(list, LVM_GETTEXTCOLOR, 0, 0), RGB(255, 255, 0));
}

#include "ui/ctrls.h"

// The framework's objects over the same: an image list filled from bitmaps, a list control in
// icon view using it, its selection walked by position, a thumbnail copied through a memory context.
TEST_F(IconViewTest, FrameworkObjectsWrapImageListsListsAndMemoryContexts) {
    open(4);
    CImageList images;
    ASSERT_TRUE(images.Create(32, 32, ILC_COLOR4, 1, 1));
    CBitmap strip;
    ASSERT_TRUE(strip.Attach(solid(64, 32, RGB(0, 0, 200), {40, 3}, kMagenta)));
    EXPECT_EQ(images.Add(&strip, kMagenta), 0);
    EXPECT_EQ(images.GetImageCount(), 2);
    EXPECT_EQ(images.SetBkColor(kBlack), CLR_NONE);
    EXPECT_EQ(images.GetBkColor(), kBlack);
    CListCtrl control;
    ASSERT_TRUE(control.Attach(list));
    CListCtrl* ctrl = &control;
    CImageList* old = ctrl->SetImageList(&images, LVSIL_NORMAL);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->m_hImageList, this->images);  // a temporary object over the fixture's list
    EXPECT_EQ(ctrl->GetImageList(LVSIL_NORMAL), &images);
    EXPECT_EQ(ctrl->SetIconSpacing(60, 70), CSize(kSpacingX, kSpacingY));
    EXPECT_EQ(ctrl->InsertItem(4, "Fifth", 1), 4);
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = 4;
    ASSERT_TRUE(ctrl->GetItem(&item));
    EXPECT_EQ(item.iImage, 1);
    EXPECT_EQ(ctrl->GetFirstSelectedItemPosition(), nullptr);
    ctrl->SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    POSITION at = ctrl->GetFirstSelectedItemPosition();
    ASSERT_NE(at, nullptr);
    EXPECT_EQ(ctrl->GetNextSelectedItem(at), 3);
    EXPECT_EQ(at, nullptr);
    ctrl->SetImageList(nullptr, LVSIL_NORMAL);
    control.Detach();
    // A thumbnail: a 4 x 2 bitmap stretched onto a 8 x 4 area of another.
    CDC screen;
    ASSERT_TRUE(screen.CreateCompatibleDC(nullptr));
    CBitmap target;
    ASSERT_TRUE(target.CreateCompatibleBitmap(&screen, 10, 6));
    CBitmap* before = screen.SelectObject(&target);
    ASSERT_NE(before, nullptr);
    screen.FillSolidRect(0, 0, 10, 6, kWhite);
    CDC memory;
    ASSERT_TRUE(memory.CreateCompatibleDC(&screen));
    CBitmap thumbnail;
    ASSERT_TRUE(thumbnail.Attach(solid(4, 2, RGB(0, 0, 200), {3, 1}, kMagenta)));
    BITMAP bm{};
    ASSERT_TRUE(thumbnail.GetBitmap(&bm));
    CBitmap* memoryBefore = memory.SelectObject(&thumbnail);
    EXPECT_TRUE(screen.StretchBlt(1, 1, 2 * bm.bmWidth, 2 * bm.bmHeight, &memory, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY));
    memory.SelectObject(memoryBefore);
    EXPECT_EQ(screen.GetPixel(0, 0), kWhite);
    EXPECT_EQ(screen.GetPixel(1, 1), RGB(0, 0, 200));
    EXPECT_EQ(screen.GetPixel(8, 4), kMagenta);
    EXPECT_EQ(screen.GetPixel(9, 4), kWhite);
    screen.SelectObject(before);
}
