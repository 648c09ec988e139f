#include "engine_recorder.h"

#include <algorithm>

#include "event_lines.h"
#include "wait_until.h"

EngineRecorder::EngineRecorder() {
  BindEventLines(engine, [this](const std::string& line) { lines.push_back(line); });
}

std::vector<std::string> EngineRecorder::Events(std::initializer_list<const char*> names) const {
  std::vector<std::string> result;
  for (const std::string& line : lines) {
    const std::string name = line.substr(0, line.find('\t'));
    if (names.size() == 0 || std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; }))
      result.push_back(line);
  }
  return result;
}

bool EngineRecorder::Saw(const std::string& line) const {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool EngineRecorder::WaitFor(const std::string& line, int timeoutMs) const {
  return WaitUntil([&] { return Saw(line); }, timeoutMs);
}

bool EngineRecorder::WaitForPart(const char* name, const std::string& part, int timeoutMs) const {
  return WaitUntil(
      [&] {
        const std::vector<std::string> events = Events({name});
        return std::any_of(events.begin(), events.end(), [&](const std::string& l) { return l.find(part) != l.npos; });
      },
      timeoutMs);
}

bool EngineRecorder::LogOn(uint16_t port, const std::string& nick) {
  engine.SetAddress("127.0.0.1");
  engine.SetPort(port);
  engine.SetNick(nick);
  auto record = engine.OnConnect;
  engine.OnConnect = [this, record, nick](void* p) {
    record(p);
    engine.Send(("USER quelbo 0 0 :" + nick + "\r\nNICK " + nick + "\r\n").c_str());
  };
  return engine.Connect() && WaitFor("OnLogon\t(null)", 10000);
}

bool EngineRecorder::LogOnAndJoin(uint16_t port, const std::string& nick, const std::string& channel) {
  if (!LogOn(port, nick)) return false;
  engine.Send(("JOIN " + channel + "\r\n").c_str());
  return WaitFor("OnOwnerJoin\t" + channel);
}
