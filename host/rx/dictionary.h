#pragma once
#include <map>
#include <string>
#include "rx/rxclass.h"

class AcRxDictionaryIterator;

// Name-keyed dictionary of runtime objects. The dictionary owns what it holds unless told not to.
class CADHOST_API AcRxDictionary : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxDictionary);
    explicit AcRxDictionary(bool ownsEntries = true) : m_owns(ownsEntries) {}
    ~AcRxDictionary() override;

    AcRxObject* at(const char* key) const;
    // Stores the object under the key and answers the object it replaced (caller owns it), or null.
    AcRxObject* atPut(const char* key, AcRxObject* object);
    // Takes the entry out without deleting it; answers it.
    AcRxObject* remove(const char* key);
    bool has(const char* key) const { return at(key) != nullptr; }
    int numEntries() const { return static_cast<int>(m_entries.size()); }
    AcRxDictionaryIterator* newIterator() const;

private:
    friend class AcRxDictionaryIterator;
    std::map<std::string, AcRxObject*> m_entries;
    bool m_owns;
};

class CADHOST_API AcRxDictionaryIterator {
public:
    explicit AcRxDictionaryIterator(const AcRxDictionary* d) : m_dict(d), m_it(d->m_entries.begin()) {}
    bool done() const { return m_it == m_dict->m_entries.end(); }
    void next() { ++m_it; }
    const char* key() const { return m_it->first.c_str(); }
    AcRxObject* object() const { return m_it->second; }

private:
    const AcRxDictionary* m_dict;
    std::map<std::string, AcRxObject*>::const_iterator m_it;
};

// A named service object of a module, kept in the service dictionary.
class CADHOST_API AcRxService : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcRxService);
    AcRxService() = default;
};

CADHOST_API AcRxDictionary* acrxSysRegistry();
CADHOST_API AcRxDictionary* acrxClassDictionary();
CADHOST_API AcRxDictionary* acrxServiceDictionary();
CADHOST_API AcRxObject* acrxRegisterService(const char* serviceName);
CADHOST_API bool acrxServiceIsRegistered(const char* serviceName);

#define ACRX_CLASS_DICTIONARY "ClassDictionary"
#define ACRX_SERVICE_DICTIONARY "ServiceDictionary"
