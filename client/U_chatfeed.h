// What a page hears of the conversation, in Unicode and without widgets: the
// chat client tells the feed, the feed tells one listener (the control). It
// keeps each window's unread messages and tells a window's count at most once
// per kUnreadMs, so a flood costs the listener a handful of calls.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <map>
#include <set>
#include <string>

class IChatListener {
 public:
  virtual ~IChatListener() = default;
  virtual void Connected() = 0;
  virtual void Disconnected(const QString& reason) = 0;
  // kind: channel, private, notice, action or own.
  virtual void Message(const QString& window, const QString& nick, const QString& text, const QString& kind) = 0;
  virtual void Joined(const QString& channel, const QString& nick) = 0;
  // how: part, kick or quit (a quit names no channel).
  virtual void Left(const QString& channel, const QString& nick, const QString& reason, const QString& how) = 0;
  virtual void Renamed(const QString& oldNick, const QString& newNick) = 0;
  virtual void Topic(const QString& channel, const QString& topic) = 0;
  virtual void Unread(const QString& window, int count, bool mention) = 0;
  virtual void Error(const QString& code, const QString& text) = 0;
};

class TChatFeed : public QObject {
 public:
  static constexpr int kUnreadMs = 100;

  explicit TChatFeed(QObject* parent = nullptr);

  // Null: nobody listens (unread messages are still counted).
  void SetListener(IChatListener* listener) { listener_ = listener; }
  // Nothing is told, or counted, while nobody listens.
  bool Listening() const { return listener_ != nullptr; }

  // Texts as the engine gives them (CP949 or UTF-8).
  void Connected();
  void Disconnected(const char* reason);
  // A message behind the front window counts as unread; `mention` when it
  // names the user or is private.
  void Message(const char* window, const char* nick, const char* text, const char* kind, bool front, bool mention);
  // A line the user sent, as it went on the wire; only messages are told.
  void Sent(const std::string& wire, const std::string& ownNick);
  void Joined(const char* channel, const char* nick);
  void Left(const char* channel, const char* nick, const char* reason, const char* how);
  void Renamed(const char* oldNick, const char* newNick);
  void Topic(const char* channel, const char* topic);
  void Error(int code, const char* text);
  // The window now in front has been seen: its count starts again.
  void Seen(const std::string& window);

  int UnreadOf(const QString& window) const;

 private:
  struct TCount {
    QString window;
    int count = 0;
    bool mention = false;
  };
  void Changed(const QString& key);
  void TellUnread();

  IChatListener* listener_ = nullptr;
  std::map<QString, TCount> unread_;  // by window name in lower case
  std::set<QString> changed_;
  QTimer tell_;
};
