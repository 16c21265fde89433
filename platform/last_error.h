// Per-thread last-error value in Winsock numbering.
//
// Network and protocol failures leave their reason here instead of throwing;
// a caller that sees a 0 result asks GetLastError() why.
#pragma once

namespace platform {

int GetLastError();
void SetLastError(int code);

// The codes in use, named as Winsock names them.
constexpr int kBadHandle = 10009;                  // WSAEBADF
constexpr int kInvalidArgument = 10022;            // WSAEINVAL
constexpr int kWouldBlock = 10035;                 // WSAEWOULDBLOCK
constexpr int kInProgress = 10036;                 // WSAEINPROGRESS
constexpr int kNotASocket = 10038;                 // WSAENOTSOCK
constexpr int kProtocolNotSupported = 10043;       // WSAEPROTONOSUPPORT: a negative reply
constexpr int kAddressFamilyNotSupported = 10047;  // WSAEAFNOSUPPORT
constexpr int kAddressNotAvailable = 10049;        // WSAEADDRNOTAVAIL
constexpr int kNetworkDown = 10050;                // WSAENETDOWN
constexpr int kNetworkUnreachable = 10051;         // WSAENETUNREACH
constexpr int kConnectionAborted = 10053;          // WSAECONNABORTED
constexpr int kConnectionReset = 10054;            // WSAECONNRESET
constexpr int kNoBufferSpace = 10055;              // WSAENOBUFS: also a reply too large to hold
constexpr int kNotConnected = 10057;               // WSAENOTCONN
constexpr int kShutDown = 10058;                   // WSAESHUTDOWN
constexpr int kTimedOut = 10060;                   // WSAETIMEDOUT
constexpr int kConnectionRefused = 10061;          // WSAECONNREFUSED
constexpr int kHostUnreachable = 10065;            // WSAEHOSTUNREACH

}  // namespace platform
