#pragma once

#include <cstddef>

// This test executable's global operator new can be told to fail once.
enum class AllocationFailure { ReturnNull, Throw };

// The next allocation of exactly `size` bytes fails in the given way.
void FailNextAllocation(AllocationFailure how, std::size_t size);
