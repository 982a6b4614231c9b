#include "db/handletable.h"
#include <algorithm>
#include <cstdint>

namespace cadhost::db {

size_t HandleTable::entryOf(uint64_t number) const {
    const size_t mask = m_sparse.size() - 1;
    size_t i = home(number);
    while (m_sparse[i].page && m_sparse[i].number != number) i = (i + 1) & mask;
    return i;
}

void HandleTable::rehash(size_t entries) {
    std::vector<Entry> old;
    old.swap(m_sparse);
    m_sparse.assign(entries, Entry{});
    m_shift = 64;
    for (size_t n = entries; n > 1; n >>= 1) --m_shift;
    m_sparsePages = 0;
    for (const Entry& e : old) {
        if (!e.page) continue;
        if (e.number < m_dense.size()) {
            m_dense[static_cast<size_t>(e.number)] = e.page;
        } else {
            m_sparse[entryOf(e.number)] = e;
            ++m_sparsePages;
        }
    }
}

// The array covers the number when it stays at least about half full of pages; pages the
// directory held below its new end move into it.
void HandleTable::growDense(uint64_t number) {
    const size_t size = std::max(m_dense.size() * 2, static_cast<size_t>(number) + 1);
    m_dense.resize(size, 0);
    if (m_sparsePages) rehash(m_sparse.size());
}

uint32_t HandleTable::newPage(uint64_t number) {
    m_pages.emplace_back();
    const auto page = static_cast<uint32_t>(m_pages.size());
    if (number >= m_dense.size() && number < 2 * uint64_t(m_pages.size()) + kDenseSlack) growDense(number);
    if (number < m_dense.size()) {
        m_dense[static_cast<size_t>(number)] = page;
        return page;
    }
    if ((m_sparsePages + 1) * 2 > m_sparse.size()) rehash(m_sparse.empty() ? 64 : m_sparse.size() * 2);
    m_sparse[entryOf(number)] = Entry{number, page};
    ++m_sparsePages;
    return page;
}

void HandleTable::insert(uint64_t handle, AcDbStub* stub) {
    if (handle == 0 || !stub) return;
    const uint64_t number = handle >> kPageBits;
    uint32_t page = pageOf(number);
    if (!page) page = newPage(number);
    AcDbStub*& slot = m_pages[page - 1].stubs[handle & kPageMask];
    if (!slot) ++m_count;
    slot = stub;
}

bool HandleTable::erase(uint64_t handle, const AcDbStub* stub) {
    const uint32_t page = pageOf(handle >> kPageBits);
    if (!page) return false;
    AcDbStub*& slot = m_pages[page - 1].stubs[handle & kPageMask];
    if (!slot || slot != stub) return false;
    slot = nullptr;
    --m_count;
    return true;
}

void HandleTable::reserve(size_t n) {
    const size_t pages = n / (size_t(1) << kPageBits) + 1;
    if (pages > (SIZE_MAX >> 4) / sizeof(Page)) return;
    m_pages.reserve(pages);
    m_dense.reserve(2 * pages + kDenseSlack);
}

void HandleTable::clear() {
    m_dense.clear();
    m_sparse.clear();
    m_pages.clear();
    m_count = 0;
    m_sparsePages = 0;
    m_shift = 64;
}

}  // namespace cadhost::db
