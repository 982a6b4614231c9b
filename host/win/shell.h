#pragma once
// The shell's names and icons of drives, folders and the special places (the desktop, the
// computer, the control panel, the network places and the documents), over the drive mapping.
// Names and values are the platform's.
#include "ax/comiface.h"
#include "win/drives.h"
#include "win/windef.h"

struct SHFILEINFO {
    HICON hIcon;
    int iIcon;
    DWORD dwAttributes;
    char szDisplayName[260];
    char szTypeName[80];
};

constexpr UINT SHGFI_LARGEICON = 0x0000, SHGFI_SMALLICON = 0x0001, SHGFI_OPENICON = 0x0002,
    SHGFI_PIDL = 0x0008, SHGFI_USEFILEATTRIBUTES = 0x0010, SHGFI_ICON = 0x0100, SHGFI_DISPLAYNAME = 0x0200,
    SHGFI_TYPENAME = 0x0400, SHGFI_SYSICONINDEX = 0x4000;

// Item identifier lists: the shell's names of places, freed with ILFree (or the shell's IMalloc).
struct SHITEMID {
    uint16_t cb;
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;

constexpr int CSIDL_DESKTOP = 0x0000, CSIDL_CONTROLS = 0x0003, CSIDL_PERSONAL = 0x0005,
    CSIDL_DESKTOPDIRECTORY = 0x0010, CSIDL_DRIVES = 0x0011, CSIDL_NETWORK = 0x0012;

// Path (a drive root, a folder or file in the platform's form) or, with SHGFI_PIDL, an item list.
// SHGFI_DISPLAYNAME: "Local Disk (C:)", "Removable Disk (A:)", "CD Drive (E:)", "Network Drive (F:)",
// "RAM Disk (R:)" for drive roots, the last name of a folder or file, the place's name for a
// special place. SHGFI_TYPENAME: "Local Disk", "File Folder", "System Folder", "<EXT> File".
// SHGFI_ICON: a new icon (SHGFI_SMALLICON: the small size; SHGFI_OPENICON: an open folder) that
// the caller destroys. SHGFI_SYSICONINDEX: the index of that icon among the shell's icons; the
// system image list is not kept, so such a call answers 0. Otherwise answers nonzero, or 0 for a
// path that cannot be reached.
CADHOST_API DWORD_PTR SHGetFileInfo(LPCSTR path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags);
CADHOST_API DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags);

// The item list of a special place (S_OK), E_INVALIDARG for another CSIDL; the window is unused.
CADHOST_API HRESULT SHGetSpecialFolderLocation(HWND owner, int csidl, LPITEMIDLIST* list);
// The folder of a special place in the platform's form: the desktop is $HOME/Desktop (else $HOME),
// the documents $HOME/Documents (else $HOME); the computer, the control panel and the network
// places have none (FALSE). With create, a missing folder is made.
CADHOST_API BOOL SHGetSpecialFolderPath(HWND owner, char* path, int csidl, BOOL create);
CADHOST_API BOOL SHGetSpecialFolderPathA(HWND owner, char* path, int csidl, BOOL create);
// The folder of an item list (at least 260 characters of buffer); FALSE for a place without one.
CADHOST_API BOOL SHGetPathFromIDList(LPCITEMIDLIST list, char* path);
CADHOST_API BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, char* path);
CADHOST_API void ILFree(LPITEMIDLIST list);

// The shell's allocator: item lists may be freed with its Free as well.
struct IMalloc : IUnknown {
    virtual void* Alloc(std::size_t size) = 0;
    virtual void* Realloc(void* block, std::size_t size) = 0;
    virtual void Free(void* block) = 0;
    virtual std::size_t GetSize(void* block) = 0;
    virtual int DidAlloc(void* block) = 0;
    virtual void HeapMinimize() = 0;

protected:
    ~IMalloc() = default;
};
CADHOST_API HRESULT SHGetMalloc(IMalloc** malloc);
