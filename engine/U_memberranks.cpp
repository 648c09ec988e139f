#include "U_memberranks.h"

#include <cstring>

void CZoMemberRanks::Set(const char* prefix) {
  const char* close = prefix[0] == '(' ? strchr(prefix, ')') : nullptr;
  if (!close) return;
  std::string letters(prefix + 1, close);
  std::string signs(close + 1);
  if (letters.size() != signs.size()) return;
  letters_ = std::move(letters);
  signs_ = std::move(signs);
}

char CZoMemberRanks::LetterOf(char sign) const {
  const size_t at = sign ? signs_.find(sign) : std::string::npos;
  return at == std::string::npos ? 0 : letters_[at];
}

bool CZoMemberRanks::AtLeastHalfop(const char* letters) const {
  size_t lowest = letters_.find('h');
  if (lowest == std::string::npos) lowest = letters_.find('o');
  for (const char* letter = letters; letter && *letter; ++letter) {
    const size_t rank = letters_.find(*letter);
    if (rank != std::string::npos && lowest != std::string::npos && rank <= lowest) return true;
  }
  return false;
}
