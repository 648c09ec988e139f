#include "U_messagetags.h"

#include <chrono>
#include <cstring>

namespace {

char Unescaped(char c) {
  switch (c) {
    case ':': return ';';
    case 's': return ' ';
    case 'r': return '\r';
    case 'n': return '\n';
    default: return c;
  }
}

// Copies the value unescaped; a lone "\" at the end is dropped. Returns the
// bytes written. Every tagged line passes here: runs without escapes go whole.
size_t Unescape(const char* value, size_t length, char* out) {
  size_t written = 0;
  for (size_t at = 0; at < length; at += 2) {
    const char* escape = static_cast<const char*>(memchr(value + at, '\\', length - at));
    const size_t plain = escape ? static_cast<size_t>(escape - value) - at : length - at;
    memcpy(out + written, value + at, plain);
    written += plain;
    at += plain;
    if (at + 1 < length) out[written++] = Unescaped(value[at + 1]);
  }
  return written;
}

// Reads `count` decimal digits; -1 when one is missing.
int Digits(const char*& at, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i, ++at) {
    if (*at < '0' || *at > '9') return -1;
    value = value * 10 + (*at - '0');
  }
  return value;
}

bool Skip(const char*& at, char c) { return *at == c ? (++at, true) : false; }

// Days from 1970-01-01 to the date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

void ZoParseTags(const char* section, size_t length, ZoTags* tags) {
  tags->count = 0;
  // The limit counts the "@" and the blank that close the section.
  if (length + 2 > ZoTags::kMaxSection) return;
  size_t used = 0;
  for (size_t at = 0; at < length && tags->count < ZoTags::kMaxTags;) {
    const char* tag = section + at;
    const char* semicolon = static_cast<const char*>(memchr(tag, ';', length - at));
    const size_t tagLength = semicolon ? static_cast<size_t>(semicolon - tag) : length - at;
    at += tagLength + 1;
    const char* equals = static_cast<const char*>(memchr(tag, '=', tagLength));
    const size_t keyLength = equals ? static_cast<size_t>(equals - tag) : tagLength;
    if (keyLength == 0) continue;
    tags->keyAt[tags->count] = static_cast<uint16_t>(used);
    memcpy(tags->text + used, tag, keyLength);
    used += keyLength;
    tags->text[used++] = 0;
    tags->valueAt[tags->count++] = static_cast<uint16_t>(used);
    if (equals) used += Unescape(equals + 1, tagLength - keyLength - 1, tags->text + used);
    tags->text[used++] = 0;
  }
}

const char* ZoTag(const ZoTags& tags, const char* key) {
  for (size_t i = tags.count; i-- > 0;)
    if (tags.text[tags.keyAt[i]] == key[0] && strcmp(tags.text + tags.keyAt[i], key) == 0)
      return tags.text + tags.valueAt[i];
  return nullptr;
}

int64_t ZoServerTime(const char* text) {
  if (!text) return 0;
  const char* at = text;
  const int year = Digits(at, 4);
  const int month = Skip(at, '-') ? Digits(at, 2) : -1;
  const int day = Skip(at, '-') ? Digits(at, 2) : -1;
  const int hour = Skip(at, 'T') ? Digits(at, 2) : -1;
  const int minute = Skip(at, ':') ? Digits(at, 2) : -1;
  const int second = Skip(at, ':') ? Digits(at, 2) : -1;
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 60)
    return 0;
  int millis = 0;
  if (Skip(at, '.')) {
    int scale = 100;
    for (; *at >= '0' && *at <= '9'; ++at, scale /= 10) millis += (*at - '0') * scale;
  }
  if (!Skip(at, 'Z') || *at) return 0;
  const int64_t days = DaysFromCivil(year, month, day);
  return ((days * 24 + hour) * 60 + minute) * 60000 + second * 1000LL + millis;
}

int64_t ZoNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}
