// Memory of database objects. A drawing read makes hundreds of thousands of small objects
// at once and its database frees them together: they come from size classes carved out
// of 2 MB chunks the kernel may back with huge pages (a page fault per chunk rather than
// per 4 KB), and a freed block is reused by the next block of its size. Chunks are kept
// for the process's life. Sanitizer builds use the global heap, so that a use of a deleted
// object or a leaked one is still reported.
#include <dbmain.h>
#include <sys/mman.h>

#include <cstdint>
#include <mutex>
#include <new>
#include <vector>

#include "host_state.h"

#if defined(__SANITIZE_ADDRESS__)
#define KORV_POOLED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORV_POOLED 0
#endif
#endif
#ifndef KORV_POOLED
#define KORV_POOLED 1
#endif

namespace korv_host {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

size_t round_up(size_t bytes, size_t to) {
    return (bytes + to - 1) / to * to;
}

// Mapped on a huge-page boundary, the condition for the kernel to use huge pages.
void* take_huge(size_t bytes) {
    const size_t size = round_up(bytes, kHugePage);
    void* raw =
        mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<char*>(raw);
    auto* aligned =
        reinterpret_cast<char*>(round_up(reinterpret_cast<uintptr_t>(start), kHugePage));
    if (aligned > start) munmap(start, static_cast<size_t>(aligned - start));
    char* const end = start + size + kHugePage;
    if (aligned + size < end) munmap(aligned + size, static_cast<size_t>(end - aligned - size));
    madvise(aligned, size, MADV_HUGEPAGE);
    return aligned;
}

#if KORV_POOLED
// Sizes in steps of 8: an object whose size is no multiple of 16 has nothing aligned on 16
// (a type's size is a multiple of its alignment), and the others are carved on 16.
constexpr size_t kGrain = 8;
constexpr size_t kLargest = 512;

class Pool {
public:
    void* take(size_t bytes) {
        std::lock_guard<std::mutex> lock(mMutex);
        const size_t index = class_of(bytes);
        if (FreeBlock* block = mFree[index]) {
            mFree[index] = block->next;
            return block;
        }
        const size_t size = (index + 1) * kGrain;
        if (size % 16 == 0) mNext += reinterpret_cast<uintptr_t>(mNext) % 16;
        if (mNext > mEnd || static_cast<size_t>(mEnd - mNext) < size) {
            mNext = static_cast<char*>(take_huge(kHugePage));
            mEnd = mNext + kHugePage;
        }
        void* block = mNext;
        mNext += size;
        return block;
    }
    void give_back(void* block, size_t bytes) {
        std::lock_guard<std::mutex> lock(mMutex);
        const size_t index = class_of(bytes);
        mFree[index] = new (block) FreeBlock{mFree[index]};
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    static size_t class_of(size_t bytes) { return bytes == 0 ? 0 : (bytes - 1) / kGrain; }
    std::mutex mMutex;
    FreeBlock* mFree[kLargest / kGrain] = {};
    char* mNext = nullptr;
    char* mEnd = nullptr;
};

Pool& pool() {
    static auto& instance = *new Pool;  // outlives every static database
    return instance;
}
#endif

// Arrays this large (a read's indexes) get huge pages of their own; smaller ones, and all
// under a sanitizer, come from the global heap.
constexpr size_t kLargeFrom = 2 * kHugePage;

}  // namespace

void* take_large(size_t bytes) {
    return KORV_POOLED && bytes >= kLargeFrom ? take_huge(bytes) : ::operator new(bytes);
}

void give_back_large(void* block, size_t bytes) noexcept {
    if (KORV_POOLED && bytes >= kLargeFrom) {
        if (block != nullptr) munmap(block, round_up(bytes, kHugePage));
    } else {
        ::operator delete(block);
    }
}

void* take_pooled(size_t bytes) {
#if KORV_POOLED
    if (bytes <= kLargest) return pool().take(bytes);
#endif
    return ::operator new(bytes);
}

void give_back_pooled(void* block, [[maybe_unused]] size_t bytes) noexcept {
    if (block == nullptr) return;
#if KORV_POOLED
    if (bytes <= kLargest) return pool().give_back(block, bytes);
#endif
    ::operator delete(block);
}

void* take_kept(size_t bytes) {
#if KORV_POOLED
    return take_pooled(bytes);
#else
    static auto& kept = *new std::vector<char*>;  // keeps them reachable to the end
    return kept.emplace_back(new char[bytes]);
#endif
}

}  // namespace korv_host

void* AcDbObject::operator new(size_t size) {
    return korv_host::take_pooled(size);
}

void AcDbObject::operator delete(void* block, size_t size) {
    korv_host::give_back_pooled(block, size);
}
