#pragma once
// Error information of the calling thread: what an automation call that failed leaves for its
// caller to read.
#include "ax/comiface.h"

// Replaces the thread's error information (the slot takes a reference; null clears it).
CADHOST_API HRESULT SetErrorInfo(DWORD reserved, IErrorInfo* info);
// Hands the thread's error information to the caller and clears the slot; S_FALSE and null
// when there is none.
CADHOST_API HRESULT GetErrorInfo(DWORD reserved, IErrorInfo** info);

// Sets error information with the description, the interface id as its GUID and the class's
// ProgID (from the registry, else the class id's text) as its source; answers result.
CADHOST_API HRESULT AtlReportError(REFCLSID clsid, const char* description, REFIID iid, HRESULT result);
