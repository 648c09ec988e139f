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

#define VELKO_BIND(name, ...) Bind(engine.On##name, "On" #name, sink);

void BindEventLines(TZoEngine& engine, EventLineSink sink) { ZO_ENGINE_EVENTS(VELKO_BIND) }
