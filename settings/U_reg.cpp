#include "U_reg.h"

#include <cstring>

#include "U_commondata.h"

MRegistry::MRegistry() { memset(path_, 0, sizeof(path_)); }

MRegistry::~MRegistry() { Close(); }

bool MRegistry::Open(const char* keyPath) {
  Close();
  // A cut path would name another key.
  if (!keyPath || strlen(keyPath) >= sizeof(path_)) return false;
  ZoCopy(path_, keyPath);
  key_ = RegKey::Create(HKEY_LOCAL_MACHINE, path_);
  return key_ != nullptr;
}

void MRegistry::Close() {
  if (key_) key_->Flush();
  key_.reset();
}

char* MRegistry::ReadString(const char* name, char* buffer, size_t size, const char* defaultValue) {
  if (!key_ || size == 0) return buffer;
  memset(buffer, 0, size);
  const std::optional<RegValue> value = key_->QueryValue(name);
  if (value && size_t(value->data.size()) < size)
    memcpy(buffer, value->data.constData(), value->data.size());
  else
    ZoCopy(buffer, size, defaultValue);
  return buffer;
}

void MRegistry::ReadInteger(const char* name, int32_t* target, int32_t defaultValue) {
  if (!key_) return;
  const std::optional<RegValue> value = key_->QueryValue(name);
  if (!value || value->data.size() != 4) {
    *target = defaultValue;
    return;
  }
  uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | uint8_t(value->data[i]);
  *target = int32_t(bits);
}

void MRegistry::WriteString(const char* name, const char* text) {
  if (key_) key_->SetValue(name, REG_BINARY, QByteArrayView(text ? text : ""));
}

void MRegistry::DeleteValue(const char* name) {
  if (key_) key_->DeleteValue(name);
}

void MRegistry::WriteInteger(const char* name, int32_t value) {
  if (!key_) return;
  const uint32_t bits = uint32_t(value);
  const char bytes[4] = {char(bits), char(bits >> 8), char(bits >> 16), char(bits >> 24)};
  key_->SetValue(name, REG_BINARY, QByteArrayView(bytes, 4));
}
