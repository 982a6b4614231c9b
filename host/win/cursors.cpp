// Cursors: the standard shared ones, those of module resources, and the current cursor.
#include <map>
#include "win/icons.h"
#include "win/wingdi.h"
#include "win/winuser.h"

namespace {

HCURSOR g_current = nullptr;

bool isStandard(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return false;
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);
}

// One shared cursor per standard id, made on first use.
std::map<std::uintptr_t, HCURSOR>& standardCursors() {
    static std::map<std::uintptr_t, HCURSOR> cursors;
    return cursors;
}

bool isShared(HCURSOR cursor) {
    for (const auto& [id, c] : standardCursors())
        if (c == cursor) return true;
    return false;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name) {
    if (!name) return nullptr;
    if (!module) {
        if (!isStandard(name)) return nullptr;
        HCURSOR& slot = standardCursors()[reinterpret_cast<std::uintptr_t>(name)];
        if (!slot) slot = cadhostMakeCursor(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR));
        return slot;
    }
    return cadhostLoadCursorResource(module, name);
}

HCURSOR LoadCursor(HINSTANCE module, LPCSTR name) { return LoadCursorA(module, name); }

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = g_current;
    g_current = cursor;
    return previous;
}

HCURSOR GetCursor() { return g_current; }

BOOL DestroyCursor(HCURSOR cursor) {
    if (!cursor) return FALSE;
    if (isShared(cursor)) return TRUE;
    if (g_current == cursor) g_current = nullptr;
    return DestroyIcon(cursor);
}
