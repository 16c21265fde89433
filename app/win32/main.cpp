#include "app/mail_check_app.h"
#include "platform/sockets.h"
#include "platform/windows_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CMailCheckApp app(platform::StartSockets);
    app.InitInstance();
    return 0;
}
