#include "app/mail_check_app.h"

#include "platform/windows_api.h"

#include <commctrl.h>  // needs windows.h first

#include "res/resource.h"
#include "ui/win32/mailbox_dialog.h"

CMailCheckApp::CMailCheckApp(SocketStartup startSockets) : m_startSockets(startSockets) {}

bool CMailCheckApp::InitInstance() {
    if (!m_startSockets()) {
        MessageBox(nullptr, LoadResourceString(IDS_SOCKETS_INIT_FAILED));
        return false;
    }
    // The manifest asks for the common controls of version 6: the system's own look.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    CMailboxDialog dialog;
    dialog.DoModal();
    return false;
}
