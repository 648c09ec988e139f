// What each stored setting may hold: its kind, what it means and its default
// as users read them, and the check a value passes before it is stored. The
// settings dialog and the host's --set both refuse through it.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class TSettingKind {
  Text,    // one line of CP949 text
  Path,    // a file or folder, bytes in the file system's encoding
  Number,  // a decimal number within the setting's range
  Flag,    // 0 or 1
};

struct TSettingFault;
struct TSettingInfo;
using TSettingCheck = std::optional<TSettingFault> (*)(const TSettingInfo& info, const std::string& value);

struct TSettingInfo {
  const char* name;
  TSettingKind kind;
  const char* meaning;  // English, for --help and the README
  const char* shownDefault;  // as --help shows it; empty when computed or none
  TSettingCheck check;
  int min = 0;  // the range of a number
  int max = 0;
};

// Why a value is refused: English for the command line, Korean (UTF-8) for
// the dialog, which shows it beside the field.
struct TSettingFault {
  std::string english;
  std::string korean;
};

// Every setting the client stores, in --help order.
std::span<const TSettingInfo> SettingInfos();
const TSettingInfo* FindSetting(std::string_view name);

// Nothing when `value` may be stored under `name`. Texts are CP949, paths
// the file system's bytes, numbers decimal.
std::optional<TSettingFault> CheckSetting(std::string_view name, const std::string& value);
// The value as it is kept: a folder with its trailing "/".
std::string StoredSettingValue(std::string_view name, std::string value);
// An absolute folder that does not exist yet (it may be made).
bool FolderMissing(const std::string& path);
