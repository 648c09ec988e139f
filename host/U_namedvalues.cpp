#include "U_namedvalues.h"

NamedValues MergeProperties(const NamedValues& page, const NamedValues& options) {
  NamedValues merged = page;
  for (const auto& option : options) {
    bool replaced = false;
    for (auto& value : merged) {
      if (value.first.compare(option.first, Qt::CaseInsensitive) != 0) continue;
      value.second = option.second;
      replaced = true;
    }
    if (!replaced) merged.push_back(option);
  }
  return merged;
}
