#include "fields/cp1252.h"

#include <cstdint>

namespace fields {
namespace {

// Code points of 0x80-0x9F; 0 where Windows-1252 leaves the byte undefined.
constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void put_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns false on a malformed one.
bool next_cp(std::string_view s, size_t& i, uint32_t& cp) {
  auto b = static_cast<unsigned char>(s[i]);
  int extra;
  if (b < 0x80) {
    cp = b;
    extra = 0;
  } else if ((b & 0xE0) == 0xC0) {
    cp = b & 0x1F;
    extra = 1;
  } else if ((b & 0xF0) == 0xE0) {
    cp = b & 0x0F;
    extra = 2;
  } else if ((b & 0xF8) == 0xF0) {
    cp = b & 0x07;
    extra = 3;
  } else {
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= s.size()) {
      i = s.size();
      return false;
    }
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      i += k;
      return false;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  i += extra + 1;
  static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  return cp >= kMin[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view s) {
  if (IsAscii(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (char ch : s) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      uint16_t cp = kHigh[b - 0x80];
      put_utf8(out, cp ? cp : b);
    } else {
      put_utf8(out, b);
    }
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view s) {
  // Most stored text is plain ASCII, the same bytes in both encodings.
  if (IsAscii(s)) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = 0;
    if (!next_cp(s, i, cp)) {
      out += '?';
      continue;
    }
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] == cp) mapped = static_cast<char>(0x80 + k);
    out += mapped;
  }
  return out;
}

bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  uint32_t cp;
  while (i < s.size())
    if (!next_cp(s, i, cp)) return false;
  return true;
}

}  // namespace fields
