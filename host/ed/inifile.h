#pragma once
// An INI file: sections of "key=value" lines. Names compare without regard to case; the order
// of sections, entries and comment lines is kept.
#include <string>
#include <vector>
#include "rx/export.h"

class CADHOST_API AcEdIniFile {
public:
    void parse(const std::string& text);
    std::string text() const;
    // A missing file reads as empty (true); false with a message when it cannot be read.
    bool load(const std::string& path, std::string* error = nullptr);
    // Writes a temporary file beside the target and renames it over the target, making the
    // folder first when needed.
    bool save(const std::string& path, std::string* error = nullptr) const;

    bool get(const std::string& section, const std::string& key, std::string& value) const;
    // False for a name or value that the file cannot hold (line ends, "]" in a section name,
    // "=" in a key).
    bool set(const std::string& section, const std::string& key, const std::string& value);
    bool remove(const std::string& section, const std::string& key);
    bool removeSection(const std::string& section);
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(const std::string& section) const;

private:
    struct Entry {
        std::string key;  // empty: a comment or blank line kept as it is (in value)
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    Section* find(const std::string& name);
    const Section* find(const std::string& name) const;
    std::vector<Section> m_sections;
};
