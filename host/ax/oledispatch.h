#pragma once
// The application framework's side of late-bound calls: a driver that calls an IDispatch with
// typed arguments, and the exceptions it throws (thrown as pointers, freed with Delete).
#include "ax/dispatch.h"
#include "ui/cstring.h"

typedef unsigned char BYTE;

// Argument type strings of COleDispatchDriver::InvokeHelper: one character per argument.
#define VTS_BSTR "\x08"     // const char*
#define VTS_VARIANT "\x0C"  // const VARIANT*

class CADHOST_API CException {
public:
    virtual ~CException() = default;
    // Copies the message into the buffer (at most maxLength characters with the terminator).
    virtual BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const = 0;
    // Tells the user: there are no message boxes here, so the message goes to the command line.
    virtual int ReportError(UINT type = 0, UINT messageId = 0) const;
    void Delete() { delete this; }
};

// A failed call, by its status code.
class CADHOST_API COleException : public CException {
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;
    SCODE m_sc;
};

// An exception the called object reported, with its description.
class CADHOST_API COleDispatchException : public CException {
public:
    COleDispatchException(const char* description, UINT helpId, WORD code)
        : m_wCode(code), m_dwHelpContext(helpId), m_strDescription(description ? description : "") {}
    BOOL GetErrorMessage(char* buffer, UINT maxLength, UINT* helpContext = nullptr) const override;
    WORD m_wCode;
    DWORD m_dwHelpContext;
    CString m_strDescription, m_strSource, m_strHelpFile;
    SCODE m_scError = 0;
};

[[noreturn]] CADHOST_API void AfxThrowOleException(SCODE sc);
[[noreturn]] CADHOST_API void AfxThrowOleDispatchException(WORD code, const char* description, UINT helpId = 0);

class CADHOST_API COleDispatchDriver {
public:
    COleDispatchDriver() = default;
    explicit COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease = TRUE)
        : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease) {}
    COleDispatchDriver(const COleDispatchDriver&) = delete;
    COleDispatchDriver& operator=(const COleDispatchDriver&) = delete;
    ~COleDispatchDriver() { ReleaseDispatch(); }

    // Takes the interface (releasing one held before); with autoRelease the driver releases it.
    void AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    LPDISPATCH DetachDispatch();
    void ReleaseDispatch();

    // Calls member id with the arguments that paramInfo describes (VTS_ strings) and stores
    // the answer of type returnType at result: VT_EMPTY (none), VT_DISPATCH (LPDISPATCH*, a
    // reference for the caller), VT_BOOL (BOOL*), VT_I4 (long*). Throws COleDispatchException
    // when the object reports an exception, COleException for any other failure.
    void InvokeHelper(DISPID id, WORD flags, VARTYPE returnType, void* result, const BYTE* paramInfo, ...);

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
