// Skin files come from any web server the page names.
#include <cstdlib>
#include <string_view>

#include "U_skinfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TSkinValues values;
  ParseSkinText(text, values);
  // Sizes have no key; no line may reach them.
  const TSkinValues defaults;
  if (values.SubWinFrame[CaptionHeightSlot] != defaults.SubWinFrame[CaptionHeightSlot] ||
      values.ModalFrame[ButtonSizeSlot] != defaults.ModalFrame[ButtonSizeSlot] || values.FixedFrame != defaults.FixedFrame)
    abort();
  uint32_t colour = 0xFF000000;
  if (ParseSkinColor(text, &colour) && colour > 0xFFFFFF) abort();
  return 0;
}
