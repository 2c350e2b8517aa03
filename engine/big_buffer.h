// big_buffer.h — lists of millions of entries kept from one build to the next: room to grow, large pages.
#pragma once

#include <cstddef>
#include <vector>

namespace korvel {

// Asks the system for large pages over [data, data + bytes) before it is first touched: a few hundred
// faults instead of tens of thousands where the system offers them on request. Only advice.
void AdviseLargePages(void* data, std::size_t bytes);

// Hands the heap's free pages back to the system. glibc unmaps a big block when it is freed, but keeps
// the pages of freed small blocks (the rows of a grid) wherever a block still in use lies above them, so
// a model that became much smaller would otherwise go on holding what its big predecessor needed. The
// walk over the free blocks takes milliseconds after a big model (about 10 ms after a 2000 x 2000 grid):
// only for the rare build that ends far smaller than the model was. Does nothing outside glibc.
void GiveBackFreeHeap();

// How often GiveBackFreeHeap ran in this process.
std::size_t FreeHeapGiveBacks();

// Makes room for count entries in a list whose old contents are not needed. A list far bigger than asked
// for gives its memory back; one that must grow is dropped rather than copied (copying touches every page
// before the advice can apply) and gets an eighth to spare, so that a model growing step by step (a
// subdivision slider dragged up) reallocates only every few steps.
template <class T>
void ReserveWithRoom(std::vector<T>& v, std::size_t count) {
    if (v.capacity() > 2 * count) std::vector<T>().swap(v);
    if (v.capacity() >= count) return;
    std::vector<T>().swap(v);
    const std::size_t room = count + count / 8;
    v.reserve(room);
    AdviseLargePages(v.data(), room * sizeof(T));
}

}  // namespace korvel
