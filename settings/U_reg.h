// Settings storage under one key of the machine-wide registry root: strings
// and 32-bit integers, both kept as REG_BINARY values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "registry.h"

class MRegistry {
 public:
  MRegistry();
  ~MRegistry();
  MRegistry(const MRegistry&) = delete;
  MRegistry& operator=(const MRegistry&) = delete;

  // Creates or opens the key; false when it cannot be opened.
  bool Open(const char* keyPath);
  void Close();

  // Fills the buffer with the value, or with the default when the value is
  // missing or does not fit with its terminating NUL. Untouched without a key.
  char* ReadString(const char* name, char* buffer, size_t size, const char* defaultValue);
  // Reads a 4-byte little-endian value; anything else gives the default.
  // Untouched without a key.
  void ReadInteger(const char* name, int32_t* target, int32_t defaultValue);
  void WriteString(const char* name, const char* text);
  void WriteInteger(const char* name, int32_t value);
  void DeleteValue(const char* name);

 private:
  std::unique_ptr<RegKey> key_;
  char path_[1024];
};
