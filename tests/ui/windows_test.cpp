#include <gtest/gtest.h>
#include <utility>
#include <vector>
#include "win/headless.h"
#include "win/winuser.h"

namespace {

std::vector<std::pair<HWND, UINT>> g_log;
std::vector<MSG> g_details;
LRESULT g_createResult = 0;

bool logged(UINT m) {
    switch (m) {
    case WM_NCCREATE: case WM_CREATE: case WM_DESTROY: case WM_NCDESTROY: case WM_SETFOCUS:
    case WM_KILLFOCUS: case WM_CAPTURECHANGED: case WM_TIMER: case WM_LBUTTONDOWN: case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: case WM_USER: case WM_USER + 1: case WM_ACTIVATE: case WM_SHOWWINDOW:
    case WM_KEYDOWN: case WM_CHAR: case WM_SIZE:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK LoggingProc(HWND hwnd, UINT m, WPARAM w, LPARAM l) {
    if (logged(m)) {
        g_log.emplace_back(hwnd, m);
        g_details.push_back(MSG{hwnd, m, w, l, 0, {0, 0}});
    }
    if (m == WM_CREATE) return g_createResult;
    return DefWindowProc(hwnd, m, w, l);
}

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASS wc{};
            wc.style = CS_DBLCLKS;
            wc.lpfnWndProc = LoggingProc;
            wc.lpszClassName = "LoggingWindow";
            ASSERT_NE(RegisterClass(&wc), 0);
            registered = true;
        }
        baseline = cadhostWindowCount();
        g_log.clear();
        g_details.clear();
        g_createResult = 0;
        cadhostResetInput();
    }
    void TearDown() override {
        cadhostPumpMessages();
        EXPECT_EQ(cadhostWindowCount(), baseline) << "windows left behind";
    }
    HWND top(int x = 100, int y = 100, DWORD style = WS_POPUP | WS_VISIBLE) {
        return CreateWindowEx(0, "LoggingWindow", "top", style, x, y, 200, 150, nullptr, nullptr, nullptr, nullptr);
    }
    HWND child(HWND parent, int id, int x, int y, int cx = 50, int cy = 20) {
        return CreateWindowEx(0, "LoggingWindow", "child", WS_CHILD | WS_VISIBLE, x, y, cx, cy, parent,
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    }
    std::vector<std::pair<HWND, UINT>> only(std::initializer_list<UINT> kinds) const {
        std::vector<std::pair<HWND, UINT>> out;
        for (auto& e : g_log)
            for (UINT k : kinds)
                if (e.second == k) out.push_back(e);
        return out;
    }
    int baseline = 0;
};

TEST_F(WindowsTest, CreationAndDestructionFollowThePlatformsOrder) {
    HWND parent = top();
    ASSERT_NE(parent, nullptr);
    HWND kid = child(parent, 7, 10, 10);
    ASSERT_NE(kid, nullptr);
    auto created = only({WM_NCCREATE, WM_CREATE});
    ASSERT_EQ(created.size(), 4u);
    EXPECT_EQ(created[0], std::make_pair(parent, WM_NCCREATE));
    EXPECT_EQ(created[1], std::make_pair(parent, WM_CREATE));
    EXPECT_EQ(created[2], std::make_pair(kid, WM_NCCREATE));
    EXPECT_EQ(created[3], std::make_pair(kid, WM_CREATE));
    EXPECT_EQ(GetParent(kid), parent);
    EXPECT_EQ(GetDlgItem(parent, 7), kid);
    EXPECT_EQ(GetDlgCtrlID(kid), 7);
    char text[16];
    EXPECT_EQ(GetWindowText(kid, text, sizeof text), 5);
    EXPECT_STREQ(text, "child");

    g_log.clear();
    EXPECT_TRUE(DestroyWindow(parent));
    // WM_DESTROY reaches the parent while its children still exist; WM_NCDESTROY comes last.
    std::vector<std::pair<HWND, UINT>> expected = {
        {parent, WM_DESTROY}, {kid, WM_DESTROY}, {kid, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(only({WM_DESTROY, WM_NCDESTROY}), expected);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(kid));
    EXPECT_FALSE(DestroyWindow(kid));
    EXPECT_EQ(SendMessage(kid, WM_USER, 0, 0), 0);
}

TEST_F(WindowsTest, FailedCreationDestroysTheWindowAgain) {
    g_createResult = -1;
    EXPECT_EQ(top(), nullptr);
    std::vector<UINT> kinds;
    for (auto& e : g_log) kinds.push_back(e.second);
    EXPECT_EQ(kinds, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    HWND stale = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345));
    EXPECT_EQ(CreateWindowEx(0, "LoggingWindow", "", WS_CHILD, 0, 0, 1, 1, stale, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowsTest, FocusMovesWithKillAndSetFocusMessages) {
    HWND parent = top();
    HWND a = child(parent, 1, 0, 0);
    HWND b = child(parent, 2, 0, 30);
    SetFocus(a);
    g_details.clear();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(GetFocus(), b);
    ASSERT_EQ(g_details.size(), 2u);
    EXPECT_EQ(g_details[0].hwnd, a);
    EXPECT_EQ(g_details[0].message, WM_KILLFOCUS);
    EXPECT_EQ(reinterpret_cast<HWND>(g_details[0].wParam), b);
    EXPECT_EQ(g_details[1].hwnd, b);
    EXPECT_EQ(g_details[1].message, WM_SETFOCUS);
    EXPECT_EQ(reinterpret_cast<HWND>(g_details[1].wParam), a);
    // A disabled window loses the focus; a destroyed one gives it to its parent.
    EnableWindow(b, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EnableWindow(b, TRUE);
    SetFocus(a);
    DestroyWindow(a);
    EXPECT_EQ(GetFocus(), parent);
    DestroyWindow(parent);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowsTest, CaptureChangesAreAnnouncedAndMouseInputFollowsTheCapture) {
    HWND parent = top(100, 100);
    HWND a = child(parent, 1, 0, 0);
    HWND b = child(parent, 2, 0, 30);
    SetCapture(a);
    g_details.clear();
    EXPECT_EQ(SetCapture(b), a);
    ASSERT_EQ(g_details.size(), 1u);
    EXPECT_EQ(g_details[0].hwnd, a);
    EXPECT_EQ(g_details[0].message, WM_CAPTURECHANGED);
    EXPECT_EQ(reinterpret_cast<HWND>(g_details[0].lParam), b);

    // A click on a while b holds the capture goes to b, in b's client coordinates.
    cadhostPumpMessages();
    g_details.clear();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, POINT{105, 105}, 0, 0, 0});
    MSG msg;
    ASSERT_EQ(cadhostFetchMessage(&msg, true), FetchResult::Message);
    EXPECT_EQ(msg.hwnd, b);
    EXPECT_EQ(msg.message, WM_LBUTTONDOWN);
    EXPECT_EQ(GET_X_LPARAM(msg.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(msg.lParam), -25);

    g_details.clear();
    ReleaseCapture();
    ASSERT_EQ(g_details.size(), 1u);
    EXPECT_EQ(g_details[0].hwnd, b);
    EXPECT_EQ(g_details[0].lParam, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    // Without capture the click goes to the window under the point.
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, POINT{105, 105}, 0, 0, 0});
    ASSERT_EQ(cadhostFetchMessage(&msg, true), FetchResult::Message);
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_EQ(cadhostFetchMessage(&msg, true), FetchResult::Idle);
    SetCapture(a);
    DestroyWindow(parent);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowsTest, TimersFireWhenTheClockPassesTheirTime) {
    HWND w = top();
    EXPECT_EQ(SetTimer(w, 5, 100, nullptr), 5u);
    auto timers = [] { return static_cast<int>(std::count_if(g_log.begin(), g_log.end(), [](auto& e) { return e.second == WM_TIMER; })); };
    cadhostPumpMessages();
    EXPECT_EQ(timers(), 0);
    cadhostAdvanceClock(99);
    cadhostPumpMessages();
    EXPECT_EQ(timers(), 0);
    cadhostAdvanceClock(1);
    cadhostPumpMessages();
    EXPECT_EQ(timers(), 1);
    // Time that passes in the input moves the clock too.
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::Wait, 0, {0, 0}, 0, 0, 250});
    MSG msg;
    while (cadhostFetchMessage(&msg, true) == FetchResult::Message) DispatchMessage(&msg);
    EXPECT_EQ(timers(), 2);  // a late timer fires once, not once per period missed
    EXPECT_TRUE(KillTimer(w, 5));
    cadhostAdvanceClock(1000);
    cadhostPumpMessages();
    EXPECT_EQ(timers(), 2);
    EXPECT_FALSE(KillTimer(w, 5));
    SetTimer(w, 6, 10, nullptr);
    DestroyWindow(w);
    cadhostAdvanceClock(1000);
    EXPECT_EQ(cadhostPumpMessages(), 0);
}

TEST_F(WindowsTest, SentMessagesRunAtOncePostedOnesThroughTheQueue) {
    HWND w = top();
    g_log.clear();
    PostMessage(w, WM_USER, 0, 0);
    SendMessage(w, WM_USER + 1, 0, 0);
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0].second, WM_USER + 1);
    cadhostPumpMessages();
    ASSERT_EQ(g_log.size(), 2u);
    EXPECT_EQ(g_log[1].second, WM_USER);
    // Messages posted to a window that goes away are dropped with it.
    PostMessage(w, WM_USER, 0, 0);
    DestroyWindow(w);
    g_log.clear();
    cadhostPumpMessages();
    EXPECT_TRUE(g_log.empty());
    // With nothing queued and no input, GetMessage answers instead of waiting.
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(WindowsTest, GeometryOfFramesClientAreasAndScreenPoints) {
    HWND w = CreateWindowEx(WS_EX_DLGMODALFRAME, "LoggingWindow", "frame", WS_POPUP | WS_CAPTION, 50, 60, 300, 200,
                            nullptr, nullptr, nullptr, nullptr);
    RECT r;
    GetClientRect(w, &r);
    // Dialog frame 3 pixels each side, caption 19.
    EXPECT_EQ(r.right, 294);
    EXPECT_EQ(r.bottom, 200 - 6 - 19);
    HWND kid = child(w, 3, 10, 20, 30, 40);
    GetWindowRect(kid, &r);
    EXPECT_EQ(r.left, 50 + 3 + 10);
    EXPECT_EQ(r.top, 60 + 3 + 19 + 20);
    EXPECT_EQ(r.right - r.left, 30);
    POINT p{0, 0};
    ClientToScreen(kid, &p);
    EXPECT_EQ(p.x, r.left);
    ScreenToClient(w, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    MoveWindow(kid, 5, 5, 60, 10, TRUE);
    GetClientRect(kid, &r);
    EXPECT_EQ(r.right, 60);
    EXPECT_EQ(r.bottom, 10);
    EXPECT_EQ(ChildWindowFromPoint(w, POINT{6, 6}), kid);
    EXPECT_EQ(ChildWindowFromPoint(w, POINT{200, 100}), w);
    DestroyWindow(w);
}

TEST_F(WindowsTest, DoubleClicksReachClassesThatAskForThem) {
    HWND w = top(0, 0);
    cadhostPumpMessages();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::DoubleClick, 0, POINT{20, 30}, 0, 0, 0});
    MSG msg;
    ASSERT_EQ(cadhostFetchMessage(&msg, true), FetchResult::Message);
    EXPECT_EQ(msg.message, WM_LBUTTONDBLCLK);
    EXPECT_EQ(GetActiveWindow(), w);
    // A disabled window takes no mouse input.
    EnableWindow(w, FALSE);
    cadhostPumpMessages();
    cadhostQueueInput(WindowInputEvent{WindowInputEvent::ButtonDown, 0, POINT{20, 30}, 0, 0, 0});
    EXPECT_EQ(cadhostFetchMessage(&msg, true), FetchResult::Idle);
    DestroyWindow(w);
}

}  // namespace
