// Reads the object parameters of a page of arbitrary bytes.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "U_pageparams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const PageParams result = ParsePageParams(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
  if (!result.ok() && !result.values.empty()) __builtin_trap();
  return 0;
}
