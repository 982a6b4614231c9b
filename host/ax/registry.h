#pragma once
// The host's system registry: a tree of keys holding named text values, one tree per root.
// It is kept in memory for the life of the process (nothing is read from or written to disk),
// so every run starts empty and tests can look at exactly what a module wrote.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "ax/comtypes.h"

class CADHOST_API AxRegistry {
public:
    enum Root { kClassesRoot = 0, kLocalMachine = 1, kCurrentUser = 2 };
    static AxRegistry& instance();

    // Paths are key names separated by backslashes, below the root ("" is the root itself).
    // Key and value names compare without regard to case and keep the case they were made with.
    // The value named "" is the key's default value.
    HRESULT createKey(Root root, const std::string& path);
    // Creates the missing keys of the path.
    HRESULT setValue(Root root, const std::string& path, const std::string& name, const std::string& value);
    HRESULT deleteValue(Root root, const std::string& path, const std::string& name);
    // Deletes the key with everything beneath it; the root itself cannot be deleted.
    HRESULT deleteKey(Root root, const std::string& path);

    bool keyExists(Root root, const std::string& path) const;
    // Answers whether the value exists; copies it when out is not null.
    bool value(Root root, const std::string& path, const std::string& name, std::string* out = nullptr) const;
    std::vector<std::string> subkeys(Root root, const std::string& path) const;
    // Names of the key's values, the default value ("") included when it is set.
    std::vector<std::string> valueNames(Root root, const std::string& path) const;

    // While set, every change is refused with E_ACCESSDENIED (a registry the user may not write).
    void setWritesRefused(bool refused);
    bool writesRefused() const;
    // Empties every root.
    void clear();
    // One line per key and value, for messages: "HKCR\\CLSID\\{...}" and "  name = value".
    std::string dump() const;

    // "HKCR", "HKLM", "HKCU" or the long names (HKEY_CLASSES_ROOT, ...), in any case.
    static bool rootFromName(const std::string& name, Root* root);
    static const char* rootName(Root root);

private:
    AxRegistry();
    struct Node;
    Node* find(Root root, const std::string& path) const;
    Node* make(Root root, const std::string& path);
    mutable std::mutex m_mutex;
    std::unique_ptr<Node> m_roots[3];
    bool m_refused = false;
};
