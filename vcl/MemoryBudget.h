#pragma once

#include <cstdint>

// How many bytes a new allocation may take without driving the machine into swap or past the process's limits:
// the memory the kernel reports as available, bounded by the address-space limit. Large pictures are checked
// against it before they are allocated, so a picture that cannot fit fails at once instead of thrashing.
std::uint64_t AvailableMemoryBytes();

// Tests pin the figure to provoke the failure; 0 returns to reading it from the system.
void SetAvailableMemoryBytesForTesting(std::uint64_t bytes);
