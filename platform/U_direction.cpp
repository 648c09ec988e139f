#include "U_direction.h"

QString WithoutDirectionControls(QString text) {
  text.removeIf([](QChar c) {
    return (c >= QChar(0x202A) && c <= QChar(0x202E)) || (c >= QChar(0x2066) && c <= QChar(0x2069));
  });
  return text;
}
