#pragma once
// Tagged value of automation calls, with the kinds the host's wrappers exchange.
#include "ax/comiface.h"

typedef uint16_t VARTYPE;
enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
};

struct tagVARIANT {
    VARTYPE vt;
    uint16_t reserved[3];
    union {
        int16_t iVal;
        LONG lVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
    };
};

CADHOST_API void VariantInit(VARIANT* value);
// Frees a held string, releases a held interface and leaves the value empty.
CADHOST_API HRESULT VariantClear(VARIANT* value);
