#include "U_dcclink.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "C_socket.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"

namespace {

// Nicks in offers are cut like the engine's nick fields.
constexpr size_t kNickFieldMax = 63;

}  // namespace

std::string QuoteFileName(const char* fileName) {
  std::string name = fileName ? fileName : "";
  name.resize(Cp949CutLength(name.data(), name.size(), kDCCNameMax));
  return name.find(' ') == std::string::npos ? name : "\"" + name + "\"";
}

std::string OfferName(std::string baseName) {
  std::replace(baseName.begin(), baseName.end(), ' ', '_');
  return baseName;
}

void SendDCCOffer(const ZoSendLine& sendLine, const char* nick, const char* format, ...) {
  if (!sendLine) return;
  char offer[400];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(offer, sizeof offer, format, arguments);
  va_end(arguments);
  const std::string_view target = nick ? nick : "";
  sendLine(Irc::Ctcp(target.substr(0, kNickFieldMax), offer).c_str());
}

void AttachDCCLink(CZoClientSocket* link, CZoSeqnumItem* item, std::function<void()> read,
                   std::function<void()> closed) {
  link->OnError = [](CZoSocket*, int* code) { *code = 0; };
  link->OnRead = [item, read = std::move(read)](CZoClientSocket*) {
    CZoSeqnumItem::BusyScope busy(item);
    read();
  };
  link->OnDisconnect = [item, closed = std::move(closed)](CZoClientSocket*) {
    CZoSeqnumItem::BusyScope busy(item);
    closed();
  };
}

void AttachDCCLink(CZoStreamSocket* link, CZoSeqnumItem* item, std::function<void()> read) {
  link->OnRead = [item, read = std::move(read)] {
    CZoSeqnumItem::BusyScope busy(item);
    read();
  };
}

void DetachDCCLink(CZoClientSocket* link) {
  link->OnConnect = nullptr;
  link->OnRead = nullptr;
  link->OnDisconnect = nullptr;
  link->OnError = nullptr;
}
