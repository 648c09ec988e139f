// The twelve-word frame colour record shared by the skin loader, the flat
// frame and the sub-window manager: ten colours (0x00RRGGBB), then caption
// height and button size in pixels.
#pragma once

#include <array>
#include <cstdint>

enum FrameColorSlot : int {
  CaptionText = 0,
  ActiveCaptionText = 1,
  CaptionBack = 2,
  ActiveCaptionBack = 3,
  FrameLine = 4,
  BodyColor = 5,
  ButtonLine = 6,
  ButtonGlyph = 7,
  ButtonFace = 8,
  ButtonHotFace = 9,
  CaptionHeightSlot = 10,
  ButtonSizeSlot = 11,
};

using TFrameColorRecord = std::array<uint32_t, 12>;
