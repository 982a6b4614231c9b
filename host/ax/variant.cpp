#include "ax/variant.h"

void VariantInit(VARIANT* value) {
    if (!value) return;
    value->vt = VT_EMPTY;
    value->reserved[0] = value->reserved[1] = value->reserved[2] = 0;
    value->dblVal = 0.0;
}

HRESULT VariantClear(VARIANT* value) {
    if (!value) return E_INVALIDARG;
    switch (value->vt) {
    case VT_BSTR: SysFreeString(value->bstrVal); break;
    case VT_UNKNOWN:
        if (value->punkVal) value->punkVal->Release();
        break;
    case VT_DISPATCH:
        if (value->pdispVal) value->pdispVal->Release();
        break;
    default: break;
    }
    VariantInit(value);
    return S_OK;
}
