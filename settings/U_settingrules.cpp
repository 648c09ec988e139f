#include "U_settingrules.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

constexpr size_t kTextMax = 511;     // what a 512-byte read buffer holds
constexpr size_t kAliasMax = 16382;  // the alias table's buffer, less its NUL
constexpr size_t kNickMax = 30;
constexpr uintmax_t kPemMax = 1024 * 1024;

std::optional<TSettingFault> Fault(const TSettingInfo& info, const std::string& english, const char* korean) {
  return TSettingFault{std::string(info.name) + " " + english, korean};
}

std::optional<TSettingFault> CheckLine(const TSettingInfo& info, const std::string& value, size_t limit) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
    return Fault(info, "is one line", "한 줄로 입력하세요");
  if (value.size() > limit)
    return Fault(info, "is at most " + std::to_string(limit) + " bytes",
                 limit == kTextMax ? "511바이트까지 넣을 수 있습니다" : "너무 깁니다");
  return std::nullopt;
}

std::optional<TSettingFault> CheckText(const TSettingInfo& info, const std::string& value) {
  return CheckLine(info, value, kTextMax);
}

std::optional<TSettingFault> CheckNumber(const TSettingInfo& info, const std::string& value) {
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error == std::errc() && end == value.data() + value.size() && number >= info.min && number <= info.max)
    return std::nullopt;
  const std::string min = std::to_string(info.min);
  const std::string max = std::to_string(info.max);
  if (info.kind == TSettingKind::Flag) return Fault(info, "is 0 or 1, not \"" + value + "\"", "0 또는 1이어야 합니다");
  return TSettingFault{std::string(info.name) + " is a number from " + min + " to " + max + ", not \"" + value + "\"",
                       min + "~" + max + " 사이의 숫자를 넣으세요"};
}

// A nick's own fault, without the setting's name: RFC 2812's letters, digits
// and specials; bytes from 0x80 on are letters, as Korean servers take them.
std::optional<TSettingFault> NickFault(std::string_view nick) {
  if (nick.empty()) return TSettingFault{"cannot be empty", "대화명을 입력하세요"};
  if (nick.size() > kNickMax) return TSettingFault{"is at most 30 bytes", "대화명은 30바이트까지입니다"};
  const auto first = static_cast<unsigned char>(nick.front());
  if (isdigit(first) || first == '-')
    return TSettingFault{"cannot start with a digit or -", "숫자나 -로 시작할 수 없습니다"};
  for (const char c : nick) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || isalnum(byte) || std::string_view("[]\\`_^{|}-").find(c) != std::string_view::npos) continue;
    const std::string shown = byte < 0x20 ? "^" + std::string(1, static_cast<char>(byte + '@')) : std::string(1, c);
    return TSettingFault{"cannot hold \"" + shown + "\"", "쓸 수 없는 글자: '" + shown + "'"};
  }
  return std::nullopt;
}

std::optional<TSettingFault> CheckNick(const TSettingInfo& info, const std::string& value) {
  std::optional<TSettingFault> fault = NickFault(value);
  if (fault) fault->english = std::string(info.name) + " " + fault->english;
  return fault;
}

std::optional<TSettingFault> CheckFriends(const TSettingInfo& info, const std::string& value) {
  if (auto fault = CheckText(info, value)) return fault;
  for (size_t start = 0; start <= value.size();) {
    const size_t comma = std::min(value.find(',', start), value.size());
    const std::string nick = value.substr(start, comma - start);
    if (!nick.empty())
      if (std::optional<TSettingFault> fault = NickFault(nick))
        return TSettingFault{std::string(info.name) + ": \"" + nick + "\" " + fault->english, nick + ": " + fault->korean};
    start = comma + 1;
  }
  return std::nullopt;
}

std::optional<TSettingFault> CheckAlias(const TSettingInfo& info, const std::string& value) {
  if (auto fault = CheckLine(info, value, kAliasMax)) return fault;
  for (size_t start = 0; start < value.size();) {
    const size_t end = std::min(value.find(';', start), value.size());
    const std::string_view entry = std::string_view(value).substr(start, end - start);
    const size_t equals = entry.find('=');
    if (!entry.empty() && (equals == std::string_view::npos || equals == 0))
      return Fault(info, "entries are KEY=VALUE separated by ;, not \"" + std::string(entry) + "\"",
                   "KEY=VALUE를 ;로 나누어 입력하세요");
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<TSettingFault> CheckAddress(const TSettingInfo& info, const std::string& value) {
  if (value.empty()) return Fault(info, "cannot be empty", "서버 주소를 입력하세요");
  if (auto fault = CheckText(info, value)) return fault;
  if (std::count(value.begin(), value.end(), ':') == 1)
    return Fault(info, "takes no port: set Port", "포트는 포트 칸에 넣으세요");
  const bool plain = std::none_of(value.begin(), value.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '@' || c == ',';
  });
  if (!plain) return Fault(info, "is a host name such as irc.example.org", "호스트 이름만 넣으세요");
  return std::nullopt;
}

std::optional<TSettingFault> CheckUserName(const TSettingInfo& info, const std::string& value) {
  if (auto fault = CheckText(info, value)) return fault;
  if (value.empty() || value.find(' ') != std::string::npos)
    return Fault(info, "is one word without blanks", "빈칸 없는 한 단어로 넣으세요");
  return std::nullopt;
}

std::optional<TSettingFault> CheckEncoding(const TSettingInfo& info, const std::string& value) {
  for (const char* known : {"auto", "cp949", "utf-8", "utf8"})
    if (strcasecmp(value.c_str(), known) == 0) return std::nullopt;
  return Fault(info, "is auto, cp949 or utf-8, not " + value, "auto, cp949, utf-8 중 하나여야 합니다");
}

std::optional<TSettingFault> CheckFingerprint(const TSettingInfo& info, const std::string& value) {
  const auto digits = std::count_if(value.begin(), value.end(), [](char c) { return isxdigit(static_cast<unsigned char>(c)); });
  const bool separators = std::all_of(value.begin(), value.end(), [](char c) {
    return isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == ' ';
  });
  if (value.empty() || (digits == 64 && separators)) return std::nullopt;
  return Fault(info, "is a SHA-256 in hex: 64 digits, colons allowed", "16진수 64자리 지문을 넣으세요");
}

bool Writable(const fs::path& folder) { return access(folder.c_str(), W_OK | X_OK) == 0; }

// The nearest folder above `path` that exists; empty when none does.
fs::path ExistingAncestor(fs::path path) {
  std::error_code error;
  while (path.has_relative_path() && !fs::exists(path, error)) path = path.parent_path();
  return fs::exists(path, error) ? path : fs::path();
}

std::optional<TSettingFault> CheckFolder(const TSettingInfo& info, const std::string& value) {
  const std::string name(info.name);
  if (value.empty() || value.front() != '/')
    return Fault(info, "is a full path, starting with /", "/로 시작하는 경로를 넣으세요");
  if (auto fault = CheckText(info, value)) return fault;
  std::error_code error;
  const fs::path folder(value);
  if (fs::exists(folder, error)) {
    if (!fs::is_directory(folder, error))
      return TSettingFault{name + ": " + value + " is a file, not a folder", "폴더가 아니라 파일입니다"};
    if (!Writable(folder)) return TSettingFault{name + ": " + value + " cannot be written", "쓸 수 없는 폴더입니다"};
    return std::nullopt;
  }
  const fs::path above = ExistingAncestor(folder);
  if (above.empty() || !fs::is_directory(above, error) || !Writable(above))
    return TSettingFault{name + ": " + value + " cannot be created", "만들 수 없는 폴더입니다"};
  return std::nullopt;
}

std::optional<TSettingFault> CheckPemFile(const TSettingInfo& info, const std::string& value) {
  if (value.empty()) return std::nullopt;
  if (auto fault = CheckText(info, value)) return fault;
  const std::string name(info.name);
  std::error_code error;
  const fs::path file(value);
  if (!fs::exists(file, error)) return TSettingFault{name + ": " + value + " does not exist", "없는 파일입니다"};
  if (!fs::is_regular_file(file, error))
    return TSettingFault{name + ": " + value + " is not a regular file", "보통 파일이 아닙니다"};
  if (access(file.c_str(), R_OK) != 0)
    return TSettingFault{name + ": " + value + " cannot be read", "읽을 수 없는 파일입니다"};
  if (fs::file_size(file, error) > kPemMax)
    return TSettingFault{name + ": " + value + " is larger than 1 MiB", "1 MiB보다 큰 파일입니다"};
  return std::nullopt;
}

constexpr TSettingKind kText = TSettingKind::Text;
constexpr TSettingKind kPath = TSettingKind::Path;
constexpr TSettingKind kNumber = TSettingKind::Number;

constexpr TSettingInfo Flag(const char* name, const char* meaning, const char* shownDefault) {
  return {name, TSettingKind::Flag, meaning, shownDefault, CheckNumber, 0, 1};
}

const TSettingInfo kSettings[] = {
    {"Address", kText, "the server's host name", "localhost", CheckAddress},
    {"Port", kNumber, "the server's port, 1 to 65535", "6667", CheckNumber, 1, 65535},
    Flag("Tls", "1: connect to the server with TLS", "0"),
    {"Nick", kText, "the nick to log on with", "VELKO", CheckNick},
    {"UserName", kText, "the name sent at logon", "VELKO", CheckUserName},
    {"EMail", kText, "the user's profile, stored only", "", CheckText},
    {"Location", kText, "the user's profile, stored only", "", CheckText},
    {"Age", kText, "the user's profile, stored only", "", CheckText},
    {"Sex", kText, "the user's profile, stored only", "", CheckText},
    {"Intro", kText, "the user's profile, stored only", "", CheckText},
    {"FontName", kText, "the font, stored only", "", CheckText},
    {"FontSize", kNumber, "the font, stored only", "", CheckNumber, 1, 100},
    {"DCCDir", kPath, "where received files go: a folder that exists or can be made", "the download folder",
     CheckFolder},
    Flag("DCCChatAutoAccept", "1: connect a peer's chat offer without asking", "0"),
    {"Alias", kText, "the alias table, KEY=VALUE entries separated by ;", "", CheckAlias},
    {"Encoding", kText, "text on the wire: auto, cp949 or utf-8", "auto", CheckEncoding},
    Flag("Utf8", "1: UTF-8 on the wire when Encoding is auto", "0"),
    Flag("InputLine", "1: the control shows its own input line", "0"),
    Flag("ChatLogs", "1: channel and private windows keep daily log files", "0"),
    Flag("Timestamps", "1: pane lines start with [HH:MM]", "1"),
    Flag("NickColors", "1: each nick has a colour of its own", "1"),
    {"PaneLines", kNumber, "lines a pane keeps, 200 to 100000", "2000", CheckNumber, 200, 100000},
    Flag("Notifications", "1: mentions and private lines in the background notify the desktop", "1"),
    {"HistoryLines", kNumber, "past lines fetched on joining where the server keeps them, 0 to 1000; 0: none", "50",
     CheckNumber, 0, 1000},
    {"Friends", kText, "nicks, separated by commas, whose coming and going is shown", "", CheckFriends},
    {"SaslAccount", kText, "the SASL PLAIN login; empty: none", "", CheckText},
    {"SaslPassword", kText, "the SASL PLAIN login; empty: none", "", CheckText},
    {"TlsFingerprint", kText, "a server certificate's SHA-256 to trust", "", CheckFingerprint},
    {"TlsCaFile", kPath, "a CA file (PEM) to trust", "", CheckPemFile},
    {"TlsClientCert", kPath, "a client certificate and its key (PEM), for SASL EXTERNAL", "", CheckPemFile},
    {"TlsClientKey", kPath, "a client certificate and its key (PEM), for SASL EXTERNAL", "", CheckPemFile},
};

}  // namespace

std::span<const TSettingInfo> SettingInfos() { return kSettings; }

const TSettingInfo* FindSetting(std::string_view name) {
  const auto found = std::ranges::find_if(kSettings, [&](const TSettingInfo& info) { return name == info.name; });
  return found == std::end(kSettings) ? nullptr : found;
}

std::optional<TSettingFault> CheckSetting(std::string_view name, const std::string& value) {
  const TSettingInfo* info = FindSetting(name);
  if (!info) return TSettingFault{"no setting is named " + std::string(name), "모르는 설정입니다"};
  return info->check(*info, value);
}

std::string StoredSettingValue(std::string_view name, std::string value) {
  if (name == "DCCDir" && !value.empty() && value.back() != '/') value += '/';
  return value;
}

bool FolderMissing(const std::string& path) {
  std::error_code error;
  return !path.empty() && path.front() == '/' && !fs::exists(fs::path(path), error);
}
