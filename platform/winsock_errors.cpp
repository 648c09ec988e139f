#include "winsock_errors.h"

#include <algorithm>
#include <iterator>

#include "U_codepage.h"

namespace {

struct TReason {
  int code;
  const char* text;
};

constexpr TReason kWinSockReasons[] = {
    {WSAEACCES, "접근 권한이 없습니다"},
    {WSAEINVAL, "할 수 없는 소켓 작업입니다"},
    {WSAEMSGSIZE, "받은 데이터가 너무 큽니다"},
    {WSAEOPNOTSUPP, "지원하지 않는 소켓 작업입니다"},
    {WSAEADDRINUSE, "주소가 이미 쓰이고 있습니다"},
    {WSAEADDRNOTAVAIL, "쓸 수 없는 주소입니다"},
    {WSAENETDOWN, "네트워크를 쓸 수 없습니다"},
    {WSAECONNABORTED, "연결이 중단되었습니다"},
    {WSAECONNRESET, "상대가 연결을 끊었습니다"},
    {WSAENOBUFS, "버퍼가 모자라 더 보낼 수 없습니다"},
    {WSAETIMEDOUT, "응답이 없어 연결을 끊었습니다"},
    {WSAECONNREFUSED, "연결이 거부되었습니다"},
    {WSAEHOSTUNREACH, "서버에 닿을 수 없습니다"},
    {WSAHOST_NOT_FOUND, "서버 이름을 찾을 수 없습니다"},
};

constexpr TReason kHttpReasons[] = {
    {400, "잘못된 요청입니다"},
    {401, "인증이 필요합니다"},
    {403, "접근이 금지되었습니다"},
    {404, "파일을 찾을 수 없습니다"},
    {408, "요청 시간이 지났습니다"},
    {410, "파일이 없어졌습니다"},
    {500, "서버 내부 오류입니다"},
    {502, "게이트웨이 오류입니다"},
    {503, "서버가 지금 요청을 받을 수 없습니다"},
    {504, "게이트웨이 시간이 지났습니다"},
};

template <size_t N>
const char* Find(const TReason (&table)[N], int code) {
  const auto* found = std::find_if(std::begin(table), std::end(table), [code](const TReason& r) { return r.code == code; });
  return found == std::end(table) ? nullptr : found->text;
}

// A status the table lacks still gets the reason of its class.
const char* HttpReason(int status) {
  if (const char* text = Find(kHttpReasons, status)) return text;
  if (status >= 300 && status < 400) return "다른 주소로 옮겨졌습니다";
  if (status >= 400 && status < 500) return "서버가 요청을 거절했습니다";
  if (status >= 500 && status < 600) return "서버 오류입니다";
  return nullptr;
}

}  // namespace

const char* ErrorReason(int code) {
  const char* text = Find(kWinSockReasons, code);
  if (!text) text = HttpReason(code);
  return text ? Cp949Literal(text) : nullptr;
}

std::string ErrorWithReason(int code) {
  std::string shown = std::to_string(code);
  if (const char* reason = ErrorReason(code)) shown.append(" (").append(reason).append(")");
  return shown;
}

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
