#include "layouts/retorno/retorno.h"

#include <cstdio>

#include "fields/cp1252.h"
#include "layouts/catalogue.h"
#include "layouts/record.h"

namespace layouts::retorno {

namespace {

std::string_view PrimeiroRegistro(std::string_view c) {
  return c.substr(0, std::min(c.find_first_of("\r\n"), c.size()));
}

}  // namespace

const char* Letra(TEfeito e) {
  switch (e) {
    case TEfeito::Confirmada:
      return "C";
    case TEfeito::Recusada:
      return "R";
    case TEfeito::Liquidada:
      return "L";
    case TEfeito::Baixada:
      return "B";
    case TEfeito::AlteracaoConfirmada:
      return "A";
    case TEfeito::Nenhum:
      break;
  }
  return "-";
}

TFamilia FamiliaDeRetorno(std::string_view conteudo) {
  const std::string_view r = PrimeiroRegistro(conteudo);
  // CNAB 240: a file header (lot "0000", kind "0") whose file code at 143 says return.
  if (r.size() == 240 && r.substr(3, 5) == "00000" && r[142] == '2') return TFamilia::Cnab240;
  if ((r.size() == 400 || r.size() == 444) && r.substr(0, 9) == "02RETORNO")
    return r.size() == 400 ? TFamilia::Cnab400 : TFamilia::Cnab444;
  return TFamilia::Desconhecida;
}

const TLeiauteRetorno* LeiauteDoBanco(std::string_view banco, TFamilia familia) {
  for (const auto& e : Catalogo())
    if (e.retorno && e.retorno->familia == familia && NaLista(e.bancos, banco)) return e.retorno;
  return nullptr;
}

namespace {

std::string BancoDoCabecalho(std::string_view conteudo, TFamilia familia) {
  const std::string_view r = PrimeiroRegistro(conteudo);
  return std::string(familia == TFamilia::Cnab240 ? r.substr(0, 3) : r.substr(76, 3));
}

[[noreturn]] void SemLeiaute(const std::string& banco) {
  throw ERetorno(fields::Utf8ToCp1252("O leiaute de retorno do banco " + banco +
                                      " não está disponível: o arquivo não foi lido."));
}

}  // namespace

TRetorno LeRetorno(std::string_view conteudo) {
  const TFamilia familia = FamiliaDeRetorno(conteudo);
  if (familia == TFamilia::Desconhecida)
    throw ERetorno(fields::Utf8ToCp1252(
        "O arquivo não é um arquivo retorno CNAB: o primeiro registro não é o cabeçalho de um retorno."));
  const std::string banco = BancoDoCabecalho(conteudo, familia);
  const TLeiauteRetorno* l = LeiauteDoBanco(banco, familia);
  if (!l) SemLeiaute(banco);
  return l->le(conteudo, *l);
}

std::string EscreveRetorno(const TRetorno& retorno) {
  const TLeiauteRetorno* l = LeiauteDoBanco(retorno.banco, retorno.familia);
  if (!l) SemLeiaute(retorno.banco);
  try {
    return l->escreve(retorno, *l);
  } catch (const ECampo& c) {
    // A value the bank's field cannot hold: a letter where it writes a
    // number, or more digits than the field has.
    char at[16];
    std::snprintf(at, sizeof at, "%03d-%03d", c.pos, c.pos + c.len - 1);
    throw ERetorno(fields::Utf8ToCp1252("O retorno não foi escrito: o valor \"") + c.valor +
                   fields::Utf8ToCp1252("\" não cabe no campo " + std::string(at) + " do registro do tipo " +
                                        c.registro + " do leiaute " + l->nome + "."));
  }
}

}  // namespace layouts::retorno
