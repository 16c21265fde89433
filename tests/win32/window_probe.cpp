// The Windows window's end-to-end helper, in real time.
//   window_probe.exe TRANSCRIPT  plays the transcript to one client on
//                                127.0.0.1:110, the window's port, then prints
//                                the rows, the selected row and the status line
//                                the window shows, and what the client sent
//                                when that was not what the transcript expects
//                                (exit status 1)
//   window_probe.exe fields      prints server, user name and password as the
//                                window shows them
#include <cstdio>
#include <string>

#include "res/resource.h"
#include "tests/support/transcript.h"
#include "ui/win32/wide_text.h"

int main(int, char** argv) {
    wchar_t text[1024] = L"";
    if (std::string(argv[1]) == "fields") {
        HWND window = FindWindowW(nullptr, L"tarvikon");
        for (int id : {IDC_SERVER, IDC_USER, IDC_PASSWORD}) {
            GetDlgItemTextW(window, id, text, 1024);
            std::printf("%s|", Narrow(text).c_str());
        }
        return 0;
    }
    ScriptedServer server(CPop3Client::kPort);
    platform::SetClock(nullptr);
    server.Play(argv[1]);
    // Real time, and the server's silences too; at most a minute.
    for (int i = 0; i < 6000 && !server.gone; ++i) {
        Sleep(10);
        server.Sleep(10);
    }
    Sleep(250);  // the window shows the outcome right after its connection ends
    HWND window = FindWindowW(nullptr, L"tarvikon");
    const int rows = static_cast<int>(SendDlgItemMessageW(window, IDC_MESSAGES, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        SendDlgItemMessageW(window, IDC_MESSAGES, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", Narrow(text).c_str());
    }
    GetDlgItemTextW(window, IDC_STATUS, text, 1024);
    const std::string sent = server.Finish();
    std::printf("%d\n%s\n%s",
                static_cast<int>(SendDlgItemMessageW(window, IDC_MESSAGES, LB_GETCURSEL, 0, 0)),
                Narrow(text).c_str(), sent == server.expected ? "" : sent.c_str());
    return sent != server.expected;
}
