// The banks whose layouts depart from their family's standard in what the
// file check reads, each with what its writer and the bank agree on.
#include <algorithm>
#include <string>

#include "layouts/file_check.h"

namespace layouts {

std::string BancoDoHeader(TFamilia f, std::string_view conteudo) {
  const std::string_view header =
      conteudo.substr(0, std::min(conteudo.find_first_of("\r\n"), conteudo.size()));
  const size_t pos = f == TFamilia::Cnab240 ? 0 : 76;
  if (f == TFamilia::Desconhecida || header.size() < pos + 3) return {};
  return std::string(header.substr(pos, 3));
}

TDesvios DesviosDoBanco(TFamilia f, std::string_view banco) {
  TDesvios d;
  if (f == TFamilia::Desconhecida) return d;
  if (f == TFamilia::Cnab240) {
    // Rural closes its file with lot "0000" and no counts.
    d.trailerSemContas = banco == "453" || banco == "749";
    return d;
  }
  // Banco Português numbers its details apart from the header and trailer.
  d.detalhesContadosDe1 = banco == "069";
  // A factoring company's header names no bank; its detail ends with the
  // payer's state at 394-395 and a five-digit sequence.
  d.sequenciaDoDetalheEm396 = banco == "   ";
  // Mercantil's detail places its nosso número in 065-075, and the movement,
  // document, due date, value and payer nine positions after the family.
  if (banco == "389") d.deslocamento = 9;
  return d;
}

int InicioDaSequencia(const TDesvios& d, std::string_view registro, int fim) {
  // A digit at 395 is a six-digit sequence like any other.
  const bool cinco = d.sequenciaDoDetalheEm396 && !registro.empty() && registro[0] == '1' && fim >= 6 &&
                     static_cast<size_t>(fim) <= registro.size() &&
                     (registro[fim - 6] < '0' || registro[fim - 6] > '9');
  return fim - (cinco ? 5 : 6) + 1;
}

}  // namespace layouts
