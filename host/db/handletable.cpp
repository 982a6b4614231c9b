#include "db/handletable.h"
#include <cstdint>

namespace cadhost::db {

size_t HandleTable::entryOf(uint64_t number) const {
    const size_t mask = m_directory.size() - 1;
    size_t i = home(number);
    while (m_directory[i].page && m_directory[i].number != number) i = (i + 1) & mask;
    return i;
}

void HandleTable::rehash(size_t entries) {
    std::vector<Entry> old;
    old.swap(m_directory);
    m_directory.assign(entries, Entry{});
    m_shift = 64;
    for (size_t n = entries; n > 1; n >>= 1) --m_shift;
    for (const Entry& e : old)
        if (e.page) m_directory[entryOf(e.number)] = e;
}

void HandleTable::insert(uint64_t handle, AcDbStub* stub) {
    if (handle == 0 || !stub) return;
    const uint64_t number = handle >> kPageBits;
    size_t at = m_directory.empty() ? 0 : entryOf(number);
    if (m_directory.empty() || !m_directory[at].page) {
        // A new page; the directory stays at most half full.
        if ((m_pages.size() + 1) * 2 > m_directory.size()) {
            rehash(m_directory.empty() ? 64 : m_directory.size() * 2);
            at = entryOf(number);
        }
        m_pages.emplace_back();
        m_directory[at] = Entry{number, static_cast<uint32_t>(m_pages.size())};
    }
    AcDbStub*& slot = m_pages[m_directory[at].page - 1].stubs[handle & kPageMask];
    if (!slot) ++m_count;
    slot = stub;
}

bool HandleTable::erase(uint64_t handle, const AcDbStub* stub) {
    if (m_directory.empty()) return false;
    const Entry& e = m_directory[entryOf(handle >> kPageBits)];
    if (!e.page) return false;
    AcDbStub*& slot = m_pages[e.page - 1].stubs[handle & kPageMask];
    if (!slot || slot != stub) return false;
    slot = nullptr;
    --m_count;
    return true;
}

void HandleTable::reserve(size_t n) {
    const size_t pages = n / (size_t(1) << kPageBits) + 1;
    if (pages > (SIZE_MAX >> 4) / sizeof(Page)) return;
    m_pages.reserve(pages);
    size_t entries = m_directory.empty() ? 64 : m_directory.size();
    while (entries < pages * 2) entries *= 2;
    if (entries != m_directory.size()) rehash(entries);
}

void HandleTable::clear() {
    m_directory.clear();
    m_pages.clear();
    m_count = 0;
    m_shift = 64;
}

}  // namespace cadhost::db
