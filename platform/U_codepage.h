// CP949 <-> Unicode: the one decoder text passes through on its way into Qt,
// the one encoder on its way back, the system's own literals in CP949, and
// cutting byte strings without splitting a double-byte character.
#pragma once

#include <QString>
#include <cstddef>
#include <string>

enum class TextCoding { Cp949, Utf8 };

// Modern servers send UTF-8: valid UTF-8 holding at least one multi-byte
// sequence is read as UTF-8, anything else (plain ASCII included) as CP949.
TextCoding DisplayCoding(const char* text, size_t length);
// Bytes that do not decode become U+FFFD; nothing is skipped silently.
QString DecodeText(const char* text, size_t length, TextCoding coding);
QString DecodeDisplay(const char* text, size_t length);
QString DecodeDisplay(const char* text);

// CP949 bytes; a character CP949 lacks becomes "?".
std::string EncodeText(const QString& text);
// The same text in UTF-8: kept when it already reads as UTF-8, else read as CP949.
std::string Utf8Text(const char* text, size_t length);

// A UTF-8 literal of the system in CP949, converted once and kept for the
// life of the process.
const char* Cp949Literal(const char* utf8);

// The longest prefix of `text` (of `length` bytes) that fits `limit` bytes
// without cutting a double-byte character in two.
size_t Cp949CutLength(const char* text, size_t length, size_t limit);
