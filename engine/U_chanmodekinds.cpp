#include "U_chanmodekinds.h"

#include <cstring>

void CZoChanModeKinds::Set(const char* chanmodes) {
  const char* first = strchr(chanmodes, ',');
  const char* second = first ? strchr(first + 1, ',') : nullptr;
  const char* third = second ? strchr(second + 1, ',') : nullptr;
  if (!third) return;
  lists_.assign(chanmodes, first);
  always_.assign(first + 1, second);
  whenSet_.assign(second + 1, third);
}
