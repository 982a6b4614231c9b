#pragma once
// Module resources: each module's compiled resource image (see resourceimage.h) registered under
// its instance handle, read with the platform's functions.
#include <cstddef>
#include <cstdint>
#include <string>
#include "rx/export.h"
#include "win/resourcetemplates.h"

typedef void* HINSTANCE;
typedef void* HMODULE;
typedef void* HGLOBAL;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef std::uint32_t DWORD;
typedef int BOOL;
typedef struct CadhostResourceEntry* HRSRC;

// Resource names and types are either texts or numbers below 0x10000 passed as pointers.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<unsigned short>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((reinterpret_cast<std::uintptr_t>(r) >> 16) == 0)
#define RT_CURSOR MAKEINTRESOURCE(1)
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_ICON MAKEINTRESOURCE(3)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_DIALOG MAKEINTRESOURCE(5)
#define RT_STRING MAKEINTRESOURCE(6)
#define RT_FONT MAKEINTRESOURCE(8)
#define RT_RCDATA MAKEINTRESOURCE(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCE(12)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)
#define RT_HTML MAKEINTRESOURCE(23)
#define RT_MANIFEST MAKEINTRESOURCE(24)
#define RT_DLGINIT MAKEINTRESOURCE(240)

// Strings registered at run time by a module's own code, read by LoadString like its compiled ones.
CADHOST_API void cadhostRegisterString(HINSTANCE module, unsigned id, const char* text);
CADHOST_API void cadhostUnregisterStrings(HINSTANCE module);

// A module's compiled resources. The image is validated and copied; a malformed one is refused
// with the reason in error and leaves what the module had.
CADHOST_API bool cadhostRegisterModuleResources(HINSTANCE module, const void* image, std::size_t size,
                                                std::string* error = nullptr);
CADHOST_API void cadhostUnregisterModuleResources(HINSTANCE module);
// Registers the image a mapped module (dlopen handle) exports, if it has one; answers false only
// for an image that is malformed.
CADHOST_API bool cadhostAttachModuleResources(void* dlHandle, std::string& error);

// Copies the text of a string id into the buffer (at most bufferMax - 1 characters, always
// terminated); answers the number of characters copied, 0 when the id has no text.
CADHOST_API int LoadStringA(HINSTANCE module, unsigned id, char* buffer, int bufferMax);
CADHOST_API int LoadString(HINSTANCE module, unsigned id, char* buffer, int bufferMax);

// A resource by name (a text, "#123", or MAKEINTRESOURCE(id)) and type (RT_* or a type name).
// Names are matched without regard to case. Null when the module has no such resource.
CADHOST_API HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
CADHOST_API HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
CADHOST_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
CADHOST_API LPVOID LockResource(HGLOBAL data);
CADHOST_API DWORD SizeofResource(HMODULE module, HRSRC resource);
// Resources stay loaded while their module is: answers FALSE as the platform does.
CADHOST_API BOOL FreeResource(HGLOBAL data);

// The parsed dialog or menu template of a module; false when it has none or it is malformed.
CADHOST_API bool cadhostFindDialogTemplate(HINSTANCE module, LPCSTR name, cadhost::res::DialogTemplate& out);
CADHOST_API bool cadhostFindMenuTemplate(HINSTANCE module, LPCSTR name, cadhost::res::MenuTemplate& out);

// The handle of a loaded module by its file name (case-insensitive; the folder and, for a name
// without one, the extension may be left out). Null and "Acad.exe" answer the host program's own
// module, which its program registers its resources under. Null with ERROR_MOD_NOT_FOUND when no
// such module is loaded.
CADHOST_API HMODULE GetModuleHandleA(LPCSTR name);
CADHOST_API HMODULE GetModuleHandle(LPCSTR name);

CADHOST_API HINSTANCE AfxGetResourceHandle();
CADHOST_API void AfxSetResourceHandle(HINSTANCE module);
