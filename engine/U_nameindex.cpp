#include "U_nameindex.h"

#include <functional>

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

size_t ZoFoldHash::operator()(std::string_view name) const {
  size_t hash = 14695981039346656037ull;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(Fold(c))) * 1099511628211ull;
  return hash;
}

bool ZoFoldEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}
