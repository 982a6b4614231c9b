#pragma once
// The module's owner-drawn push button: an icon with an optional caption, drawn as a classic
// raised button or as a flat one that rises only while the mouse is over it, with a tooltip.
#include "ui/ctrls.h"
#include "win/icons.h"

class CButtonST : public CButton {
public:
    CButtonST();
    ~CButtonST() override;

    // Loads the icon from the module's resources at its natural size, replacing the previous one;
    // 1 when the icon's bitmaps cannot be read (the button is then left without an icon), else 0.
    DWORD setIconResource(UINT id, UINT id2);
    DWORD setFlat(BOOL flat, BOOL repaint = TRUE);
    // Creates the tooltip on first use and registers the client area as tool 1 when it has none.
    void setTooltipText(LPCTSTR text, BOOL activate = TRUE);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // The looks of colors: hover-or-pressed, out and focused, background then text.
    enum { colorBackIn, colorTextIn, colorBackOut, colorTextOut, colorBackFocus, colorTextFocus, colorCount };

    int isFlat = 1;
    int isHovering = 0;
    int isPressed = 0;
    int hasFocus = 0;
    int isDisabled = 0;
    int isDefault = 0;
    int trackWhenInactive = 1;
    int drawFlatBorder = 1;
    int drawFlatFocus = 0;
    POINT pressOffset{1, 1};
    SIZE iconCaptionGap{3, 3};
    struct Icon {
        HICON handle = nullptr;
        DWORD width = 0, height = 0;
    } icon;
    COLORREF colors[colorCount] = {};
    CToolTipCtrl tooltip;

protected:
    void PreSubclassWindow() override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKillFocus(CWnd* newFocus);
    afx_msg void OnActivate(UINT state, CWnd* other, BOOL minimized);
    afx_msg void OnCancelMode();
    afx_msg void OnEnable(BOOL enable);
    afx_msg void OnCaptureChanged(CWnd* wnd);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnSysColorChange();
    afx_msg HBRUSH CtlColor(CDC* dc, UINT ctlColor);
    afx_msg LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
    afx_msg BOOL OnClicked();

private:
    void setDefaultColors();
    void destroyIcon();
    void createTooltip();
    void leaveHover();
    void drawIcon(HDC dc, bool hasTitle, const RECT& item, RECT& caption) const;
};
