#include "win/resources.h"
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace {
std::map<std::pair<HINSTANCE, unsigned>, std::string>& table() {
    static std::map<std::pair<HINSTANCE, unsigned>, std::string> strings;
    return strings;
}
HINSTANCE g_resource = nullptr;
}  // namespace

void cadhostRegisterString(HINSTANCE module, unsigned id, const char* text) {
    table()[{module, id}] = text ? text : "";
}

void cadhostUnregisterStrings(HINSTANCE module) {
    auto& t = table();
    for (auto it = t.begin(); it != t.end();)
        it = it->first.first == module ? t.erase(it) : std::next(it);
}

int LoadString(HINSTANCE module, unsigned id, char* buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) return 0;
    buffer[0] = '\0';
    auto it = table().find({module, id});
    if (it == table().end()) return 0;
    size_t n = std::min(it->second.size(), static_cast<size_t>(bufferMax - 1));
    std::memcpy(buffer, it->second.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

HINSTANCE AfxGetResourceHandle() { return g_resource; }
void AfxSetResourceHandle(HINSTANCE module) { g_resource = module; }
