// Per-thread last-error value in Winsock numbering.
//
// Network and protocol failures leave their reason here instead of throwing;
// a caller that sees a 0 result asks GetLastError() why.
#pragma once

namespace platform {

int GetLastError();
void SetLastError(int code);

constexpr int kTimedOut = 10060;              // WSAETIMEDOUT
constexpr int kProtocolNotSupported = 10043;  // WSAEPROTONOSUPPORT: a negative reply
constexpr int kInvalidArgument = 10022;       // WSAEINVAL
constexpr int kNoBufferSpace = 10055;         // WSAENOBUFS: a reply too large to hold

}  // namespace platform
