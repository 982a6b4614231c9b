#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <string>
#include <vector>
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kFirst = 400, kSecond = 401, kThird = 402, kLabel = 403, kDigits = 404, kUpper = 405,
              kNarrow = 406, kGroup = 407, kOwner = 408;

DialogTemplate controlsTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 30;
    t.y = 30;
    t.cx = 200;
    t.cy = 120;
    t.caption = "Controls";
    const DWORD radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    const DWORD edit = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP;
    t.items = {
        {"", DLGATOM_BUTTON, "Options", kGroup, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 5, 5, 90, 50},
        {"", DLGATOM_BUTTON, "First", kFirst, radio | WS_GROUP | WS_TABSTOP, 0, 10, 15, 60, 10},
        {"", DLGATOM_BUTTON, "Second", kSecond, radio, 0, 10, 27, 60, 10},
        {"", DLGATOM_BUTTON, "Third", kThird, radio, 0, 10, 39, 60, 10},
        {"", DLGATOM_STATIC, "Label", kLabel, WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 0, 100, 10, 40, 8},
        {"", DLGATOM_EDIT, "", kDigits, edit | ES_NUMBER | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 100, 22, 60, 12},
        {"", DLGATOM_EDIT, "", kUpper, edit | ES_UPPERCASE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 100, 38, 60, 12},
        {"", DLGATOM_EDIT, "", kNarrow, edit, WS_EX_CLIENTEDGE, 100, 54, 20, 12},
        {"", DLGATOM_BUTTON, "", kOwner, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 5, 70, 40, 20},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON | WS_GROUP, 0, 140, 100, 50, 14},
    };
    return t;
}

POINT centre(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The loop of a program with a modeless dialog: the dialog sees its keys first.
void runDialog(HWND dlg) {
    MSG msg;
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!IsDialogMessage(dlg, &msg)) DispatchMessage(&msg);
}

void click(POINT p) {
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, p, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, p, 0, 0, 0});
}

class CControlsDialog : public CDialog {
public:
    CControlsDialog() { InitModalIndirect(controlsTemplate()); }
    int m_choice = 1;
    std::vector<UINT> m_radioClicks;
    std::vector<UINT> m_notifyCodes;
    int m_reflected = 0;
    int m_userMessages = 0;
    int m_timers = 0;
    int m_drawn = 0;
    HWND m_ownerDrawn = nullptr;

    class COwnerButton : public CButton {
    public:
        int* m_counter = nullptr;
        void DrawItem(LPDRAWITEMSTRUCT dis) override {
            ++*m_counter;
            CDC::FromHandle(dis->hDC)->FillSolidRect(&dis->rcItem, RGB(0, 200, 0));
        }
    } m_owner;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Radio(dx, kFirst, m_choice);
        DDX_Control(dx, kOwner, m_owner);
    }
    BOOL OnInitDialog() override {
        m_owner.m_counter = &m_drawn;
        CDialog::OnInitDialog();
        SetTimer(7, 50, nullptr);
        return TRUE;
    }
    afx_msg void OnRadio(UINT id) { m_radioClicks.push_back(id); }
    afx_msg void OnCustomNotify(NMHDR* header, LRESULT* result) {
        m_notifyCodes.push_back(header->code);
        *result = 42;
    }
    afx_msg LRESULT OnUser(WPARAM w, LPARAM) {
        m_userMessages += static_cast<int>(w);
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR id) {
        if (id == 7) ++m_timers;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDialog, CDialog)
    ON_CONTROL_RANGE(BN_CLICKED, kFirst, kThird, &CControlsDialog::OnRadio)
    ON_NOTIFY(1234u, kLabel, &CControlsDialog::OnCustomNotify)
    ON_MESSAGE(WM_USER + 5, &CControlsDialog::OnUser)
    ON_WM_TIMER()
END_MESSAGE_MAP()

using ControlsTest = WindowTestBase;

INT_PTR CALLBACK PlainProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

TEST_F(ControlsTest, RadioGroupsCheckOneButtonAndArrowsMoveWithinTheGroup) {
    HWND dlg = CreateDialogIndirectParam(nullptr, controlsTemplate(), nullptr, PlainProc, 0);
    cadhostPumpMessages();
    click(centre(GetDlgItem(dlg, kSecond)));
    runDialog(dlg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kSecond), BST_CHECKED);
    click(centre(GetDlgItem(dlg, kThird)));
    runDialog(dlg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kSecond), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kThird), BST_CHECKED);
    key(VK_UP);  // within the group, and the arrow checks what it reaches
    runDialog(dlg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kSecond));
    EXPECT_EQ(IsDlgButtonChecked(dlg, kSecond), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kThird), BST_UNCHECKED);
    key(VK_DOWN);
    key(VK_DOWN);  // wraps to the first of the group
    runDialog(dlg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kFirst));
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, LabelsAndGroupBoxesLetClicksThrough) {
    HWND dlg = CreateDialogIndirectParam(nullptr, controlsTemplate(), nullptr, PlainProc, 0);
    POINT onLabel = centre(GetDlgItem(dlg, kLabel));
    EXPECT_EQ(WindowFromPoint(onLabel), dlg);
    RECT group;
    GetWindowRect(GetDlgItem(dlg, kGroup), &group);
    EXPECT_EQ(WindowFromPoint(POINT{group.right - 3, group.bottom - 3}), dlg);
    EXPECT_EQ(WindowFromPoint(centre(GetDlgItem(dlg, kFirst))), GetDlgItem(dlg, kFirst));
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, EditStylesFilterWhatIsTyped) {
    HWND dlg = CreateDialogIndirectParam(nullptr, controlsTemplate(), nullptr, PlainProc, 0);
    char text[64];
    for (char c : std::string("4a2")) SendDlgItemMessage(dlg, kDigits, WM_CHAR, static_cast<WPARAM>(c), 1);
    GetDlgItemText(dlg, kDigits, text, sizeof text);
    EXPECT_STREQ(text, "42");
    BOOL ok = FALSE;
    EXPECT_EQ(GetDlgItemInt(dlg, kDigits, &ok, FALSE), 42u);
    EXPECT_TRUE(ok);
    for (char c : std::string("door")) SendDlgItemMessage(dlg, kUpper, WM_CHAR, static_cast<WPARAM>(c), 1);
    GetDlgItemText(dlg, kUpper, text, sizeof text);
    EXPECT_STREQ(text, "DOOR");
    GetDlgItemInt(dlg, kUpper, &ok, TRUE);
    EXPECT_FALSE(ok);
    // Without ES_AUTOHSCROLL the field takes no more than it can show.
    for (int i = 0; i < 40; ++i) SendDlgItemMessage(dlg, kNarrow, WM_CHAR, 'W', 1);
    int shown = GetWindowTextLength(GetDlgItem(dlg, kNarrow));
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 10);
    DestroyWindow(dlg);
}

TEST_F(ControlsTest, MapsRouteRangesNotificationsMessagesTimersAndOwnerDrawing) {
    CControlsDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(controlsTemplate()));
    EXPECT_EQ(IsDlgButtonChecked(dlg.m_hWnd, kSecond), BST_CHECKED);  // DDX_Radio put m_choice in
    NMHDR header{::GetDlgItem(dlg.m_hWnd, kLabel), kLabel, 1234u};
    EXPECT_EQ(dlg.SendMessage(WM_NOTIFY, kLabel, reinterpret_cast<LPARAM>(&header)), 42);
    EXPECT_EQ(dlg.m_notifyCodes, std::vector<UINT>{1234u});
    dlg.SendMessage(WM_USER + 5, 3);
    EXPECT_EQ(dlg.m_userMessages, 3);
    cadhostPumpMessages();
    click(centre(::GetDlgItem(dlg.m_hWnd, kThird)));
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, 60});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, 60});
    cadhostPumpMessages(true);
    EXPECT_EQ(dlg.m_radioClicks, std::vector<UINT>{kThird});
    EXPECT_EQ(dlg.m_timers, 2);
    EXPECT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_choice, 2);
    cairo_surface_t* s = cadhostRenderWindow(dlg.m_hWnd);
    ASSERT_NE(s, nullptr);
    cairo_surface_destroy(s);
    EXPECT_GE(dlg.m_drawn, 1);  // the owner-drawn button painted through its object
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_owner.m_hWnd, nullptr);
}

TEST_F(ControlsTest, ModalDialogsDisableTheirOwnerAndGiveActivationBack) {
    HWND owner = CreateDialogIndirectParam(nullptr, controlsTemplate(), nullptr, PlainProc, 0);
    EXPECT_EQ(GetActiveWindow(), owner);
    struct Check {
        static INT_PTR CALLBACK proc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_INITDIALOG) return TRUE;
            if (message == WM_SHOWWINDOW && wParam) {
                EXPECT_FALSE(IsWindowEnabled(GetWindow(dlg, GW_OWNER)));
            }
            return PlainProc(dlg, message, wParam, lParam);
        }
    };
    // A click on the owner while the modal dialog runs goes nowhere.
    click(centre(GetDlgItem(owner, kThird)));
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, controlsTemplate(), owner, &Check::proc, 0), IDCANCEL);
    EXPECT_EQ(IsDlgButtonChecked(owner, kThird), BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    // A quit message ends the modal loop and stays for the outer loop.
    PostQuitMessage(3);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, controlsTemplate(), owner, PlainProc, 0), IDCANCEL);
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 3u);
    DestroyWindow(owner);
}

}  // namespace
