// Socket failures as the WinSock error numbers the engine's users expect.
#pragma once

#include <QAbstractSocket>

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
