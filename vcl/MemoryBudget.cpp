#include "vcl/MemoryBudget.h"

#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

std::atomic<std::uint64_t> pinnedBytes{0};

std::uint64_t MemAvailableFromProc()
{
    std::FILE* f = std::fopen("/proc/meminfo", "re");
    if (!f)
        return std::numeric_limits<std::uint64_t>::max();
    char line[256];
    std::uint64_t result = std::numeric_limits<std::uint64_t>::max();
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
            result = static_cast<std::uint64_t>(kib) * 1024u / 2;
            break;
        }
    }
    std::fclose(f);
    return result;
}

}  // namespace

std::uint64_t AvailableMemoryBytes()
{
    if (const std::uint64_t pinned = pinnedBytes.load())
        return pinned;
    std::uint64_t bytes = MemAvailableFromProc();
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < bytes)
        bytes = limit.rlim_cur;
    return bytes;
}

void SetAvailableMemoryBytesForTesting(std::uint64_t bytes)
{
    pinnedBytes.store(bytes);
}
