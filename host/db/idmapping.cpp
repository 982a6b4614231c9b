// The source-to-clone map of a clone operation: pairs in the order they were assigned.
#include "db/idmapping.h"

// A key is entered once; assigning it again updates its pair in place.
Acad::ErrorStatus AcDbIdMapping::assign(const AcDbIdPair& pair) {
    if (pair.key().isNull()) return Acad::eNullObjectId;
    if (auto it = m_index.find(pair.key()); it != m_index.end()) {
        m_pairs[it->second] = pair;
        return Acad::eOk;
    }
    m_index.emplace(pair.key(), m_pairs.size());
    m_pairs.push_back(pair);
    return Acad::eOk;
}

bool AcDbIdMapping::compute(AcDbIdPair& pair) const {
    auto it = m_index.find(pair.key());
    if (it == m_index.end()) return false;
    pair = m_pairs[it->second];
    return true;
}

bool AcDbIdMapping::change(const AcDbIdPair& pair) {
    auto it = m_index.find(pair.key());
    if (it == m_index.end()) return false;
    m_pairs[it->second] = pair;
    return true;
}

bool AcDbIdMapping::del(AcDbObjectId key) {
    auto it = m_index.find(key);
    if (it == m_index.end()) return false;
    const size_t at = it->second;
    m_index.erase(it);
    m_pairs.erase(m_pairs.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& entry : m_index)
        if (entry.second > at) --entry.second;
    return true;
}
