// big_buffer.cpp — the large-page advice for big lists, and freed heap memory handed back.
#include "big_buffer.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace korvel {

void AdviseLargePages(void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kLarge = std::uintptr_t{1} << 21;
    if (data == nullptr || bytes < 4 * kLarge) return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

namespace {
std::atomic<std::size_t> giveBacks{0};
}  // namespace

void GiveBackFreeHeap() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    giveBacks.fetch_add(1, std::memory_order_relaxed);
}

std::size_t FreeHeapGiveBacks() { return giveBacks.load(std::memory_order_relaxed); }

}  // namespace korvel
