#include "platform/dao/page_memory.h"

#include <sqlite3.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <mutex>

namespace dao::detail {
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Address space only: the kernel gives memory as it is touched. Past its end the C heap serves.
constexpr std::size_t kReserve = std::size_t(768) << 20;
// A 4 KB page with SQLite's header for it; other page sizes stay with the C heap.
constexpr std::size_t kSmallest = 4096 + 1, kLargest = 4096 + 1024;
constexpr std::size_t kStep = 64;
constexpr std::size_t kClasses = (kLargest - 4096) / kStep;
// Each slot starts with its class, which keeps the 8-byte alignment SQLite needs.
constexpr std::size_t kHeader = 8;

bool isPageSized(std::size_t bytes) { return bytes >= kSmallest && bytes <= kLargest; }
std::size_t classOf(std::size_t bytes) { return (bytes - kSmallest) / kStep; }
std::size_t bytesOf(std::size_t cls) { return 4096 + (cls + 1) * kStep; }

struct Region {
    std::mutex lock;
    char* begin = nullptr;
    char* end = nullptr;
    char* next = nullptr;
    std::array<void*, kClasses> freed{}; // linked through each free slot's first word

    bool holds(const void* p) const { return p >= begin && p < end; }
};

Region region;

std::size_t& classField(void* p) { return *reinterpret_cast<std::size_t*>(static_cast<char*>(p) - kHeader); }

void* take(int n) {
    const auto bytes = std::size_t(n);
    if (n > 0 && isPageSized(bytes)) {
        const std::size_t cls = classOf(bytes);
        std::lock_guard<std::mutex> hold(region.lock);
        if (void* p = region.freed[cls]) {
            region.freed[cls] = *static_cast<void**>(p);
            return p;
        }
        const std::size_t slot = kHeader + bytesOf(cls);
        if (std::size_t(region.end - region.next) >= slot) {
            void* p = region.next + kHeader;
            region.next += slot;
            classField(p) = cls;
            return p;
        }
    }
    return std::malloc(std::size_t(std::max(n, 1)));
}

void give(void* p) {
    if (!region.holds(p)) return std::free(p);
    std::lock_guard<std::mutex> hold(region.lock);
    const std::size_t cls = classField(p);
    *static_cast<void**>(p) = region.freed[cls];
    region.freed[cls] = p;
}

int sizeOf(void* p) {
    if (!p) return 0;
    return int(region.holds(p) ? bytesOf(classField(p)) : malloc_usable_size(p));
}

void* resize(void* p, int n) {
    if (!region.holds(p)) return std::realloc(p, std::size_t(std::max(n, 1)));
    void* q = take(n);
    if (q) {
        std::memcpy(q, p, std::size_t(std::min(n, sizeOf(p))));
        give(p);
    }
    return q;
}

int roundUp(int n) {
    if (n > 0 && isPageSized(std::size_t(n))) return int(bytesOf(classOf(std::size_t(n))));
    return (n + 7) & ~7;
}

int start(void*) { return SQLITE_OK; }
void stop(void*) {}

bool underMemoryChecker() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
    return true;
#endif
#endif
    return false;
}

} // namespace

void usePageMemory() {
    // A memory checker must see SQLite's buffers as the C heap's.
    if (underMemoryChecker()) return;
    void* base = mmap(nullptr, kReserve + kHugePage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return;
    const auto aligned = (reinterpret_cast<std::uintptr_t>(base) + kHugePage - 1) & ~(kHugePage - 1);
    char* begin = reinterpret_cast<char*>(aligned);
    // Without huge pages (or with them refused) the region still serves, in 4 KB pages.
    (void)madvise(begin, kReserve, MADV_HUGEPAGE);
    region.begin = region.next = begin;
    region.end = begin + kReserve;
    static const sqlite3_mem_methods methods{take, give, resize, sizeOf, roundUp, start, stop, nullptr};
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) != SQLITE_OK) {
        // SQLite already runs on the C heap: nothing was taken from the region.
        region.begin = region.next = region.end = nullptr;
        munmap(base, kReserve + kHugePage);
    }
}

} // namespace dao::detail
