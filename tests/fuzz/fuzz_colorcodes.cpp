// IRC formatting codes arrive in every line from the server.
#include <cstdlib>
#include <cstring>
#include <string>

#include "U_lib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::string stripped = text;
  StripCodes(stripped.data());
  const size_t left = strlen(stripped.c_str());
  if (left > strlen(text.c_str())) abort();
  if (memchr(stripped.data(), kCodeBold, left) || memchr(stripped.data(), kCodeItalic, left) ||
      memchr(stripped.data(), kCodeUnderline, left) || memchr(stripped.data(), kCodeColor, left))
    abort();

  const char* position = text.c_str();
  const TColorCode code = ReadColorCode(position);
  if (position < text.c_str() || position > text.c_str() + 5) abort();
  const int index = RichColorIndex(code);
  if (index < 0 || index > 15) abort();
  return 0;
}
