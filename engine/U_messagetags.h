// Message tags of a received line ("@key=value;+client;vendor/key ..."): taken
// apart once, values unescaped, the section bounded; the server's time and ours.
#pragma once

#include <cstddef>
#include <cstdint>

struct ZoTags {
  // The longest tag section a server may send, its "@" and closing blank included.
  static constexpr size_t kMaxSection = 8191;
  // Tags beyond this many are dropped: no server sends nearly as many.
  static constexpr size_t kMaxTags = 64;

  // Each tag as key NUL value NUL; a key without a value has an empty one.
  char text[kMaxSection + kMaxTags + 1];
  uint16_t keyAt[kMaxTags];
  uint16_t valueAt[kMaxTags];
  uint8_t count;
};

// Takes apart the `length` bytes after the "@" and before the first blank. A
// section over the limit is no section: the line keeps no tags.
void ZoParseTags(const char* section, size_t length, ZoTags* tags);
// The value of the last tag named `key` ("" when it has none), null when absent.
const char* ZoTag(const ZoTags& tags, const char* key);
// An ISO 8601 UTC time as servers send it ("2026-12-07T20:41:05.123Z") in
// milliseconds since 1970; 0 for anything else.
int64_t ZoServerTime(const char* text);
// Now, in milliseconds since 1970 (UTC).
int64_t ZoNowMs();
