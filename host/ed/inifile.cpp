#include "ed/inifile.h"
#include <strings.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool same(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool hasLineEnd(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Values with spaces at either end or a leading quote are written in quotes.
std::string quoted(const std::string& v) {
    if (!v.empty() && (v.front() == ' ' || v.back() == ' ' || v.front() == '\t' || v.back() == '\t' || v.front() == '"'))
        return "\"" + v + "\"";
    return v;
}

std::string unquoted(const std::string& v) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
    return v;
}
}  // namespace

AcEdIniFile::Section* AcEdIniFile::find(const std::string& name) {
    for (Section& s : m_sections)
        if (same(s.name, name)) return &s;
    return nullptr;
}

const AcEdIniFile::Section* AcEdIniFile::find(const std::string& name) const {
    for (const Section& s : m_sections)
        if (same(s.name, name)) return &s;
    return nullptr;
}

void AcEdIniFile::parse(const std::string& text) {
    m_sections.clear();
    m_sections.push_back(Section{});  // lines before the first section
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = trim(line);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            std::string name = trim(t.substr(1, t.size() - 2));
            if (!find(name)) m_sections.push_back(Section{name, {}});
            else {
                // A repeated section continues the first one.
                Section s = std::move(*find(name));
                std::erase_if(m_sections, [&](const Section& x) { return same(x.name, name); });
                m_sections.push_back(std::move(s));
            }
            continue;
        }
        Section& current = m_sections.back();
        size_t eq = t.find('=');
        if (t.empty() || t[0] == ';' || t[0] == '#' || eq == std::string::npos || eq == 0) {
            current.entries.push_back(Entry{{}, line});
            continue;
        }
        std::string key = trim(t.substr(0, eq));
        std::string value = unquoted(trim(t.substr(eq + 1)));
        bool replaced = false;
        for (Entry& e : current.entries)
            if (!e.key.empty() && same(e.key, key)) {
                e.value = value;
                replaced = true;
            }
        if (!replaced) current.entries.push_back(Entry{key, value});
    }
}

std::string AcEdIniFile::text() const {
    std::string out;
    for (const Section& s : m_sections) {
        if (s.name.empty() && s.entries.empty()) continue;
        if (!s.name.empty() || &s != &m_sections.front()) out += "[" + s.name + "]\n";
        for (const Entry& e : s.entries) out += e.key.empty() ? e.value + "\n" : e.key + "=" + quoted(e.value) + "\n";
    }
    return out;
}

bool AcEdIniFile::load(const std::string& path, std::string* error) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        parse({});
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) *error = "Cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    parse(text.str());
    return true;
}

bool AcEdIniFile::save(const std::string& path, std::string* error) const {
    std::error_code ec;
    fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string temp = path + ".tmp" + std::to_string(static_cast<long>(getpid()));
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        if (error) *error = "Cannot write " + temp;
        return false;
    }
    const std::string data = text();
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temp, ec);
        if (error) *error = "Cannot write " + path;
    }
    return ok;
}

bool AcEdIniFile::get(const std::string& section, const std::string& key, std::string& value) const {
    const Section* s = find(section);
    if (!s) return false;
    for (const Entry& e : s->entries)
        if (!e.key.empty() && same(e.key, key)) {
            value = e.value;
            return true;
        }
    return false;
}

bool AcEdIniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    std::string k = trim(key);
    if (hasLineEnd(section) || section.find(']') != std::string::npos || trim(section) != section) return false;
    if (k.empty() || k != key || hasLineEnd(k) || k.find('=') != std::string::npos || k[0] == ';' || k[0] == '#' ||
        k[0] == '[')
        return false;
    if (hasLineEnd(value)) return false;
    if (m_sections.empty()) m_sections.push_back(Section{});
    Section* s = find(section);
    if (!s) {
        m_sections.push_back(Section{section, {}});
        s = &m_sections.back();
    }
    for (Entry& e : s->entries)
        if (!e.key.empty() && same(e.key, k)) {
            e.value = value;
            return true;
        }
    s->entries.push_back(Entry{k, value});
    return true;
}

bool AcEdIniFile::remove(const std::string& section, const std::string& key) {
    Section* s = find(section);
    if (!s) return false;
    return std::erase_if(s->entries, [&](const Entry& e) { return !e.key.empty() && same(e.key, key); }) != 0;
}

bool AcEdIniFile::removeSection(const std::string& section) {
    if (section.empty()) return false;
    return std::erase_if(m_sections, [&](const Section& s) { return same(s.name, section); }) != 0;
}

std::vector<std::string> AcEdIniFile::sections() const {
    std::vector<std::string> names;
    for (const Section& s : m_sections)
        if (!s.name.empty()) names.push_back(s.name);
    return names;
}

std::vector<std::string> AcEdIniFile::keys(const std::string& section) const {
    std::vector<std::string> names;
    if (const Section* s = find(section))
        for (const Entry& e : s->entries)
            if (!e.key.empty()) names.push_back(e.key);
    return names;
}
