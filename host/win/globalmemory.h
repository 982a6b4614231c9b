#pragma once
// Global memory blocks of the platform: allocated, locked to a pointer, sized and freed by handle.
#include <cstddef>
#include "win/windef.h"

constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040,
    GHND = GMEM_MOVEABLE | GMEM_ZEROINIT, GPTR = GMEM_FIXED | GMEM_ZEROINIT;
typedef std::size_t SIZE_T;

// Null when the size is beyond what one block may take (1 GiB) or cannot be had.
CADHOST_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's bytes; every lock is undone by one GlobalUnlock. Null for a handle that is none.
CADHOST_API LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block stays locked.
CADHOST_API BOOL GlobalUnlock(HGLOBAL block);
CADHOST_API SIZE_T GlobalSize(HGLOBAL block);
// Null on success, the handle when it is none.
CADHOST_API HGLOBAL GlobalFree(HGLOBAL block);

// Host side: the bytes from p to the end of the live global block that holds p; SIZE_MAX when p
// lies in no block (the caller vouches for its own buffers then).
CADHOST_API std::size_t cadhostMemoryExtent(const void* p);
