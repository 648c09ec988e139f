#include "U_lib.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>

#include "U_commondata.h"

namespace {

constexpr uint32_t kPalette[16] = {
    0xFFFFFF, 0x000000, 0x000080, 0x008000, 0xFF0000, 0x800000, 0x800080, 0xFF7F00,
    0xFFFF00, 0x00FF00, 0x008080, 0x00FFFF, 0x0000FF, 0xFF00FF, 0x808080, 0xC0C0C0,
};

int ReadNumber(const char*& position) {
  int number = -1;
  for (int digits = 0; digits < 2 && *position >= '0' && *position <= '9'; ++digits, ++position)
    number = (number < 0 ? 0 : number * 10) + (*position - '0');
  return number;
}

}  // namespace

TColorCode ReadColorCode(const char*& position) {
  TColorCode code;
  code.fore = ReadNumber(position);
  if (*position == ',') {
    ++position;
    code.back = ReadNumber(position);
  }
  return code;
}

uint32_t PaletteColor(int index) { return index >= 0 && index < 16 ? kPalette[index] : kPalette[1]; }


int RichColorIndex(TColorCode code) {
  const int fore = code.fore < 0 ? 1 : code.fore;
  const int back = code.back < 0 ? 0 : code.back;
  int index = fore;
  if (fore == 0)
    index = back != 0 ? back : 1;
  else if (fore == 11)
    index = 2;
  else if (fore == 9)
    index = 10;
  else if (fore == 8)
    index = 7;
  else if (back == 1 && (fore == 14 || fore == 15))
    index = 2;
  if (index == 15) index = 14;
  return index > 15 ? 1 : index;  // numbers past the palette show as plain black
}

void StripCodes(char* text) {
  if (!text) return;
  char* out = text;
  WalkCodedText(
      text, strlen(text), false,
      [&](const char* run, size_t length) {
        memmove(out, run, length);
        out += length;
      },
      [](char code, const char*& position) {
        if (code == kCodeColor) ReadColorCode(position);
      });
  *out = 0;
}

std::string MCommandProcedure::Expand(const char* line) const {
  std::string_view input(line ? line : "");
  if (!input.empty() && input.front() == '/') input.remove_prefix(1);
  if (input.empty()) return {};
  const size_t blank = input.find(' ');
  const std::string word(input.substr(0, blank));
  const std::string_view arguments = blank == std::string_view::npos ? std::string_view() : input.substr(blank + 1);

  const std::optional<std::string> found = FindCommand(word);
  if (!found) return std::string(input);
  std::string command = *found;
  if (arguments.empty()) return command;
  if (ZoSameName(found->c_str(), "PRIVMSG")) {
    const size_t split = arguments.find(' ');
    if (split == std::string_view::npos) return command + ' ' + std::string(arguments);
    return command + ' ' + std::string(arguments.substr(0, split)) + " :" + std::string(arguments.substr(split + 1));
  }
  command += ' ';
  const bool channelCommand = ZoSameName(found->c_str(), "JOIN") || ZoSameName(found->c_str(), "PART");
  return command + (channelCommand ? ChannelArgument(arguments) : std::string(arguments));
}

std::string ChannelArgument(std::string_view name) {
  if (!name.empty() && (name.front() == '#' || name.front() == '&')) return std::string(name);
  return "#" + std::string(name);
}

std::optional<std::string> MCommandProcedure::FindCommand(const std::string& word) const {
  for (auto entry = aliases_.rbegin(); entry != aliases_.rend(); ++entry) {
    const size_t equals = entry->find('=');
    if (equals != std::string::npos && ZoSameName(entry->substr(0, equals).c_str(), word.c_str()))
      return entry->substr(equals + 1);
  }
  return std::nullopt;
}

std::string JoinStrings(const std::vector<std::string>& list, char separator) {
  std::string joined;
  for (const std::string& entry : list) {
    joined += entry;
    joined += separator;
  }
  return joined;
}

void SplitString(const char* text, std::vector<std::string>& list, char separator) {
  list.clear();
  std::string_view rest(text ? text : "");
  while (!rest.empty()) {
    const size_t end = rest.find(separator);
    const std::string_view piece = rest.substr(0, end);
    if (!piece.empty()) list.emplace_back(piece);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

const char* StripNickPrefix(const char* nick) {
  static std::string stripped;
  stripped = nick ? nick : "";
  if (!stripped.empty() && (stripped.front() == '@' || stripped.front() == '+')) stripped.erase(0, 1);
  return stripped.c_str();
}

const char* TimeStamp() {
  static char stamp[16];
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  snprintf(stamp, sizeof stamp, "[%02d:%02d] ", local.tm_hour, local.tm_min);
  return stamp;
}
