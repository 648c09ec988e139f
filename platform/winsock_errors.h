// Socket failures as the WinSock error numbers the engine's users expect, and
// the reason each error number shown to the user is given in Korean.
#pragma once

#include <QAbstractSocket>
#include <string>

enum WinSockError : int {
  WSAEACCES = 10013,
  WSAEINVAL = 10022,
  WSAEMSGSIZE = 10040,
  WSAEOPNOTSUPP = 10045,
  WSAEADDRINUSE = 10048,
  WSAEADDRNOTAVAIL = 10049,
  WSAENETDOWN = 10050,
  WSAECONNABORTED = 10053,
  WSAECONNRESET = 10054,
  WSAENOBUFS = 10055,
  WSAETIMEDOUT = 10060,
  WSAECONNREFUSED = 10061,
  WSAEHOSTUNREACH = 10065,
  WSAHOST_NOT_FOUND = 11001,
};

// 0 for conditions that are no failure in WinSock terms (an orderly close by the peer).
int WinSockErrorFor(QAbstractSocket::SocketError error);

// The reason for a WinSock number or an HTTP status of 300 and above, in CP949;
// null for a number neither knows.
const char* ErrorReason(int code);
// The number followed by its reason in brackets, when it has one.
std::string ErrorWithReason(int code);
