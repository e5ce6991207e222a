#include "fields/account.h"

#include "fields/text.h"

namespace fields {

int TamanhoNossoNumero(std::string_view modelo) {
  const std::string t = UpperCase(modelo);
  const int p = Pos("[SEQ", t);
  if (p == 0) return 0;
  const std::string n = Copy(t, p + 4, 2);
  if (n.size() != 2 || n[0] < '0' || n[0] > '9' || n[1] < '0' || n[1] > '9') return 0;
  return (n[0] - '0') * 10 + (n[1] - '0');
}

std::string ContaSemDv(std::string_view conta, std::string_view picture, std::string_view lembrado) {
  const std::string t = AllTrim(conta);
  if (const int h = Pos("-", t); h > 1) return LeftStr(t, h - 1);
  const int d = Pos("-", picture);
  if (d > 0) return LeftStr(AllTrim(conta), d - 1);
  const std::string r = AllTrim(lembrado);
  return r.empty() ? AllTrim(conta) : r;
}

std::string DacConta(std::string_view conta) {
  return Right(conta, 1);
}

std::string ContaCobrancaSemDv(std::string_view conta, std::string_view picture) {
  const int d = Pos("-", picture);
  const std::string r = AllTrim(conta);
  return d > 0 ? LeftStr(r, d - 1) : r;
}

std::string DvContaCobranca(std::string_view conta, std::string_view picture) {
  const int d = Pos("-", picture);
  if (d == 0) return "0";
  return AllTrim(Copy(AllTrim(conta), d, 1 << 20));
}

}  // namespace fields
