// The client's user settings: built-in defaults, overwritten from the registry
// at construction and written back at destruction.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "C_servercaps.h"

class MRegistry;

// The user's download folder, with its trailing "/": where received files go
// until the user picks another folder.
std::string DefaultDownloadFolder();

class CDatas {
 public:
  CDatas();
  ~CDatas();
  CDatas(const CDatas&) = delete;
  CDatas& operator=(const CDatas&) = delete;

  // CP949 byte strings, read and assigned directly by their users.
  std::string Address;
  std::string Nick;
  int32_t Port = 6667;
  // Non-zero: the server is reached over TLS.
  int32_t Tls = 0;
  // "KEY=VALUE" entries; lookups search from the last entry back.
  std::vector<std::string> Alias;
  std::string UserName;
  std::string EMail;
  std::string Location;
  std::string Age;
  std::string Sex;
  std::string Intro;
  // With its trailing "/".
  std::string DCCDir;
  std::string FontName;
  int32_t FontSize = 9;
  // How text goes out: "auto" as the server announces, "cp949" or "utf-8".
  std::string Encoding = "auto";
  // Non-zero: UTF-8 on the wire, when Encoding leaves it to the server.
  int32_t Utf8 = 0;
  // Non-zero: the control shows its own input line, as if its host asked.
  int32_t InputLine = 0;
  // Non-zero: channel and private windows append their lines to daily files.
  int32_t ChatLogs = 0;
  // Non-zero: a peer's DCC chat offer is connected at once, without asking.
  int32_t DCCChatAutoAccept = 0;
  // Non-zero: pane lines start with a muted "[HH:MM]".
  int32_t Timestamps = 1;
  // Non-zero: each nick is drawn in a colour of its own, the same everywhere.
  int32_t NickColors = 1;
  // How many lines a pane keeps; never fewer than 200.
  int32_t PaneLines = 2000;
  // Non-zero: a mention or a private line while the window is in the background raises a desktop notification.
  int32_t Notifications = 1;
  // How many past lines to fetch when joining a channel whose server keeps history; 0: none.
  int32_t HistoryLines = 50;
  // Nicks whose coming and going the server reports, separated by commas.
  std::string Friends;
  // SASL PLAIN login; empty account: none.
  std::string SaslAccount;
  std::string SaslPassword;
  // Trust for a TLS server whose certificate the system does not vouch for:
  // the certificate's SHA-256 in hex (colons allowed), or a CA file (PEM).
  std::string TlsFingerprint;
  std::string TlsCaFile;
  // A client certificate (PEM) for TLS, and its key when in a file of its own;
  // with one the client logs in by SASL EXTERNAL.
  std::string TlsClientCert;
  std::string TlsClientKey;

  // Writes every value now, as destruction does.
  void Save();
  // An account set since the start logs in with the password the secret
  // service keeps, unless one was given. Without an account the service is
  // not asked: reaching it costs a thread, a D-Bus connection and most of a
  // megabyte.
  void FetchKeptPassword();

 private:
  void Load();
  void TakeKeptPassword(MRegistry& registry);

  bool passwordAsked_ = false;
};

// What Encoding and Utf8 ask of the wire; a value Encoding does not know is auto.
TWireCoding ChosenWireCoding(const CDatas& datas);

// A field's value by name, as --set takes it; empty for a name it does not know.
std::string SettingValue(const CDatas& datas, std::string_view name);
// Sets fields by name from values that passed CheckSetting (texts in CP949,
// paths in the file system's encoding, decimal numbers).
void AssignSettings(CDatas& datas, const std::vector<std::pair<std::string, std::string>>& values);
// Stores values of the client's settings by name, as the client reads them
// at start. All or none: the reason, in English, for the first value the
// settings' rules refuse.
std::string StoreSettings(const std::vector<std::pair<std::string, std::string>>& values);
