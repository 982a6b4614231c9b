#pragma once
#include "rx/export.h"

typedef void* HINSTANCE;

// String tables of modules: each module registers its texts under its instance handle.
CADHOST_API void cadhostRegisterString(HINSTANCE module, unsigned id, const char* text);
CADHOST_API void cadhostUnregisterStrings(HINSTANCE module);
// Copies the text of a string id into the buffer (at most bufferMax - 1 characters);
// answers the number of characters copied, 0 when the id has no text.
CADHOST_API int LoadString(HINSTANCE module, unsigned id, char* buffer, int bufferMax);
CADHOST_API HINSTANCE AfxGetResourceHandle();
CADHOST_API void AfxSetResourceHandle(HINSTANCE module);
