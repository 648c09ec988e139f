// The system registry this platform lacks: keys below a root key, each value a
// byte string with its type. One INI file per root key in the registry folder.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSettings>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

enum HKEY_ROOT { HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE };

enum RegValueType : uint32_t { REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };

struct RegValue {
  RegValueType type;
  QByteArray data;
};

// $VELKO_REGISTRY_DIR, else the "velko" folder in the user's configuration folder.
QString RegistryFolder();

// One open key. Changes reach the disk when the key is flushed or closed, each
// time as a whole new file renamed over the old one, so a crash leaves either
// the old file or the new one; without a change the file is left alone.
class RegKey {
 public:
  // Opens the key at a path of "\"-separated names, creating it when missing;
  // null when the registry folder cannot be created or written.
  static std::unique_ptr<RegKey> Create(HKEY_ROOT root, const char* path);
  // Opens the key for reading only when its root's file exists; creates nothing.
  static std::unique_ptr<RegKey> OpenExisting(HKEY_ROOT root, const char* path);

  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // An empty name is the key's default value.
  void SetValue(const char* name, RegValueType type, QByteArrayView data);
  // Empty when the value is missing or its stored form is damaged.
  std::optional<RegValue> QueryValue(const char* name) const;
  // Removes the value; a missing one leaves the file untouched.
  void DeleteValue(const char* name);
  // Removes every value of the key and every key below it.
  void DeleteTree();
  // False when the changes could not be written.
  bool Flush();

 private:
  RegKey(const QString& file, const QString& group);

  QSettings settings_;
};
