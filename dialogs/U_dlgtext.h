// Where the dialogs' text crosses between the system's CP949 bytes and Qt:
// one decoder, one encoder, and the byte limit of an edit that never cuts a
// double-byte character in half.
#pragma once

#include <QString>
#include <string>

class QLineEdit;

// Valid UTF-8 with a multi-byte sequence is read as UTF-8, anything else as CP949.
QString DlgDecode(const char* text);
// To CP949; a character CP949 lacks becomes "?".
std::string DlgEncode(const QString& text);
// A UTF-8 literal of the source as CP949.
std::string KoreanText(const char* utf8);
// Keeps `edit` within `maxBytes` bytes of CP949, whole characters only, and
// out of line breaks, which would end an IRC line early.
void LimitCP949(QLineEdit* edit, int maxBytes);
