#include "U_codepage.h"

#include <iconv.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  // Converts what it can; stops at the first byte it cannot take and says why
  // (0 when everything was converted).
  int Convert(const char*& in, size_t& inLeft, char*& out, size_t& outLeft) {
    char* input = const_cast<char*>(in);
    const size_t result = iconv(handle_, &input, &inLeft, &out, &outLeft);
    in = input;
    return result == static_cast<size_t>(-1) ? errno : 0;
  }
  void Reset() { iconv(handle_, nullptr, nullptr, nullptr, nullptr); }

 private:
  iconv_t handle_;
};

IconvHandle& Cp949ToUtf8() {
  static thread_local IconvHandle handle("UTF-8", "CP949");
  return handle;
}

IconvHandle& Utf8ToCp949() {
  static thread_local IconvHandle handle("CP949", "UTF-8");
  return handle;
}

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  return 4;
}

// The length of the valid UTF-8 sequence at `p`, 0 when it is not one.
size_t ValidUtf8At(const unsigned char* p, size_t left) {
  const unsigned char lead = p[0];
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
  } else {
    return 0;
  }
  if (left < length || p[1] < low || p[1] > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((p[i] & 0xC0) != 0x80) return 0;
  return length;
}

QString DecodeCp949(const char* text, size_t length) {
  // Plain ASCII, which CP949 keeps as it is, is most of many channels' text.
  if (std::none_of(text, text + length, [](char c) { return (c & 0x80) != 0; }))
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
  IconvHandle& cd = Cp949ToUtf8();
  if (!cd.valid()) return QString::fromLatin1(text, static_cast<qsizetype>(length));
  cd.Reset();
  // One input byte never yields more than three output bytes, a replacement included.
  std::string out(length * 3, '\0');
  char* outPos = out.data();
  size_t outLeft = out.size();
  const char* in = text;
  size_t inLeft = length;
  while (inLeft > 0) {
    if (cd.Convert(in, inLeft, outPos, outLeft) == 0) break;
    if (inLeft == 0 || outLeft < 3) break;
    memcpy(outPos, kReplacementUtf8, 3);  // a byte CP949 does not know
    outPos += 3;
    outLeft -= 3;
    ++in;
    --inLeft;
    cd.Reset();
  }
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(outPos - out.data()));
}

}  // namespace

TextCoding DisplayCoding(const char* text, size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  bool multiByte = false;
  for (size_t i = 0; i < length;) {
    const size_t sequence = ValidUtf8At(bytes + i, length - i);
    if (sequence == 0) return TextCoding::Cp949;
    multiByte = multiByte || sequence > 1;
    i += sequence;
  }
  return multiByte ? TextCoding::Utf8 : TextCoding::Cp949;
}

QString DecodeText(const char* text, size_t length, TextCoding coding) {
  if (coding == TextCoding::Utf8) return QString::fromUtf8(text, static_cast<qsizetype>(length));
  return DecodeCp949(text, length);
}

QString DecodeDisplay(const char* text, size_t length) {
  return DecodeText(text, length, DisplayCoding(text, length));
}

QString DecodeDisplay(const char* text) { return text ? DecodeDisplay(text, strlen(text)) : QString(); }

std::string Utf8Text(const char* text, size_t length) {
  if (DisplayCoding(text, length) == TextCoding::Utf8) return std::string(text, length);
  return DecodeCp949(text, length).toStdString();
}

std::string EncodeText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  IconvHandle& cd = Utf8ToCp949();
  if (!cd.valid()) return utf8.toStdString();
  cd.Reset();
  // No character takes more bytes in CP949 than in UTF-8.
  std::string out(static_cast<size_t>(utf8.size()), '\0');
  char* outPos = out.data();
  size_t outLeft = out.size();
  const char* in = utf8.constData();
  size_t inLeft = static_cast<size_t>(utf8.size());
  while (inLeft > 0) {
    if (cd.Convert(in, inLeft, outPos, outLeft) == 0 || inLeft == 0 || outLeft == 0) break;
    *outPos++ = '?';  // a character CP949 lacks
    --outLeft;
    const size_t skip = std::min(inLeft, Utf8SequenceLength(static_cast<unsigned char>(*in)));
    in += skip;
    inLeft -= skip;
    cd.Reset();
  }
  out.resize(static_cast<size_t>(outPos - out.data()));
  return out;
}

const char* Cp949Literal(const char* utf8) {
  // Node-based, so the texts handed out never move.
  static std::unordered_map<std::string, std::string> converted;
  auto [entry, added] = converted.try_emplace(utf8);
  if (added) entry->second = EncodeText(QString::fromUtf8(utf8));
  return entry->second.c_str();
}

size_t Cp949CutLength(const char* text, size_t length, size_t limit) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t cut = 0;
  while (cut < length) {
    const unsigned char lead = bytes[cut];
    const bool pair = lead >= 0x81 && lead <= 0xFE && cut + 1 < length &&
                      ((bytes[cut + 1] >= 0x41 && bytes[cut + 1] <= 0x5A) ||
                       (bytes[cut + 1] >= 0x61 && bytes[cut + 1] <= 0x7A) ||
                       (bytes[cut + 1] >= 0x81 && bytes[cut + 1] <= 0xFE));
    const size_t next = cut + (pair ? 2 : 1);
    if (next > limit) break;
    cut = next;
  }
  return cut;
}
