// Field names are compared as the host compares them: without regard to
// case, accented Windows-1252 letters included.
#pragma once

#include <string_view>

namespace host {

// Inline: writers look up tens of fields by name for every title, and out of
// line these two took some 5 % of a 100 000-title run (Banco do Brasil).
inline unsigned char FoldName(unsigned char x) {
  if (x >= 'a' && x <= 'z') return static_cast<unsigned char>(x - 32);
  // Accented Windows-1252 letters: lower case is upper case + 0x20.
  if (x >= 0xE0 && x != 0xF7 && x != 0xFF) return static_cast<unsigned char>(x - 32);
  return x;
}

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] &&
        FoldName(static_cast<unsigned char>(a[i])) != FoldName(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace host
