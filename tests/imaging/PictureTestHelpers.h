#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"

// Pins the memory a picture may take for the life of the object.
struct PinnedMemory {
    explicit PinnedMemory(std::uint64_t bytes) { SetAvailableMemoryBytesForTesting(bytes); }
    ~PinnedMemory() { SetAvailableMemoryBytesForTesting(0); }
};

// The text of the exception the action raises, or "(no exception)".
inline std::string Message(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}
