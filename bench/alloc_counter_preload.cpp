// Preloaded into a whole program (LD_PRELOAD) to count its heap allocations per thread:
// every malloc, calloc, realloc and aligned allocation (operator new ends in malloc). At exit
// it writes one line per thread to the file named by TARVISK_ALLOC_REPORT:
//   <thread id> <allocations> <bytes> <allocations of 1 MB or more>
// The counters live in a fixed table, so counting allocates nothing itself.

#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {

constexpr int MaxThreads = 512;
constexpr size_t LargeBytes = 1 << 20;

struct ThreadCount {
    std::atomic<long> tid{0};
    std::atomic<long> allocations{0};
    std::atomic<long> bytes{0};
    std::atomic<long> large{0};
};

ThreadCount table[MaxThreads];
std::atomic<int> used{0};
__attribute__((tls_model("initial-exec"))) thread_local ThreadCount* mine = nullptr;

ThreadCount* Mine() {
    if (mine)
        return mine;
    const int slot = used.fetch_add(1, std::memory_order_relaxed);
    if (slot >= MaxThreads)
        return nullptr;
    table[slot].tid.store(static_cast<long>(::syscall(SYS_gettid)), std::memory_order_relaxed);
    mine = &table[slot];
    return mine;
}

void Count(size_t size) {
    ThreadCount* c = Mine();
    if (!c)
        return;
    c->allocations.fetch_add(1, std::memory_order_relaxed);
    c->bytes.fetch_add(static_cast<long>(size), std::memory_order_relaxed);
    if (size >= LargeBytes)
        c->large.fetch_add(1, std::memory_order_relaxed);
}

__attribute__((destructor)) void Report() {
    const char* path = std::getenv("TARVISK_ALLOC_REPORT");
    if (!path)
        return;
    FILE* f = std::fopen(path, "w");
    if (!f)
        return;
    const int n = std::min(used.load(), MaxThreads);
    for (int i = 0; i < n; ++i)
        std::fprintf(f, "%ld %ld %ld %ld\n", table[i].tid.load(), table[i].allocations.load(),
                     table[i].bytes.load(), table[i].large.load());
    std::fclose(f);
}

}  // namespace

extern "C" {

void* malloc(size_t size) {
    Count(size);
    return __libc_malloc(size);
}

void* calloc(size_t n, size_t size) {
    Count(n * size);
    return __libc_calloc(n, size);
}

void* realloc(void* p, size_t size) {
    Count(size);
    return __libc_realloc(p, size);
}

void free(void* p) {
    __libc_free(p);
}

void* memalign(size_t alignment, size_t size) {
    Count(size);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    Count(size);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
    Count(size);
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return 12;  // ENOMEM
    *out = p;
    return 0;
}

}  // extern "C"
