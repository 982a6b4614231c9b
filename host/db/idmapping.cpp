// The source-to-clone map of a clone operation: pairs in the order they were assigned.
#include "db/idmapping.h"
#include <limits>

// The slot of a key, or the free slot where it would go; the table is never full.
size_t AcDbIdMapping::slotOf(AcDbObjectId key) const {
    const size_t mask = m_slots.size() - 1;
    // Fibonacci hashing: the high bits of the product mix every bit of the address.
    const uint64_t mixed = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key.stub())) * 0x9E3779B97F4A7C15ull;
    size_t i = static_cast<size_t>(mixed >> m_shift);
    while (m_slots[i] != 0 && m_pairs[m_slots[i] - 1].key() != key) i = (i + 1) & mask;
    return i;
}

void AcDbIdMapping::rebuildIndex(size_t slots) {
    m_slots.assign(slots, 0);
    m_shift = 64;
    for (size_t n = slots; n > 1; n >>= 1) --m_shift;
    for (size_t n = 0; n < m_pairs.size(); ++n) m_slots[slotOf(m_pairs[n].key())] = static_cast<uint32_t>(n + 1);
}

// A key is entered once; assigning it again updates its pair in place.
Acad::ErrorStatus AcDbIdMapping::assign(const AcDbIdPair& pair) {
    if (pair.key().isNull()) return Acad::eNullObjectId;
    if (!m_slots.empty()) {
        const size_t slot = slotOf(pair.key());
        if (m_slots[slot] != 0) {
            m_pairs[m_slots[slot] - 1] = pair;
            return Acad::eOk;
        }
    }
    if (m_pairs.size() >= std::numeric_limits<uint32_t>::max() - 1) return Acad::eOutOfMemory;
    m_pairs.push_back(pair);
    // At most half full.
    if (m_pairs.size() * 2 > m_slots.size()) {
        rebuildIndex(m_slots.empty() ? 16 : m_slots.size() * 2);
    } else {
        m_slots[slotOf(pair.key())] = static_cast<uint32_t>(m_pairs.size());
    }
    return Acad::eOk;
}

void AcDbIdMapping::internalReserve(size_t n) {
    if (n > std::numeric_limits<uint32_t>::max() / 4 - m_pairs.size()) return;
    const size_t total = m_pairs.size() + n;
    m_pairs.reserve(total);
    size_t slots = m_slots.empty() ? 16 : m_slots.size();
    while (total * 2 > slots) slots *= 2;
    if (slots != m_slots.size()) rebuildIndex(slots);
}

bool AcDbIdMapping::compute(AcDbIdPair& pair) const {
    if (m_slots.empty()) return false;
    const uint32_t at = m_slots[slotOf(pair.key())];
    if (at == 0) return false;
    pair = m_pairs[at - 1];
    return true;
}

bool AcDbIdMapping::change(const AcDbIdPair& pair) {
    if (m_slots.empty()) return false;
    const uint32_t at = m_slots[slotOf(pair.key())];
    if (at == 0) return false;
    m_pairs[at - 1] = pair;
    return true;
}

bool AcDbIdMapping::del(AcDbObjectId key) {
    if (m_slots.empty()) return false;
    const uint32_t at = m_slots[slotOf(key)];
    if (at == 0) return false;
    m_pairs.erase(m_pairs.begin() + static_cast<std::ptrdiff_t>(at - 1));
    rebuildIndex(m_slots.size());
    return true;
}
