// The Windows start-up without sockets: the one message box, and no window.
#include <gtest/gtest.h>

#include <thread>

#include "app/mail_check_app.h"
#include "platform/windows_api.h"
#include "ui/win32/wide_text.h"

TEST(Win32StartUpTest, WithoutSocketsOnlyTheMessageShows) {
    wchar_t text[200] = L"";
    bool windowShown = true;
    std::thread closer([&] {  // the box's own loop blocks the test
        for (int i = 0; i < 500 && !*text; ++i, Sleep(20)) {
            if (HWND box = FindWindowW(L"#32770", L"Tarvik")) {
                GetDlgItemTextW(box, 0xFFFF, text, 200);
                windowShown = FindWindowW(nullptr, L"tarvikon") != nullptr;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
        }
    });
    CMailCheckApp app([] { return 0; });
    EXPECT_FALSE(app.InitInstance());
    closer.join();
    EXPECT_EQ(Narrow(text), "Fehler beim Initialisieren der Windows-Sockets.");
    EXPECT_FALSE(windowShown);
}
