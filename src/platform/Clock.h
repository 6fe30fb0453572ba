#pragma once
#include <cstdint>

struct Clock {
    virtual ~Clock() = default;
    // Milliseconds since the system started, wrapping at 2^32.
    virtual std::uint32_t TickCount() = 0;
    virtual void SleepMs(std::uint32_t ms) = 0;
};
