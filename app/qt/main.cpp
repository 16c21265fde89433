#include <QApplication>

#include "app/mail_check_app.h"
#include "platform/sockets.h"
#include "res/version.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(TARVIK_VERSION_STRING));
    CMailCheckApp app(platform::StartSockets);
    app.InitInstance();
    return 0;
}
