#include "bot_lines.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "U_codepage.h"

namespace {

constexpr size_t kLineLimit = 512 - 2;  // CR LF included in the limit

// `head` + `text` + `tail`, with `text` cut at a character boundary so the line fits.
std::string FitLine(const std::string& head, const std::string& text, const std::string& tail) {
  const size_t fixed = head.size() + tail.size();
  const size_t room = fixed < kLineLimit ? kLineLimit - fixed : 0;
  return head + text.substr(0, Cp949CutLength(text.data(), text.size(), room)) + tail + "\r\n";
}

std::string Cp949Heard(const char* heard) {
  std::string text = EncodeText(DecodeDisplay(heard));
  text.erase(std::remove(text.begin(), text.end(), '\x01'), text.end());
  return text;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string GreetingLine(const char* channel, const char* nick) {
  const std::string head = std::string("PRIVMSG ") + channel + " :" + Cp949Literal("안녕하세요, ");
  return FitLine(head, nick, Cp949Literal("님! 벨코 대화방에 오신 것을 환영해요. 제 이름을 부르시면 대답해 드릴게요."));
}

std::string AnswerLine(const char* target, const char* nick, const char* heard) {
  const std::string head = std::string("PRIVMSG ") + target + " :" + nick + Cp949Literal("님, \"");
  return FitLine(head, Cp949Heard(heard), Cp949Literal("\"라고 하셨네요. 말 걸어 주셔서 고마워요!"));
}

std::string CtcpReplyLine(const char* nick, const char* keyword, const char* params) {
  const std::string head = std::string("NOTICE ") + nick + " :\x01";
  if (strcmp(keyword, "VERSION") == 0) return FitLine(head, "VERSION velkobot, Velko's chat partner", "\x01");
  if (strcmp(keyword, "PING") == 0) return FitLine(head + (*params ? "PING " : "PING"), params, "\x01");
  return {};
}

bool NamesNick(const char* text, const std::string& nick) {
  return !nick.empty() && Lower(text).find(Lower(nick)) != std::string::npos;
}
