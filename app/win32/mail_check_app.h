// The application on Windows: starts Winsock and runs the mailbox window
// until it closes. The window's modal loop is the program's only one.
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
