#include "ed/profile.h"
#include <pwd.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include "ed/inifile.h"

std::string AcEdProfile::path() {
    if (const char* p = std::getenv("CADHOST_PROFILE"); p && *p) return p;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return std::string(x) + "/cadhost/profile.ini";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir;
    return std::string(home && *home ? home : ".") + "/.config/cadhost/profile.ini";
}

std::string AcEdProfile::getString(const char* section, const char* entry, const char* defaultValue) {
    AcEdIniFile file;
    std::string value;
    if (section && entry && file.load(path()) && file.get(section, entry, value)) return value;
    return defaultValue ? defaultValue : "";
}

int AcEdProfile::getInt(const char* section, const char* entry, int defaultValue) {
    AcEdIniFile file;
    std::string value;
    if (!section || !entry || !file.load(path()) || !file.get(section, entry, value) || value.empty()) return defaultValue;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(value.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return defaultValue;
    return static_cast<int>(v);
}

bool AcEdProfile::setString(const char* section, const char* entry, const char* value) {
    if (!section || !entry) return false;
    AcEdIniFile file;
    const std::string p = path();
    if (!file.load(p)) return false;
    if (value) {
        if (!file.set(section, entry, value)) return false;
    } else if (!file.remove(section, entry)) {
        return true;
    }
    return file.save(p);
}

bool AcEdProfile::setInt(const char* section, const char* entry, int value) {
    return setString(section, entry, std::to_string(value).c_str());
}

bool AcEdProfile::removeSection(const char* section) {
    if (!section) return false;
    AcEdIniFile file;
    const std::string p = path();
    if (!file.load(p)) return false;
    if (!file.removeSection(section)) return true;
    return file.save(p);
}
