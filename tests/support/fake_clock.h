// A clock for tests: time moves only when the code under test sleeps, so a
// ten-second idle time-out passes at once. Each sleep first advances the time,
// then runs the hook, through which a scripted server gets its turn.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

class FakeClock : public platform::Clock {
public:
    // Starts shortly before the 32-bit counter wraps, so that every test that
    // waits also crosses the wrap-around.
    explicit FakeClock(uint32_t start = 0xFFFFF000u) : m_now(start), m_start(start) {
        platform::SetClock(this);
    }
    ~FakeClock() override { platform::SetClock(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    uint32_t Ticks() override { return m_now; }
    void Sleep(uint32_t milliseconds) override {
        m_now += milliseconds;
        ++m_sleeps;
        if (onSleep) {
            onSleep();
        }
    }

    uint32_t Elapsed() const { return m_now - m_start; }
    int Sleeps() const { return m_sleeps; }

    std::function<void()> onSleep;

private:
    uint32_t m_now;
    uint32_t m_start;
    int m_sleeps = 0;
};
