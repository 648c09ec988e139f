#include "C_datas.h"

#include <QFile>
#include <optional>
#include <QStandardPaths>
#include <strings.h>
#include <utility>

#include "U_codepage.h"
#include "U_commondata.h"
#include "U_lib.h"
#include "U_reg.h"
#include "U_settingrules.h"
#include "U_secrets.h"

namespace {

constexpr const char* kKeyPath = "Software\\QUELBO\\VELKO";
constexpr const char* kDefaultAliases =
    "TO=PRIVMSG;MSG=PRIVMSG;QUERY=PRIVMSG;J=JOIN;P=PART;N=NICK;AL=NICK;L=LIST;W=WHOIS;ST=LIST";
constexpr const char* kAppendedAliases[] = {"JOIN=JOIN", "PART=PART"};
constexpr size_t kTextBuffer = 512;
constexpr size_t kAliasBuffer = 16383;
constexpr const char* kPasswordName = "SaslPassword";

bool IsAppendedAlias(const std::string& entry) {
  for (const char* appended : kAppendedAliases)
    if (entry == appended) return true;
  return false;
}

// The appended entries are dropped from the stored table: added again at every
// load, their saved copies would otherwise pile up until the table outgrows its
// buffer and the user's own entries fall back to the defaults.
std::vector<std::string> SplitAliases(const std::string& text) {
  std::vector<std::string> entries;
  SplitString(text.c_str(), entries, ';');
  std::erase_if(entries, IsAppendedAlias);
  return entries;
}

// The values kept under their own names, read and written alike.
const std::pair<const char*, std::string CDatas::*> kTexts[] = {
    {"Address", &CDatas::Address},
    {"Nick", &CDatas::Nick},
    {"UserName", &CDatas::UserName},
    {"EMail", &CDatas::EMail},
    {"Location", &CDatas::Location},
    {"Age", &CDatas::Age},
    {"Sex", &CDatas::Sex},
    {"Intro", &CDatas::Intro},
    {"FontName", &CDatas::FontName},
    {"DCCDir", &CDatas::DCCDir},
    {"SaslAccount", &CDatas::SaslAccount},
    {"SaslPassword", &CDatas::SaslPassword},
    {"TlsFingerprint", &CDatas::TlsFingerprint},
    {"TlsCaFile", &CDatas::TlsCaFile},
    {"TlsClientCert", &CDatas::TlsClientCert},
    {"TlsClientKey", &CDatas::TlsClientKey},
    {"Encoding", &CDatas::Encoding},
    {"Friends", &CDatas::Friends},
};
const std::pair<const char*, int32_t CDatas::*> kNumbers[] = {
    {"Port", &CDatas::Port},
    {"Tls", &CDatas::Tls},
    {"FontSize", &CDatas::FontSize},
    {"Utf8", &CDatas::Utf8},
    {"DCCChatAutoAccept", &CDatas::DCCChatAutoAccept},
    {"InputLine", &CDatas::InputLine},
    {"ChatLogs", &CDatas::ChatLogs},
    {"Timestamps", &CDatas::Timestamps},
    {"NickColors", &CDatas::NickColors},
    {"PaneLines", &CDatas::PaneLines},
    {"Notifications", &CDatas::Notifications},
    {"HistoryLines", &CDatas::HistoryLines},
};

std::optional<TWireCoding> EncodingNamed(const std::string& name) {
  if (strcasecmp(name.c_str(), "auto") == 0) return TWireCoding::Auto;
  if (strcasecmp(name.c_str(), "cp949") == 0) return TWireCoding::Cp949;
  if (strcasecmp(name.c_str(), "utf-8") == 0 || strcasecmp(name.c_str(), "utf8") == 0) return TWireCoding::Utf8;
  return std::nullopt;
}

void ReadText(MRegistry& registry, const char* name, std::string& field, size_t bufferSize) {
  ZoStringStatic buffer(bufferSize);
  field = registry.ReadString(name, buffer.buffer(), buffer.capacity(), field.c_str());
}

void SavePassword(MRegistry& registry, const std::string& password) {
  if (SecretStore().Write(kPasswordName, password)) return registry.DeleteValue(kPasswordName);
  registry.WriteString(kPasswordName, password.c_str());
  if (!password.empty()) NoteSecretInFile();
}

}  // namespace

TWireCoding ChosenWireCoding(const CDatas& datas) {
  const TWireCoding chosen = EncodingNamed(datas.Encoding).value_or(TWireCoding::Auto);
  if (chosen == TWireCoding::Auto && datas.Utf8 != 0) return TWireCoding::Utf8;
  return chosen;
}

std::string DefaultDownloadFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return QFile::encodeName(folder).toStdString();
}

CDatas::CDatas()
    : Address("localhost"),
      Nick("VELKO"),
      UserName("VELKO"),
      EMail("velko@localhost"),
      Location("KOREA"),
      Age("1"),
      Sex("?"),
      Intro(Cp949Literal("안녕하세요 반갑습니다.")),
      DCCDir(DefaultDownloadFolder()),
      FontName(Cp949Literal("굴림체")) {
  Load();
}

CDatas::~CDatas() { Save(); }

void CDatas::Load() {
  MRegistry registry;
  std::string aliases = kDefaultAliases;
  if (registry.Open(kKeyPath)) {
    for (const auto& [name, field] : kTexts) ReadText(registry, name, this->*field, kTextBuffer);
    if (!SaslAccount.empty() || !SaslPassword.empty()) TakeKeptPassword(registry);
    for (const auto& [name, field] : kNumbers) registry.ReadInteger(name, &(this->*field), this->*field);
    ReadText(registry, "Alias", aliases, kAliasBuffer);
  }
  Alias = SplitAliases(aliases);
  for (const char* appended : kAppendedAliases) Alias.emplace_back(appended);
}

// The password lives with the secret service when one runs; one found in the
// file, from an older version or a time without a service, moves there.
void CDatas::TakeKeptPassword(MRegistry& registry) {
  passwordAsked_ = true;
  const std::optional<std::string> kept = SecretStore().Read(kPasswordName);
  if (!kept) {
    if (!SaslPassword.empty()) NoteSecretInFile();
    return;
  }
  if (SaslPassword.empty())
    SaslPassword = *kept;
  else if (SecretStore().Write(kPasswordName, SaslPassword))
    registry.DeleteValue(kPasswordName);
}

void CDatas::FetchKeptPassword() {
  if (passwordAsked_ || SaslAccount.empty()) return;
  MRegistry registry;
  if (registry.Open(kKeyPath)) TakeKeptPassword(registry);
}

void CDatas::Save() {
  MRegistry registry;
  if (!registry.Open(kKeyPath)) return;
  for (const auto& [name, field] : kTexts)
    if (field != &CDatas::SaslPassword) registry.WriteString(name, (this->*field).c_str());
  // A secret never asked for stays as it is kept.
  if (passwordAsked_ || !SaslPassword.empty()) {
    passwordAsked_ = true;
    SavePassword(registry, SaslPassword);
  }
  for (const auto& [name, field] : kNumbers) registry.WriteInteger(name, this->*field);
  registry.WriteString("Alias", JoinStrings(Alias, ';').c_str());
}

std::string SettingValue(const CDatas& datas, std::string_view name) {
  for (const auto& [known, field] : kTexts)
    if (name == known) return datas.*field;
  for (const auto& [known, field] : kNumbers)
    if (name == known) return std::to_string(datas.*field);
  return name == "Alias" ? JoinStrings(datas.Alias, ';') : std::string();
}

void AssignSettings(CDatas& datas, const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [name, given] : values) {
    const std::string value = StoredSettingValue(name, given);
    for (const auto& [known, field] : kTexts)
      if (name == known) datas.*field = value;
    for (const auto& [known, field] : kNumbers)
      if (name == known) datas.*field = std::stoi(value);
    if (name == "Alias") datas.Alias = SplitAliases(value);
  }
}

std::string StoreSettings(const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [name, value] : values)
    if (const auto fault = CheckSetting(name, value)) return fault->english;
  CDatas datas;
  AssignSettings(datas, values);
  return {};
}
