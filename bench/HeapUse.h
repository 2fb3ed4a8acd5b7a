// What the process's heaps hold: every heap walked, the live blocks summed. Benchmarks compare it
// before and after building something.
#pragma once
#include "WinApi.h"

inline long long HeapBytesInUse() {
    HANDLE heaps[256];
    DWORD n = GetProcessHeaps(256, heaps);
    long long total = 0;
    for (DWORD i = 0; i < n && i < 256; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY e{};
        while (HeapWalk(heaps[i], &e))
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += e.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}
