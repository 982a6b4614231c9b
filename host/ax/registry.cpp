#include "ax/registry.h"
#include <strings.h>

namespace {
struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}
}  // namespace

struct AxRegistry::Node {
    std::map<std::string, std::unique_ptr<Node>, CaseLess> keys;
    std::map<std::string, std::string, CaseLess> values;
};

AxRegistry::AxRegistry() {
    for (auto& root : m_roots) root = std::make_unique<Node>();
}

AxRegistry& AxRegistry::instance() {
    // Never destroyed: modules may still look things up while the process ends.
    static AxRegistry* registry = new AxRegistry;
    return *registry;
}

AxRegistry::Node* AxRegistry::find(Root root, const std::string& path) const {
    if (root < kClassesRoot || root > kCurrentUser) return nullptr;
    Node* node = m_roots[root].get();
    for (const std::string& part : splitPath(path)) {
        auto it = node->keys.find(part);
        if (it == node->keys.end()) return nullptr;
        node = it->second.get();
    }
    return node;
}

AxRegistry::Node* AxRegistry::make(Root root, const std::string& path) {
    if (root < kClassesRoot || root > kCurrentUser) return nullptr;
    Node* node = m_roots[root].get();
    for (const std::string& part : splitPath(path)) {
        auto& child = node->keys[part];
        if (!child) child = std::make_unique<Node>();
        node = child.get();
    }
    return node;
}

HRESULT AxRegistry::createKey(Root root, const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_refused) return E_ACCESSDENIED;
    return make(root, path) ? S_OK : E_INVALIDARG;
}

HRESULT AxRegistry::setValue(Root root, const std::string& path, const std::string& name, const std::string& value) {
    std::lock_guard lock(m_mutex);
    if (m_refused) return E_ACCESSDENIED;
    Node* node = make(root, path);
    if (!node) return E_INVALIDARG;
    node->values[name] = value;
    return S_OK;
}

HRESULT AxRegistry::deleteValue(Root root, const std::string& path, const std::string& name) {
    std::lock_guard lock(m_mutex);
    if (m_refused) return E_ACCESSDENIED;
    Node* node = find(root, path);
    if (!node || node->values.erase(name) == 0) return S_FALSE;
    return S_OK;
}

HRESULT AxRegistry::deleteKey(Root root, const std::string& path) {
    std::lock_guard lock(m_mutex);
    if (m_refused) return E_ACCESSDENIED;
    std::vector<std::string> parts = splitPath(path);
    if (parts.empty()) return E_INVALIDARG;
    std::string last = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const std::string& p : parts) parentPath += p + "\\";
    Node* parent = find(root, parentPath);
    if (!parent || parent->keys.erase(last) == 0) return S_FALSE;
    return S_OK;
}

bool AxRegistry::keyExists(Root root, const std::string& path) const {
    std::lock_guard lock(m_mutex);
    return find(root, path) != nullptr;
}

bool AxRegistry::value(Root root, const std::string& path, const std::string& name, std::string* out) const {
    std::lock_guard lock(m_mutex);
    Node* node = find(root, path);
    if (!node) return false;
    auto it = node->values.find(name);
    if (it == node->values.end()) return false;
    if (out) *out = it->second;
    return true;
}

std::vector<std::string> AxRegistry::subkeys(Root root, const std::string& path) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    if (Node* node = find(root, path))
        for (const auto& [name, child] : node->keys) names.push_back(name);
    return names;
}

std::vector<std::string> AxRegistry::valueNames(Root root, const std::string& path) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> names;
    if (Node* node = find(root, path))
        for (const auto& [name, value] : node->values) names.push_back(name);
    return names;
}

void AxRegistry::setWritesRefused(bool refused) {
    std::lock_guard lock(m_mutex);
    m_refused = refused;
}

bool AxRegistry::writesRefused() const {
    std::lock_guard lock(m_mutex);
    return m_refused;
}

void AxRegistry::clear() {
    std::lock_guard lock(m_mutex);
    for (auto& root : m_roots) root = std::make_unique<Node>();
}

std::string AxRegistry::dump() const {
    std::lock_guard lock(m_mutex);
    std::string out;
    struct Walker {
        static void walk(const Node* node, const std::string& path, std::string& out) {
            out += path + "\n";
            for (const auto& [name, value] : node->values) out += "  " + (name.empty() ? "@" : name) + " = " + value + "\n";
            for (const auto& [name, child] : node->keys) walk(child.get(), path + "\\" + name, out);
        }
    };
    for (int r = kClassesRoot; r <= kCurrentUser; ++r)
        Walker::walk(m_roots[r].get(), rootName(static_cast<Root>(r)), out);
    return out;
}

bool AxRegistry::rootFromName(const std::string& name, Root* root) {
    static const struct {
        const char* shortName;
        const char* longName;
        Root root;
    } roots[] = {{"HKCR", "HKEY_CLASSES_ROOT", kClassesRoot},
                 {"HKLM", "HKEY_LOCAL_MACHINE", kLocalMachine},
                 {"HKCU", "HKEY_CURRENT_USER", kCurrentUser}};
    for (const auto& r : roots)
        if (strcasecmp(name.c_str(), r.shortName) == 0 || strcasecmp(name.c_str(), r.longName) == 0) {
            if (root) *root = r.root;
            return true;
        }
    return false;
}

const char* AxRegistry::rootName(Root root) {
    switch (root) {
    case kClassesRoot: return "HKCR";
    case kLocalMachine: return "HKLM";
    case kCurrentUser: return "HKCU";
    }
    return "";
}
