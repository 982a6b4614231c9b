#include "frame/ResourceString.h"
#include "frame/Renvale4App.h"

CString loadResourceString(unsigned id) {
    char buffer[1000];
    if (::LoadStringA(resourceInstance(), id, buffer, static_cast<int>(sizeof buffer)) <= 0) return CString();
    return CString(buffer);
}
