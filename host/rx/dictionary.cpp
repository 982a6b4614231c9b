#include "rx/dictionary.h"

ACRX_DEFINE_MEMBERS_IMPL(AcRxDictionary)
ACRX_RXINIT_IMPL(AcRxDictionary, AcRxObject, 0, 0, 0, nullptr, "", "AutoCAD")
ACRX_DEFINE_MEMBERS_IMPL(AcRxService)
ACRX_RXINIT_IMPL(AcRxService, AcRxObject, 0, 0, 0, ACRX_CONS_OF(AcRxService), "", "AutoCAD")

AcRxDictionary::~AcRxDictionary() {
    if (m_owns)
        for (auto& [key, object] : m_entries) delete object;
}

AcRxObject* AcRxDictionary::at(const char* key) const {
    if (!key) return nullptr;
    auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const char* key, AcRxObject* object) {
    if (!key) return nullptr;
    auto [it, inserted] = m_entries.try_emplace(key, object);
    if (inserted) return nullptr;
    AcRxObject* previous = it->second;
    it->second = object;
    return previous;
}

AcRxObject* AcRxDictionary::remove(const char* key) {
    if (!key) return nullptr;
    auto it = m_entries.find(key);
    if (it == m_entries.end()) return nullptr;
    AcRxObject* object = it->second;
    m_entries.erase(it);
    return object;
}

AcRxDictionaryIterator* AcRxDictionary::newIterator() const { return new AcRxDictionaryIterator(this); }

namespace {
// The registry lives for the whole process; it is never destroyed so that classes registered by
// static initialisers stay valid until exit.
AcRxDictionary& registry() {
    static AcRxDictionary* reg = [] {
        auto* r = new AcRxDictionary(true);
        r->atPut(ACRX_CLASS_DICTIONARY, new AcRxDictionary(false));
        r->atPut(ACRX_SERVICE_DICTIONARY, new AcRxDictionary(true));
        return r;
    }();
    return *reg;
}
}  // namespace

AcRxDictionary* acrxSysRegistry() { return &registry(); }
AcRxDictionary* acrxClassDictionary() {
    return static_cast<AcRxDictionary*>(registry().at(ACRX_CLASS_DICTIONARY));
}
AcRxDictionary* acrxServiceDictionary() {
    return static_cast<AcRxDictionary*>(registry().at(ACRX_SERVICE_DICTIONARY));
}

AcRxObject* acrxRegisterService(const char* serviceName) {
    AcRxDictionary* services = acrxServiceDictionary();
    if (AcRxObject* existing = services->at(serviceName)) return existing;
    auto* service = new AcRxService();
    services->atPut(serviceName, service);
    return service;
}

bool acrxServiceIsRegistered(const char* serviceName) { return acrxServiceDictionary()->has(serviceName); }
