#include "ax/textresource.h"
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace {
using Key = std::tuple<HINSTANCE, std::string, unsigned>;
std::mutex& tableMutex() {
    static std::mutex m;
    return m;
}
std::map<Key, std::string>& table() {
    static auto* t = new std::map<Key, std::string>;
    return *t;
}
}  // namespace

void cadhostRegisterResource(HINSTANCE module, const char* type, unsigned id, const char* text) {
    if (!type) return;
    std::lock_guard lock(tableMutex());
    table()[Key{module, type, id}] = text ? text : "";
}

const char* cadhostFindResource(HINSTANCE module, const char* type, unsigned id) {
    if (!type) return nullptr;
    std::lock_guard lock(tableMutex());
    auto it = table().find(Key{module, type, id});
    return it == table().end() ? nullptr : it->second.c_str();
}

void cadhostUnregisterResources(HINSTANCE module) {
    std::lock_guard lock(tableMutex());
    auto& t = table();
    for (auto it = t.begin(); it != t.end();) it = std::get<0>(it->first) == module ? t.erase(it) : std::next(it);
}
