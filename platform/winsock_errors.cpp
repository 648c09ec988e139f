#include "winsock_errors.h"

int WinSockErrorFor(QAbstractSocket::SocketError error) {
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return WSAECONNREFUSED;
    case QAbstractSocket::RemoteHostClosedError: return 0;
    case QAbstractSocket::HostNotFoundError: return WSAHOST_NOT_FOUND;
    case QAbstractSocket::SocketAccessError: return WSAEACCES;
    case QAbstractSocket::SocketResourceError: return WSAENOBUFS;
    case QAbstractSocket::SocketTimeoutError: return WSAETIMEDOUT;
    case QAbstractSocket::DatagramTooLargeError: return WSAEMSGSIZE;
    case QAbstractSocket::NetworkError: return WSAENETDOWN;
    case QAbstractSocket::AddressInUseError: return WSAEADDRINUSE;
    case QAbstractSocket::SocketAddressNotAvailableError: return WSAEADDRNOTAVAIL;
    case QAbstractSocket::UnsupportedSocketOperationError: return WSAEOPNOTSUPP;
    case QAbstractSocket::OperationError: return WSAEINVAL;
    case QAbstractSocket::TemporaryError: return WSAENOBUFS;
    default: return WSAECONNABORTED;
  }
}
