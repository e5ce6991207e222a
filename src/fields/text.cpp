#include "fields/text.h"

#include <cmath>

namespace fields {

std::string Ajusta(std::string_view s, int n) {
  if (n <= 0) return {};
  const auto len = static_cast<int>(s.size());
  if (len >= n) return std::string(s.substr(len - n));
  return std::string(n - len, '0') + std::string(s);
}

std::string PadR(std::string_view s, int n) {
  if (n <= 0) return {};
  std::string r(s.substr(0, std::min<size_t>(s.size(), n)));
  r.resize(n, ' ');
  return r;
}

std::string Replicate(std::string_view c, int n) {
  std::string r;
  if (n <= 0) return r;
  if (c.size() == 1) return std::string(static_cast<size_t>(n), c[0]);
  r.reserve(c.size() * n);
  for (int i = 0; i < n; ++i) r += c;
  return r;
}

std::string LeftStr(std::string_view s, int n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, std::min<size_t>(s.size(), n)));
}

std::string Right(std::string_view s, int n) {
  if (n <= 0) return {};
  if (static_cast<size_t>(n) >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - n));
}

std::string LTrim(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return std::string(s.substr(b));
}

std::string RTrim(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return std::string(s.substr(0, e));
}

std::string AllTrim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

bool EmptyString(std::string_view s) {
  return s.find_first_not_of(' ') == std::string_view::npos;
}

double RoundDec(double x, int n) {
  // Decimal rounding half away from zero; the small nudge absorbs the binary
  // representation error of values such as 2.675.
  const double f = std::pow(10.0, n);
  const double v = x * f;
  const double r = std::round(v + (v >= 0 ? 1e-9 : -1e-9));
  return r / f;
}

std::string PreencheZeroEsquerda(std::string_view s, int n) {
  if (static_cast<int>(s.size()) >= n) return std::string(s);
  return std::string(n - s.size(), '0') + std::string(s);
}

std::string PreencheZeroDireita(std::string_view s, int n) {
  std::string r(s);
  if (static_cast<int>(r.size()) < n) r.append(n - r.size(), '0');
  return r;
}

std::string Nr_Codigo(std::string_view s) {
  std::string r;
  for (char c : s)
    if (c >= '0' && c <= '9') r += c;
  return r;
}

// Rule "104": weights 2 to 9 from the rightmost digit, repeating; the digit is
// 11 minus the remainder of the weighted sum by 11, and a result above 9
// (remainders 0 and 1) gives "0". Other rules use the same computation.
// Rule "104", the only one in use: Caixa's check digits of the agreement code
// and of agency plus agreement code. Each digit from the rightmost is weighted
// 2, 3, ... 9, then 2 again; the digit is 11 minus the sum modulo 11, and the
// two results that are not a digit (10 and 11, remainders 1 and 0) give "0",
// as the bank computes them. Anything but a digit in s is skipped.
std::string Mod11_DV(std::string_view s, std::string_view /*rule*/) {
  int sum = 0, w = 2;
  for (auto it = s.rbegin(); it != s.rend(); ++it) {
    if (*it < '0' || *it > '9') continue;
    sum += (*it - '0') * w;
    w = (w == 9) ? 2 : w + 1;
  }
  int d = 11 - (sum % 11);
  if (d > 9) d = 0;
  return std::string(1, static_cast<char>('0' + d));
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (auto& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

int Pos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  auto p = s.find(sub);
  return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

std::string Copy(std::string_view s, int pos, int len) {
  if (pos < 1) pos = 1;
  if (len <= 0 || static_cast<size_t>(pos) > s.size()) return {};
  return std::string(s.substr(pos - 1, len));
}

std::string IntToStr(int64_t v) {
  return std::to_string(v);
}

}  // namespace fields
