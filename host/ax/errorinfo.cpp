#include "ax/errorinfo.h"
#include <atomic>
#include <string>
#include "ax/guidtext.h"
#include "ax/registry.h"

namespace {
class AxErrorInfo final : public IErrorInfo {
public:
    AxErrorInfo(const GUID& guid, std::string source, std::string description)
        : m_guid(guid), m_source(std::move(source)), m_description(std::move(description)) {}
    virtual ~AxErrorInfo() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IErrorInfo) return E_NOINTERFACE;
        *object = static_cast<IErrorInfo*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT GetGUID(GUID* guid) override {
        if (!guid) return E_POINTER;
        *guid = m_guid;
        return S_OK;
    }
    HRESULT GetSource(BSTR* source) override { return text(m_source, source); }
    HRESULT GetDescription(BSTR* description) override { return text(m_description, description); }
    HRESULT GetHelpFile(BSTR* helpFile) override { return text(std::string(), helpFile); }
    HRESULT GetHelpContext(DWORD* helpContext) override {
        if (!helpContext) return E_POINTER;
        *helpContext = 0;
        return S_OK;
    }

private:
    static HRESULT text(const std::string& value, BSTR* out) {
        if (!out) return E_POINTER;
        *out = axBstrFromUtf8(value.c_str());
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    std::atomic<ULONG> m_refs{1};
    GUID m_guid;
    std::string m_source, m_description;
};

// Releases what is left in the slot when the thread ends.
struct Slot {
    IErrorInfo* info = nullptr;
    ~Slot() {
        if (info) info->Release();
    }
};
thread_local Slot t_slot;
}  // namespace

HRESULT SetErrorInfo(DWORD, IErrorInfo* info) {
    if (info) info->AddRef();
    IErrorInfo* previous = t_slot.info;
    t_slot.info = info;
    if (previous) previous->Release();
    return S_OK;
}

HRESULT GetErrorInfo(DWORD, IErrorInfo** info) {
    if (!info) return E_POINTER;
    *info = t_slot.info;
    t_slot.info = nullptr;
    return *info ? S_OK : S_FALSE;
}

HRESULT AtlReportError(REFCLSID clsid, const char* description, REFIID iid, HRESULT result) {
    std::string clsidText = axGuidToString(clsid);
    std::string source;
    if (!AxRegistry::instance().value(AxRegistry::kClassesRoot, "CLSID\\" + clsidText + "\\ProgID", "", &source))
        source = clsidText;
    auto* info = new AxErrorInfo(iid, source, description ? description : "");
    SetErrorInfo(0, info);
    info->Release();
    return result;
}
