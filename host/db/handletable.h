#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "rx/export.h"

struct AcDbStub;

namespace cadhost::db {

// The database's handle-to-stub map. Handles come in dense runs, so stubs are kept in pages of
// 16 consecutive handles: neighbouring handles share a page and pages are made in handle order,
// which keeps a walk over new objects in cache. A directory finds a page by its number
// (open addressing, Fibonacci hash, at most half full, so any pattern of handles a file may
// hold costs short probes). Pages are never given back before clear().
class CADHOST_API HandleTable {
public:
    AcDbStub* find(uint64_t handle) const {
        const Page* page = pageOf(handle >> kPageBits);
        return page ? page->stubs[handle & kPageMask] : nullptr;
    }
    bool contains(uint64_t handle) const { return find(handle) != nullptr; }
    // Enters the stub under its handle, replacing what was there. Handle 0 is never entered.
    void insert(uint64_t handle, AcDbStub* stub);
    // Removes the handle when it maps to that stub.
    bool erase(uint64_t handle, const AcDbStub* stub);
    // Room for n dense handles without regrowing.
    void reserve(size_t n);
    void clear();
    size_t size() const { return m_count; }

private:
    static constexpr unsigned kPageBits = 4;
    static constexpr uint64_t kPageMask = (uint64_t(1) << kPageBits) - 1;
    struct Page {
        AcDbStub* stubs[size_t(1) << kPageBits] = {};
    };
    struct Entry {
        uint64_t number = 0;
        uint32_t page = 0;  // index into m_pages plus one; 0: free
    };
    size_t home(uint64_t number) const {
        return static_cast<size_t>((number * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    // The directory entry of a page number, or the free entry where it would go.
    size_t entryOf(uint64_t number) const;
    const Page* pageOf(uint64_t number) const {
        if (m_directory.empty()) return nullptr;
        const Entry& e = m_directory[entryOf(number)];
        return e.page ? &m_pages[e.page - 1] : nullptr;
    }
    void rehash(size_t entries);

    std::vector<Entry> m_directory;
    std::vector<Page> m_pages;
    size_t m_count = 0;
    unsigned m_shift = 64;
};

}  // namespace cadhost::db
