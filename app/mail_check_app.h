// The application: starts the socket library, names the settings store and
// runs the mailbox window until it closes. There is no loop of its own: the
// window's modal loop is the program's only one. app/qt and app/win32 each
// run their own window.
#pragma once

class CMailCheckApp {
public:
    using SocketStartup = int (*)();

    // startSockets makes the socket library usable (1 on success); tests pass
    // one that fails.
    explicit CMailCheckApp(SocketStartup startSockets);

    // Runs the program. Always false: the program ends when it returns.
    bool InitInstance();

private:
    SocketStartup m_startSockets;
};
