#pragma once
// Late-bound calls through IDispatch: the call's arguments, the exception it may report, the
// kinds of call and their failure codes.
#include "ax/variant.h"

typedef IDispatch* LPDISPATCH;
typedef VARIANT VARIANTARG;
typedef int32_t SCODE;

// Arguments last to first: rgvarg[cArgs - 1] is the first argument.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

// Filled by the callee when it answers DISP_E_EXCEPTION; the caller frees the strings.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

// What objects without type information answer to IDispatch's type questions.
inline HRESULT axNoTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
inline HRESULT axNoTypeInfo(ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

// Fills the exception (when the caller gave one) with the source, the description and the
// code, and answers DISP_E_EXCEPTION.
CADHOST_API HRESULT axDispatchException(EXCEPINFO* exception, const char* source, const std::string& description,
                                        SCODE code);
