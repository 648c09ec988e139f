// The skin's colours and image addresses with their defaults, and the reader
// of the skin file format that sets them ("key=value" lines, "/" comments).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "U_framecolors.h"

// Colours are 0x00RRGGBB.
struct TSkinValues {
  uint32_t NickBoxBg = 0xFFFFFF;
  uint32_t NickBoxFg = 0x000000;
  uint32_t NickBoxLn = 0x000000;
  uint32_t MenuBoxBg = 0xFFFFFF;
  uint32_t MenuBoxFg = 0x000000;
  uint32_t MenuBoxLn = 0x000000;
  uint32_t MainWinBg = 0xFFFFFF;
  uint32_t ChanWinUserListBg = 0xFFFFFF;
  uint32_t ChanWinUserListFg = 0x000000;
  uint32_t ChListWinIndexBg = 0xFFFFFF;
  uint32_t ModalFg = 0x000000;
  TFrameColorRecord FixedFrame = {0xFFFFFF, 0x000000, 0x808080, 0x000000, 0xFFFFFF, 0x000000,
                                  0xC0C0C0, 0x000000, 0x808080, 0xFFFFFF, 24,       16};
  TFrameColorRecord SubWinFrame = {0x000000, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF,
                                   0x000000, 0x000000, 0xC0C0C0, 0x808080, 18,       14};
  TFrameColorRecord ModalFrame = {0x000000, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF,
                                  0x000000, 0x000000, 0xC0C0C0, 0x808080, 18,       14};
  std::string BackImageAddress;
  std::string IconAddress;

  bool operator==(const TSkinValues&) const = default;
};

// A skin line longer than this is ignored.
inline constexpr size_t kSkinLineMax = 511;

// "#r,g,b" (each modulo 256) or a colour name; false leaves `colour` as it is.
bool ParseSkinColor(std::string_view value, uint32_t* colour);
// Applies the used lines of a skin file in order. The file names the images
// of this skin: addresses it does not give are cleared.
void ParseSkinText(std::string_view text, TSkinValues& values);

// The whole file, when it is no larger than `limit` bytes.
bool ReadLocalFile(const char* path, size_t limit, std::string* data);
