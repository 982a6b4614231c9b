#pragma once
// The framework's rich-edit control object and the initialisation of rich-edit support.
#include "ui/wnd.h"
#include "win/richedit.h"

// Makes the rich-edit classes available; TRUE when they are.
CADHOST_API BOOL AfxInitRichEdit2();

class CADHOST_API CRichEditCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create(RICHEDIT_CLASS, "", style, rect, parent, id);
    }
    // Replaces the contents with what the stream's callback brings (SF_RTF or SF_TEXT); answers
    // the number of bytes read.
    long StreamIn(int format, EDITSTREAM& stream) {
        return static_cast<long>(SendMessage(EM_STREAMIN, static_cast<WPARAM>(format), reinterpret_cast<LPARAM>(&stream)));
    }
    BOOL SetReadOnly(BOOL readOnly = TRUE) {
        return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly)));
    }
    // The window colour with useSystemColor, else the colour given; answers the previous one.
    COLORREF SetBackgroundColor(BOOL useSystemColor, COLORREF color) {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, static_cast<WPARAM>(useSystemColor), static_cast<LPARAM>(color)));
    }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
    BOOL LineScroll(int lines, int chars = 0) {
        return static_cast<BOOL>(SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines));
    }
};
