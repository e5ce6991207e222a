// Text primitives of the host framework. Every string is single-byte
// Windows-1252 and every position counts from 1, as in the remittance files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fields {

// Right-aligned in n characters, zero-filled on the left (numeric field).
// A longer value keeps its last n characters: numeric fields hold counters and
// codes whose low-order digits are the ones that identify the record.
std::string Ajusta(std::string_view s, int n);
// Left-aligned in n characters, blank-filled on the right (alphanumeric field).
// A longer value keeps its first n characters.
std::string PadR(std::string_view s, int n);
std::string Replicate(std::string_view c, int n);
std::string LeftStr(std::string_view s, int n);
std::string Right(std::string_view s, int n);
std::string AllTrim(std::string_view s);
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
bool EmptyString(std::string_view s);
double RoundDec(double x, int n);
std::string PreencheZeroEsquerda(std::string_view s, int n);
std::string PreencheZeroDireita(std::string_view s, int n);
std::string Nr_Codigo(std::string_view s);
// Modulo-11 check digit of a digit string; see text.cpp for the rules.
std::string Mod11_DV(std::string_view s, std::string_view rule);
std::string UpperCase(std::string_view s);  // a-z only, as the host does
// 1-based position of sub in s, 0 when absent (the host's Pos).
int Pos(std::string_view sub, std::string_view s);
std::string Copy(std::string_view s, int pos, int len);  // 1-based, clamped
std::string IntToStr(int64_t v);

template <class T>
const T& iif(bool c, const T& a, const T& b) {
  return c ? a : b;
}
inline std::string iif(bool c, std::string_view a, std::string_view b) {
  return std::string(c ? a : b);
}

}  // namespace fields
