#pragma once
// The base interfaces of the component object model, as far as the host's automation needs them.
#include "ax/bstr.h"
#include "ax/comtypes.h"

struct tagVARIANT;
typedef tagVARIANT VARIANT;
struct ITypeInfo;
struct DISPPARAMS;
struct EXCEPINFO;
typedef uint16_t WORD;
typedef unsigned UINT;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;

protected:
    ~IClassFactory() = default;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

struct IErrorInfo : IUnknown {
    virtual HRESULT GetGUID(GUID* guid) = 0;
    virtual HRESULT GetSource(BSTR* source) = 0;
    virtual HRESULT GetDescription(BSTR* description) = 0;
    virtual HRESULT GetHelpFile(BSTR* helpFile) = 0;
    virtual HRESULT GetHelpContext(DWORD* helpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

// Counted arrays of texts and numbers handed out by property expanders; the receiver frees
// the elements and the arrays.
struct CALPOLESTR {
    ULONG cElems;
    LPOLESTR* pElems;
};
struct CADWORD {
    ULONG cElems;
    DWORD* pElems;
};

extern CADHOST_API const IID IID_IUnknown;
extern CADHOST_API const IID IID_IClassFactory;
extern CADHOST_API const IID IID_IDispatch;
extern CADHOST_API const IID IID_ISupportErrorInfo;
extern CADHOST_API const IID IID_IErrorInfo;
