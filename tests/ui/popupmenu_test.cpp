// Popup menus tracked over a dialog: items chosen by click, by keys and by script text,
// cancelled by Escape, a click outside and the end of input; the owner's command-update
// handlers disable, check and rename items before the menu shows, and a disabled command
// neither can be chosen nor runs when posted.
#include <gtest/gtest.h>
#include "window_input.h"
#include <deque>
#include <string>
#include <vector>
#include "ui/dialog.h"
#include "ui/menu.h"
#include "win/menus.h"
#include "win/render.h"
#include "win/windowscript.h"

namespace {

constexpr UINT kShow = 32911, kOpen = 32908, kInsert = 32909, kXref = 32910, kHide = 32769;

DialogTemplate ownerTemplate() {
    DialogTemplate t;
    t.x = 10;
    t.y = 10;
    t.cx = 200;
    t.cy = 120;
    t.style |= WS_VISIBLE;
    t.caption = "Drawings";
    return t;
}

class COwnerDialog : public CDialog {
public:
    std::vector<UINT> m_commands;
    bool m_previews = true;
    int m_queries = 0;

protected:
    afx_msg void OnOpen() { m_commands.push_back(kOpen); }
    afx_msg void OnInsert() { m_commands.push_back(kInsert); }
    afx_msg void OnShow() { m_commands.push_back(kShow); }
    afx_msg void OnXref() { m_commands.push_back(kXref); }
    afx_msg void OnUpdateXref(CCmdUI* ui) {
        ++m_queries;
        ui->Enable(FALSE);
    }
    // As a frame window does: the items' states are asked for before the popup shows.
    afx_msg void OnInitMenuPopup(CMenu* popup, UINT, BOOL sysMenu) {
        if (!sysMenu) UpdatePopupMenuItems(popup);
    }
    afx_msg void OnUpdateHide(CCmdUI* ui) {
        ui->SetCheck(m_previews ? 1 : 0);
        ui->SetText(m_previews ? "Hide Drawing Previews" : "Show Drawing Previews");
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(COwnerDialog, CDialog)
    ON_COMMAND(kOpen, &COwnerDialog::OnOpen)
    ON_COMMAND(kInsert, &COwnerDialog::OnInsert)
    ON_COMMAND(kShow, &COwnerDialog::OnShow)
    ON_COMMAND(kXref, &COwnerDialog::OnXref)
    ON_UPDATE_COMMAND_UI(kXref, &COwnerDialog::OnUpdateXref)
    ON_UPDATE_COMMAND_UI(kHide, &COwnerDialog::OnUpdateHide)
    ON_WM_INITMENUPOPUP()
END_MESSAGE_MAP()

class PopupMenuTest : public WindowTestBase {
protected:
    void SetUp() override {
        WindowTestBase::SetUp();
        ASSERT_TRUE(dlg.CreateIndirect(ownerTemplate()));
        ASSERT_TRUE(menu.CreatePopupMenu());
        menu.AppendMenu(MF_STRING, kShow, "Show In Preview &Window");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, kOpen, "&Open Drawing");
        menu.AppendMenu(MF_STRING, kInsert, "&Insert as Intelligent Block");
        menu.AppendMenu(MF_STRING, kXref, "Insert as &Xref");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING, kHide, "Previews");
    }
    void TearDown() override {
        menu.DestroyMenu();
        if (dlg.m_hWnd) dlg.DestroyWindow();
        WindowTestBase::TearDown();
    }
    // Script lines read as the open menu needs input.
    void script(std::deque<std::string> lines) {
        errors.clear();
        cadhostRunWindowScript(
            [lines](std::string& line) mutable {
                if (lines.empty()) return false;
                line = lines.front();
                lines.pop_front();
                return true;
            },
            [this](const std::string& e) { errors.push_back(e); });
    }
    UINT track(UINT flags = TPM_RETURNCMD) {
        return static_cast<UINT>(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | flags, 150, 120, &dlg));
    }
    COwnerDialog dlg;
    CMenu menu;
    std::vector<std::string> errors;
};

}  // namespace

TEST_F(PopupMenuTest, AnItemIsChosenByClickByKeysOrByItsText) {
    script({"menu \"Open Drawing\""});
    EXPECT_EQ(track(), kOpen);
    EXPECT_EQ(cadhostOpenPopupMenu(), nullptr);  // the menu window is gone
    script({"key down", "key down", "key down", "key enter"});  // the separator is skipped
    EXPECT_EQ(track(), kInsert);
    script({"type \"o\""});  // the mnemonic
    EXPECT_EQ(track(), kOpen);
    script({"menu \"Show In Preview Window\""});
    EXPECT_EQ(track(), kShow);
    EXPECT_TRUE(errors.empty());
    // Without TPM_RETURNCMD the owner gets the command through its queue.
    script({"menu \"Insert as Intelligent Block\""});
    EXPECT_TRUE(track(0));
    EXPECT_TRUE(dlg.m_commands.empty());
    cadhostPumpMessages();
    EXPECT_EQ(dlg.m_commands, std::vector<UINT>{kInsert});
}

TEST_F(PopupMenuTest, EscapeAClickOutsideAndTheEndOfInputCancel) {
    script({"key escape", "menu \"Open Drawing\""});
    EXPECT_EQ(track(), 0u);
    script({"click 5,5"});
    EXPECT_EQ(track(), 0u);
    script({});
    EXPECT_EQ(track(), 0u);
    script({"menu \"No Such Item\""});
    EXPECT_EQ(track(), 0u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("No Such Item"), std::string::npos);
    cadhostPumpMessages();
    EXPECT_TRUE(dlg.m_commands.empty());
}

TEST_F(PopupMenuTest, CommandUpdateHandlersDisableCheckAndRenameItems) {
    const std::string path = std::string(CADHOST_BINARY_DIR) + "/ui_popup_menu.png";
    script({"picture menu \"" + path + "\"", "menu \"Insert as Xref\"", "key escape"});
    EXPECT_EQ(track(), 0u);  // the greyed item could not be chosen
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(menu.GetMenuState(kXref, MF_BYCOMMAND), MF_GRAYED);
    EXPECT_EQ(menu.GetMenuState(kHide, MF_BYCOMMAND), MF_CHECKED);
    CString text;
    menu.GetMenuString(6, text, MF_BYPOSITION);
    EXPECT_EQ(std::string(text), "Hide Drawing Previews");
    EXPECT_EQ(menu.GetMenuItemID(6), kHide);
    // The query before a command drops one that its handler disables.
    const int queries = dlg.m_queries;
    dlg.PostMessage(WM_COMMAND, kXref, 0);
    dlg.PostMessage(WM_COMMAND, kOpen, 0);
    cadhostPumpMessages();
    EXPECT_EQ(dlg.m_commands, std::vector<UINT>{kOpen});
    EXPECT_EQ(dlg.m_queries, queries + 1);
    // State follows the handler each time the menu opens.
    dlg.m_previews = false;
    script({"key escape"});
    track();
    EXPECT_EQ(menu.GetMenuState(kHide, MF_BYCOMMAND), MF_UNCHECKED);
    // An item removed by command is gone from the next popup.
    EXPECT_TRUE(menu.RemoveMenu(kXref, MF_BYCOMMAND));
    script({"menu \"Insert as Xref\""});
    EXPECT_EQ(track(), 0u);
    EXPECT_EQ(errors.size(), 1u);
}
