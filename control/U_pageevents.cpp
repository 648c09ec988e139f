#include "U_pageevents.h"

#include "Velko1_tlb.h"

namespace {

std::vector<ComVariant> Texts(std::initializer_list<QString> texts) {
  std::vector<ComVariant> args;
  for (const QString& text : texts) args.emplace_back(text);
  return args;
}

}  // namespace

// A page that listens to nothing costs nothing.
void TPageEvents::Fire(DISPID id, std::vector<ComVariant> args) {
  if (sinks_.size()) FireEvent(sinks_, id, std::move(args));
}

void TPageEvents::Connected() { Fire(DISPID_OnConnected, {}); }

void TPageEvents::Disconnected(const QString& reason) { Fire(DISPID_OnDisconnected, Texts({reason})); }

void TPageEvents::Message(const QString& window, const QString& nick, const QString& text, const QString& kind) {
  Fire(DISPID_OnMessage, Texts({window, nick, text, kind}));
}

void TPageEvents::Joined(const QString& channel, const QString& nick) {
  Fire(DISPID_OnJoin, Texts({channel, nick}));
}

void TPageEvents::Left(const QString& channel, const QString& nick, const QString& reason, const QString& how) {
  Fire(DISPID_OnPart, Texts({channel, nick, reason, how}));
}

void TPageEvents::Renamed(const QString& oldNick, const QString& newNick) {
  Fire(DISPID_OnNick, Texts({oldNick, newNick}));
}

void TPageEvents::Topic(const QString& channel, const QString& topic) { Fire(DISPID_OnTopic, Texts({channel, topic})); }

void TPageEvents::Unread(const QString& window, int count, bool mention) {
  std::vector<ComVariant> args = Texts({window});
  args.emplace_back(int32_t(count));
  args.push_back(ComVariant::Flag(mention));
  Fire(DISPID_OnUnread, std::move(args));
}

void TPageEvents::Error(const QString& code, const QString& text) { Fire(DISPID_OnError, Texts({code, text})); }
