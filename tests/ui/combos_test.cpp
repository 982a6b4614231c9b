#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include "db/types.h"
#include "ed/profile.h"
#include "ui/acuicombos.h"
#include "ui/ctrls.h"
#include "ui/dialog.h"
#include "win/render.h"

namespace {

constexpr int kList = 500, kCombo = 501, kEditCombo = 502, kColor = 503, kWeight = 504, kDrawn = 505, kDrawnList = 506;

DialogTemplate combosTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 30;
    t.y = 30;
    t.cx = 220;
    t.cy = 140;
    t.caption = "Combos";
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    t.items = {
        {"", DLGATOM_LISTBOX, "", kList, child | LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER, 0, 5, 5, 80, 50},
        {"", DLGATOM_COMBOBOX, "", kCombo, child | CBS_DROPDOWNLIST | WS_VSCROLL, 0, 100, 5, 100, 60},
        {"", DLGATOM_COMBOBOX, "", kEditCombo, child | CBS_DROPDOWN | CBS_SORT | WS_VSCROLL, 0, 100, 25, 100, 60},
        {"", DLGATOM_BUTTON, "OK", IDOK, child | BS_DEFPUSHBUTTON, 0, 160, 120, 50, 14},
    };
    return t;
}

std::vector<std::pair<int, int>>& commands() {
    static std::vector<std::pair<int, int>> c;
    return c;
}

// Records the notifications of the combos and the list, in order.
INT_PTR CALLBACK RecordingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) != IDOK) commands().push_back({LOWORD(wParam), HIWORD(wParam)});
    return FALSE;
}

void runDialog(HWND dlg) {
    MSG msg;
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!IsDialogMessage(dlg, &msg)) DispatchMessage(&msg);
}

void click(POINT p) {
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, p, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, p, 0, 0, 0});
}

POINT centre(HWND h) {
    RECT r;
    GetWindowRect(h, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The screen centre of an item of a list box (or an open combo's list).
POINT itemCentre(HWND list, int item) {
    RECT r{};
    SendMessage(list, LB_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

HWND openList() {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
        char cls[32];
        GetClassName(h, cls, sizeof cls);
        if (std::string(cls) == WC_COMBOLBOX && IsWindowVisible(h)) return h;
    }
    return nullptr;
}

void addStrings(HWND control, UINT message, std::initializer_list<const char*> texts) {
    for (const char* s : texts) SendMessage(control, message, 0, reinterpret_cast<LPARAM>(s));
}

using CombosTest = WindowTestBase;

TEST_F(CombosTest, SortedListsKeepItemDataAndSelectionAcrossInsertionsAndDeletions) {
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    ASSERT_TRUE(dlg);
    HWND list = GetDlgItem(dlg, kList);
    for (HWND h : {list, GetDlgItem(dlg, kEditCombo)}) {
        bool isList = h == list;
        UINT add = isList ? LB_ADDSTRING : CB_ADDSTRING, setData = isList ? LB_SETITEMDATA : CB_SETITEMDATA;
        for (auto [text, data] : {std::pair<const char*, int>{"pear", 3}, {"Apple", 1}, {"fig", 2}, {"zucchini", 4}}) {
            LRESULT at = SendMessage(h, add, 0, reinterpret_cast<LPARAM>(text));
            SendMessage(h, setData, static_cast<WPARAM>(at), data);
        }
        SendMessage(h, isList ? LB_SETCURSEL : CB_SETCURSEL, 2, 0);  // pear
        SendMessage(h, add, 0, reinterpret_cast<LPARAM>("banana"));  // sorts in before it
        std::vector<std::string> order;
        for (int i = 0; i < 5; ++i) {
            char buffer[32] = {};
            SendMessage(h, isList ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
            order.push_back(buffer);
        }
        EXPECT_EQ(order, (std::vector<std::string>{"Apple", "banana", "fig", "pear", "zucchini"}));
        EXPECT_EQ(SendMessage(h, isList ? LB_GETCURSEL : CB_GETCURSEL, 0, 0), 3) << "the selection follows its item";
        EXPECT_EQ(SendMessage(h, isList ? LB_GETITEMDATA : CB_GETITEMDATA, 3, 0), 3);
        EXPECT_EQ(SendMessage(h, isList ? LB_GETITEMDATA : CB_GETITEMDATA, 0, 0), 1);
        EXPECT_EQ(SendMessage(h, isList ? LB_FINDSTRING : CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("PE")), 3);
        EXPECT_EQ(SendMessage(h, isList ? LB_FINDSTRINGEXACT : CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("pe")), -1);
        SendMessage(h, isList ? LB_DELETESTRING : CB_DELETESTRING, 0, 0);
        EXPECT_EQ(SendMessage(h, isList ? LB_GETCURSEL : CB_GETCURSEL, 0, 0), 2);
        SendMessage(h, isList ? LB_DELETESTRING : CB_DELETESTRING, 2, 0);
        EXPECT_EQ(SendMessage(h, isList ? LB_GETCURSEL : CB_GETCURSEL, 0, 0), -1);
        EXPECT_EQ(SendMessage(h, isList ? LB_GETCOUNT : CB_GETCOUNT, 0, 0), 3);
    }
    char edit[32] = {};
    GetWindowText(GetDlgItem(dlg, kEditCombo), edit, sizeof edit);
    EXPECT_STREQ(edit, "") << "the edit field was cleared with its item";
    DestroyWindow(dlg);
}

TEST_F(CombosTest, ListBoxSelectsByMouseAndKeysAndScrolls) {
    commands().clear();
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    HWND list = GetDlgItem(dlg, kList);
    for (int i = 0; i < 20; ++i) SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("item " + std::string(i < 10 ? "0" : "") + std::to_string(i)).c_str()));
    cadhostPumpMessages();
    commands().clear();
    click(itemCentre(list, 1));
    runDialog(dlg);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetFocus(), list);
    key(VK_END);
    runDialog(dlg);
    EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), 19);
    int top = static_cast<int>(SendMessage(list, LB_GETTOPINDEX, 0, 0));
    EXPECT_GT(top, 0) << "the end scrolled into view";
    RECT r{};
    SendMessage(list, LB_GETITEMRECT, 19, reinterpret_cast<LPARAM>(&r));
    RECT client;
    GetClientRect(list, &client);
    EXPECT_LE(r.bottom, client.bottom);
    EXPECT_EQ(LOWORD(SendMessage(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, r.top + 1))), 19);
    key(VK_HOME);
    runDialog(dlg);
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 0);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::DoubleClick, 0, itemCentre(list, 2), 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, itemCentre(list, 2), 0, 0, 0});
    runDialog(dlg);
    // Each change of selection is reported once, the double click after its selection.
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{kList, LBN_SELCHANGE}, {kList, LBN_SELCHANGE},
                                                          {kList, LBN_SELCHANGE}, {kList, LBN_SELCHANGE},
                                                          {kList, LBN_DBLCLK}}));
    SendMessage(list, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(SendMessage(list, LB_GETTOPINDEX, 0, 0), 3);
    DestroyWindow(dlg);
}

TEST_F(CombosTest, DropDownListNotifiesInThePlatformsOrder) {
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    HWND combo = GetDlgItem(dlg, kCombo);
    addStrings(combo, CB_ADDSTRING, {"one", "two", "three", "four"});
    SetFocus(combo);
    cadhostPumpMessages();
    commands().clear();
    SetFocus(GetDlgItem(dlg, IDOK));
    commands().clear();
    // A mouse choice: open on the face, pick the third row.
    click(centre(combo));
    runDialog(dlg);
    HWND list = openList();
    ASSERT_TRUE(list);
    EXPECT_TRUE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
    click(itemCentre(list, 2));
    runDialog(dlg);
    EXPECT_FALSE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{kCombo, CBN_SETFOCUS}, {kCombo, CBN_DROPDOWN},
                                                          {kCombo, CBN_SELCHANGE}, {kCombo, CBN_SELENDOK},
                                                          {kCombo, CBN_CLOSEUP}}));
    char text[32] = {};
    GetWindowText(combo, text, sizeof text);
    EXPECT_STREQ(text, "three");

    // Arrows on the closed list change the selection at once.
    commands().clear();
    key(VK_DOWN);
    key(VK_UP);
    key(VK_UP);
    runDialog(dlg);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>(3, {kCombo, CBN_SELCHANGE})));

    // F4 opens, a row is tracked by the mouse, Escape keeps the selection it had.
    commands().clear();
    key(VK_F1 + 3);
    runDialog(dlg);
    ASSERT_TRUE(SendMessage(combo, CB_GETDROPPEDSTATE, 0, 0));
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Move, 0, itemCentre(openList(), 3), 0, 0, 0});
    key(VK_ESCAPE);
    runDialog(dlg);
    EXPECT_TRUE(IsWindow(dlg)) << "Escape closed the list, not the dialog";
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{{kCombo, CBN_DROPDOWN}, {kCombo, CBN_SELENDCANCEL},
                                                          {kCombo, CBN_CLOSEUP}}));

    // Alt+Down opens, arrows in the open list select, Enter takes it; a click elsewhere cancels.
    commands().clear();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyDown, 0, {0, 0}, VK_MENU, 0, 0});
    key(VK_DOWN);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyUp, 0, {0, 0}, VK_MENU, 0, 0});
    key(VK_DOWN);
    key(VK_RETURN);
    click(centre(combo));
    click(centre(GetDlgItem(dlg, kList)));
    runDialog(dlg);
    EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(commands(), (std::vector<std::pair<int, int>>{
                              {kCombo, CBN_DROPDOWN}, {kCombo, CBN_SELCHANGE}, {kCombo, CBN_SELENDOK}, {kCombo, CBN_CLOSEUP},
                              {kCombo, CBN_DROPDOWN}, {kCombo, CBN_SELENDCANCEL}, {kCombo, CBN_CLOSEUP}}));
    EXPECT_EQ(GetFocus(), combo) << "the click that closed the list went no further";
    DestroyWindow(dlg);
}

TEST_F(CombosTest, EditComboReportsTypingAndTakesChosenText) {
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    HWND combo = GetDlgItem(dlg, kEditCombo);
    addStrings(combo, CB_ADDSTRING, {"beta", "alpha"});
    EXPECT_EQ(SendMessage(combo, CB_LIMITTEXT, 4, 0), TRUE);
    EXPECT_EQ(SendMessage(GetDlgItem(dlg, kCombo), CB_LIMITTEXT, 4, 0), CB_ERR);
    SetFocus(combo);
    cadhostPumpMessages();
    commands().clear();
    type("gammas");
    key(VK_DOWN);
    runDialog(dlg);
    char text[32] = {};
    GetWindowText(combo, text, sizeof text);
    EXPECT_STREQ(text, "alpha") << "the arrow chose the first item";
    ASSERT_GE(commands().size(), 2u);
    EXPECT_EQ(commands()[1], std::make_pair(kEditCombo, static_cast<int>(CBN_EDITCHANGE)));
    EXPECT_EQ(commands().back(), std::make_pair(kEditCombo, static_cast<int>(CBN_SELCHANGE)));
    EXPECT_EQ(std::count(commands().begin(), commands().end(), std::make_pair(kEditCombo, static_cast<int>(CBN_EDITCHANGE))), 4)
        << "four characters fit";
    DestroyWindow(dlg);
}

TEST_F(CombosTest, FaceTakesTheFontsHeightAndTheListDropsBelowOrAbove) {
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    HWND combo = GetDlgItem(dlg, kCombo);
    for (int i = 0; i < 3; ++i) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(("row " + std::to_string(i)).c_str()));
    RECT face;
    GetWindowRect(combo, &face);
    int field = static_cast<int>(SendMessage(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    EXPECT_EQ(face.bottom - face.top, field + 6);
    EXPECT_LT(face.bottom - face.top, 60 * 13 / 8);
    RECT dropped{};
    SendMessage(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(dropped.top, face.top);
    EXPECT_EQ(dropped.left, face.left);
    EXPECT_EQ(dropped.right, face.right);
    EXPECT_EQ(dropped.bottom - dropped.top, 60 * 13 / 8 + 1) << "the template's height, 60 dialog units";
    SendMessage(combo, CB_SHOWDROPDOWN, TRUE, 0);
    HWND list = openList();
    ASSERT_TRUE(list);
    RECT r;
    GetWindowRect(list, &r);
    EXPECT_EQ(r.top, face.bottom);
    EXPECT_EQ(r.left, face.left);
    EXPECT_EQ(r.right, face.right);
    int row = static_cast<int>(SendMessage(combo, CB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(r.bottom - r.top, 3 * row + 2) << "three rows and the border";
    EXPECT_EQ(GetTopWindow(nullptr), list) << "above every window";
    SendMessage(combo, CB_SHOWDROPDOWN, FALSE, 0);
    // The dropped width is the face's unless a wider one is set; a narrower one changes nothing.
    EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDWIDTH, 0, 0), face.right - face.left);
    EXPECT_EQ(SendMessage(combo, CB_SETDROPPEDWIDTH, 10, 0), face.right - face.left);
    EXPECT_EQ(SendMessage(combo, CB_SETDROPPEDWIDTH, 400, 0), 400);
    SendMessage(combo, CB_SHOWDROPDOWN, TRUE, 0);
    GetWindowRect(list, &r);
    EXPECT_EQ(r.right - r.left, 400);
    SendMessage(combo, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessage(combo, CB_SETDROPPEDWIDTH, 0, 0);
    // Near the bottom of the screen the list opens above the face.
    RECT d;
    GetWindowRect(dlg, &d);
    int down = GetSystemMetrics(SM_CYSCREEN) - (face.bottom - d.top) - 10;
    SetWindowPos(dlg, nullptr, d.left, down, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(combo, &face);
    SendMessage(combo, CB_SHOWDROPDOWN, TRUE, 0);
    GetWindowRect(list, &r);
    EXPECT_EQ(r.bottom, face.top);
    SendMessage(combo, CB_SHOWDROPDOWN, FALSE, 0);
    DestroyWindow(dlg);
    EXPECT_FALSE(IsWindow(list));
}

// A dialog with owner-drawn controls subclassed by the framework.
DialogTemplate drawnTemplate() {
    DialogTemplate t;
    t.x = 20;
    t.y = 20;
    t.cx = 200;
    t.cy = 200;
    t.caption = "Drawn";
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    t.items = {
        {"", DLGATOM_COMBOBOX, "", kDrawn, child | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, 0, 5, 5, 90, 80},
        {"", DLGATOM_LISTBOX, "", kDrawnList, child | LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | WS_BORDER, 0, 100, 5, 90, 60},
        {"", DLGATOM_COMBOBOX, "", kColor, child | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0, 5, 30, 90, 120},
        {"", DLGATOM_COMBOBOX, "", kWeight, child | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0, 5, 50, 90, 120},
    };
    return t;
}

template <class Base>
class CRecordingBox : public Base {
public:
    std::vector<UINT> measured;
    std::vector<std::pair<UINT, UINT>> drawn;  // itemID, state
    std::vector<UINT> actions;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override {
        measured.push_back(mis->itemID);
        mis->itemHeight = 10 + 4 * static_cast<UINT>(measured.size());
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        drawn.push_back({dis->itemID, dis->itemState});
        actions.push_back(dis->itemAction);
    }
};

class CDrawnDialog : public CDialog {
public:
    CDrawnDialog() { InitModalIndirect(drawnTemplate()); }
    CRecordingBox<CComboBox> m_combo;
    CRecordingBox<CListBox> m_list;
    CAcUiColorComboBox m_color;
    CAcUiLineWeightComboBox m_weight;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, kDrawn, m_combo);
        DDX_Control(dx, kDrawnList, m_list);
        DDX_Control(dx, kColor, m_color);
        DDX_Control(dx, kWeight, m_weight);
    }
};

TEST_F(CombosTest, OwnerDrawnSubclassesMeasureAndDrawTheirItems) {
    CDrawnDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(drawnTemplate(), nullptr));
    dlg.ShowWindow(SW_SHOW);
    dlg.m_combo.AddString("first");
    dlg.m_combo.AddString("second");
    dlg.m_list.AddString("a");
    dlg.m_list.AddString("b");
    EXPECT_EQ(dlg.m_combo.measured, (std::vector<UINT>{0, 1})) << "each row as it is added";
    EXPECT_EQ(dlg.m_combo.GetItemHeight(1), 18);
    EXPECT_EQ(dlg.m_list.measured, (std::vector<UINT>{0, 1}));
    EXPECT_EQ(dlg.m_list.GetItemHeight(0), 14);
    RECT second{};
    dlg.m_list.GetItemRect(1, &second);
    EXPECT_EQ(second.top, 14);
    EXPECT_EQ(second.bottom, 14 + 18);

    dlg.m_combo.SetCurSel(1);
    dlg.m_combo.SetFocus();
    cairo_surface_destroy(cadhostRenderWindow(dlg.m_hWnd));
    bool face = false;
    for (auto [id, state] : dlg.m_combo.drawn)
        if (state & ODS_COMBOBOXEDIT) face = id == 1 && (state & ODS_SELECTED) && (state & ODS_FOCUS);
    EXPECT_TRUE(face) << "the face drew the selection with the focus";
    EXPECT_EQ(dlg.m_list.drawn.size(), 2u);

    dlg.m_list.actions.clear();
    dlg.m_list.SetFocus();
    dlg.m_list.SetCurSel(1);
    EXPECT_NE(std::find(dlg.m_list.actions.begin(), dlg.m_list.actions.end(), ODA_SELECT), dlg.m_list.actions.end());
    EXPECT_NE(std::find(dlg.m_list.actions.begin(), dlg.m_list.actions.end(), ODA_FOCUS), dlg.m_list.actions.end());
    dlg.DestroyWindow();
}

TEST_F(CombosTest, ColorAndLineweightCombosFindAddAndReadBack) {
    CDrawnDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(drawnTemplate(), nullptr));
    CAcUiColorComboBox& color = dlg.m_color;
    ASSERT_EQ(color.GetCount(), 10);
    EXPECT_EQ(color.FindItemByColorIndex(CAcUiColorComboBox::kByLayer), 0);
    EXPECT_EQ(color.FindItemByColorIndex(CAcUiColorComboBox::kByBlock), 1);
    EXPECT_EQ(color.FindItemByColorIndex(1), 2);
    EXPECT_EQ(color.FindItemByColorIndex(7), 8);
    EXPECT_EQ(color.FindItemByColorIndex(42), -1);
    EXPECT_EQ(color.GetColorIndex(9), -1) << "Select Color... is no colour";
    int added = color.AddColorToMRU(42);
    EXPECT_EQ(added, 9);
    EXPECT_EQ(color.AddColorToMRU(42), 9) << "listed once";
    EXPECT_EQ(color.FindItemByColorIndex(42), 9);
    EXPECT_EQ(color.GetColorIndex(9), 42);
    EXPECT_EQ(color.AddColorToMRU(300), -1);
    CString last;
    color.GetLBText(color.GetCount() - 1, last);
    EXPECT_STREQ(last.GetString(), "Select Color...");
    color.SetCurSel(added);
    EXPECT_EQ(color.GetCurrentItemColor(), 42);
    color.SetCurSel(color.GetCount() - 1);
    EXPECT_EQ(color.GetCurrentItemColor(), -1);
    EXPECT_EQ(color.SetCurrentColor(3), 4);
    EXPECT_EQ(color.GetCurrentItemColor(), 3);

    CAcUiLineWeightComboBox& weight = dlg.m_weight;
    EXPECT_EQ(weight.GetCount(), 27);
    EXPECT_EQ(weight.FindItemByLineWeight(AcDb::kLnWtByLwDefault), 2);
    EXPECT_EQ(weight.FindItemByLineWeight(AcDb::kLnWt000), 3);
    EXPECT_EQ(weight.FindItemByLineWeight(AcDb::kLnWt211), 26);
    EXPECT_EQ(weight.FindItemByLineWeight(17), -1);
    EXPECT_EQ(weight.GetCurrentItemLineWeight(), AcDb::kLnWtByLayer);
    weight.SetCurSel(weight.FindItemByLineWeight(AcDb::kLnWt035));
    EXPECT_EQ(weight.GetCurrentItemLineWeight(), 35);
    CString name;
    weight.GetLBText(weight.GetCurSel(), name);
    EXPECT_STREQ(name.GetString(), "0.35 mm");
    dlg.DestroyWindow();
}

TEST_F(CombosTest, PlotStyleTablesComeFromTheProfile) {
    std::string profile = ::testing::TempDir() + "combos_profile.ini";
    std::remove(profile.c_str());
    setenv("CADHOST_PROFILE", profile.c_str(), 1);
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, "#32770", "p", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    CAcUiPlotStyleTablesComboBox tables;
    ASSERT_TRUE(tables.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 150, 100), &parent, 7));
    EXPECT_EQ(tables.GetCount(), 0);
    ASSERT_TRUE(AcEdProfile::setString("PlotStyles", "Tables", "acad.ctb;monochrome.ctb"));
    EXPECT_EQ(tables.Refresh(), 2);
    CString first;
    tables.GetLBText(0, first);
    EXPECT_STREQ(first.GetString(), "acad.ctb");
    parent.DestroyWindow();
    unsetenv("CADHOST_PROFILE");
    std::remove(profile.c_str());
}

TEST_F(CombosTest, PicturesOfClosedAndOpenCombos) {
    HWND dlg = CreateDialogIndirectParam(nullptr, combosTemplate(), nullptr, RecordingProc, 0);
    HWND combo = GetDlgItem(dlg, kCombo);
    addStrings(combo, CB_ADDSTRING, {"Continuous", "Dashed", "Hidden", "Center"});
    addStrings(GetDlgItem(dlg, kList), LB_ADDSTRING, {"Layer 0", "Walls", "Doors", "Windows"});
    SendMessage(combo, CB_SETCURSEL, 1, 0);
    const std::string dir = ::testing::TempDir();
    ASSERT_TRUE(cadhostSaveWindowPng(dlg, (dir + "combo_closed.png").c_str()));
    SendMessage(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(cadhostSaveWindowPng(dlg, (dir + "combo_open.png").c_str()));
    DestroyWindow(dlg);

    CDrawnDialog drawn;
    ASSERT_TRUE(drawn.CreateIndirect(drawnTemplate(), nullptr));
    drawn.m_color.SetCurrentColor(42);
    drawn.m_color.ShowDropDown();
    ASSERT_TRUE(cadhostSaveWindowPng(drawn.m_hWnd, (dir + "color_combo_open.png").c_str()));
    drawn.m_color.ShowDropDown(FALSE);
    drawn.m_weight.SetCurSel(drawn.m_weight.FindItemByLineWeight(AcDb::kLnWt050));
    drawn.m_weight.ShowDropDown();
    ASSERT_TRUE(cadhostSaveWindowPng(drawn.m_hWnd, (dir + "lineweight_combo_open.png").c_str()));
    drawn.DestroyWindow();
}

}  // namespace
