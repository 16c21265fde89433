#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {

Clock* installedClock = nullptr;

}  // namespace

uint32_t GetTickCount() {
    if (installedClock != nullptr) {
        return installedClock->Ticks();
    }
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
    return static_cast<uint32_t>(ms);
}

void Sleep(uint32_t milliseconds) {
    if (installedClock != nullptr) {
        installedClock->Sleep(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SetClock(Clock* clock) {
    installedClock = clock;
}

}  // namespace platform
