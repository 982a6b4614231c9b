#include "ed/sysvar.h"
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct SysVar {
    short kind = RTSTR;
    std::string text;
    double real = 0.0;
    double point[3] = {0, 0, 0};
    int32_t integer = 0;
};

std::string keyOf(const char* name) {
    std::string key(name);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

std::map<std::string, SysVar>& table() {
    static std::map<std::string, SysVar> vars = [] {
        std::map<std::string, SysVar> v;
        v["CMDNAMES"] = SysVar{};
        SysVar screen;
        screen.kind = RTPOINT;
        screen.point[0] = 800.0;
        screen.point[1] = 600.0;
        v["SCREENSIZE"] = screen;
        return v;
    }();
    return vars;
}

std::mutex& tableLock() {
    static std::mutex m;
    return m;
}

}  // namespace

int acedGetVar(const char* name, resbuf* result) {
    if (!name || !result) return RTERROR;
    std::lock_guard<std::mutex> lock(tableLock());
    auto it = table().find(keyOf(name));
    if (it == table().end()) return RTERROR;
    const SysVar& v = it->second;
    result->restype = v.kind;
    switch (v.kind) {
    case RTSTR:
        result->resval.rstring = strdup(v.text.c_str());
        break;
    case RTSHORT:
        result->resval.rint = static_cast<short>(v.integer);
        break;
    case RTLONG:
        result->resval.rlong = v.integer;
        break;
    case RTREAL:
        result->resval.rreal = v.real;
        break;
    default:
        for (int i = 0; i < 3; ++i) result->resval.rpoint[i] = v.point[i];
        break;
    }
    return RTNORM;
}

int acedSetVar(const char* name, const resbuf* value) {
    if (!name || !value) return RTERROR;
    SysVar v;
    v.kind = value->restype;
    switch (value->restype) {
    case RTSTR:
        v.text = value->resval.rstring ? value->resval.rstring : "";
        break;
    case RTSHORT:
        v.integer = value->resval.rint;
        break;
    case RTLONG:
        v.integer = value->resval.rlong;
        break;
    case RTREAL:
        v.real = value->resval.rreal;
        break;
    case RTPOINT:
    case RT3DPOINT:
        for (int i = 0; i < 3; ++i) v.point[i] = value->resval.rpoint[i];
        break;
    default:
        return RTERROR;
    }
    std::lock_guard<std::mutex> lock(tableLock());
    table()[keyOf(name)] = v;
    return RTNORM;
}
