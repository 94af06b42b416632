#include "tests/support/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {

bool s_armed = false;
AllocationFailure s_how = AllocationFailure::Throw;
std::size_t s_size = 0;

} // namespace

void FailNextAllocation(AllocationFailure how, std::size_t size)
{
    s_armed = true;
    s_how = how;
    s_size = size;
}

// Replacements of the global allocation functions for the whole executable.
void* operator new(std::size_t size)
{
    if (s_armed && size == s_size) {
        s_armed = false;
        if (s_how == AllocationFailure::ReturnNull)
            return nullptr;  // as an allocator that does not throw would
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
