#include "tests/support/AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
}

long AllocationCount()
{
    return allocations.load(std::memory_order_relaxed);
}

// None of the replacements is inlined: GCC would otherwise pair an inlined
// malloc() or free() with the other side's operator and warn about a
// mismatch that is not there.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept
{
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
