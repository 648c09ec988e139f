#include "U_secrets.h"

#include "U_keychainstore.h"

namespace {

std::unique_ptr<ISecretStore>& Current() {
  static std::unique_ptr<ISecretStore> store;
  return store;
}

enum class TNotice { None, Due, Told };
TNotice notice = TNotice::None;

}  // namespace

ISecretStore& SecretStore() {
  if (!Current()) Current() = std::make_unique<TKeychainStore>();
  return *Current();
}

void SetSecretStore(std::unique_ptr<ISecretStore> store) { Current() = std::move(store); }

void NoteSecretInFile() {
  if (notice == TNotice::None) notice = TNotice::Due;
}

bool TakeSecretInFileNotice() {
  if (notice != TNotice::Due) return false;
  notice = TNotice::Told;
  return true;
}
