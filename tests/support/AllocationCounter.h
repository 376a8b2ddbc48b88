#pragma once
// Counts every operator new of the program that links AllocationCounter.cpp
// (a test or a benchmark), to show that a loop does not allocate.
#include <atomic>

long AllocationCount();

// Allocations made while `f` runs.
template <typename F>
long CountAllocations(F&& f)
{
    const long before = AllocationCount();
    f();
    return AllocationCount() - before;
}
