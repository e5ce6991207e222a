// Caixa files generated end to end: a store with the titles that matter, the
// real run, and the records read back by position.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fields/text.h"
#include "host/messages.h"
#include "support/store.h"

namespace {

using fields::Ajusta;
using fields::IntToStr;
using fields::PadR;
using fields::Replicate;
using json = nlohmann::json;
using testsupport::field;
using testsupport::TOpcoesGeracao;
using testsupport::TStore;

// The batch account at Caixa: agency 1234 (the bank's picture 9999 has no
// hyphen), agreement code 1234567 (long).
json Conta(json extra = json::object()) {
  json c = {{"CDREDUCONT", "001"},  {"CDEMPRESA", "01"},         {"CDBANCO", "104"},
            {"CDAGENCIA", "1234"},  {"CDCONTCORR", "123456789"}, {"DSCONTCORR", "CAIXA COBRANCA"},
            {"CDBANCCNAB", "104"},  {"CDBANCOCONV", "104"},      {"CDCEDENTEBAN", "1234567"},
            {"NRSEQREMESSAREC", 41}};
  c.update(extra);
  return c;
}

// A title of client C1 due 2026-12-20, numbered by the company.
json Titulo(const std::string& nr, json extra = json::object()) {
  json t = {{"CDFILIAL", "0001"},    {"NRLANBOLREC", nr},          {"CDEMPRESA", "01"},
            {"CDCLIENTE", "C1"},     {"CDREDUCONT", "001"},        {"DTVENBOLREC", "2026-12-20"},
            {"VRFINALBREC", 150.75}, {"CDNOSNUMREC", "1234567-8"}, {"CDCARTCOBBOL", "01"},
            {"IDCARTCOBREC", "1"},   {"IDIMPRBOLBOL", "E"}};
  t.update(extra);
  return t;
}

struct TDados {
  json conta = Conta();
  std::vector<json> titulos;
  json extra = json::object();

  std::string Texto() const {
    json j = extra;
    j["CONTCORR"] = json::array({conta});
    j["EMPRBANC"] = json::array({{{"CDEMPRESA", "01"}, {"CDBANCO", "104"}, {"IDPADRCNABREC", "1"}}});
    j["BOLETOREC"] = titulos;
    return j.dump();
  }
};

std::vector<std::string> Gera(const TDados& d, TOpcoesGeracao o = {}) {
  TStore store(d.Texto());
  store.Gerar(o);
  return store.Registros(240);
}

json Mensagem(const std::string& nr, const std::string& texto) {
  return {{"CDFILIAL", "0001"}, {"NRLANBOLREC", nr}, {"TXMENSBOLBOL", texto}};
}

// Every file: two headers, the details numbered 1..d in the lot, and trailers
// that count what was written.
void ConfereMoldura(const std::vector<std::string>& recs, const std::string& segmentos) {
  ASSERT_EQ(recs.size(), segmentos.size() + 4);
  EXPECT_EQ(field(recs[0], 1, 8), "10400000");
  EXPECT_EQ(field(recs[1], 1, 8), "10400011");
  for (size_t i = 0; i < segmentos.size(); ++i) {
    const std::string& d = recs[2 + i];
    EXPECT_EQ(field(d, 1, 15), "10400013" + Ajusta(IntToStr(static_cast<int>(i) + 1), 5) + segmentos[i] + " ")
        << i;
  }
  const std::string& lote = recs[recs.size() - 2];
  EXPECT_EQ(field(lote, 1, 17), "10400015" + Replicate(" ", 9));
  EXPECT_EQ(field(lote, 18, 6), Ajusta(IntToStr(static_cast<int>(segmentos.size()) + 2), 6));
  EXPECT_EQ(field(lote, 24, 92), Replicate("0", 92));
  EXPECT_EQ(field(lote, 116, 125), Replicate(" ", 125));
  const std::string& fim = recs.back();
  EXPECT_EQ(field(fim, 1, 17), "10499999" + Replicate(" ", 9));
  EXPECT_EQ(field(fim, 18, 12), "000001" + Ajusta(IntToStr(static_cast<int>(segmentos.size()) + 4), 6));
  EXPECT_EQ(field(fim, 30, 211), Replicate(" ", 211));
}

TEST(CaixaRemessa, SegmentROnlyForAMessageOrAFine) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101", {{"VRPEMULBREC", 2.0}}),
               Titulo("102"), Titulo("103", {{"VRMULTABREC", 2.5}}),
               Titulo("104"), Titulo("105")};
  d.extra["TXBOLETO"] = {Mensagem("104", "Receber até o vencimento"), Mensagem("105", "   ")};
  ConfereMoldura(Gera(d),
                 "PQ"
                 "PQR"
                 "PQ"
                 "PQR"
                 "PQR"
                 "PQ");
}

// The agreement code decides the variant; the short code carries the two
// modulo-11 digits: over the code's last 8 digits, then over the agency and
// those 8 digits, which segment P zero-fills to 12 (so its second digit
// weighs the agency differently from the headers').
TEST(CaixaRemessa, AgreementCodeAndVariant) {
  struct TCaso {
    json codigo;
    std::string bloco;
    // short code: the 12 digits, the first digit, the second in the headers
    // and in segment P
    std::string cedente = {}, dv1 = {}, dv2 = {}, dv2P = {};
  };
  const TCaso casos[] = {
      {"1234567", "0000012341234567"},
      {"12345-6", "0000001234123456"},  // seven characters with the check digit: still long
      // 00123456: 77 = 7 x 11 -> 0; 1234 00123456: 107 -> 3; 1234 000000123456: 147 -> 7
      {"123456", "0000001234123456", "000000123456", "0", "3", "7"},
      // 00001234: 30 -> 3; 1234 00001234: 60 -> 6; 1234 000000001234: 100 -> 0
      {"1234-5", "0000000123412345", "000000001234", "3", "6", "0"},
      // no code: zeros, the agency alone decides the second digit (30 -> 3; 70 -> 7)
      {nullptr, Replicate("0", 16), Replicate("0", 12), "0", "3", "7"},
  };
  const std::string agencia = "01234" + std::string("1");
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.codigo.dump());
    TDados d;
    d.conta = Conta({{"CDCEDENTEBAN", c.codigo}});
    d.titulos = {Titulo("100")};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[0], 33, 26), c.bloco + "    " + agencia);
    EXPECT_EQ(field(recs[2], 18, 6), agencia);
    if (c.cedente.empty()) {
      const std::string codigo = c.codigo.get<std::string>();
      EXPECT_EQ(field(recs[0], 59, 14), codigo + Replicate("0", 7));
      EXPECT_EQ(field(recs[0], 164, 3), "107");
      EXPECT_EQ(field(recs[1], 14, 3), "067");
      EXPECT_EQ(field(recs[1], 34, 40), codigo + Replicate("0", 13) + agencia + Replicate("0", 14));
      EXPECT_EQ(field(recs[2], 24, 34), codigo + Replicate("0", 10) + "00000000012345678");
    } else {
      EXPECT_EQ(field(recs[0], 59, 14), c.cedente + c.dv1 + c.dv2);
      EXPECT_EQ(field(recs[0], 164, 3), "101");
      EXPECT_EQ(field(recs[1], 14, 3), "060");
      EXPECT_EQ(field(recs[1], 34, 40), c.bloco + "    " + agencia + c.cedente + c.dv1 + c.dv2);
      EXPECT_EQ(field(recs[2], 24, 34), c.cedente + c.dv1 + c.dv2P + Replicate(" ", 9) + "00012345678");
    }
  }
}

// The agency is stored without the picture's hyphen; its character there is
// the check digit. Without a hyphen the first character stands as the digit.
TEST(CaixaRemessa, AgencyAndItsCheckDigit) {
  struct TCaso {
    const char *banco, *agencia;  // bank "001" has the picture 9999-9
    std::string campo;
  };
  const TCaso casos[] = {{"001", "12345", "012345"}, {"104", "1234", "012341"}, {"001", "1234", "01234 "}};
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.banco) + "/" + c.agencia);
    TDados d;
    d.conta = Conta({{"CDBANCO", c.banco}, {"CDAGENCIA", c.agencia}});
    d.titulos = {Titulo("100")};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[0], 53, 6), c.campo);
    EXPECT_EQ(field(recs[1], 54, 6), c.campo);
    EXPECT_EQ(field(recs[2], 18, 6), c.campo);
  }
}

// The long code takes the company's number only from slips it prints itself
// ("E"), the short code also from "F"; the bank numbers everything else.
TEST(CaixaRemessa, BanksTitleNumberAndSlipIssue) {
  struct TCaso {
    const char *codigo, *impressao, *nosso;
    std::string numero, emissao;
  };
  const TCaso casos[] = {
      {"1234567", "E", "1234567-8", "00000000012345678", "22"},
      {"1234567", "F", "1234567-8", Replicate("0", 17), "22"},
      {"1234567", "B", "", Replicate("0", 17), "11"},
      {"1234567", "E", "12345678901234567890", "12345678901234567", "22"},
      {"123456", "E", "1234567-8", "00012345678", "22"},
      {"123456", "F", "1234567-8", "00012345678", "22"},
      {"123456", "B", "1234567-8", Replicate("0", 11), "11"},
      {"123456", "F", "12345678901234567890", "12345678901", "22"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.codigo) + "/" + c.impressao + "/" + c.nosso);
    TDados d;
    d.conta = Conta({{"CDCEDENTEBAN", c.codigo}});
    d.titulos = {Titulo("100", {{"IDIMPRBOLBOL", c.impressao}, {"CDNOSNUMREC", c.nosso}})};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 58 - static_cast<int>(c.numero.size()), c.numero.size()), c.numero);
    EXPECT_EQ(field(recs[2], 61, 2), c.emissao);
  }
}

TEST(CaixaRemessa, PortfolioKindAndDocumentNumber) {
  struct TCaso {
    const char* tipo;
    json duplicatas;
    std::string documento;
  };
  auto dup = [](const char* nr, const char* parcela) {
    return json::array(
        {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"DUPLICATA", nr}, {"NRPARCELA", parcela}}});
  };
  const TCaso casos[] = {
      {"1", dup("123", "2"), "00000123/02"},
      {"3", dup("123456789", "12"), "23456789/12"},
      {"4", json::array(), "100        "},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.documento);
    TDados d;
    d.titulos = {Titulo("100", {{"IDCARTCOBREC", c.tipo}})};
    if (!c.duplicatas.empty()) d.extra["DUPLICATA"] = c.duplicatas;
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 58, 5), std::string(c.tipo) + "1222");
    EXPECT_EQ(field(recs[2], 63, 15), c.documento + "    ");
  }
}

// Interest from the day after the due date; protest and return as the title
// asks, each code with its days as they come.
TEST(CaixaRemessa, InterestProtestAndReturn) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string juros, protesto;
  };
  const std::string isento = "3" + std::string("21122026") + Replicate("0", 15);
  const TCaso casos[] = {
      {"daily interest", {{"VRMORDIABREC", 1.5}}, "121122026000000000000150", "3002000"},
      {"no interest", json::object(), isento, "3002000"},
      {"a percentage alone is not sent", {{"VRPEMORBREC", 2.0}}, isento, "3002000"},
      {"protest code without days", {{"CDDIAPROTBOL", "1"}}, isento, "1002000"},
      {"days with the no-protest code", {{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, isento, "3102000"},
      {"protest after 123 days", {{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 123}}, isento, "2232000"},
      {"return after 30 days", {{"CDDIADEVOL", "1"}, {"QTDIADEVOL", 30}}, isento, "3001030"},
      {"return code 2 kept", {{"CDDIADEVOL", "2"}, {"QTDIADEVOL", 1234}}, isento, "3002234"},
      {"any other return code", {{"CDDIADEVOL", "5"}}, isento, "3001000"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 78, 23), "20122026000000000015075");
    EXPECT_EQ(field(recs[2], 101, 17),
              "000000"
              "02"
              "N"
              "08122026");
    EXPECT_EQ(field(recs[2], 118, 24), c.juros);
    EXPECT_EQ(field(recs[2], 221, 9), c.protesto + "09");
  }
}

TEST(CaixaRemessa, FineAndMessageInSegmentR) {
  struct TCaso {
    const char* nome;
    json campos;
    const char* mensagem;
    std::string multa, linha;
  };
  const TCaso casos[] = {
      {"an amount goes as money", {{"VRMULTABREC", 2.5}}, nullptr, "120122026000000000000250", ""},
      {"percentage", {{"VRPEMULBREC", 2.0}}, nullptr, "220122026000000000000200", ""},
      {"percentage wins",
       {{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 7.25}},
       nullptr,
       "220122026000000000000200",
       ""},
      {"message only, the date still sent", json::object(),
       "  Não receber após o vencimento; cobrar juros de mora ao dia", "020122026" + Replicate("0", 15),
       "NAO RECEBER APOS O VENCIMENTO  COBRAR JU"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    if (c.mensagem) d.extra["TXBOLETO"] = {Mensagem("100", c.mensagem)};
    const auto recs = Gera(d);
    ConfereMoldura(recs, "PQR");
    const std::string& r = recs[4];
    EXPECT_EQ(field(r, 18, 48), Replicate(" ", 48));
    EXPECT_EQ(field(r, 66, 24), c.multa);
    EXPECT_EQ(field(r, 90, 50), Replicate(" ", 10) + PadR(c.linha, 40));
    EXPECT_EQ(field(r, 140, 101), Replicate(" ", 101));
  }
}

// The payer's tax id goes as it is stored, punctuation included.
TEST(CaixaRemessa, PayerFromTheClientOrTheOverrideRecord) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101")};
  d.extra["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "101"},
                            {"IDTPIJURLUSO", "F"},
                            {"NMFANTLUSO", "Fantasia Açaí"},
                            {"DSENDELUSO", "Rua das Flores, 10"},
                            {"NMMUNICIPIO", "São Paulo"},
                            {"SGESTADO", "SP"}}};
  const auto recs = Gera(d);
  const std::string& cliente = recs[3];
  EXPECT_EQ(field(cliente, 18, 56),
            "2"
            "098765432000110" +
                PadR("CLIENTE UM LTDA", 40));
  EXPECT_EQ(field(cliente, 114, 40), PadR("CENTRO", 15) + "01001000" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(cliente, 154, 87), Replicate("0", 16) + Replicate(" ", 71));
  const std::string& licenca = recs[5];
  EXPECT_EQ(field(licenca, 18, 56), "1" + Replicate("0", 15) + PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(licenca, 129, 8), "00000000");
}

TEST(CaixaRemessa, HeadersCarryCompanySequenceAndStage) {
  const std::pair<json, std::string> casos[] = {
      {"T", "REMESSA-TESTE"}, {"P", "REMESSA-PRODUCAO"}, {nullptr, "REMESSA-PRODUCAO"}};
  for (const auto& [fase, texto] : casos) {
    SCOPED_TRACE(texto);
    TDados d;
    d.conta = Conta({{"IDFASCNABREC", fase}});
    d.titulos = {Titulo("100")};
    const auto recs = Gera(d);
    const std::string& a = recs[0];
    EXPECT_EQ(field(a, 9, 24), Replicate(" ", 9) +
                                   "2"
                                   "12345678000195");
    EXPECT_EQ(field(a, 73, 60),
              PadR("EMPRESA TESTE COMERCIO LTDA", 30) + PadR("CAIXA ECONOMICA FEDERAL", 30));
    EXPECT_EQ(field(a, 133, 39), Replicate(" ", 10) +
                                     "1"
                                     "08122026"
                                     "103000"
                                     "000042"
                                     "107"
                                     "00000");
    EXPECT_EQ(field(a, 172, 69), Replicate(" ", 20) + PadR(texto, 20) + Replicate(" ", 29));
    const std::string& l = recs[1];
    EXPECT_EQ(field(l, 9, 25),
              "R0100067 2"
              "012345678000195");
    EXPECT_EQ(field(l, 74, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
    EXPECT_EQ(field(l, 104, 137), Replicate(" ", 80) +
                                      "00000042"
                                      "08122026"
                                      "00000000" +
                                      Replicate(" ", 33));
  }
}

// A stop leaves no file behind: a tax id too long for the bank before the
// file exists, a portfolio kind the bank does not take in the middle of it.
TEST(CaixaRemessa, StopsLeaveNoFile) {
  struct TCaso {
    const char* chave;
    std::string filial;
    const char* tipoCarteira;
  };
  const TCaso casos[] = {{"INSCRICAO_INV", "0002", "1"}, {"TipoCart_INV", "", "5"}};
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.chave);
    TDados d;
    d.extra["FILIAL"] = {{{"CDFILIAL", "0002"},
                          {"CDEMPRESA", "01"},
                          {"NMFILIAL", "Filial Dois"},
                          {"IDTPIJURFILI", "J"},
                          {"NRINSJURFILI", "12.345.678/0002-765"}}};
    d.titulos = {Titulo("100"), Titulo("101", {{"IDCARTCOBREC", c.tipoCarteira}})};
    TStore store(d.Texto());
    TOpcoesGeracao o;
    o.filial = c.filial;
    try {
      store.Gerar(o);
      ADD_FAILURE() << "the run went through";
    } catch (const host::EMensErro& e) {
      EXPECT_EQ(e.Key(), c.chave);
    }
    EXPECT_FALSE(std::filesystem::exists(store.Arquivo()));
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(store.Arquivo()).parent_path()));
  }
}

}  // namespace
