#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <cstring>
#include <string>
#include <vector>
#include "ed/winapp.h"
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kName = 200, kCount = 201, kExplode = 202;

DialogTemplate blockTemplate() {
    DialogTemplate t;
    t.cx = 180;
    t.cy = 70;
    t.caption = "Insert";
    t.items = {
        {"", DLGATOM_EDIT, "", kName, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 7, 100, 12},
        {"", DLGATOM_EDIT, "", kCount, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7, 23, 40, 12},
        {"Button", 0, "Explode", kExplode, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 39, 60, 10},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 70, 52, 50, 14},
        {"", DLGATOM_BUTTON, "Cancel", IDCANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 124, 52, 50, 14},
    };
    return t;
}

class CInsertDialog : public CDialog {
public:
    CInsertDialog() { InitModalIndirect(blockTemplate()); }
    CString m_name = "Door";
    int m_count = 1;
    int m_explode = 0;
    CEdit m_nameEdit;
    int m_changes = 0;
    int m_clicks = 0;
    bool m_cancelled = false;
    bool m_initialised = false;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kName, m_nameEdit);
        DDX_Text(dx, kName, m_name);
        DDV_MaxChars(dx, m_name, 8);
        DDX_Text(dx, kCount, m_count);
        DDV_MinMaxInt(dx, m_count, 1, 99);
        DDX_Check(dx, kExplode, m_explode);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_initialised = true;
        m_changes = 0;
        return TRUE;
    }
    void OnCancel() override {
        m_cancelled = true;
        CDialog::OnCancel();
    }
    afx_msg void OnNameChange() { ++m_changes; }
    afx_msg void OnExplode() { ++m_clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CInsertDialog, CDialog)
    ON_EN_CHANGE(kName, &CInsertDialog::OnNameChange)
    ON_BN_CLICKED(kExplode, &CInsertDialog::OnExplode)
END_MESSAGE_MAP()

using FrameworkWindowsTest = WindowTestBase;

TEST_F(FrameworkWindowsTest, ModalDialogExchangesDataAndRoutesNotificationsThroughItsMap) {
    CInsertDialog dlg;
    // The name field gets the focus with its text selected: typing replaces it.
    type("Window");
    key(VK_TAB);
    type("2");  // Tab selected the "1" of the count field: the 2 replaces it
    key(VK_TAB);
    key(VK_SPACE);
    key(VK_RETURN);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.m_initialised);
    EXPECT_EQ(dlg.m_name, "Window");
    EXPECT_EQ(dlg.m_count, 2);
    EXPECT_EQ(dlg.m_explode, BST_CHECKED);
    EXPECT_EQ(dlg.m_changes, 6);
    EXPECT_EQ(dlg.m_clicks, 1);
    EXPECT_FALSE(dlg.m_cancelled);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_nameEdit.m_hWnd, nullptr);
}

TEST_F(FrameworkWindowsTest, ModalDialogEndsWithItsInputAsCancel) {
    CInsertDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.m_cancelled);
    EXPECT_EQ(dlg.m_name, "Door");
}

TEST_F(FrameworkWindowsTest, ValuesThatDoNotValidateKeepTheDialogOpen) {
    CInsertDialog dlg;
    key(VK_TAB);
    type("abc");
    key(VK_RETURN);  // not an integer: OnOK refuses and the field gets the focus back
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(dlg.m_cancelled);
    EXPECT_EQ(dlg.m_count, 1);

    CInsertDialog longName;
    type("ABCDEFGHIJ");  // the field takes 8 characters: DDV_MaxChars limits it
    key(VK_RETURN);
    EXPECT_EQ(longName.DoModal(), IDOK);
    EXPECT_EQ(longName.m_name, "ABCDEFGH");
}

TEST_F(FrameworkWindowsTest, ModelessDialogTakesKeysThroughPreTranslateMessage) {
    CInsertDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(blockTemplate()));
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    dlg.ShowWindow(SW_SHOW);
    dlg.GetDlgItem(kName)->SetFocus();
    key(VK_TAB);
    cadhostPumpMessages(true);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(dlg.m_hWnd, kCount));
    key(VK_ESCAPE);
    cadhostPumpMessages(true);
    EXPECT_TRUE(dlg.m_cancelled);
    EXPECT_FALSE(dlg.IsWindowVisible());
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(FrameworkWindowsTest, DialogsWithoutParentOpenOverTheHostFrame) {
    CWnd frame;
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "TestFrame";
    RegisterClass(&wc);
    ASSERT_TRUE(frame.CreateEx(0, "TestFrame", "cadhost", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr));
    acedHostSetAcadFrame(&frame);
    CInsertDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(blockTemplate()));
    EXPECT_EQ(::GetWindow(dlg.m_hWnd, GW_OWNER), frame.m_hWnd);
    dlg.DestroyWindow();
    acedHostSetAcadFrame(nullptr);
    frame.DestroyWindow();
    EXPECT_EQ(acedGetAcadFrame(), nullptr);
}

// A window class of the framework: paints its client area and counts clicks.
class CSwatch : public CWnd {
public:
    int m_created = 0;
    std::vector<CPoint> m_clicks;
    bool m_destroyed = false;

protected:
    afx_msg int OnCreate(CREATESTRUCT* cs) {
        ++m_created;
        return CWnd::OnCreate(cs);
    }
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect r;
        GetClientRect(&r);
        dc.FillSolidRect(&r, RGB(0, 0, 255));
        CRect inner(10, 10, 20, 15);
        dc.FillSolidRect(&inner, RGB(255, 0, 0));
        dc.Draw3dRect(CRect(30, 2, 40, 12), RGB(255, 255, 255), RGB(0, 0, 0));
    }
    afx_msg void OnLButtonDown(UINT, CPoint p) { m_clicks.push_back(p); }
    afx_msg void OnDestroy() {
        m_destroyed = true;
        CWnd::OnDestroy();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSwatch, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_LBUTTONDOWN()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

COLORREF pixel(cairo_surface_t* s, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(s);
    uint32_t v;
    std::memcpy(&v, data + y * cairo_image_surface_get_stride(s) + x * 4, 4);
    return RGB((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff);
}

TEST_F(FrameworkWindowsTest, WindowObjectsPaintThroughDeviceContextsIntoPictures) {
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "Swatch";
    RegisterClass(&wc);
    CSwatch swatch;
    ASSERT_TRUE(swatch.CreateEx(0, "Swatch", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 300, 300, 52, 32, nullptr, nullptr));
    EXPECT_EQ(swatch.m_created, 1);
    cairo_surface_t* s = cadhostRenderWindow(swatch.m_hWnd);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(pixel(s, 0, 0), GetSysColor(COLOR_WINDOWFRAME));      // the border
    EXPECT_EQ(pixel(s, 1, 1), RGB(0, 0, 255));                      // client origin is inside it
    EXPECT_EQ(pixel(s, 11, 11), RGB(255, 0, 0));                    // (10, 10) of the client
    EXPECT_EQ(pixel(s, 20, 15), RGB(255, 0, 0));                    // (19, 14): last pixel in
    EXPECT_EQ(pixel(s, 21, 16), RGB(0, 0, 255));                    // right and bottom are out
    EXPECT_EQ(pixel(s, 31, 3), RGB(255, 255, 255));                 // 3-D frame: top left light
    EXPECT_EQ(pixel(s, 40, 12), RGB(0, 0, 0));                      // bottom right dark
    cairo_surface_destroy(s);

    cadhostPumpMessages();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, POINT{311, 305}, 0, 0, 0});
    cadhostPumpMessages(true);
    ASSERT_EQ(swatch.m_clicks.size(), 1u);
    EXPECT_EQ(swatch.m_clicks[0], CPoint(10, 4));
    swatch.DestroyWindow();
    EXPECT_TRUE(swatch.m_destroyed);
    EXPECT_EQ(CWnd::FromHandlePermanent(swatch.m_hWnd), nullptr);
}

// A subclassed edit field that takes digits only, the way modules filter input.
class CDigitsEdit : public CEdit {
protected:
    afx_msg void OnChar(UINT ch, UINT repeat, UINT flags) {
        if ((ch >= '0' && ch <= '9') || ch == '\b') CEdit::OnChar(ch, repeat, flags);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDigitsEdit, CEdit)
    ON_WM_CHAR()
END_MESSAGE_MAP()

TEST_F(FrameworkWindowsTest, SubclassedControlsSeeTheirMessagesFirst) {
    HWND dlg = CreateDialogIndirectParam(nullptr, blockTemplate(), nullptr, nullptr, 0);
    ASSERT_NE(dlg, nullptr);
    CWnd* temporary = CWnd::FromHandle(::GetDlgItem(dlg, kCount));
    EXPECT_EQ(CWnd::FromHandlePermanent(temporary->m_hWnd), nullptr);
    CDigitsEdit digits;
    ASSERT_TRUE(digits.SubclassDlgItem(kCount, CWnd::FromHandle(dlg)));
    EXPECT_EQ(CWnd::FromHandle(digits.m_hWnd), &digits);
    EXPECT_FALSE(digits.SubclassDlgItem(kCount, CWnd::FromHandle(dlg)));
    for (char c : std::string("1a2b")) digits.SendMessage(WM_CHAR, static_cast<WPARAM>(c), 1);
    CString text;
    digits.GetWindowText(text);
    EXPECT_EQ(text, "12");
    digits.SetSel(0, 1);
    int a = 0, b = 0;
    digits.GetSel(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    DestroyWindow(dlg);
    EXPECT_EQ(digits.m_hWnd, nullptr);
}

TEST(DeviceContextTest, DrawingStateSavesRestoresAndClips) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 30);
    CDC dc;
    dc.Attach(cadhostCreateSurfaceDC(s, nullptr, 0, 0));
    dc.FillSolidRect(CRect(0, 0, 40, 30), RGB(255, 255, 255));
    CPen pen(PS_SOLID, 1, RGB(0, 128, 0));
    CPen* old = dc.SelectObject(&pen);
    dc.MoveTo(2, 2);
    dc.LineTo(10, 2);  // the end point is not drawn
    EXPECT_EQ(dc.GetPixel(2, 2), RGB(0, 128, 0));
    EXPECT_EQ(dc.GetPixel(9, 2), RGB(0, 128, 0));
    EXPECT_EQ(dc.GetPixel(10, 2), RGB(255, 255, 255));
    int saved = dc.SaveDC();
    dc.IntersectClipRect(0, 0, 20, 30);
    dc.SetTextColor(RGB(1, 2, 3));
    dc.FillSolidRect(CRect(0, 10, 40, 12), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(19, 10), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(25, 10), CLR_INVALID);  // outside the clip box
    dc.RestoreDC(saved);
    EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 0));
    dc.FillSolidRect(CRect(0, 20, 40, 22), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetPixel(25, 20), RGB(255, 0, 0));
    CBrush brush(RGB(0, 0, 200));
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(22, 2, 30, 8);  // pen border, brush inside, right and bottom excluded
    EXPECT_EQ(dc.GetPixel(22, 2), RGB(0, 128, 0));
    EXPECT_EQ(dc.GetPixel(29, 7), RGB(0, 128, 0));
    EXPECT_EQ(dc.GetPixel(25, 5), RGB(0, 0, 200));
    EXPECT_EQ(dc.GetPixel(30, 5), RGB(255, 255, 255));
    dc.SelectObject(old);
    dc.SelectObject(oldBrush);
    // Text is measured with the font asked for; the rectangle of DT_CALCRECT holds it.
    CFont font;
    font.CreatePointFont(80, "MS Sans Serif");
    dc.SelectObject(&font);
    CRect r(0, 0, 1000, 0);
    int height = dc.DrawText(CString("Insert block"), &r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(r.Width(), 40);
    EXPECT_LT(r.Width(), 90);
    EXPECT_GE(height, 11);
    EXPECT_LE(height, 16);
    EXPECT_EQ(dc.GetTextExtent("Insert block").cx, r.Width());
    CRect narrow(0, 0, 40, 0);
    dc.DrawText(CString("Insert the block here"), &narrow, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GT(narrow.Height(), height);  // wrapped onto more lines
    dc.SelectStockObject(SYSTEM_FONT);
    cairo_surface_destroy(s);
}

TEST(DeviceContextTest, ClassicSystemColoursAndMetrics) {
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), RGB(212, 208, 200));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_3DSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(10, 36, 106));
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_EQ(GetSysColorBrush(COLOR_3DFACE), GetSysColorBrush(COLOR_3DFACE));
    EXPECT_TRUE(DeleteObject(GetSysColorBrush(COLOR_3DFACE)));  // stock: survives
    EXPECT_EQ(GetObjectType(GetSysColorBrush(COLOR_3DFACE)), OBJ_BRUSH);
    EXPECT_EQ(GetDialogBaseUnits(), MAKELONG(6, 13));
}

}  // namespace
