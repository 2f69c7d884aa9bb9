#pragma once

namespace narv::testing {

// The number of allocations of the whole program so far. The counting operator new comes
// from CountingAllocator.cpp, which a program compiles in to prove code allocates nothing.
long AllocationCount();

} // namespace narv::testing
