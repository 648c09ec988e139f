// What the DCC chat, send and receive code shares: the text of the offers the
// engine sends, how a file name is put into one, listening for a peer, and
// binding a peer connection to its item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "C_socket.h"
#include "U_engineevents.h"

class CZoSeqnumItem;

// The longest file name a received offer's record holds.
inline constexpr size_t kDCCNameMax = 255;

// A file name as offers carry it: cut to kDCCNameMax bytes (never inside a
// double-byte character, so the numbers after it always fit the line), and
// quoted when it holds a blank.
std::string QuoteFileName(const char* fileName);
// The name the programs offer a file under: its base name with blanks as
// "_", which peers that split offers at every blank still read whole.
std::string OfferName(std::string baseName);
// Sends "PRIVMSG nick :" and the formatted offer between two 0x01 bytes, cut
// so that the line with its CR LF stays within 512 bytes.
void SendDCCOffer(const ZoSendLine& sendLine, const char* nick, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Listens on a port the system reports free, else on any; the port, 0 when
// listening failed.
template <typename Listener>
uint16_t ListenForPeer(Listener* listener) {
  if (!listener->Listen(GetFreePort()) && !listener->Listen(0)) return 0;
  return listener->Port();
}

// Routes a DCC link's reads and its close to its item, each handled while the
// item is marked busy. Its errors are swallowed: the close that follows says enough.
void AttachDCCLink(CZoClientSocket* link, CZoSeqnumItem* item, std::function<void()> read,
                   std::function<void()> closed);
// Routes a file link's reads, its end included, to its item marked busy.
void AttachDCCLink(CZoStreamSocket* link, CZoSeqnumItem* item, std::function<void()> read);
// Stops every callback of the link, so a closing item hears nothing more.
void DetachDCCLink(CZoClientSocket* link);
