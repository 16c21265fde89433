#include "app/mail_check_app.h"

#include <QCoreApplication>

#include "res/dialog_template.h"
#include "res/resource.h"
#include "ui/qt/dialog.h"
#include "ui/qt/mailbox_dialog.h"

CMailCheckApp::CMailCheckApp(SocketStartup startSockets) : m_startSockets(startSockets) {}

bool CMailCheckApp::InitInstance() {
    if (!m_startSockets()) {
        MessageBox(LoadResourceString(IDS_SOCKETS_INIT_FAILED));
        return false;
    }

    // The settings store: $XDG_CONFIG_HOME/Tarvik/Tarvik.conf on Linux.
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvik"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));

    CMailboxDialog dialog;
    dialog.DoModal();
    return false;
}
