#pragma once
// The objects of the framework's wrappers by handle: the attached object of a handle, or a
// temporary one made for a handle that has none, kept while the handle lives.
#include <map>
#include <memory>

template <typename Handle, typename Object>
class HandleObjects {
public:
    void attach(Handle h, Object* o) {
        m_attached[h] = o;
        m_temporaries.erase(h);
    }
    void detach(Handle h) { m_attached.erase(h); }
    // alive(h) tells a live handle; temporary(h) makes a temporary object for it. Temporaries of
    // handles that are gone are dropped whenever another is made.
    template <typename Alive, typename Temporary>
    Object* find(Handle h, Alive alive, Temporary temporary) {
        if (!h || !alive(h)) return nullptr;
        auto a = m_attached.find(h);
        if (a != m_attached.end()) return a->second;
        for (auto i = m_temporaries.begin(); i != m_temporaries.end();)
            i = alive(i->first) ? std::next(i) : m_temporaries.erase(i);
        auto& slot = m_temporaries[h];
        if (!slot) slot = temporary(h);
        return slot.get();
    }

private:
    std::map<Handle, Object*> m_attached;
    std::map<Handle, std::unique_ptr<Object>> m_temporaries;
};
