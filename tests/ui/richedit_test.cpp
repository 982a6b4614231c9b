// The rich-edit control in a dialog: streaming a document in, its text, lines and scrolling, its
// background, and what it draws.
#include <gtest/gtest.h>
#include "window_input.h"
#include <cairo.h>
#include <cstring>
#include <string>
#include "ui/dialog.h"
#include "ui/richedit.h"
#include "win/commctrl.h"
#include "win/render.h"

namespace {

constexpr int kText = 600;

DialogTemplate richTemplate(const char* className, short width) {
    DialogTemplate t;
    t.x = 20;
    t.y = 20;
    t.cx = static_cast<short>(width + 20);
    t.cy = 110;
    t.style |= WS_VISIBLE;
    t.caption = "Document";
    t.items = {
        {className, 0, "", kText, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
         WS_EX_CLIENTEDGE, 7, 7, width, 80},
        {"", DLGATOM_BUTTON, "OK", IDOK, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 7, 92, 50, 14},
    };
    return t;
}

class CDocumentDialog : public CDialog {
public:
    CRichEditCtrl m_text;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, kText, m_text); }
};

// A source of bytes handed out in chunks of at most a given size; it fails after failAfter calls
// when that is set.
struct Source {
    std::string bytes;
    size_t at = 0, chunk = 4096;
    int calls = 0, failAfter = -1;
};

DWORD CALLBACK readSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* s = reinterpret_cast<Source*>(cookie);
    if (s->calls++ == s->failAfter) {
        *got = 0;
        return 5;
    }
    const size_t n = std::min({s->chunk, static_cast<size_t>(wanted), s->bytes.size() - s->at});
    std::memcpy(buffer, s->bytes.data() + s->at, n);
    s->at += n;
    *got = static_cast<LONG>(n);
    return 0;
}

std::string numberedLines(int count) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int i = 1; i <= count; ++i) rtf += "Line " + std::to_string(i) + "\\par ";
    return rtf + "}";
}

std::string textOf(HWND w) {
    std::string s(static_cast<size_t>(GetWindowTextLength(w)) + 1, '\0');
    s.resize(static_cast<size_t>(GetWindowText(w, s.data(), static_cast<int>(s.size()))));
    return s;
}

class RichEditTest : public WindowTestBase {
protected:
    void open(const char* className = RICHEDIT_CLASS, short width = 160) {
        ASSERT_TRUE(AfxInitRichEdit2());
        ASSERT_TRUE(dlg.CreateIndirect(richTemplate(className, width)));
        text = dlg.m_text.m_hWnd;
        ASSERT_NE(text, nullptr);
    }
    long stream(Source& source, int format = SF_RTF) {
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&source), 0, readSource};
        const long n = dlg.m_text.StreamIn(format, es);
        error = es.dwError;
        return n;
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    CDocumentDialog dlg;
    HWND text = nullptr;
    DWORD error = 0;
};

TEST_F(RichEditTest, ChunksOfAnySizeGiveTheSameDocument) {
    open();
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red200\\green0\\blue0;}\\f0\\fs20 "
        "\\b Heading\\b0\\par \\cf1 caf\\'e9\\cf0  \\u8364? end\\par}";
    Source whole{rtf};
    EXPECT_EQ(stream(whole), static_cast<long>(rtf.size()));
    EXPECT_EQ(whole.calls, 2) << "one chunk, then the empty one that ends the stream";
    const std::string once = textOf(text);
    EXPECT_EQ(once, "Heading\r\ncaf\xC3\xA9 \xE2\x82\xAC end");
    const int lines = dlg.m_text.GetLineCount();

    Source bytes{rtf};
    bytes.chunk = 1;
    EXPECT_EQ(stream(bytes), static_cast<long>(rtf.size()));
    EXPECT_EQ(bytes.calls, static_cast<int>(rtf.size()) + 1);
    EXPECT_EQ(textOf(text), once);
    EXPECT_EQ(dlg.m_text.GetLineCount(), lines);
    EXPECT_EQ(error, 0u);

    // A callback that fails stops the stream: its code is kept and what came before is shown.
    Source failing{"{\\rtf1 Hello world\\par second}"};
    failing.chunk = 5;
    failing.failAfter = 2;
    EXPECT_EQ(stream(failing), 10);
    EXPECT_EQ(error, 5u);
    EXPECT_EQ(textOf(text), "Hel");

    Source plain{"first line\r\nsecond"};
    stream(plain, SF_TEXT);
    EXPECT_EQ(textOf(text), "first line\r\nsecond");
    EXPECT_EQ(dlg.m_text.GetLineCount(), 2);
}

TEST_F(RichEditTest, TextSetAsRichOrPlainTextAndEveryClassName) {
    for (const char* name : {"RichEdit20A", "RichEdit20W", "RICHEDIT50W"}) {
        SCOPED_TRACE(name);
        open(name);
        EXPECT_TRUE(SetWindowText(text, "{\\rtf1 one\\par {\\i two}}"));
        EXPECT_EQ(textOf(text), "one\r\ntwo");
        EXPECT_EQ(dlg.m_text.GetLineCount(), 2);
        SetWindowText(text, "{\\notrtf");
        EXPECT_EQ(textOf(text), "{\\notrtf") << "text without the header is plain text";
        char small[4];
        EXPECT_EQ(GetWindowText(text, small, sizeof small), 3);
        EXPECT_STREQ(small, "{\\n");
        dlg.DestroyWindow();
    }
}

TEST_F(RichEditTest, LinesScrollByLinesPagesWheelAndKeys) {
    open();
    Source source{numberedLines(40)};
    stream(source);
    ASSERT_EQ(dlg.m_text.GetLineCount(), 40);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 0);
    EXPECT_TRUE(dlg.m_text.LineScroll(5));
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 5);
    dlg.m_text.LineScroll(-2);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 3);
    dlg.m_text.LineScroll(-100);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 0);

    SendMessage(text, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    const int bottom = dlg.m_text.GetFirstVisibleLine();
    EXPECT_GT(bottom, 25);
    dlg.m_text.LineScroll(100);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), bottom) << "the last line stays at the bottom of the view";
    SendMessage(text, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 0);
    SendMessage(text, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    const int page = dlg.m_text.GetFirstVisibleLine();
    EXPECT_GT(page, 3);
    SendMessage(text, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), page + 1);

    SendMessage(text, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), page + 4) << "three lines a notch";
    SetFocus(text);
    SendMessage(text, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), page + 3);
    SendMessage(text, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 0);

    // A new document starts at the top; a narrower control wraps a long paragraph into more lines.
    dlg.m_text.LineScroll(10);
    SetWindowText(text, "{\\rtf1 A paragraph long enough to be wrapped into several lines of the view.}");
    EXPECT_EQ(dlg.m_text.GetFirstVisibleLine(), 0);
    const int wide = dlg.m_text.GetLineCount();
    SetWindowPos(text, nullptr, 0, 0, 80, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GT(dlg.m_text.GetLineCount(), wide);
}

TEST_F(RichEditTest, PictureShowsBackgroundTextAndScrollBar) {
    open(RICHEDIT_CLASS, 200);
    Source source{"{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue200;}\\f0\\fs20"
                  "\\pard\\qc\\b\\fs28 Title\\par\\pard\\b0\\fs20 Some \\cf1 blue\\cf0  text, \\i italic\\i0 "
                  " and \\ul underlined\\ulnone .\\par"
                  "\\pard{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt}\\fi-200\\li400 first bullet\\par second bullet\\par"
                  "\\pard\\li600 indented\\par\\pard\\qr right\\par more\\par more\\par more\\par more\\par end\\par}"};
    stream(source);
    EXPECT_EQ(dlg.m_text.SetBackgroundColor(FALSE, RGB(255, 255, 224)), GetSysColor(COLOR_WINDOW));
    const std::string top = ::testing::TempDir() + "richedit_top.png", scrolled = ::testing::TempDir() + "richedit_scrolled.png";
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, top.c_str()));
    dlg.m_text.LineScroll(4);
    ASSERT_TRUE(cadhostSaveWindowPng(dlg.m_hWnd, scrolled.c_str()));

    cairo_surface_t* s = cadhostRenderWindow(text);
    ASSERT_NE(s, nullptr);
    auto pixel = [&](int x, int y) {
        const unsigned char* data = cairo_image_surface_get_data(s);
        return *(reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(s)) + x) & 0xFFFFFF;
    };
    RECT client;
    GetClientRect(text, &client);
    POINT origin{0, 0};
    ClientToScreen(text, &origin);
    RECT window;
    GetWindowRect(text, &window);
    const int ox = origin.x - window.left, oy = origin.y - window.top;
    EXPECT_EQ(pixel(ox + 1, oy + client.bottom - 2), 0xFFFFE0u) << "the background colour";
    EXPECT_NE(pixel(ox + client.right - 3, oy + client.bottom / 2), 0xFFFFE0u) << "a scroll bar at the right";
    cairo_surface_destroy(s);
    EXPECT_EQ(dlg.m_text.SetBackgroundColor(TRUE, 0), RGB(255, 255, 224));
}

}  // namespace
