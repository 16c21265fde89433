// Millisecond tick counter and sleep, with a seam for tests.
//
// The reply reader measures its idle time-out with a wrapping unsigned 32-bit
// millisecond counter and waits with a sleep between polls. Tests install a
// Clock of their own so that a ten-second time-out passes in no real time.
#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start; wraps around after about 49 days.
uint32_t GetTickCount();

// Pauses the calling thread for at least the given time.
void Sleep(uint32_t milliseconds);

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Ticks() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

// Routes GetTickCount and Sleep to the given clock; nullptr restores the system
// clock. Not thread-safe: install it before the code under test runs.
void SetClock(Clock* clock);

}  // namespace platform
