// Where the settings keep secrets such as the SASL password: the desktop's
// secret service when one runs; without one the caller keeps them in the
// settings file, which only the user may read, and the user is told once.
#pragma once

#include <memory>
#include <optional>
#include <string>

class ISecretStore {
 public:
  virtual ~ISecretStore() = default;
  // The secret under `name`, empty when none is kept; nothing when no
  // secret service answers.
  virtual std::optional<std::string> Read(const std::string& name) = 0;
  // False when no secret service took it. An empty secret removes the entry.
  virtual bool Write(const std::string& name, const std::string& secret) = 0;
};

// The store the settings use: the desktop's secret service unless replaced.
ISecretStore& SecretStore();
// Replaces the store for the rest of the process; null brings back the desktop's.
void SetSecretStore(std::unique_ptr<ISecretStore> store);

// The settings kept a secret in their file for want of a secret service.
void NoteSecretInFile();
// True once after NoteSecretInFile, so the user hears of it once.
bool TakeSecretInFileNotice();
