// One POP3 conversation (RFC 1939) over one TCP connection.
//
// The client logs in with USER and PASS, asks for the statistics (STAT), the
// message sizes (LIST), the unique ids (UIDL) and message headers (TOP n 0),
// marks messages for deletion (DELE), undoes the marks (RSET) and ends with
// QUIT. It works synchronously: every operation blocks until the server's
// reply is complete or no data has arrived for m_dwTimeout milliseconds.
//
// A read that ends without its complete reply (a time-out, a reply too large,
// a failed receive) leaves the client not knowing where the next reply would
// begin: it closes the connection without another word, not even QUIT, so
// that no later reply is read as another command's. A server found to have
// hung up before a command ends the conversation the same way. Every later
// command of the conversation fails at once (kNotConnected), and without QUIT
// the server carries out none of its deletions.
//
// Results: 1 for success, 0 for failure. The reason of a failure is in
// platform::GetLastError() (kTimedOut, kProtocolNotSupported for a negative
// reply, kInvalidArgument for an unresolvable host or a command argument that
// holds CR or LF), and the text of the last failing or negative reply is in
// m_strLastReply. Text slots and the buffers that ReadUntil grows are
// allocated with malloc and released with free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pop3/tcp_connection.h"

class CPop3Client {
public:
    CPop3Client();
    // Sends QUIT when the conversation is still open, then closes the socket.
    ~CPop3Client();
    CPop3Client(const CPop3Client&) = delete;
    CPop3Client& operator=(const CPop3Client&) = delete;

    // Connects, reads the greeting, sends USER and PASS. A failure after the
    // TCP connection stands ends the conversation with QUIT before returning 0.
    int Connect(const char* server, const char* user, const char* password, int port);
    // QUIT when a conversation is open (its verdict is the result, else 0),
    // then closes the socket in every case.
    int Disconnect();
    // STAT: the message count (also kept in m_nMessageCount) and total size.
    int Stat(int& count, int& total);
    // STAT (once per conversation), then LIST into m_sizes.
    int LoadList();
    // The size of message n (from 1), loading the size list on first use. 0,
    // with size untouched, when the list cannot be loaded or holds no entry n.
    int GetMessageSize(int n, int& size);
    // TOP n 0: the header lines of message n into the text slot.
    int GetTop(int n, char*& text);
    // DELE n, after loading the size list once (whatever its outcome).
    int Delete(int n);
    // RSET.
    int Reset();

    // UIDL, asked once per conversation: the unique id of every message into
    // m_ids, entry n-1 for message n. 1 when the ids name the messages of the
    // last STAT one to one; 0 when the server keeps none (UIDL is optional),
    // or its list has an id twice or not one per message.
    int LoadIds();
    // The unique id of message n, loading the ids on first use; 0 without one.
    int GetMessageId(int n, std::string& id);
    // The number that message id has in this conversation, 0 when none has it.
    int FindMessage(const std::string& id);
    // 1 once the size list is loaded: a size it lacks will not come.
    int IsListLoaded() const { return m_bListLoaded; }
    // The message count of the last STAT reply.
    int GetMessageCount() const { return m_nMessageCount; }

    // Reads the STAT reply; demands "+OK" in upper case.
    virtual int ParseStat(int& count, int& total);
    // Reads a single-line reply; 1 when it is positive.
    virtual int ReadResponse();
    // Reads a LIST reply: the number after each blank or tab goes to m_sizes.
    virtual int ParseList(int expectedCount);
    // Reads a multi-line listing of message ids: the second word of each line
    // goes to m_ids.
    virtual int ParseUidl(int expectedCount);
    // Reads a multi-line reply and stores its body, without the status line
    // and without the final ".\r\n", in the text slot. The slot is left alone
    // unless the reply was complete and positive.
    virtual int ReadMultiLine(char*& text, int expectedSize);
    // The core reader: receives into buffer (capacity bytes, owned by the
    // caller) until terminator has arrived, growing into heap buffers by at
    // least step bytes when full (kNoBufferSpace past kMaxReplySize); the
    // newest grown buffer is handed back in *grown, and the caller frees it.
    // *grown must be null on entry (else kInvalidArgument). The terminator is
    // cut off the text.
    // 1 when the terminator arrived and the reply begins with "+OK" (in any
    // case). A negative status line ends a multi-line reply at once. A failed
    // read keeps the reply's first line, at most kKeptReply bytes of it, in
    // m_strLastReply; with the conversation ended, kNotConnected at once.
    virtual int ReadUntil(char* buffer, int capacity, const char* terminator, char** grown,
                          int step);
    // The character after the first line feed, or the terminating NUL.
    static const char* SkipLine(const char* text);

    static constexpr int kPort = 110;
    static constexpr uint32_t kIdleTimeoutMs = 10000;
    static constexpr uint32_t kPollIntervalMs = 250;
    // A first reply buffer sized from a server's number never exceeds this;
    // growth takes over for the rare larger reply.
    static constexpr int kMaxFirstBuffer = 1 << 20;
    // No reply may grow past this: a server that streams without end must not
    // exhaust memory. A header or a listing of a million messages stays far below.
    static constexpr int kMaxReplySize = 64 << 20;
    // What m_strLastReply keeps of a failed reply: enough to say why.
    static constexpr size_t kKeptReply = 512;

    CTcpConnection m_connection;
    int m_nMessageCount;
    int m_bListLoaded;
    int m_bStatDone;
    std::vector<uint32_t> m_sizes;
    std::vector<std::string> m_ids;
    int m_bConnected;
    std::string m_strLastReply;
    uint32_t m_dwTimeout;

private:
    // A multi-line reply's first buffer: what the caller expects plus room for
    // the status line, kept within [100, kMaxFirstBuffer] whatever number the
    // server announced.
    static int FirstBufferSize(int64_t expected);
    // Reads a multi-line listing into a first buffer sized for expectedCount
    // lines; the caller frees first and grown.
    int ReadListing(int expectedCount, char*& first, char*& grown);
    // Sends "command\r\n" in one piece, after dropping whatever the server
    // sent unasked. A command holding CR or LF is refused (it would smuggle a
    // second command onto the wire) with kInvalidArgument.
    int SendCommand(const std::string& command);
    // Reads and drops what the server sent that no command asked for; false
    // when the server has hung up.
    bool DropUnasked();
    // A read's two ways to fail, both with m_strLastReply set: a negative
    // reply, after which the conversation goes on, and an unfinished one,
    // which abandons it (error 0 keeps the socket library's reason).
    int Refused(const char* reply);
    int Unfinished(const char* reply, int error);
    // Ends a conversation that is out of step: closes without QUIT.
    void Abandon();
    // Every flag of a conversation back to none, so that a new Connect on the
    // same client neither answers from the last one's lists nor skips a STAT.
    void ClearConversation();

    int m_bIdsAsked;   // UIDL went out in this conversation
    int m_bIdsLoaded;  // and named every message
};
