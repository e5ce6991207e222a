#include "fields/sanitisers.h"

#include "fields/datetime.h"
#include "fields/text.h"

namespace fields {
namespace {

// Accented Latin letters folded to their base letter; 0 when not mapped.
char fold(unsigned char c) {
  if ((c >= 0xC0 && c <= 0xC4) || (c >= 0xE0 && c <= 0xE4)) return 'A';
  if (c == 0xC7 || c == 0xE7) return 'C';
  if ((c >= 0xC8 && c <= 0xCB) || (c >= 0xE8 && c <= 0xEB)) return 'E';
  if ((c >= 0xCC && c <= 0xCF) || (c >= 0xEC && c <= 0xEF)) return 'I';
  if ((c >= 0xD2 && c <= 0xD6) || (c >= 0xF2 && c <= 0xF6)) return 'O';
  if ((c >= 0xD9 && c <= 0xDC) || (c >= 0xF9 && c <= 0xFC)) return 'U';
  return 0;
}

unsigned char upper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

}  // namespace

std::string CampoValido(std::string_view s) {
  std::string r(s.size(), ' ');
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = upper(static_cast<unsigned char>(s[i]));
    if (c == ' ' || c == '%' || (c >= ',' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '\\') {
      r[i] = static_cast<char>(c);
    } else if (char f = fold(c)) {
      r[i] = f;
    }
  }
  return r;
}

std::string CampoValidoCEPTEL(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char ch : s) {
    unsigned char c = upper(static_cast<unsigned char>(ch));
    if (char f = fold(c)) c = static_cast<unsigned char>(f);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) r += static_cast<char>(c);
  }
  return r;
}

std::string VirgDeciAssu(std::string_view s, int n) {
  const int k = static_cast<int>(AllTrim(s).size());
  std::string r = Replicate("0", n - (k - 1));
  auto p = s.find(',');
  if (p == std::string_view::npos) p = s.find('.');
  if (p == std::string_view::npos) return r + std::string(s);  // no separator: every character kept
  r += s.substr(0, p);
  r += s.substr(p + 1);
  return r;
}

std::string AjustaRight(std::string_view s, int n) {
  return LeftStr(PreencheZeroDireita(s, n), n);
}

std::string Preenche_Brancos(int n) {
  return n > 0 ? std::string(n, ' ') : std::string();
}

std::string Money(double v, int n) {
  return VirgDeciAssu(FormatFloat("#0.00", RoundDec(v, 2)), n);
}

std::string SemPontuacao(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (c != ' ' && c != '.' && c != '-' && c != '/') r += c;
  return r;
}

}  // namespace fields
