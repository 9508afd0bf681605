// Counts every heap allocation of the process, operator new included, by
// interposing malloc, calloc and realloc: a benchmark that promises no
// allocation per call reads g_allocations before and after. Include it in
// exactly one file of a benchmark program, since it defines those symbols.
#ifndef VQ_BENCH_ALLOC_COUNTER_H
#define VQ_BENCH_ALLOC_COUNTER_H

#include <atomic>
#include <cstddef>

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
}

namespace {
std::atomic<unsigned long long> g_allocations{0};
} // namespace

extern "C" void *malloc(size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
extern "C" void *calloc(size_t count, size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
extern "C" void *realloc(void *block, size_t size) noexcept {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}

#endif
