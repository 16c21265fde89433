#include "app/mail_check_app.h"
#include "platform/sockets.h"
#include "platform/windows_api.h"

namespace {

// DLLs come from System32 alone, never from the folder the program was
// started from: a downloaded tarvik.exe lies among whatever else was
// downloaded. Windows 7 has the call only with KB2533623, so it is looked up.
void LoadDllsFromSystem32Only() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDirectories>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set != nullptr) {
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadDllsFromSystem32Only();
    CMailCheckApp app(platform::StartSockets);
    app.InitInstance();
    return 0;
}
