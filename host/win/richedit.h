#pragma once
// The rich-edit control ("RichEdit20A"): a document of formatted paragraphs streamed in as rich
// text or plain text, shown word-wrapped and scrolled vertically. Names and values are the
// platform's; the control shows text and does not edit it.
#include "win/controls.h"
#include "win/winuser.h"

#define RICHEDIT_CLASSA "RichEdit20A"
#define RICHEDIT_CLASS RICHEDIT_CLASSA

// Messages.
constexpr UINT EM_LINESCROLL = 0x00B6, EM_GETLINECOUNT = 0x00BA, EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETBKGNDCOLOR = WM_USER + 67, EM_STREAMIN = WM_USER + 73;

// Stream formats.
constexpr WPARAM SF_TEXT = 0x0001, SF_RTF = 0x0002;

typedef BYTE* LPBYTE;
// Called for each chunk: fills up to cb bytes, answers the count in *pcb; 0 bytes ends the
// stream, a nonzero result stops it as an error (kept in dwError).
typedef DWORD (CALLBACK* EDITSTREAMCALLBACK)(DWORD_PTR dwCookie, LPBYTE pbBuff, LONG cb, LONG* pcb);

struct EDITSTREAM {
    DWORD_PTR dwCookie;
    DWORD dwError;
    EDITSTREAMCALLBACK pfnCallback;
};

// The most a stream may bring in; the rest is not read.
constexpr LONG kRichEditStreamLimit = 16 * 1024 * 1024;
