#include "ax/registrar.h"
#include <cctype>
#include <memory>
#include <vector>
#include <strings.h>
#include "ax/registry.h"

namespace {
struct Entry {
    enum Kind { kKey, kValue } kind = kKey;
    bool forceRemove = false, noRemove = false;
    std::string name;
    bool hasValue = false;
    std::string value;
    std::vector<Entry> children;
};

struct RootBlock {
    AxRegistry::Root root;
    std::vector<Entry> entries;
};

bool substitute(const std::string& text, const AxReplacements& replacements, std::string& out, std::string& error) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        size_t end = text.find('%', i + 1);
        if (end == std::string::npos) {
            error = "unmatched % in script";
            return false;
        }
        std::string name = text.substr(i + 1, end - i - 1);
        if (name.empty()) {
            out.push_back('%');
        } else {
            auto it = replacements.find(name);
            if (it == replacements.end()) {
                error = "no replacement for %" + name + "%";
                return false;
            }
            out += it->second;
        }
        i = end;
    }
    return true;
}

class Parser {
public:
    explicit Parser(const std::string& text) : m_text(text) {}

    bool parse(std::vector<RootBlock>& roots, std::string& error) {
        while (skipBlanks()) {
            std::string rootName;
            bool quoted;
            if (!token(rootName, quoted) || quoted) return fail("root name expected", error);
            RootBlock block;
            if (!AxRegistry::rootFromName(rootName, &block.root)) return fail("unknown root " + rootName, error);
            if (!expect('{')) return fail("{ expected after " + rootName, error);
            if (!entries(block.entries, false, error)) return false;
            roots.push_back(std::move(block));
        }
        return true;
    }

private:
    // Reads entries up to the closing brace of the block.
    bool entries(std::vector<Entry>& out, bool valuesAllowed, std::string& error) {
        for (;;) {
            if (!skipBlanks()) return fail("} expected", error);
            if (peek() == '}') {
                ++m_pos;
                return true;
            }
            Entry e;
            std::string word;
            bool quoted;
            if (!token(word, quoted)) return fail("name expected", error);
            if (!quoted && strcasecmp(word.c_str(), "val") == 0) {
                if (!valuesAllowed) return fail("a value must be inside a key", error);
                e.kind = Entry::kValue;
                if (!token(e.name, quoted)) return fail("value name expected", error);
                if (!assignment(e.value, error)) return false;
                e.hasValue = true;
                out.push_back(std::move(e));
                continue;
            }
            if (!quoted && strcasecmp(word.c_str(), "ForceRemove") == 0) {
                e.forceRemove = true;
                if (!token(word, quoted)) return fail("key name expected after ForceRemove", error);
            } else if (!quoted && strcasecmp(word.c_str(), "NoRemove") == 0) {
                e.noRemove = true;
                if (!token(word, quoted)) return fail("key name expected after NoRemove", error);
            }
            e.name = word;
            if (skipBlanks() && peek() == '=') {
                if (!assignment(e.value, error)) return false;
                e.hasValue = true;
            }
            if (skipBlanks() && peek() == '{') {
                ++m_pos;
                if (!entries(e.children, true, error)) return false;
            }
            out.push_back(std::move(e));
        }
    }

    // '=' 's' text
    bool assignment(std::string& value, std::string& error) {
        if (!expect('=')) return fail("= expected", error);
        std::string type;
        bool quoted;
        if (!token(type, quoted) || quoted || strcasecmp(type.c_str(), "s") != 0)
            return fail("only text values (s) are supported", error);
        if (!token(value, quoted) || !quoted) return fail("quoted text expected", error);
        return true;
    }

    bool token(std::string& out, bool& quoted) {
        out.clear();
        quoted = false;
        if (!skipBlanks()) return false;
        char c = peek();
        if (c == '{' || c == '}' || c == '=') return false;
        if (c == '\'') {
            quoted = true;
            for (++m_pos; m_pos < m_text.size(); ++m_pos) {
                if (m_text[m_pos] == '\'') {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                        out.push_back('\'');
                        ++m_pos;
                        continue;
                    }
                    ++m_pos;
                    return true;
                }
                out.push_back(m_text[m_pos]);
            }
            return false;  // unterminated
        }
        while (m_pos < m_text.size()) {
            c = m_text[m_pos];
            if (std::isspace(static_cast<unsigned char>(c)) || c == '{' || c == '}' || c == '=' || c == '\'') break;
            out.push_back(c);
            ++m_pos;
        }
        return !out.empty();
    }

    bool expect(char c) {
        if (!skipBlanks() || peek() != c) return false;
        ++m_pos;
        return true;
    }
    // Answers whether anything but blanks is left.
    bool skipBlanks() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
        return m_pos < m_text.size();
    }
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }
    bool fail(const std::string& message, std::string& error) {
        error = message + " at offset " + std::to_string(m_pos);
        return false;
    }

    const std::string& m_text;
    size_t m_pos = 0;
};

HRESULT registerEntries(AxRegistry& reg, AxRegistry::Root root, const std::string& parent,
                        const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        HRESULT hr = S_OK;
        if (e.kind == Entry::kValue) {
            hr = reg.setValue(root, parent, e.name, e.value);
            if (FAILED(hr)) return hr;
            continue;
        }
        std::string path = parent.empty() ? e.name : parent + "\\" + e.name;
        if (e.forceRemove) {
            hr = reg.deleteKey(root, path);
            if (FAILED(hr)) return hr;
        }
        hr = e.hasValue ? reg.setValue(root, path, "", e.value) : reg.createKey(root, path);
        if (FAILED(hr)) return hr;
        hr = registerEntries(reg, root, path, e.children);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT unregisterEntries(AxRegistry& reg, AxRegistry::Root root, const std::string& parent,
                          const std::vector<Entry>& entries) {
    HRESULT first = S_OK;
    auto note = [&first](HRESULT hr) {
        if (FAILED(hr) && SUCCEEDED(first)) first = hr;
    };
    for (const Entry& e : entries) {
        if (e.kind == Entry::kValue) {
            note(reg.deleteValue(root, parent, e.name));
            continue;
        }
        std::string path = parent.empty() ? e.name : parent + "\\" + e.name;
        if (!reg.keyExists(root, path)) continue;
        if (e.forceRemove) {
            note(reg.deleteKey(root, path));
            continue;
        }
        note(unregisterEntries(reg, root, path, e.children));
        if (e.noRemove) continue;
        std::vector<std::string> values = reg.valueNames(root, path);
        bool foreignValues = values.size() > 1 || (values.size() == 1 && !values[0].empty());
        if (reg.subkeys(root, path).empty() && !foreignValues) note(reg.deleteKey(root, path));
    }
    return first;
}
}  // namespace

HRESULT axApplyRegistryScript(const char* script, const AxReplacements& replacements, bool doRegister,
                              std::string* error) {
    std::string message;
    std::string text;
    std::vector<RootBlock> roots;
    if (!script) message = "no script";
    else if (substitute(script, replacements, text, message)) Parser(text).parse(roots, message);
    if (!message.empty()) {
        if (error) *error = message;
        return E_INVALIDARG;
    }
    AxRegistry& reg = AxRegistry::instance();
    HRESULT first = S_OK;
    for (const RootBlock& block : roots) {
        HRESULT hr = doRegister ? registerEntries(reg, block.root, "", block.entries)
                                : unregisterEntries(reg, block.root, "", block.entries);
        if (FAILED(hr)) {
            if (error && error->empty()) *error = "the registry refused a change";
            if (doRegister) return hr;
            if (SUCCEEDED(first)) first = hr;
        }
    }
    return first;
}
