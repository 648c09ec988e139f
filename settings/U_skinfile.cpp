#include "U_skinfile.h"

#include <fstream>
#include <utility>

#include "U_commondata.h"

namespace {

constexpr std::pair<const char*, uint32_t> kColorNames[] = {
    {"clAqua", 0x00FFFF},   {"clBlack", 0x000000}, {"clBlue", 0x0000FF},  {"clFuchsia", 0xFF00FF},
    {"clDkGray", 0x808080}, {"clGray", 0x808080},  {"clGreen", 0x008000}, {"clLime", 0x00FF00},
    {"clLtGray", 0xC0C0C0}, {"clMaroon", 0x800000}, {"clNavy", 0x000080}, {"clOlive", 0x808000},
    {"clPurple", 0x800080}, {"clRed", 0xFF0000},   {"clWhite", 0xFFFFFF}, {"clYellow", 0xFFFF00},
    {"clSilver", 0xC0C0C0}, {"clTeal", 0x008080},
};

// One decimal number taken modulo 256, up to `end` (or the end of `text`).
bool ParseComponent(std::string_view& text, char end, uint32_t* component) {
  uint32_t value = 0;
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
    value = (value * 10 + static_cast<uint32_t>(text[digits++] - '0')) % 256;
  if (digits == 0) return false;
  text.remove_prefix(digits);
  if (end != 0) {
    if (text.empty() || text.front() != end) return false;
    text.remove_prefix(1);
  }
  *component = value;
  return true;
}

bool ParseTriple(std::string_view text, uint32_t* colour) {
  uint32_t red, green, blue;
  if (!ParseComponent(text, ',', &red) || !ParseComponent(text, ',', &green) ||
      !ParseComponent(text, 0, &blue) || !text.empty())
    return false;
  *colour = red << 16 | green << 8 | blue;
  return true;
}

uint32_t* ColorSlot(TSkinValues& v, const std::string& key) {
  const std::pair<const char*, uint32_t*> slots[] = {
      {"nickbox-bg", &v.NickBoxBg},
      {"nickbox-fg", &v.NickBoxFg},
      {"nickbox-ln", &v.NickBoxLn},
      {"menubox-bg", &v.MenuBoxBg},
      {"menubox-fg", &v.MenuBoxFg},
      {"menubox-ln", &v.MenuBoxLn},
      {"mainwin-bg", &v.MainWinBg},
      {"chanwin-userlist-bg", &v.ChanWinUserListBg},
      {"chanwin-userlist-fg", &v.ChanWinUserListFg},
      {"chlistwin-index-bg", &v.ChListWinIndexBg},
      {"modal-fg", &v.ModalFg},
      {"subwin-caption-fg", &v.SubWinFrame[CaptionText]},
      {"subwin-acaption-fg", &v.SubWinFrame[ActiveCaptionText]},
      {"subwin-caption-bg", &v.SubWinFrame[CaptionBack]},
      {"subwin-acaption-bg", &v.SubWinFrame[ActiveCaptionBack]},
      {"subwin-ln", &v.SubWinFrame[FrameLine]},
      {"subwin-bg", &v.SubWinFrame[BodyColor]},
      {"subwin-sys-ln", &v.SubWinFrame[ButtonLine]},
      {"subwin-sys-fg", &v.SubWinFrame[ButtonGlyph]},
      {"subwin-sys-bg", &v.SubWinFrame[ButtonFace]},
      {"subwin-asys-bg", &v.SubWinFrame[ButtonHotFace]},
      {"modal-caption-fg", &v.ModalFrame[ActiveCaptionText]},
      {"modal-caption-bg", &v.ModalFrame[ActiveCaptionBack]},
      {"modal-ln", &v.ModalFrame[FrameLine]},
      {"modal-bg", &v.ModalFrame[BodyColor]},
      {"modal-sys-ln", &v.ModalFrame[ButtonLine]},
      {"modal-sys-fg", &v.ModalFrame[ButtonGlyph]},
      {"modal-sys-bg", &v.ModalFrame[ButtonFace]},
      {"modal-asys-bg", &v.ModalFrame[ButtonHotFace]},
  };
  for (const auto& [name, slot] : slots)
    if (ZoSameName(name, key.c_str())) return slot;
  return nullptr;
}

bool IsUsedLine(std::string_view line) {
  return !line.empty() && line.size() <= kSkinLineMax && line.front() != '/' &&
         line.find('=') != std::string_view::npos && line.find_first_of(" \t") == std::string_view::npos;
}

void ApplyLine(std::string_view line, TSkinValues& values) {
  const size_t equals = line.find('=');
  const std::string key(line.substr(0, equals));
  const std::string_view value = line.substr(equals + 1);
  if (ZoSameName(key.c_str(), "mainwin-backimg"))
    values.BackImageAddress = value;
  else if (ZoSameName(key.c_str(), "menubox-icon"))
    values.IconAddress = value;
  else if (uint32_t* slot = ColorSlot(values, key))
    ParseSkinColor(value, slot);
}

}  // namespace

bool ParseSkinColor(std::string_view value, uint32_t* colour) {
  if (!value.empty() && value.front() == '#') return ParseTriple(value.substr(1), colour);
  const std::string name(value);
  for (const auto& [known, rgb] : kColorNames) {
    if (ZoSameName(known, name.c_str())) {
      *colour = rgb;
      return true;
    }
  }
  return false;
}

void ParseSkinText(std::string_view text, TSkinValues& values) {
  values.BackImageAddress.clear();
  values.IconAddress.clear();
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (IsUsedLine(line)) ApplyLine(line, values);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

bool ReadLocalFile(const char* path, size_t limit, std::string* data) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<size_t>(size) > limit) return false;
  data->resize(static_cast<size_t>(size));
  file.seekg(0);
  file.read(data->data(), size);
  return file.gcount() == size;
}
