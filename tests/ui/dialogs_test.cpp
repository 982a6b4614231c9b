#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "win/controls.h"
#include "win/dialogs.h"
#include "win/headless.h"
#include "win/render.h"
#include "win/wingdi.h"

namespace {

constexpr int kName = 100, kLabel = 101, kCheck = 102;

DialogTemplate sampleTemplate() {
    DialogTemplate t;
    t.style |= WS_VISIBLE;
    t.x = 10;
    t.y = 10;
    t.cx = 186;
    t.cy = 62;
    t.caption = "Block name";
    t.items = {
        {"", DLGATOM_STATIC, "&Name:", kLabel, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 7, 9, 30, 8},
        {"", DLGATOM_EDIT, "", kName, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 40, 7, 139, 12},
        {"", DLGATOM_BUTTON, "&Explode", kCheck, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 7, 25, 80, 10},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 75, 41, 50, 14},
        {"", DLGATOM_BUTTON, "Cancel", IDCANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 129, 41, 50, 14},
    };
    return t;
}

struct Recorder {
    std::vector<std::pair<int, int>> commands;  // (id, code)
    bool initCalled = false;
    std::string nameAtOk;
};
Recorder* g_rec = nullptr;

INT_PTR CALLBACK SampleProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        if (g_rec) g_rec->initCalled = true;
        return TRUE;
    case WM_COMMAND:
        if (g_rec) g_rec->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (g_rec && LOWORD(wParam) == IDOK) {
                char text[64];
                GetDlgItemText(dlg, kName, text, sizeof text);
                g_rec->nameAtOk = text;
            }
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

POINT centre(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        baseline = cadhostWindowCount();
        cadhostResetInput();
        g_rec = &rec;
    }
    void TearDown() override {
        g_rec = nullptr;
        cadhostResetInput();
        cadhostPumpMessages();
        EXPECT_EQ(cadhostWindowCount(), baseline) << "windows left behind";
    }
    int baseline = 0;
    Recorder rec;
};

TEST_F(DialogsTest, ControlsLandOnTheDialogUnitPixels) {
    HWND dlg = CreateDialogIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(rec.initCalled);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, 279);   // 186 * 6 / 4
    EXPECT_EQ(client.bottom, 101);  // 62 * 13 / 8, rounded
    RECT window;
    GetWindowRect(dlg, &window);
    EXPECT_EQ(window.right - window.left, 279 + 6);
    EXPECT_EQ(window.bottom - window.top, 101 + 6 + 19);
    EXPECT_EQ(window.left, 15);
    HWND edit = GetDlgItem(dlg, kName);
    RECT r;
    GetWindowRect(edit, &r);
    POINT p{r.left, r.top};
    ScreenToClient(dlg, &p);
    EXPECT_EQ(p.x, 60);   // 40 * 6 / 4
    EXPECT_EQ(p.y, 11);   // 7 * 13 / 8 = 11.375
    EXPECT_EQ(r.right - r.left, 209);  // 179 * 6 / 4 - 60 rounded per edge: 268.5 -> 269, 269 - 60
    EXPECT_EQ(r.bottom - r.top, 20);   // 19 * 13 / 8 = 30.875 -> 31, minus 11
    RECT ok{75, 41, 125, 55};
    MapDialogRect(dlg, &ok);
    GetWindowRect(GetDlgItem(dlg, IDOK), &r);
    p = POINT{r.left, r.top};
    ScreenToClient(dlg, &p);
    EXPECT_EQ(p.x, ok.left);
    EXPECT_EQ(p.y, ok.top);
    // The first tab stop has the focus; the template's default push button is the default.
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(LOWORD(SendMessage(dlg, DM_GETDEFID, 0, 0)), IDOK);
    DestroyWindow(dlg);
}

TEST_F(DialogsTest, EnterChoosesTheDefaultButtonAndTypedTextIsThere) {
    type("Door-1");
    key(VK_RETURN);
    INT_PTR result = DialogBoxIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rec.nameAtOk, "Door-1");
    int changes = 0;
    for (auto& c : rec.commands)
        if (c.first == kName && c.second == EN_CHANGE) ++changes;
    EXPECT_EQ(changes, 6);
}

TEST_F(DialogsTest, EscapeAndTheEndOfInputCancel) {
    type("x");
    key(VK_ESCAPE);
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0), IDCANCEL);
    // No input at all: the dialog is cancelled instead of waiting.
    rec.commands.clear();
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0), IDCANCEL);
    EXPECT_NE(std::find(rec.commands.begin(), rec.commands.end(), std::make_pair(IDCANCEL, static_cast<int>(BN_CLICKED))),
              rec.commands.end());
}

INT_PTR CALLBACK StubbornProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST_F(DialogsTest, ADialogThatIgnoresCancelStillEndsWithTheInput) {
    EXPECT_EQ(DialogBoxIndirectParam(nullptr, sampleTemplate(), nullptr, StubbornProc, 0), IDCANCEL);
}

TEST_F(DialogsTest, ClicksAndTheSpaceKeyToggleACheckBoxAndNotify) {
    HWND dlg = CreateDialogIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    HWND check = GetDlgItem(dlg, kCheck);
    cadhostPumpMessages();
    POINT at = centre(check);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, at, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, at, 0, 0, 0});
    MSG msg;
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!IsDialogMessage(dlg, &msg)) DispatchMessage(&msg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kCheck), BST_CHECKED);
    EXPECT_EQ(GetFocus(), check);
    ASSERT_FALSE(rec.commands.empty());
    EXPECT_EQ(rec.commands.back(), std::make_pair(kCheck, static_cast<int>(BN_CLICKED)));
    key(VK_SPACE);
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!IsDialogMessage(dlg, &msg)) DispatchMessage(&msg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kCheck), BST_UNCHECKED);
    // A press released outside the button is no click.
    size_t before = rec.commands.size();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, at, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Move, 0, POINT{at.x + 500, at.y}, 0, 0, 0});
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonUp, 0, POINT{at.x + 500, at.y}, 0, 0, 0});
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message)
        if (!IsDialogMessage(dlg, &msg)) DispatchMessage(&msg);
    EXPECT_EQ(rec.commands.size(), before);
    EXPECT_EQ(IsDlgButtonChecked(dlg, kCheck), BST_UNCHECKED);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(dlg);
}

TEST_F(DialogsTest, EditFieldsKeepTheirLimitSelectionAndReadOnlyState) {
    HWND dlg = CreateDialogIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    HWND edit = GetDlgItem(dlg, kName);
    SendMessage(edit, EM_LIMITTEXT, 4, 0);
    for (char c : std::string("abcdef")) SendMessage(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    char text[32];
    GetWindowText(edit, text, sizeof text);
    EXPECT_STREQ(text, "abcd");
    EXPECT_EQ(rec.commands.back(), std::make_pair(kName, static_cast<int>(EN_MAXTEXT)));
    SendMessage(edit, EM_SETSEL, 1, 3);
    DWORD a = 0, b = 0;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(b, 3u);
    SendMessage(edit, WM_CHAR, 'Z', 1);
    GetWindowText(edit, text, sizeof text);
    EXPECT_STREQ(text, "aZd");
    SendMessage(edit, WM_KEYDOWN, VK_HOME, 1);
    SendMessage(edit, WM_KEYDOWN, VK_DELETE, 1);
    SendMessage(edit, WM_CHAR, '\b', 1);  // nothing before the caret
    GetWindowText(edit, text, sizeof text);
    EXPECT_STREQ(text, "Zd");
    SendMessage(edit, EM_SETREADONLY, TRUE, 0);
    rec.commands.clear();
    SendMessage(edit, WM_CHAR, 'q', 1);
    GetWindowText(edit, text, sizeof text);
    EXPECT_STREQ(text, "Zd");
    EXPECT_TRUE(rec.commands.empty());
    // Focus changes are reported to the parent.
    SetFocus(GetDlgItem(dlg, IDOK));
    SetFocus(edit);
    std::vector<std::pair<int, int>> expected = {{kName, EN_KILLFOCUS}, {kName, EN_SETFOCUS}};
    EXPECT_EQ(rec.commands, expected);
    DestroyWindow(dlg);
}

TEST_F(DialogsTest, TabMovesThroughTheTabStopsAndSelectsEditText) {
    HWND dlg = CreateDialogIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    SetDlgItemText(dlg, kName, "Door");
    key(VK_TAB);
    key(VK_TAB);
    MSG msg;
    cadhostPumpMessages();
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message) IsDialogMessage(dlg, &msg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDOK));
    key(VK_TAB);
    key(VK_TAB);
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message) IsDialogMessage(dlg, &msg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kName));
    // Shift+Tab goes back.
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyDown, 0, {0, 0}, VK_SHIFT, 0, 0});
    key(VK_TAB);
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::KeyUp, 0, {0, 0}, VK_SHIFT, 0, 0});
    key(VK_TAB);
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message) IsDialogMessage(dlg, &msg);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, kName));
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    DWORD a = 0, b = 0;
    SendDlgItemMessage(dlg, kName, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 4u);
    DestroyWindow(dlg);
}

TEST_F(DialogsTest, PictureOfADialogIsWrittenAsPng) {
    HWND dlg = CreateDialogIndirectParam(nullptr, sampleTemplate(), nullptr, SampleProc, 0);
    SetDlgItemText(dlg, kName, "Door-1");
    CheckDlgButton(dlg, kCheck, BST_CHECKED);
    std::string path = std::string(CADHOST_BINARY_DIR) + "/ui_sample_dialog.png";
    std::remove(path.c_str());
    ASSERT_TRUE(cadhostSaveWindowPng(dlg, path.c_str()));
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 285);
    EXPECT_EQ(cairo_image_surface_get_height(png), 126);
    cairo_surface_destroy(png);
    EXPECT_FALSE(cadhostSaveWindowPng(dlg, "/nonexistent-folder/x.png"));
    // A window grown beyond any screen is not pictured.
    MoveWindow(dlg, 0, 0, 100000, 100, FALSE);
    EXPECT_EQ(cadhostRenderWindow(dlg), nullptr);
    DestroyWindow(dlg);
    EXPECT_FALSE(cadhostSaveWindowPng(dlg, path.c_str()));
}

}  // namespace
