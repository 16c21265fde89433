// The scripted server of the Windows window's end-to-end run, in real time:
// plays the transcript to one client on 127.0.0.1:110, the window's port,
// then prints the rows and the status line the window shows. Fails when the
// client did not send exactly what the transcript expects.
//   pop3_server.exe TRANSCRIPT
#include <cstdio>

#include "res/resource.h"
#include "tests/support/transcript.h"
#include "ui/win32/wide_text.h"

int main(int, char** argv) {
    ScriptedServer server(CPop3Client::kPort);
    platform::SetClock(nullptr);
    server.Play(argv[1]);
    for (int i = 0; i < 6000 && !server.gone; ++i, Sleep(10)) {
        server.Pump();
    }
    const std::string sent = server.Finish();
    HWND window = FindWindowW(nullptr, L"tarvikon");
    const int rows = static_cast<int>(SendDlgItemMessageW(window, IDC_MESSAGES, LB_GETCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        wchar_t text[1024] = L"";
        SendDlgItemMessageW(window, IDC_MESSAGES, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", Narrow(text).c_str());
    }
    wchar_t status[256] = L"";
    GetDlgItemTextW(window, IDC_STATUS, status, 256);
    std::printf("%s\n", Narrow(status).c_str());
    if (sent != server.expected) {
        std::printf("sent: %s\nexpected: %s\n", sent.c_str(), server.expected.c_str());
        return 1;
    }
    return 0;
}
