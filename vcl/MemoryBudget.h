#pragma once

#include <cstdint>

// How many bytes one large allocation may take without driving the machine into swap or past the process's
// limits: half the memory the kernel reports as available (the rest of the desktop, and the rest of the run,
// need theirs too), bounded by the address-space limit. Large pictures are checked against it before they are
// allocated, so a picture that cannot fit, such as a tiny file that declares 65500 x 65500 pixels, fails at once
// instead of thrashing.
std::uint64_t AvailableMemoryBytes();

// Tests pin the figure to provoke the failure; 0 returns to reading it from the system.
void SetAvailableMemoryBytesForTesting(std::uint64_t bytes);
