#include "ax/oledispatch.h"
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>
#include "rx/print.h"

namespace {
BOOL copyMessage(const std::string& text, char* buffer, UINT maxLength) {
    if (!buffer || maxLength == 0) return FALSE;
    const size_t n = std::min<size_t>(text.size(), maxLength - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return TRUE;
}

std::string takeBstr(BSTR& text) {
    std::string value = text ? axBstrToUtf8(text) : std::string();
    SysFreeString(text);
    text = nullptr;
    return value;
}
// The strings made for the first made arguments; the caller's VARIANTs stay theirs.
void freeMadeStrings(std::vector<VARIANT>& args, const BYTE* paramInfo, size_t made) {
    for (size_t i = 0; i < made; ++i)
        if (paramInfo[i] == VT_BSTR) VariantClear(&args[args.size() - 1 - i]);
}
}  // namespace

int CException::ReportError(UINT, UINT) const {
    char message[512];
    if (!GetErrorMessage(message, sizeof message)) std::snprintf(message, sizeof message, "An unknown error occurred.");
    acutPrintf("\n%s", message);
    return 1;
}

BOOL COleException::GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext) const {
    if (helpContext) *helpContext = 0;
    char text[64];
    std::snprintf(text, sizeof text, "Automation error 0x%08X.", static_cast<unsigned>(m_sc));
    return copyMessage(text, buffer, maxLength);
}

BOOL COleDispatchException::GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext) const {
    if (helpContext) *helpContext = m_dwHelpContext;
    return copyMessage(m_strDescription.GetLength() ? std::string(m_strDescription) : "The automation call failed.",
                       buffer, maxLength);
}

void AfxThrowOleException(SCODE sc) { throw new COleException(sc); }

void AfxThrowOleDispatchException(WORD code, const char* description, UINT helpId) {
    throw new COleDispatchException(description, helpId, code);
}

void COleDispatchDriver::AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease) {
    ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

LPDISPATCH COleDispatchDriver::DetachDispatch() {
    LPDISPATCH dispatch = m_lpDispatch;
    m_lpDispatch = nullptr;
    return dispatch;
}

void COleDispatchDriver::ReleaseDispatch() {
    if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

void COleDispatchDriver::InvokeHelper(DISPID id, WORD flags, VARTYPE returnType, void* result, const BYTE* paramInfo,
                                      ...) {
    if (!m_lpDispatch) AfxThrowOleException(E_POINTER);
    const size_t count = paramInfo ? std::strlen(reinterpret_cast<const char*>(paramInfo)) : 0;
    // Arguments go in last to first, as the callee reads them.
    std::vector<VARIANT> args(count);
    va_list list;
    va_start(list, paramInfo);
    for (size_t i = 0; i < count; ++i) {
        VARIANT& arg = args[count - 1 - i];
        VariantInit(&arg);
        switch (paramInfo[i]) {
        case VT_BSTR:
            arg.vt = VT_BSTR;
            arg.bstrVal = axBstrFromUtf8(va_arg(list, const char*));
            break;
        case VT_VARIANT:  // passed by address and copied as it is
            arg = *va_arg(list, const VARIANT*);
            break;
        default:
            va_end(list);
            freeMadeStrings(args, paramInfo, i);
            AfxThrowOleException(DISP_E_BADVARTYPE);
        }
    }
    va_end(list);
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(count), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VARIANT answer;
    VariantInit(&answer);
    EXCEPINFO exception{};
    UINT argError = 0;
    const HRESULT hr = m_lpDispatch->Invoke(id, GUID_NULL, 0, flags, &params, returnType == VT_EMPTY ? nullptr : &answer,
                                            &exception, &argError);
    freeMadeStrings(args, paramInfo, count);
    if (hr == DISP_E_EXCEPTION) {
        auto* e = new COleDispatchException(nullptr, exception.dwHelpContext, exception.wCode);
        e->m_strDescription = takeBstr(exception.bstrDescription).c_str();
        e->m_strSource = takeBstr(exception.bstrSource).c_str();
        e->m_strHelpFile = takeBstr(exception.bstrHelpFile).c_str();
        e->m_scError = exception.scode;
        VariantClear(&answer);
        throw e;
    }
    if (FAILED(hr)) {
        VariantClear(&answer);
        AfxThrowOleException(hr);
    }
    switch (returnType) {
    case VT_EMPTY: return;
    case VT_DISPATCH:
        if (answer.vt != VT_DISPATCH) break;
        *static_cast<LPDISPATCH*>(result) = answer.pdispVal;
        return;
    case VT_BOOL:
        if (answer.vt != VT_BOOL) break;
        *static_cast<BOOL*>(result) = answer.boolVal != VARIANT_FALSE;
        return;
    case VT_I4:
        if (answer.vt != VT_I4) break;
        *static_cast<long*>(result) = answer.lVal;
        return;
    default: break;
    }
    VariantClear(&answer);
    AfxThrowOleException(DISP_E_TYPEMISMATCH);
}
