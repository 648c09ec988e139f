#include "U_chatfeed.h"

#include <string_view>

#include "U_codepage.h"

namespace {

QString Text(const char* text) { return DecodeDisplay(text ? text : ""); }
QString Key(const QString& window) { return window.toLower(); }

// "PRIVMSG target :text" as the client sends it; an action keeps its words.
bool ParsePrivmsg(std::string_view wire, std::string_view* target, std::string_view* text) {
  constexpr std::string_view kCommand = "PRIVMSG ";
  if (!wire.starts_with(kCommand)) return false;
  wire.remove_prefix(kCommand.size());
  const size_t colon = wire.find(" :");
  if (colon == std::string_view::npos) return false;
  *target = wire.substr(0, colon);
  *text = wire.substr(colon + 2);
  while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->remove_suffix(1);
  constexpr std::string_view kAction = "\x01" "ACTION ";
  if (text->starts_with(kAction)) {
    text->remove_prefix(kAction.size());
    if (text->ends_with('\x01')) text->remove_suffix(1);
  }
  return true;
}

}  // namespace

TChatFeed::TChatFeed(QObject* parent) : QObject(parent) {
  tell_.setSingleShot(true);
  tell_.setInterval(kUnreadMs);
  connect(&tell_, &QTimer::timeout, this, &TChatFeed::TellUnread);
}

void TChatFeed::Connected() {
  if (listener_) listener_->Connected();
}

void TChatFeed::Disconnected(const char* reason) {
  if (listener_) listener_->Disconnected(Text(reason));
}

void TChatFeed::Message(const char* window, const char* nick, const char* text, const char* kind, bool front,
                        bool mention) {
  if (!listener_) return;
  const QString name = Text(window);
  if (!front) {
    TCount& count = unread_[Key(name)];
    count.window = name;
    ++count.count;
    count.mention = count.mention || mention;
    Changed(Key(name));
  }
  listener_->Message(name, Text(nick), Text(text), QString::fromLatin1(kind));
}

void TChatFeed::Sent(const std::string& wire, const std::string& ownNick) {
  std::string_view target;
  std::string_view text;
  if (!listener_ || !ParsePrivmsg(wire, &target, &text)) return;
  listener_->Message(Text(std::string(target).c_str()), Text(ownNick.c_str()), Text(std::string(text).c_str()),
                     QStringLiteral("own"));
}

void TChatFeed::Joined(const char* channel, const char* nick) {
  if (listener_) listener_->Joined(Text(channel), Text(nick));
}

// The engine hands part and quit messages on with the wire's colon in front.
void TChatFeed::Left(const char* channel, const char* nick, const char* reason, const char* how) {
  if (reason && *reason == ':') ++reason;
  if (listener_) listener_->Left(Text(channel), Text(nick), Text(reason), QString::fromLatin1(how));
}

void TChatFeed::Renamed(const char* oldNick, const char* newNick) {
  if (listener_) listener_->Renamed(Text(oldNick), Text(newNick));
}

void TChatFeed::Topic(const char* channel, const char* topic) {
  if (listener_) listener_->Topic(Text(channel), Text(topic));
}

void TChatFeed::Error(int code, const char* text) {
  if (listener_) listener_->Error(QString::number(code), Text(text));
}

void TChatFeed::Seen(const std::string& window) {
  const QString key = Key(Text(window.c_str()));
  const auto found = unread_.find(key);
  if (found == unread_.end() || found->second.count == 0) return;
  found->second.count = 0;
  found->second.mention = false;
  Changed(key);
}

int TChatFeed::UnreadOf(const QString& window) const {
  const auto found = unread_.find(Key(window));
  return found == unread_.end() ? 0 : found->second.count;
}

void TChatFeed::Changed(const QString& key) {
  changed_.insert(key);
  if (listener_ && !tell_.isActive()) tell_.start();
}

void TChatFeed::TellUnread() {
  const std::set<QString> changed = std::exchange(changed_, {});
  for (const QString& key : changed) {
    const auto found = unread_.find(key);
    if (found == unread_.end()) continue;
    // The listener may go away while it hears.
    if (!listener_) return;
    listener_->Unread(found->second.window, found->second.count, found->second.mention);
  }
}
