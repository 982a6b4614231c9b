#pragma once
// The framework's list box and combo box objects. Owner-drawn subclasses draw, measure and compare
// their items in DrawItem, MeasureItem and CompareItem: the parent reflects WM_DRAWITEM,
// WM_MEASUREITEM and WM_COMPAREITEM to the control object that sent them.
#include "ui/wnd.h"
#include "win/listbox.h"

class CADHOST_API CListBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_LISTBOX, "", style, rect, parent, id);
    }
    int AddString(LPCTSTR text) { return Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    int InsertString(int index, LPCTSTR text) {
        return Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    }
    int DeleteString(UINT index) { return Send(LB_DELETESTRING, index); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return Send(LB_GETCOUNT); }
    int GetCurSel() const { return Send(LB_GETCURSEL); }
    int SetCurSel(int index) { return Send(LB_SETCURSEL, static_cast<WPARAM>(index)); }
    int GetText(int index, LPTSTR buffer) const { return Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)); }
    void GetText(int index, CString& text) const;
    int GetTextLen(int index) const { return Send(LB_GETTEXTLEN, static_cast<WPARAM>(index)); }
    int SetItemData(int index, DWORD_PTR data) { return Send(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
    int SetItemDataPtr(int index, void* data) { return SetItemData(index, reinterpret_cast<DWORD_PTR>(data)); }
    void* GetItemDataPtr(int index) const { return reinterpret_cast<void*>(GetItemData(index)); }
    int FindString(int startAfter, LPCTSTR text) const {
        return Send(LB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    int FindStringExact(int startAfter, LPCTSTR text) const {
        return Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    int SelectString(int startAfter, LPCTSTR text) {
        return Send(LB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    int GetItemRect(int index, LPRECT rect) const { return Send(LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)); }
    int SetItemHeight(int index, UINT height) { return Send(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0)); }
    int GetItemHeight(int index) const { return Send(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
    int GetTopIndex() const { return Send(LB_GETTOPINDEX); }
    int SetTopIndex(int index) { return Send(LB_SETTOPINDEX, static_cast<WPARAM>(index)); }
    // The item nearest a client point; outside is set when the point is beyond the items.
    UINT ItemFromPoint(CPoint point, BOOL& outside) const;

    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
    virtual int CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    int Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return static_cast<int>(SendMessage(message, wParam, lParam)); }
};

class CADHOST_API CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(WC_COMBOBOX, "", style, rect, parent, id);
    }
    int AddString(LPCTSTR text) { return Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }
    int InsertString(int index, LPCTSTR text) {
        return Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    }
    int DeleteString(UINT index) { return Send(CB_DELETESTRING, index); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return Send(CB_GETCOUNT); }
    int GetCurSel() const { return Send(CB_GETCURSEL); }
    int SetCurSel(int index) { return Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
    int GetLBText(int index, LPTSTR buffer) const { return Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)); }
    void GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const { return Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)); }
    int SetItemData(int index, DWORD_PTR data) { return Send(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
    int SetItemDataPtr(int index, void* data) { return SetItemData(index, reinterpret_cast<DWORD_PTR>(data)); }
    void* GetItemDataPtr(int index) const { return reinterpret_cast<void*>(GetItemData(index)); }
    int FindString(int startAfter, LPCTSTR text) const {
        return Send(CB_FINDSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    int FindStringExact(int startAfter, LPCTSTR text) const {
        return Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    int SelectString(int startAfter, LPCTSTR text) {
        return Send(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text));
    }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, static_cast<WPARAM>(show)); }
    BOOL GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }
    // The least width of the dropped list: the box's width unless a larger one was set.
    int GetDroppedWidth() const { return Send(CB_GETDROPPEDWIDTH); }
    int SetDroppedWidth(UINT width) { return Send(CB_SETDROPPEDWIDTH, width); }
    void GetDroppedControlRect(LPRECT rect) const { SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(rect)); }
    // Index -1 is the selection field of the face.
    int SetItemHeight(int index, UINT height) { return Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(height, 0)); }
    int GetItemHeight(int index) const { return Send(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
    BOOL SetMinVisibleItems(int count) { return static_cast<BOOL>(SendMessage(CB_SETMINVISIBLE, static_cast<WPARAM>(count))); }
    BOOL LimitText(int chars) { return static_cast<BOOL>(SendMessage(CB_LIMITTEXT, static_cast<WPARAM>(chars))); }

    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
    virtual int CompareItem(LPCOMPAREITEMSTRUCT) { return 0; }

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    int Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return static_cast<int>(SendMessage(message, wParam, lParam)); }
};
