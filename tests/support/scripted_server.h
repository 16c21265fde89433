// A POP3 server for tests that plays a transcript and records what the client
// sent.
//
// The server runs on the test's own thread: Pump() does whatever the
// transcript allows without blocking, and is called from the fake clock's
// sleep hook, that is whenever the client waits for data. A test reads like
// the conversation:
//
//     ScriptedServer server({S("+OK ready"), C("USER alice"), S("+OK"), ...});
//     ... drive the client ...
//     EXPECT_EQ(server.Finish(), server.ClientLines());
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Step {
    enum Kind { kSend, kClient, kClose, kWait } kind;
    std::string text;
    uint32_t milliseconds = 0;
};

// The server sends a line; CR LF is added.
inline Step S(const std::string& line) {
    return {Step::kSend, line + "\r\n"};
}
// The server sends exactly these bytes.
inline Step Raw(const std::string& bytes) {
    return {Step::kSend, bytes};
}
// The client sends this line (recorded; the transcript moves on at its end).
inline Step C(const std::string& line) {
    return {Step::kClient, line};
}
// The server closes the connection.
inline Step Close() {
    return {Step::kClose, ""};
}
// The server stays silent for this long on the platform clock.
inline Step Wait(uint32_t milliseconds) {
    return {Step::kWait, "", milliseconds};
}

using Transcript = std::vector<Step>;

class ScriptedServer {
public:
    // Listens on 127.0.0.1 on a free port. Accepts one client.
    explicit ScriptedServer(Transcript transcript);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return m_port; }
    // Plays a new transcript to the next client on the same port; the
    // current client, if any, is let go.
    void Restart(Transcript transcript);

    // Accepts, sends and records as far as the transcript and the client allow
    // now; never blocks. Lines the client sends after the transcript's end are
    // recorded too.
    void Pump();
    // Pumps until the client has closed its end (at most a few real seconds)
    // and returns every line the client sent, without CR LF.
    std::vector<std::string> Finish();
    // The client lines of the transcript, as Finish() should report them.
    std::vector<std::string> ClientLines() const;

private:
    void ReadAvailable();
    bool TakeLine();

    Transcript m_transcript;
    size_t m_next = 0;
    size_t m_sent = 0;  // bytes of the current send step already out
    int m_listener = -1;
    int m_client = -1;
    int m_port = 0;
    bool m_clientClosed = false;
    bool m_waiting = false;
    uint32_t m_waitStart = 0;
    std::string m_inbox;
    std::vector<std::string> m_received;
};
