#include "ax/appautomation.h"
#include <atomic>
#include <string>
#include "ax/comobject.h"
#include "ed/docman.h"
#include "ed/winapp.h"

namespace {
// What every object here answers alike: its interfaces and no type information.
class AxDispatchBase : public IDispatch {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT GetTypeInfoCount(UINT* count) override { return axNoTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return axNoTypeInfo(info); }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override {
        if (ids) *ids = -1;
        return DISP_E_UNKNOWNNAME;
    }

protected:
    ~AxDispatchBase() = default;
};

// Counted objects handed out to callers: they go with their last reference.
class AxCountedDispatch : public AxDispatchBase, public AxComObjectRoot {
public:
    ULONG AddRef() override { return internalAddRef(); }
    ULONG Release() override { return internalRelease(); }
};

const char* applicationName() { return acedGetAcadWinApp()->m_pszAppName; }

HRESULT answerObject(IDispatch* object, VARIANT* result) {
    if (!result) {
        object->Release();
        return S_OK;
    }
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

// An opened drawing. It offers no members of its own.
class AxDocument final : public AxCountedDispatch {
public:
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

class AxDocuments final : public AxCountedDispatch {
public:
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                   UINT* argError) override {
        if (id != kAxDocumentsOpen || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        if (params->cNamedArgs) return DISP_E_NONAMEDARGS;
        if (params->cArgs < 1 || params->cArgs > 3) return DISP_E_BADPARAMCOUNT;
        // The file name comes first, then read-only and the password; files carry no passwords here.
        const UINT n = params->cArgs;
        const VARIANT& name = params->rgvarg[n - 1];
        if (name.vt != VT_BSTR) return mismatch(argError, n - 1);
        bool readOnly = false;
        if (n >= 2) {
            const VARIANT& flag = params->rgvarg[n - 2];
            if (flag.vt != VT_BOOL) return mismatch(argError, n - 2);
            readOnly = flag.boolVal != VARIANT_FALSE;
        }
        if (n == 3 && params->rgvarg[0].vt != VT_BSTR) return mismatch(argError, 0);
        const std::string file = axBstrToUtf8(name.bstrVal);
        std::string error;
        AcApDocument* doc = acDocManager->openDocument(file.c_str(), &error);
        if (!doc) return axDispatchException(exception, applicationName(), error, E_FAIL);
        if (readOnly) doc->setReadOnly(true);
        return answerObject(new AxDocument, result);
    }

private:
    static HRESULT mismatch(UINT* argError, UINT index) {
        if (argError) *argError = index;
        return DISP_E_TYPEMISMATCH;
    }
};

// The application object itself: one for the program, never deleted.
class AxApplication final : public AxDispatchBase {
public:
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return m_refs > 1 ? --m_refs : m_refs.load(); }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override {
        if (id != kAxApplicationDocuments || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        if (params && (params->cArgs || params->cNamedArgs)) return DISP_E_BADPARAMCOUNT;
        return answerObject(new AxDocuments, result);
    }

private:
    std::atomic<ULONG> m_refs{1};
};
}  // namespace

IDispatch* axApplicationDispatch() {
    static AxApplication application;
    return &application;
}

HRESULT axDispatchException(EXCEPINFO* exception, const char* source, const std::string& description, SCODE code) {
    if (exception) {
        *exception = EXCEPINFO{};
        exception->bstrSource = axBstrFromUtf8(source ? source : "");
        exception->bstrDescription = axBstrFromUtf8(description.c_str());
        exception->scode = code;
    }
    return DISP_E_EXCEPTION;
}
