// The client's user settings: built-in defaults, overwritten from the registry
// at construction and written back at destruction.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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
  // Non-zero: UTF-8 on the wire to every server, not only to UTF-8-only ones.
  int32_t Utf8 = 0;
  // Non-zero: a peer's DCC chat offer is connected at once, without asking.
  int32_t DCCChatAutoAccept = 0;
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

 private:
  void Load();
  void Save();
};

// Stores values of the client's settings by name (texts in CP949, decimal
// numbers for Port, FontSize and Utf8), as the client reads them at start.
// All or none: an error text for the first name it does not know or number
// that is none.
std::string StoreSettings(const std::vector<std::pair<std::string, std::string>>& values);
