// Global memory blocks: each handle owns one zeroed or uninitialised buffer; a fixed block's
// handle is its address, as on the platform.
#include "win/globalmemory.h"
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

namespace {

constexpr SIZE_T kMaxBlock = SIZE_T(1) << 30;

struct Block {
    std::unique_ptr<unsigned char[]> data;
    SIZE_T size = 0;
    int locks = 0;
};

struct Blocks {
    std::mutex mutex;
    std::map<HGLOBAL, Block> byHandle;
    std::map<std::uintptr_t, HGLOBAL> byAddress;  // start of the bytes -> handle
};

Blocks& blocks() {
    static Blocks b;
    return b;
}

Block* find(HGLOBAL h) {
    auto it = blocks().byHandle.find(h);
    return it == blocks().byHandle.end() ? nullptr : &it->second;
}

// Movable handles are tokens that no pointer can equal.
HGLOBAL nextToken() {
    static std::uintptr_t counter = 0;
    return reinterpret_cast<HGLOBAL>((++counter << 4) | 0x1);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (bytes > kMaxBlock) return nullptr;
    Block b;
    b.size = bytes;
    // One byte at least, so that every block has its own address.
    b.data.reset(new (std::nothrow) unsigned char[bytes ? bytes : 1]);
    if (!b.data) return nullptr;
    if (flags & GMEM_ZEROINIT) std::memset(b.data.get(), 0, bytes ? bytes : 1);
    std::lock_guard lock(blocks().mutex);
    HGLOBAL h = (flags & GMEM_MOVEABLE) ? nextToken() : static_cast<HGLOBAL>(b.data.get());
    blocks().byAddress[reinterpret_cast<std::uintptr_t>(b.data.get())] = h;
    blocks().byHandle.emplace(h, std::move(b));
    return h;
}

LPVOID GlobalLock(HGLOBAL h) {
    std::lock_guard lock(blocks().mutex);
    Block* b = find(h);
    if (!b) return nullptr;
    ++b->locks;
    return b->data.get();
}

BOOL GlobalUnlock(HGLOBAL h) {
    std::lock_guard lock(blocks().mutex);
    Block* b = find(h);
    if (!b || b->locks == 0) return FALSE;
    return --b->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL h) {
    std::lock_guard lock(blocks().mutex);
    Block* b = find(h);
    return b ? b->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL h) {
    std::lock_guard lock(blocks().mutex);
    auto it = blocks().byHandle.find(h);
    if (it == blocks().byHandle.end()) return h;
    blocks().byAddress.erase(reinterpret_cast<std::uintptr_t>(it->second.data.get()));
    blocks().byHandle.erase(it);
    return nullptr;
}

std::size_t cadhostMemoryExtent(const void* p) {
    std::lock_guard lock(blocks().mutex);
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    auto it = blocks().byAddress.upper_bound(at);
    if (it == blocks().byAddress.begin()) return SIZE_MAX;
    --it;
    const Block* b = find(it->second);
    // A pointer just past the end still belongs to the block: nothing is left after it.
    if (!b || at > it->first + b->size) return SIZE_MAX;
    return it->first + b->size - at;
}
