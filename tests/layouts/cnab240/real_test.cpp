// Banco Real files generated end to end: the account, the titles that matter,
// the real run, and the records read back by position.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "fields/text.h"
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

// Agency 1234, account 1234567 with check digit 8 (the bank's picture is
// 9999999-9), bank numbers of seven digits.
json Conta(const std::string& banco = "356", json extra = json::object()) {
  json c = {{"CDREDUCONT", "001"},           {"CDEMPRESA", "01"},        {"CDBANCO", banco},
            {"CDAGENCIA", "1234"},           {"CDCONTCORR", "12345678"}, {"DSCONTCORR", "REAL MOVIMENTO"},
            {"CDBANCCNAB", banco},           {"NRSEQREMESSAREC", 41},    {"DSNOSNUMCORR", "[SEQ07]"},
            {"CDCEDENTEBAN", "123456789012"}};
  c.update(extra);
  return c;
}

// A title of client C1 worth 150.00, due 2026-12-20, simple portfolio 09.
json Titulo(const std::string& nr, json extra = json::object()) {
  json t = {{"CDFILIAL", "0001"},   {"NRLANBOLREC", nr},          {"CDEMPRESA", "01"},
            {"CDCLIENTE", "C1"},    {"CDREDUCONT", "001"},        {"DTVENBOLREC", "2026-12-20"},
            {"VRFINALBREC", 150.0}, {"CDNOSNUMREC", "1234567-8"}, {"CDCARTCOBBOL", "09"},
            {"IDCARTCOBREC", "1"},  {"IDIMPRBOLBOL", "E"}};
  t.update(extra);
  return t;
}

struct TDados {
  json conta = Conta();
  std::vector<json> titulos;
  json extra = json::object();
  // The bank takes the company's tax id in at most 14 characters.
  std::string inscricao = "12345678000195", tipoEmpresa = "J";

  std::string Texto() const {
    json j = extra;
    j["CONTCORR"] = json::array({conta});
    j["BOLETOREC"] = titulos;
    j["BANCO"] = {
        {{"CDBANCO", "275"}, {"NMBANCO", "REAL"}, {"CDPICTAGEN", "9999"}, {"CDPICTCONT", "9999999-9"}}};
    return j.dump();
  }
};

std::vector<std::string> Gera(const TDados& d, TOpcoesGeracao o = {}) {
  TStore store(d.Texto());
  store.Server().Database().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '" + d.inscricao + "', IDTPIJUREMPR = '" +
                                 d.tipoEmpresa + "'");
  store.Gerar(o);
  return store.Registros(240);
}

TEST(RealRemessa, EveryRecordCarriesTheBanksCodeAndTheCountsAgree) {
  for (const char* banco : {"356", "275"}) {
    SCOPED_TRACE(banco);
    TDados d;
    d.conta = Conta(banco);
    d.titulos = {Titulo("100"), Titulo("101")};
    const auto recs = Gera(d);
    ASSERT_EQ(recs.size(), 10u);
    EXPECT_EQ(field(recs[0], 1, 8), "35600000");
    EXPECT_EQ(field(recs[1], 1, 8), "35600011");
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(field(recs[2 + i], 1, 17), "35600013" + Ajusta(IntToStr(i + 1), 5) + "PQR"[i % 3] + " 01")
          << i;
    EXPECT_EQ(field(recs[8], 1, 23), "35600015" + Replicate(" ", 9) + "000008");
    EXPECT_EQ(field(recs[8], 24, 92), Replicate("0", 92));
    EXPECT_EQ(field(recs[9], 1, 35), "35699999" + Replicate(" ", 9) + "000001000010000000");
  }
}

// The company is always the registered one, even for a batch of a branch
// with a tax id of its own.
TEST(RealRemessa, HeadersCarryTheCompanyAndTheAccount) {
  TDados d;
  d.extra["FILIAL"] = {{{"CDFILIAL", "0002"},
                        {"CDEMPRESA", "01"},
                        {"NMFILIAL", "Filial Dois"},
                        {"IDTPIJURFILI", "J"},
                        {"NRINSJURFILI", "99.999.999/0002-99"},
                        {"NMRAZSOCFILI", "Filial Dois Comércio"}}};
  d.titulos = {Titulo("100")};
  TOpcoesGeracao o;
  o.filial = "0002";
  const auto recs = Gera(d, o);
  const std::string& h = recs[0];
  EXPECT_EQ(field(h, 9, 24), Replicate(" ", 9) + "2" + "12345678000195");
  EXPECT_EQ(field(h, 33, 20), PadR("12341234567BA", 20));
  EXPECT_EQ(field(h, 53, 20),
            "01234"
            "4"
            "000001234567"
            "8"
            " ");
  EXPECT_EQ(field(h, 73, 60), PadR("EMPRESA TESTE COMERCIO LTDA", 30) + PadR("REAL", 30));
  EXPECT_EQ(field(h, 143, 29), "1" + std::string("08122026") + "103000" + "000042" + "040" + "00000");
  EXPECT_EQ(field(h, 172, 69), Replicate(" ", 54) + "000" + Replicate(" ", 12));

  const std::string& l = recs[1];
  EXPECT_EQ(field(l, 9, 25), "R01  040 2012345678000195");
  EXPECT_EQ(field(l, 34, 40), Replicate(" ", 20) +
                                  "01234"
                                  " "
                                  "000001234567"
                                  "  ");
  EXPECT_EQ(field(l, 74, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(l, 184, 57), "00000001" + std::string("08122026") + "00000000" + Replicate(" ", 33));
}

// A person's CPF goes in the CNPJ's 15 positions with four zeros where a
// CNPJ carries its branch.
TEST(RealRemessa, CompanyThatIsAPerson) {
  TDados d;
  d.inscricao = "123.456.789-09";
  d.tipoEmpresa = "F";
  d.titulos = {Titulo("100")};
  const auto recs = Gera(d);
  EXPECT_EQ(field(recs[0], 18, 15), "1" + std::string("00012345678909"));
  EXPECT_EQ(field(recs[1], 18, 16), "1" + std::string("123456789000009"));
}

TEST(RealRemessa, EmptyAgencyAndAccountKeepEveryPosition) {
  TDados d;
  d.conta = Conta("356", {{"CDAGENCIA", nullptr}, {"CDCONTCORR", nullptr}});
  d.titulos = {Titulo("100")};
  const auto recs = Gera(d);
  EXPECT_EQ(field(recs[0], 33, 40), Replicate("0", 20) + "00000 " + Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[1], 54, 20), "00000 " + Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[2], 18, 20), "00000 " + Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[0], 73, 7), "EMPRESA");
}

TEST(RealRemessa, TitleNumberAndSlipIssue) {
  struct TCaso {
    json tamanho;
    const char *nosso, *impressao;
    std::string numero, emissao;
  };
  const TCaso casos[] = {
      {"[SEQ07]", "12P3-45", "E",
       "000000"
       "012P345",
       "2"},
      {"[SEQ07]", "123456789-0", "E",
       "000000"
       "4567890",
       "2"},
      {"[SEQ07]", "", "B", Replicate("0", 13), "1"},
      {nullptr, "1234567-8", "B",
       "000000"
       "2345678",
       "1"},
      {"[SEQ11]", "12345678901-P", "E", "12345678901-P", "2"},  // kept as stored
      {"[SEQ11]", "", "B", Replicate("0", 13), "1"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.tamanho.dump() + " " + c.nosso);
    TDados d;
    d.conta = Conta("356", {{"DSNOSNUMCORR", c.tamanho}});
    d.titulos = {Titulo("100", {{"CDNOSNUMREC", c.nosso}, {"IDIMPRBOLBOL", c.impressao}})};
    const auto recs = Gera(d);
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 38, 7), "0900000");
    EXPECT_EQ(field(p, 45, 13), c.numero);
    EXPECT_EQ(field(p, 58, 5), "000" + c.emissao + " ");
  }
}

TEST(RealRemessa, DocumentNumberValueAndIdentifier) {
  const std::pair<json, std::string> casos[] = {
      {json::array(
           {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"DUPLICATA", "123"}, {"NRPARCELA", "2"}}}),
       PadR("000000012302", 15)},
      {json::array(), PadR("100", 15)},
  };
  for (const auto& [duplicatas, documento] : casos) {
    SCOPED_TRACE(documento);
    TDados d;
    d.titulos = {Titulo("100")};
    if (!duplicatas.empty()) d.extra["DUPLICATA"] = duplicatas;
    const auto recs = Gera(d);
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 63, 15), documento);
    EXPECT_EQ(field(p, 78, 40),
              "20122026"
              "000000000015000"
              "00000"
              " "
              "02"
              "A"
              "08122026");
    EXPECT_EQ(field(p, 142, 54), "0" + Replicate("0", 53));
    EXPECT_EQ(field(p, 196, 25), PadR("0001100CART109", 25));
    EXPECT_EQ(field(p, 224, 6), "0   09");
  }
}

// Charge block of segment P (118-141); every amount is a percentage of the
// title, worth 150.00 unless the case says otherwise.
TEST(RealRemessa, ChargeBlock) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string encargo;
  };
  const std::string venc = "20122026";
  const TCaso casos[] = {
      {"interest percentage", {{"VRPEMORBREC", 2.0}, {"VRMORDIABREC", 1.5}}, "1" + venc + "000000000000200"},
      {"daily interest as a percentage", {{"VRMORDIABREC", 1.5}}, "1" + venc + "000000000000100"},
      {"daily interest wins over a fine",
       {{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}},
       "1" + venc + "000000000000100"},
      {"fine percentage", {{"VRPEMULBREC", 2.5}}, "2" + venc + "000000000000250"},
      {"fine amount as a percentage", {{"VRMULTABREC", 3.0}}, "2" + venc + "000000000000200"},
      {"title without value: the daily interest is passed over",
       {{"VRMORDIABREC", 1.5}, {"VRPEMULBREC", 2.0}, {"VRFINALBREC", 0.0}},
       "2" + venc + "000000000000200"},
      {"title without value: nothing to state",
       {{"VRMORDIABREC", 1.5}, {"VRMULTABREC", 3.0}, {"VRFINALBREC", 0.0}},
       "3" + Replicate("0", 23)},
      {"no charge", json::object(), "3" + Replicate("0", 23)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 118, 24), c.encargo);
    EXPECT_EQ(field(recs[4], 66, 24), "0" + Replicate("0", 23));  // the fine is not sent in segment R
  }
}

TEST(RealRemessa, ProtestAndContract) {
  struct TCaso {
    json campos;
    std::string protesto, contrato;
  };
  const TCaso casos[] = {
      {{{"QTDIAPROTBOL", 5}}, "105", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "1"}}, "300", Replicate("0", 10)},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "110", Replicate("0", 10)},
      {{{"IDCARTCOBREC", "3"}}, "300", "3456789012"},
      {{{"IDCARTCOBREC", "4"}}, "300", "3456789012"},
      {{{"IDCARTCOBREC", "2"}}, "300", Replicate("0", 10)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
    EXPECT_EQ(field(recs[2], 230, 11), c.contrato + " ");
  }
}

TEST(RealRemessa, PayerInSegmentQ) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101")};
  d.extra["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "101"},
                            {"IDTPIJURLUSO", "F"},
                            {"NRINSJURLUSO", "123.456.789-09"},
                            {"NMRAZSOCLUSO", "Razão Social"},
                            {"NMFANTLUSO", "Fantasia Açaí"},
                            {"DSENDELUSO", "  Rua das Flores, 10 "},
                            {"NMBAIRLUSO", " Jardim América"},
                            {"NRCEPLUSO", "01310-100"},
                            {"NMMUNICIPIO", "São Paulo"},
                            {"SGESTADO", "SP"}}};
  const auto recs = Gera(d);
  const std::string& cliente = recs[3];
  EXPECT_EQ(field(cliente, 18, 16), "2098765432000110");
  EXPECT_EQ(field(cliente, 34, 40), PadR("CLIENTE UM LTDA", 40));
  EXPECT_EQ(field(cliente, 74, 55), PadR("RUA UM, 1 CENTRO", 40) + Replicate(" ", 15));
  EXPECT_EQ(field(cliente, 129, 25), "01001000" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(cliente, 154, 87),
            "0" + Replicate("0", 15) + Replicate(" ", 40) + "000" + Replicate(" ", 28));

  const std::string& override = recs[6];
  EXPECT_EQ(field(override, 18, 16), "1123456789000009");
  EXPECT_EQ(field(override, 34, 40), PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(override, 74, 40), PadR("RUA DAS FLORES, 10 JARDIM AMERICA", 40));
  EXPECT_EQ(field(override, 129, 8), "01310100");
}

TEST(RealRemessa, SlipMessageInSegmentR) {
  const std::pair<json, std::string> casos[] = {
      {json::array({{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"TXMENSBOLBOL", "  Não receber após"}}}),
       PadR("NAO RECEBER APOS", 40)},
      {json::array(), Replicate(" ", 40)},
  };
  for (const auto& [mensagens, linha] : casos) {
    SCOPED_TRACE(linha);
    TDados d;
    d.titulos = {Titulo("100", {{"VRPEMULBREC", 2.0}})};
    if (!mensagens.empty()) d.extra["TXBOLETO"] = mensagens;
    const auto recs = Gera(d);
    const std::string& r = recs[4];
    EXPECT_EQ(field(r, 18, 82), Replicate("0", 72) + Replicate(" ", 10));
    EXPECT_EQ(field(r, 100, 40), linha);
    EXPECT_EQ(field(r, 140, 101),
              Replicate(" ", 60) + Replicate("0", 16) + " " + Replicate("0", 12) + "  0" + Replicate(" ", 9));
  }
}

}  // namespace
