#include "event_lines.h"

#include <cstdio>
#include <utility>

#include "Zoengine.h"

namespace {

class LineBuilder {
 public:
  explicit LineBuilder(const char* name) : line_(name) {}

  void Add(const char* text) { Field(EscapeText(text)); }
  void Add(int value) { Field(std::to_string(value)); }
  void Add(uint32_t value) { Field(std::to_string(value)); }
  void Add(uint64_t value) { Field(std::to_string(value)); }
  void Add(bool value) { Field(value ? "1" : "0"); }
  void Add(void* pointer) { Field(pointer ? "(pointer)" : "(null)"); }
  void Add(int* value) { value ? Add(*value) : Field("(null)"); }
  void Add(stIRC* r) {
    if (!r) return Field("(null)");
    for (const char* field : {r->nick, r->user, r->host, r->command, r->param1, r->rest}) Add(field);
  }
  void Add(stCTCP* r) {
    if (!r) return Field("(null)");
    for (const char* field : {r->nick, r->host, r->command, r->ctcp, r->channel, r->target, r->params}) Add(field);
  }
  void Add(stDCC* r) {
    if (!r) return Field("(null)");
    for (const char* field : {r->Nick, r->Host, r->Target, r->Command, r->Type, r->Arg, r->AddrText}) Add(field);
    Add(static_cast<uint32_t>(r->Port));
    Add(r->Value);
    Add(r->Addr);
  }

  const std::string& Line() const { return line_; }

 private:
  void Field(const std::string& text) {
    line_ += '\t';
    line_ += text;
  }
  std::string line_;
};

template <typename... Args>
void Bind(std::function<void(Args...)>& event, const char* name, const EventLineSink& sink) {
  event = [name, sink](Args... args) {
    LineBuilder line(name);
    (line.Add(args), ...);
    sink(line.Line());
  };
}

}  // namespace

std::string EscapeText(const char* text) {
  if (!text) return "(null)";
  std::string out;
  for (const char* p = text; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default:
        if (c < 32) {
          char hex[5];
          snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

#define VELKO_BIND(event) Bind(engine.event, #event, sink)

void BindEventLines(TZoEngine& engine, EventLineSink sink) {
  VELKO_BIND(OnLine); VELKO_BIND(OnConnect); VELKO_BIND(OnDisconnect); VELKO_BIND(OnIRCError);
  VELKO_BIND(OnIRC); VELKO_BIND(OnCTCP); VELKO_BIND(OnDCC); VELKO_BIND(OnAlreadyNick);
  VELKO_BIND(OnNoNick); VELKO_BIND(OnLogon); VELKO_BIND(OnPrivmsg); VELKO_BIND(OnNotice);
  VELKO_BIND(OnNick); VELKO_BIND(OnOwnerJoin); VELKO_BIND(OnOtherJoin); VELKO_BIND(OnOwnerPart);
  VELKO_BIND(OnOtherPart); VELKO_BIND(OnOwnerQuit); VELKO_BIND(OnOtherQuit); VELKO_BIND(OnKick);
  VELKO_BIND(OnNMode); VELKO_BIND(OnNTopic); VELKO_BIND(OnTopic); VELKO_BIND(OnMode);
  VELKO_BIND(OnUserMode); VELKO_BIND(OnChanMode); VELKO_BIND(OnPing); VELKO_BIND(OnInvite);
  VELKO_BIND(OnList); VELKO_BIND(OnNames); VELKO_BIND(OnWhois); VELKO_BIND(OnConnectForSend);
  VELKO_BIND(OnSentPack); VELKO_BIND(OnDisconnectSend); VELKO_BIND(OnSendReady); VELKO_BIND(OnSendRequest);
  VELKO_BIND(OnConnectRecv); VELKO_BIND(OnDisconnectRecv); VELKO_BIND(OnRecvPack); VELKO_BIND(OnDCCChat);
  VELKO_BIND(OnDCCChatConnect); VELKO_BIND(OnDCCChatDisconnect); VELKO_BIND(OnDCCChatMessage);
}
