#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>
#include "rx/export.h"

struct AcDbStub;

namespace cadhost::db {

// The database's handle-to-stub map. Handles come in dense runs, so stubs are kept in pages of
// 16 consecutive handles, made in the order handles arrive. A page is found by its number: in a
// plain array for the low numbers, which grows while the pages fill at least half of it (every
// drawing's run from handle 1); a number past it goes to a directory with open addressing and a
// Fibonacci hash (at most half full), so any pattern of handles a file may hold costs short
// probes and memory in proportion to its objects. Pages are never given back before clear().
class CADHOST_API HandleTable {
public:
    AcDbStub* find(uint64_t handle) const {
        const uint32_t page = pageOf(handle >> kPageBits);
        return page ? m_pages[page - 1].stubs[handle & kPageMask] : nullptr;
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
    static constexpr uint64_t kDenseSlack = 256;  // page numbers the array covers beyond twice the pages
    struct Page {
        AcDbStub* stubs[size_t(1) << kPageBits] = {};
    };
    struct Entry {
        uint64_t number = 0;
        uint32_t page = 0;  // index into m_pages plus one; 0: free
    };
    // The page of a number (index plus one), 0 when there is none.
    uint32_t pageOf(uint64_t number) const {
        if (number < m_dense.size()) return m_dense[static_cast<size_t>(number)];
        return m_sparse.empty() ? 0 : m_sparse[entryOf(number)].page;
    }
    size_t home(uint64_t number) const {
        return static_cast<size_t>((number * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    // The directory entry of a page number, or the free entry where it would go.
    size_t entryOf(uint64_t number) const;
    uint32_t newPage(uint64_t number);
    void growDense(uint64_t number);
    void rehash(size_t entries);

    std::vector<uint32_t> m_dense;  // page index plus one by page number
    std::vector<Entry> m_sparse;    // pages whose numbers lie past m_dense
    std::vector<Page> m_pages;
    size_t m_count = 0;
    size_t m_sparsePages = 0;
    unsigned m_shift = 64;
};

}  // namespace cadhost::db
