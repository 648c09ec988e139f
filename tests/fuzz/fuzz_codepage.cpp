// Every received text passes the display decoder; typed text the encoder.
#include <cstdlib>
#include <string>

#include "U_codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const QString shown = DecodeDisplay(text, size);
  if (DisplayCoding(text, size) == TextCoding::Cp949 && shown.size() > static_cast<qsizetype>(size)) abort();
  // What the decoder made of CP949 goes back to CP949 unchanged where it decoded.
  const std::string back = EncodeText(DecodeText(text, size, TextCoding::Cp949));
  if (back.size() > size * 2) abort();
  const size_t limit = size ? data[0] % (size + 1) : 0;
  const size_t cut = Cp949CutLength(text, size, limit);
  if (cut > limit || cut + 1 < limit) abort();
  return 0;
}
