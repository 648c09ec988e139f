#include "C_datas.h"

#include <QFile>
#include <QStandardPaths>
#include <utility>

#include "U_codepage.h"
#include "U_commondata.h"
#include "U_lib.h"
#include "U_reg.h"

namespace {

constexpr const char* kKeyPath = "Software\\QUELBO\\VELKO";
constexpr const char* kDefaultAliases =
    "TO=PRIVMSG;MSG=PRIVMSG;QUERY=PRIVMSG;J=JOIN;P=PART;N=NICK;AL=NICK;L=LIST;W=WHOIS;ST=LIST";
constexpr const char* kAppendedAliases[] = {"JOIN=JOIN", "PART=PART"};
constexpr size_t kTextBuffer = 512;
constexpr size_t kAliasBuffer = 16383;

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

// The login and trust values for secured servers, read and written alike.
const std::pair<const char*, std::string CDatas::*> kLoginTexts[] = {
    {"SaslAccount", &CDatas::SaslAccount},     {"SaslPassword", &CDatas::SaslPassword},
    {"TlsFingerprint", &CDatas::TlsFingerprint}, {"TlsCaFile", &CDatas::TlsCaFile},
    {"TlsClientCert", &CDatas::TlsClientCert}, {"TlsClientKey", &CDatas::TlsClientKey},
};

void ReadText(MRegistry& registry, const char* name, std::string& field, size_t bufferSize) {
  ZoStringStatic buffer(bufferSize);
  field = registry.ReadString(name, buffer.buffer(), buffer.capacity(), field.c_str());
}

}  // namespace

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
    ReadText(registry, "Address", Address, kTextBuffer);
    ReadText(registry, "Nick", Nick, kTextBuffer);
    registry.ReadInteger("Port", &Port, 6667);
    ReadText(registry, "Alias", aliases, kAliasBuffer);
    ReadText(registry, "UserName", UserName, kTextBuffer);
    ReadText(registry, "EMail", EMail, kTextBuffer);
    ReadText(registry, "Location", Location, kTextBuffer);
    ReadText(registry, "Age", Age, kTextBuffer);
    ReadText(registry, "Sex", Sex, kTextBuffer);
    ReadText(registry, "Intro", Intro, kTextBuffer);
    ReadText(registry, "FontName", FontName, kTextBuffer);
    registry.ReadInteger("FontSize", &FontSize, 9);
    ReadText(registry, "DCCDir", DCCDir, kTextBuffer);
    registry.ReadInteger("Utf8", &Utf8, 0);
    registry.ReadInteger("DCCChatAutoAccept", &DCCChatAutoAccept, 0);
    for (const auto& [name, field] : kLoginTexts) ReadText(registry, name, this->*field, kTextBuffer);
  }
  Alias = SplitAliases(aliases);
  for (const char* appended : kAppendedAliases) Alias.emplace_back(appended);
}

void CDatas::Save() {
  MRegistry registry;
  if (!registry.Open(kKeyPath)) return;
  registry.WriteString("Address", Address.c_str());
  registry.WriteString("Nick", Nick.c_str());
  registry.WriteInteger("Port", Port);
  registry.WriteString("Alias", JoinStrings(Alias, ';').c_str());
  registry.WriteString("UserName", UserName.c_str());
  registry.WriteString("EMail", EMail.c_str());
  registry.WriteString("Location", Location.c_str());
  registry.WriteString("Age", Age.c_str());
  registry.WriteString("Sex", Sex.c_str());
  registry.WriteString("Intro", Intro.c_str());
  registry.WriteString("FontName", FontName.c_str());
  registry.WriteInteger("FontSize", FontSize);
  registry.WriteString("DCCDir", DCCDir.c_str());
  registry.WriteInteger("Utf8", Utf8);
  registry.WriteInteger("DCCChatAutoAccept", DCCChatAutoAccept);
  for (const auto& [name, field] : kLoginTexts) registry.WriteString(name, (this->*field).c_str());
}
