#pragma once
// The user-interface library's dockable control bar. A bar is a window with a caption strip
// (gripper, title, close button) over its content. Docked, it is a child of the main frame and
// takes a column at the frame's left or right side; the frame lays its docked bars out at every
// size change and leaves the rest of its client area to the view. Floating, it is a popup window
// over the frame. A derived bar puts its own windows in the content area and places them in
// SizeChanged.
#include <memory>
#include <string>
#include <vector>
#include "ui/wnd.h"
#include "win/guiddef.h"

// Docking sides (EnableDocking).
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000, CBRS_ALIGN_RIGHT = 0x4000;
// The frame's dock sites (RestoreControlBar).
constexpr UINT AFX_IDW_DOCKBAR_LEFT = 0xE81C, AFX_IDW_DOCKBAR_RIGHT = 0xE81E;

// The items of a bar's context menu, in order. Items are addressed by command id or by position
// as in the platform's menus.
class CADHOST_API CAdUiDockBarMenu {
public:
    static constexpr UINT kByCommand = 0x0000, kByPosition = 0x0400, kChecked = 0x0008;
    struct Item {
        UINT id;
        CString text;
        bool checked;
    };
    BOOL AppendMenu(UINT flags, UINT_PTR id, LPCTSTR text);
    // Removes the item; FALSE when there is none.
    BOOL RemoveMenu(UINT item, UINT flags = kByCommand);
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    // The command id at the position; (UINT)-1 for none.
    UINT GetMenuItemID(int position) const;
    const std::vector<Item>& items() const { return m_items; }

private:
    int find(UINT item, UINT flags) const;
    std::vector<Item> m_items;
};

class CADHOST_API CAdUiDockControlBar : public CWnd {
public:
    // Bits of the bar's style value given at construction.
    // kNoCloseButton: the caption strip has no close button.
    // kSizable: the user can drag the bar's inner edge (the edge towards the view when docked,
    // the right edge when floating) to change its width; OnUserSizing keeps a bar without it
    // at its size.
    static constexpr int kNoCloseButton = 0x1, kSizable = 0x2;
    // Commands of the context menu.
    static constexpr UINT kAllowDockingCommand = 0x1001, kHideCommand = 0x1002;
    // Height of the caption strip, width of the sizing edge, the narrowest bar.
    static constexpr int kCaptionHeight = 14, kSizingEdge = 4, kMinWidth = 60;

    explicit CAdUiDockControlBar(int barStyle = kSizable);
    ~CAdUiDockControlBar() override;

    // Creates the bar's window as a child of the parent (normally the main frame), not yet
    // docked: RestoreControlBar places it. The rectangle's width is the bar's docked width and,
    // with its height, its floating size. A null class name takes the bar's own class.
    BOOL Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // The tool id under which the bar saves its position in the profile.
    void SetToolID(const CLSID* id);
    // The sides the bar may dock at: CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT or both; 0 keeps it floating.
    void EnableDocking(DWORD sides);
    // Shows the bar where it belongs: at its saved position when OnBeforeLoadPosition lets it
    // load one, else docked at the site (AFX_IDW_DOCKBAR_LEFT or AFX_IDW_DOCKBAR_RIGHT; a side
    // the bar may not dock at floats it). A rectangle gives the docked width and floating size.
    // FALSE without a window or for another site id.
    BOOL RestoreControlBar(UINT dockBarId = AFX_IDW_DOCKBAR_LEFT, CRect* rect = nullptr);
    // Docks at a site of the parent frame, or floats with its top-left corner at a screen point.
    BOOL DockAt(UINT dockBarId);
    BOOL Float(CPoint screenTopLeft);
    bool IsFloating() const { return m_hWnd && m_site == 0; }
    // The site the bar is docked at; 0 while floating or not placed yet.
    UINT GetDockSite() const { return m_site; }
    int GetDockedWidth() const { return m_dockedWidth; }
    int GetBarStyle() const { return m_barStyle; }
    bool IsDockingAllowed() const { return m_allowDocking; }
    // Hides the bar as its close button does: OnClosing, hide, OnClosed. FALSE when OnClosing
    // kept it open.
    BOOL CloseBar();
    // Builds the context menu, lets OnCustomizeMenu change it and shows it at the screen point;
    // FALSE when no menu shows.
    BOOL ShowContextMenu(CPoint screen);
    // The menu that is open, null when none is.
    const CAdUiDockBarMenu* GetOpenMenu() const;
    // Saves where the bar is (site, width, floating rectangle) in the profile under its tool id,
    // and loads it; FALSE without a tool id or, for loading, without a saved position.
    BOOL SavePosition() const;
    BOOL LoadPosition();

    // The user drags an edge (WMSZ_LEFT or WMSZ_RIGHT) of the bar to the window rectangle (screen
    // coordinates); the bar corrects it in place to what it allows: its width at least kMinWidth
    // and, docked, only the inner edge moving; a bar without kSizable keeps its rectangle.
    virtual void OnUserSizing(UINT side, LPRECT rect);

    // While true, size changes of the bar do not reach SizeChanged, so that the content is laid
    // out only once the bar is set up. True from construction; the owner clears it, and the next
    // placement (RestoreControlBar, a size change) lays the content out.
    bool m_bHoldContentLayout = true;

    // Main frames with bars: lays out the docked bars of the frame, and the view rectangle they
    // leave (client coordinates of the frame).
    static void RecalcFrameLayout(CWnd* frame);
    static CRect GetFrameViewRect(CWnd* frame);
    // Every bar with a window, docked or floating, in the order they were made.
    static std::vector<CAdUiDockControlBar*> GetAllBars();

protected:
    // Called while the window is being created, after the bar has set itself up; FALSE fails the
    // creation. The default answers TRUE.
    virtual BOOL CreateControlBar(LPCREATESTRUCT cs);
    // The bar's size or placement changed: rect is the content area (client coordinates: below
    // the caption strip, beside the sizing edge), floating whether the bar floats, flags the
    // side it is docked at (CBRS_ALIGN_LEFT or CBRS_ALIGN_RIGHT, 0 floating). The default does
    // nothing.
    virtual void SizeChanged(CRect* rect, BOOL floating, int flags);
    // Asked before the bar loads its saved position; false keeps the placement the caller asks
    // for. The default answers true.
    virtual bool OnBeforeLoadPosition();
    // The bar is about to hide by its close button or its menu; false keeps it open. The default
    // answers true.
    virtual bool OnClosing();
    // The bar has been hidden by its close button or its menu. The default does nothing.
    virtual void OnClosed();
    // The context menu before it shows: items can be added or removed (RemoveMenu by command).
    // False shows no menu. The default answers true.
    virtual bool OnCustomizeMenu(CAdUiDockBarMenu* menu);

    // Sets up the caption and places the bar; then CreateControlBar. -1 when creation fails.
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnContextMenu(CWnd* window, CPoint point);
    afx_msg void OnCaptureChanged(CWnd* window);
    afx_msg void OnAllowDocking();
    afx_msg void OnHide();
    DECLARE_MESSAGE_MAP()

private:
    CRect CloseButtonRect() const;
    CRect SizingEdgeRect() const;
    CRect ContentRect() const;
    void NotifySizeChanged();
    void RelayoutParentFrame(HWND except = nullptr, bool exceptVisible = false);
    void ApplyUserSize(const CRect& windowRect);
    void CloseMenu();

    int m_barStyle;
    DWORD m_dockingSides = 0;
    UINT m_site = 0;
    UINT m_lastSite = AFX_IDW_DOCKBAR_LEFT;
    int m_dockedWidth = 150;
    CRect m_floatRect{0, 0, 150, 300};
    CLSID m_toolId{};
    bool m_hasToolId = false;
    bool m_allowDocking = true;
    bool m_closePressed = false;
    bool m_sizing = false;
    CPoint m_sizingStart;
    CRect m_sizingRect;
    HWND m_frame = nullptr;
    HWND m_menuWindow = nullptr;
    std::unique_ptr<CAdUiDockBarMenu> m_menu;
    friend class DockBarMenuWindow;
};
