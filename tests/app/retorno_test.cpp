// A return file read from disk into a store: a simulation stores nothing, an
// operator without the company's rights changes nothing.
#include "app/retorno.h"

#include <gtest/gtest.h>

#include <fstream>

#include "host/context.h"
#include "layouts/retorno/retorno.h"
#include "server/fixture.h"

namespace {

using namespace server_test;
namespace rt = layouts::retorno;

// Bradesco's answer for account 001 (agency 1234, account 56789): title 0002/3 registered.
std::string Resposta(const TempDir& d) {
  rt::TRetorno r;
  r.familia = layouts::TFamilia::Cnab400;
  r.banco = "237";
  r.inscricao = "12345678000190";
  r.agencia = "1234";
  r.conta = "56789";
  r.data = "2024-03-20";
  r.sequencia = "4";
  rt::TOcorrencia o;
  o.registro = 2;
  o.ocorrencia = "02";
  o.carteira = "9";
  o.identificacao = "00023";
  o.nossoNumero = "123";
  o.valorTitulo = 7500;
  o.vencimento = "2024-03-20";
  r.ocorrencias.push_back(o);
  const std::string path = d.File("CB200301.RET");
  std::ofstream(path, std::ios::binary) << rt::EscreveRetorno(r);
  return path;
}

std::string Situacao(server::TSQLiteRemessaServer& s) {
  return host::ValueToString(
      s.Database().Scalar("SELECT IDSITUCNABR FROM BOLETOREC WHERE CDFILIAL = '0002' AND NRLANBOLREC = '3'"),
      host::TFieldType::ftString);
}

TEST(LeArquivoRetorno, SimulationAndRightsStoreNothingAndAReadStoresAll) {
  TempDir d;
  auto s = Loaded(d.File("loja.db"));
  app::TPedidoRetorno p{Resposta(d), "01", "001"};
  struct Case {
    const char* operador;
    bool simular;
    bool falha;
    std::string situacao;
    int64_t arquivos;
  } cases[] = {
      {"OP2", false, true, "10", 0},  // no rights on company 01
      {"OP1", true, false, "10", 0},
      {"OP1", false, false, "20", 1},
  };
  for (const auto& c : cases) {
    host::Corvane().Operador = c.operador;
    p.simular = c.simular;
    if (c.falha) {
      EXPECT_THROW(app::LeArquivoRetorno(*s, p), std::runtime_error) << c.operador;
    } else {
      auto r = app::LeArquivoRetorno(*s, p);
      EXPECT_TRUE(r.novo);
      EXPECT_EQ(Cell(r.ocorrencias, 0, "IDSITUDEPOIS"), "20");
    }
    EXPECT_EQ(Situacao(*s), c.situacao) << c.operador << c.simular;
    EXPECT_EQ(s->Database().Scalar("SELECT COUNT(*) FROM ARQRETORNO"), host::Value(c.arquivos));
    EXPECT_FALSE(s->InTransaction());
  }
  host::Corvane().Operador = "ADMIN";
}

}  // namespace
