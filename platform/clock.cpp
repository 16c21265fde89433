#include "platform/clock.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <chrono>
#include <thread>
#endif

namespace platform {

namespace {

Clock* installedClock = nullptr;

#ifdef _WIN32
uint32_t SystemTicks() {
    return ::GetTickCount();
}

void SystemSleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}
#else
uint32_t SystemTicks() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void SystemSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
#endif

}  // namespace

uint32_t GetTickCount() {
    return installedClock != nullptr ? installedClock->Ticks() : SystemTicks();
}

void Sleep(uint32_t milliseconds) {
    if (installedClock != nullptr) {
        installedClock->Sleep(milliseconds);
        return;
    }
    SystemSleep(milliseconds);
}

void SetClock(Clock* clock) {
    installedClock = clock;
}

}  // namespace platform
