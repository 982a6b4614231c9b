#pragma once
// Length-prefixed wide strings of the component object model.
#include <string>
#include "ax/comtypes.h"

typedef wchar_t OLECHAR;
typedef OLECHAR* BSTR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

// A null text gives a null string; the caller frees with SysFreeString.
CADHOST_API BSTR SysAllocString(const OLECHAR* text);
// length characters of text (or zeroes when text is null), terminated.
CADHOST_API BSTR SysAllocStringLen(const OLECHAR* text, unsigned length);
CADHOST_API void SysFreeString(BSTR text);
CADHOST_API unsigned SysStringLen(BSTR text);

// Conversions between the host's UTF-8 texts and these strings.
CADHOST_API BSTR axBstrFromUtf8(const char* text);
CADHOST_API std::string axBstrToUtf8(const OLECHAR* text);
