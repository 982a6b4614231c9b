// The shell's names, icons and special places over the drive mapping.
#include "win/shell.h"
#include <sys/stat.h>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include "win/icons.h"
#include "win/shellicons.h"
#include "win/wingdi.h"

namespace {

// The shell's icons, in the order of their indexes.
enum ShellIcon { kFolder, kFolderOpen, kDesktop, kComputer, kDriveFixed, kDriveRemovable, kDriveCdrom, kDriveRemote,
                 kNetwork, kControlPanel, kDocuments, kNoIcon = -1 };
const char* const kIconNames[] = {"folder", "folder_open", "desktop", "computer", "drive_fixed", "drive_removable",
                                  "drive_cdrom", "drive_remote", "network", "control_panel", "documents"};

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p) { return le16(p) | (static_cast<uint32_t>(le16(p + 2)) << 16); }

// The entry of an icon file closest to the size, decoded; null for a malformed file.
HICON iconFromFile(const ShellIconFile& file, int side) {
    const unsigned char* b = file.bytes;
    if (file.size < 6 || le16(b) != 0 || le16(b + 2) != 1) return nullptr;
    const std::size_t count = le16(b + 4);
    if (file.size < 6 + count * 16) return nullptr;
    const unsigned char* best = nullptr;
    int bestDistance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* e = b + 6 + i * 16;
        const int width = e[0] ? e[0] : 256;
        const int distance = std::abs(width - side);
        if (!best || distance < bestDistance) {
            best = e;
            bestDistance = distance;
        }
    }
    if (!best) return nullptr;
    const uint32_t size = le32(best + 8), offset = le32(best + 12);
    if (offset > file.size || size > file.size - offset) return nullptr;
    return CreateIconFromResourceEx(b + offset, size, TRUE, 0x00030000, side, side, 0);
}

HICON shellIcon(int index, bool small) {
    if (index < 0 || index >= static_cast<int>(sizeof kIconNames / sizeof kIconNames[0])) return nullptr;
    const int side = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    for (std::size_t i = 0; i < kShellIconFileCount; ++i)
        if (std::strcmp(kShellIconFiles[i].name, kIconNames[index]) == 0) return iconFromFile(kShellIconFiles[i], side);
    return nullptr;
}

struct Place {
    int csidl;
    const char* name;
    ShellIcon icon;
};
const Place kPlaces[] = {{CSIDL_DESKTOP, "Desktop", kDesktop},
                         {CSIDL_DESKTOPDIRECTORY, "Desktop", kDesktop},
                         {CSIDL_DRIVES, "My Computer", kComputer},
                         {CSIDL_CONTROLS, "Control Panel", kControlPanel},
                         {CSIDL_NETWORK, "My Network Places", kNetwork},
                         {CSIDL_PERSONAL, "My Documents", kDocuments}};

const Place* place(int csidl) {
    for (const Place& p : kPlaces)
        if (p.csidl == csidl) return &p;
    return nullptr;
}

bool isFolder(const std::string& linuxPath) {
    struct stat st {};
    return ::stat(linuxPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The Linux folder of a special place that has one.
bool specialLinuxFolder(int csidl, bool create, std::string& folder) {
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return false;
    const char* sub = nullptr;
    if (csidl == CSIDL_DESKTOP || csidl == CSIDL_DESKTOPDIRECTORY) sub = "Desktop";
    else if (csidl == CSIDL_PERSONAL) sub = "Documents";
    else return false;
    folder = std::string(home) + "/" + sub;
    if (create && !isFolder(folder)) ::mkdir(folder.c_str(), 0755);
    if (!isFolder(folder)) folder = home;
    return isFolder(folder);
}

// Item lists: one identifier holding the place's CSIDL, then the end.
LPITEMIDLIST makeList(int csidl) {
    auto* bytes = static_cast<unsigned char*>(std::calloc(5, 1));
    if (!bytes) return nullptr;
    bytes[0] = 3;
    bytes[2] = static_cast<unsigned char>(csidl);
    return reinterpret_cast<LPITEMIDLIST>(bytes);
}

// The place of a list; null for a malformed one.
const Place* readList(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    const auto* bytes = reinterpret_cast<const unsigned char*>(list);
    return le16(bytes) == 3 ? place(bytes[2]) : nullptr;
}

void copyTo(char* out, std::size_t max, const std::string& text) {
    std::size_t n = std::min(text.size(), max - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

struct Described {
    std::string name, type;
    int icon = kNoIcon;
};

// A drive root ("D:", "D:\"): its letter, or 0.
char driveRoot(const std::string& path) {
    if (path.size() < 2 || path.size() > 3 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
        return 0;
    if (path.size() == 3 && path[2] != '\\' && path[2] != '/') return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

bool describePath(const std::string& path, DWORD attributes, bool useAttributes, bool open, Described& out) {
    const WinDriveMap drives = WinDriveMap::current();
    if (char letter = driveRoot(path)) {
        static const struct {
            unsigned type;
            const char* name;
            ShellIcon icon;
        } kinds[] = {{DRIVE_FIXED, "Local Disk", kDriveFixed}, {DRIVE_REMOVABLE, "Removable Disk", kDriveRemovable},
                     {DRIVE_CDROM, "CD Drive", kDriveCdrom}, {DRIVE_REMOTE, "Network Drive", kDriveRemote},
                     {DRIVE_RAMDISK, "RAM Disk", kDriveFixed}};
        const unsigned type = drives.type(letter);
        for (const auto& k : kinds)
            if (k.type == type) {
                out.type = k.name;
                out.name = std::string(k.name) + " (" + letter + ":)";
                out.icon = k.icon;
                return true;
            }
        return false;
    }
    bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!useAttributes) {
        std::string linuxPath;
        if (!drives.toLinux(path, linuxPath)) return false;
        struct stat st {};
        if (::stat(linuxPath.c_str(), &st) != 0) return false;
        folder = S_ISDIR(st.st_mode);
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const std::size_t cut = trimmed.find_last_of("\\/");
    out.name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
    if (folder) {
        out.type = "File Folder";
        out.icon = open ? kFolderOpen : kFolder;
        return true;
    }
    const std::size_t dot = out.name.find_last_of('.');
    std::string ext = dot == std::string::npos ? std::string() : out.name.substr(dot + 1);
    for (char& ch : ext) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    out.type = ext.empty() ? "File" : ext + " File";
    return true;
}

struct ShellMalloc final : IMalloc {
    HRESULT QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        *object = riid == IID_IUnknown ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    void* Alloc(std::size_t size) override { return std::malloc(size ? size : 1); }
    void* Realloc(void* block, std::size_t size) override { return std::realloc(block, size ? size : 1); }
    void Free(void* block) override { std::free(block); }
    std::size_t GetSize(void*) override { return static_cast<std::size_t>(-1); }
    int DidAlloc(void*) override { return -1; }
    void HeapMinimize() override {}
};

}  // namespace

DWORD_PTR SHGetFileInfo(LPCSTR path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags) {
    if (!path || (info && size < sizeof(SHFILEINFO))) return 0;
    Described d;
    if (flags & SHGFI_PIDL) {
        const Place* p = readList(reinterpret_cast<LPCITEMIDLIST>(path));
        if (!p) return 0;
        d.name = p->name;
        d.type = "System Folder";
        d.icon = p->icon;
    } else if (!describePath(path, attributes, (flags & SHGFI_USEFILEATTRIBUTES) != 0, (flags & SHGFI_OPENICON) != 0, d)) {
        return 0;
    }
    if (!info) return 1;
    if (flags & SHGFI_DISPLAYNAME) copyTo(info->szDisplayName, sizeof info->szDisplayName, d.name);
    if (flags & SHGFI_TYPENAME) copyTo(info->szTypeName, sizeof info->szTypeName, d.type);
    if (flags & (SHGFI_ICON | SHGFI_SYSICONINDEX)) info->iIcon = d.icon;
    if (flags & SHGFI_ICON) info->hIcon = shellIcon(d.icon, (flags & SHGFI_SMALLICON) != 0);
    return (flags & SHGFI_SYSICONINDEX) ? 0 : 1;
}

DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFO* info, UINT size, UINT flags) {
    return SHGetFileInfo(path, attributes, info, size, flags);
}

HRESULT SHGetSpecialFolderLocation(HWND, int csidl, LPITEMIDLIST* list) {
    if (!list) return E_INVALIDARG;
    *list = nullptr;
    if (!place(csidl)) return E_INVALIDARG;
    *list = makeList(csidl);
    return *list ? S_OK : E_OUTOFMEMORY;
}

BOOL SHGetSpecialFolderPath(HWND, char* path, int csidl, BOOL create) {
    std::string folder, windows;
    if (!path || !specialLinuxFolder(csidl, create != FALSE, folder)) return FALSE;
    if (!WinDriveMap::current().toWindows(folder, windows) || windows.size() >= 260) return FALSE;
    copyTo(path, 260, windows);
    return TRUE;
}

BOOL SHGetSpecialFolderPathA(HWND owner, char* path, int csidl, BOOL create) {
    return SHGetSpecialFolderPath(owner, path, csidl, create);
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST list, char* path) {
    const Place* p = readList(list);
    if (!path || !p) return FALSE;
    path[0] = '\0';
    return SHGetSpecialFolderPath(nullptr, path, p->csidl, FALSE);
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, char* path) { return SHGetPathFromIDList(list, path); }

void ILFree(LPITEMIDLIST list) { std::free(list); }

HRESULT SHGetMalloc(IMalloc** malloc) {
    static ShellMalloc shared;
    if (!malloc) return E_INVALIDARG;
    *malloc = &shared;
    return S_OK;
}
