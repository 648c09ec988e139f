// The conversation as the page hears it: each thing the chat client tells is
// sent as the control's event, with its arguments, to every event sink.
#pragma once

#include "U_chatfeed.h"
#include "com_connection.h"

class TPageEvents : public IChatListener {
 public:
  explicit TPageEvents(const ConnectionPoint& sinks) : sinks_(sinks) {}

  void Connected() override;
  void Disconnected(const QString& reason) override;
  void Message(const QString& window, const QString& nick, const QString& text, const QString& kind) override;
  void Joined(const QString& channel, const QString& nick) override;
  void Left(const QString& channel, const QString& nick, const QString& reason, const QString& how) override;
  void Renamed(const QString& oldNick, const QString& newNick) override;
  void Topic(const QString& channel, const QString& topic) override;
  void Unread(const QString& window, int count, bool mention) override;
  void Error(const QString& code, const QString& text) override;

 private:
  void Fire(DISPID id, std::vector<ComVariant> args);

  const ConnectionPoint& sinks_;
};
