// Santander files generated end to end: the batch account, its collection
// account and the titles that matter, the real run, and the records read back
// by position.
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

// The batch account: agency 1234 kept without check digit, account 12345678
// with check digit 9 (the bank's picture is 99999999-9), transmission code
// kept with its punctuation.
json Conta(const std::string& banco = "033", json extra = json::object()) {
  json c = {{"CDREDUCONT", "001"},       {"CDEMPRESA", "01"},
            {"CDBANCO", banco},          {"CDAGENCIA", "1234"},
            {"CDCONTCORR", "123456789"}, {"DSCONTCORR", "SANTANDER MOVIMENTO"},
            {"CDBANCCNAB", banco},       {"CDIDRECCONTCORR", "12.345-6"},
            {"NRSEQREMESSAREC", 41}};
  c.update(extra);
  return c;
}

// The collection account the titles are registered on.
json ContaCobranca(const std::string& banco, const std::string& numero) {
  return {{"CDREDUCONT", "101"}, {"CDEMPRESA", "01"},    {"CDBANCO", banco},
          {"CDAGENCIA", "4321"}, {"CDCONTCORR", numero}, {"DSCONTCORR", "SANTANDER COBRANCA"},
          {"CDBANCCNAB", banco}, {"IDCONTCOBR", "S"}};
}

// A title of client C1 worth 150.75, due 2026-12-20, simple portfolio 09.
json Titulo(const std::string& nr, json extra = json::object()) {
  json t = {{"CDFILIAL", "0001"},    {"NRLANBOLREC", nr},
            {"CDEMPRESA", "01"},     {"CDCLIENTE", "C1"},
            {"CDREDUCONT", "001"},   {"DTVENBOLREC", "2026-12-20"},
            {"VRFINALBREC", 150.75}, {"CDNOSNUMREC", "12345678901-P"},
            {"CDCARTCOBBOL", "09"},  {"IDCARTCOBREC", "1"},
            {"IDIMPRBOLBOL", "E"}};
  t.update(extra);
  return t;
}

struct TDados {
  std::string banco = "033";
  json conta = Conta();
  std::string contaCobranca = "12345678-9";
  std::vector<json> titulos;
  json extra = json::object();

  std::string Texto() const {
    json j = extra;
    j["CONTCORR"] = json::array({conta, ContaCobranca(banco, contaCobranca)});
    j["BOLETOREC"] = titulos;
    if (banco != "033")
      j["BANCO"] = {{{"CDBANCO", banco},
                     {"NMBANCO", "SANTANDER"},
                     {"CDPICTAGEN", "9999"},
                     {"CDPICTCONT", "99999999-9"}}};
    return j.dump();
  }
};

std::vector<std::string> Gera(const TDados& d, TOpcoesGeracao o = {}) {
  TStore store(d.Texto());
  o.contaCobranca = "101";
  store.Gerar(o);
  return store.Registros(240);
}

// Segments P, Q and R for every title, numbered in the lot; both trailers
// count what was written; every record starts with the layout bank.
void ConfereMoldura(const std::vector<std::string>& recs, int titulos, const std::string& banco) {
  ASSERT_EQ(recs.size(), static_cast<size_t>(3 * titulos + 4));
  EXPECT_EQ(field(recs[0], 1, 8), banco + "00000");
  EXPECT_EQ(field(recs[1], 1, 8), banco + "00011");
  for (int i = 0; i < 3 * titulos; ++i) {
    const std::string& d = recs[2 + i];
    EXPECT_EQ(field(d, 1, 8), banco + "00013") << i;
    EXPECT_EQ(field(d, 9, 9), Ajusta(IntToStr(i + 1), 5) + "PQR"[i % 3] + " 01") << i;  // inclusion
  }
  const std::string& lote = recs[recs.size() - 2];
  EXPECT_EQ(field(lote, 1, 8), banco + "00015");
  EXPECT_EQ(field(lote, 18, 6), Ajusta(IntToStr(3 * titulos + 2), 6));
  EXPECT_EQ(field(lote, 24, 217), Replicate(" ", 217));
  const std::string& fim = recs.back();
  EXPECT_EQ(field(fim, 1, 8), banco + "99999");
  EXPECT_EQ(field(fim, 18, 12), "000001" + Ajusta(IntToStr(3 * titulos + 4), 6));
}

TEST(SantanderRemessa, EveryCodeOfTheBankWritesItsOwnFile) {
  for (const char* banco : {"033", "353", "008"}) {
    SCOPED_TRACE(banco);
    TDados d;
    d.banco = banco;
    d.conta = Conta(banco);
    d.titulos = {Titulo("100"), Titulo("101"), Titulo("102")};
    ConfereMoldura(Gera(d), 3, banco);
  }
}

// A batch of the company's second branch: the tax id is the branch's, the name
// always the company's.
TEST(SantanderRemessa, HeadersCarryCompanyTransmissionCodeAndSequence) {
  TDados d;
  d.extra["FILIAL"] = {{{"CDFILIAL", "0002"},
                        {"CDEMPRESA", "01"},
                        {"NMFILIAL", "Filial Dois"},
                        {"IDTPIJURFILI", "J"},
                        {"NRINSJURFILI", "12.345.678/0002-76"},
                        {"NMRAZSOCFILI", "Filial Dois Comércio"}}};
  d.titulos = {Titulo("100")};
  TOpcoesGeracao o;
  o.filial = "0002";
  const auto recs = Gera(d, o);
  const std::string& h = recs[0];
  EXPECT_EQ(field(h, 9, 24), Replicate(" ", 8) + "2" + "012345678000276");
  EXPECT_EQ(field(h, 33, 15), "000000012.345-6");  // as kept on the account
  EXPECT_EQ(field(h, 48, 25), Replicate(" ", 25));
  EXPECT_EQ(field(h, 73, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(h, 103, 30), PadR("SANTANDER", 30));
  EXPECT_EQ(field(h, 143, 24), "1" + std::string("08122026") + Replicate(" ", 6) + "000042" + "040");
  EXPECT_EQ(field(h, 167, 74), Replicate(" ", 74));

  const std::string& l = recs[1];
  EXPECT_EQ(field(l, 9, 25), "R01  030 2012345678000276");
  EXPECT_EQ(field(l, 34, 20), Replicate(" ", 20));
  EXPECT_EQ(field(l, 54, 20), "000000000123456" + Replicate(" ", 5));  // digits only
  EXPECT_EQ(field(l, 74, 30), PadR("EMPRESA TESTE COMERCIO LTDA", 30));
  EXPECT_EQ(field(l, 104, 80), Replicate(" ", 80));
  EXPECT_EQ(field(l, 184, 8), Ajusta("1", 8));
  EXPECT_EQ(field(l, 192, 49), "08122026" + Replicate(" ", 41));
}

// Segment P 018-042: agency, account and collection account, each with its
// check digit.
TEST(SantanderRemessa, AgencyAccountAndCollectionAccount) {
  struct TCaso {
    const char *agencia, *cobranca;
    std::string campo;
  };
  const TCaso casos[] = {
      {"1234", "12345678-9",
       "12340"
       "0123456789"
       "0123456789"},
      {"12345", "123456789",
       "12345"
       "0123456789"
       "0123456789"},
      {"1234", "1234-56",
       "12340"
       "0123456789"
       "0000012345"},  // the digit right after the hyphen
      {"1234", "1234567-",
       "12340"
       "0123456789"
       "0012345670"},  // no digit after the hyphen
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.agencia) + " " + c.cobranca);
    TDados d;
    d.conta = Conta("033", {{"CDAGENCIA", c.agencia}});
    d.contaCobranca = c.cobranca;
    d.titulos = {Titulo("100")};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 18, 27), c.campo + "  ");
  }
}

TEST(SantanderRemessa, TitleNumberPortfolioKindAndDocument) {
  struct TCaso {
    const char* tipo;
    const char *nosso, *impressao;
    bool duplicata;
    std::string numero, tipoBanco, documento;
  };
  const TCaso casos[] = {
      {"1", "12345678901-P", "E", false, "0012345678901", "1", PadR("100", 15)},
      {"2", "1234567890123456", "E", false, "4567890123456", "5", PadR("100", 15)},
      {"3", "", "B", false, Replicate("0", 13), "3", PadR("100", 15)},
      {"4", "12345678901-P", "E", true, "0012345678901", "6", PadR("2345678902", 15)},
      {"9", "12345678901-P", "E", false, "0012345678901", " ", PadR("100", 15)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.tipo) + " " + c.nosso);
    TDados d;
    d.titulos = {
        Titulo("100", {{"IDCARTCOBREC", c.tipo}, {"CDNOSNUMREC", c.nosso}, {"IDIMPRBOLBOL", c.impressao}})};
    if (c.duplicata)
      d.extra["DUPLICATA"] = {
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"DUPLICATA", "123456789"}, {"NRPARCELA", "02"}}};
    const auto recs = Gera(d);
    const std::string& p = recs[2];
    EXPECT_EQ(field(p, 45, 13), c.numero);
    EXPECT_EQ(field(p, 58, 5), c.tipoBanco + "12  ");
    EXPECT_EQ(field(p, 63, 15), c.documento);
    EXPECT_EQ(field(p, 78, 23), "20122026" + std::string("000000000015075"));
    EXPECT_EQ(field(p, 106, 12), " 02N08122026");
    EXPECT_EQ(field(p, 196, 25), PadR("0001100CART" + std::string(c.tipo) + "09", 25));
    EXPECT_EQ(field(p, 224, 17), "200000" + Replicate(" ", 11));
  }
}

// Charge block of segment P (118-141) and fine of segment R (066-089).
TEST(SantanderRemessa, ChargeBlockAndFine) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string encargo, multa;
  };
  const std::string venc = "20122026";
  const TCaso casos[] = {
      {"daily interest",
       {{"VRMORDIABREC", 1.5}},
       "1" + venc + "000000000000150",
       "1" + venc + Replicate("0", 15)},
      {"interest percentage, five decimals",
       {{"VRPEMORBREC", 2.5}},
       "2" + venc + "000000000250000",
       "1" + venc + Replicate("0", 15)},
      {"percentage wins over daily amount",
       {{"VRPEMORBREC", 2.5}, {"VRMORDIABREC", 1.5}},
       "2" + venc + "000000000250000",
       "1" + venc + Replicate("0", 15)},
      {"fine percentage, times 30",
       {{"VRPEMULBREC", 2.0}},
       "2" + venc + "000000000060000",
       "2" + venc + "000000000000200"},
      // 7.25 of 150.75 is 4.81 %; 4.81 x 30 = 144.3, not its binary neighbour
      {"fine amount as a percentage of the title",
       {{"VRMULTABREC", 7.25}},
       "2" + venc + "000000000014430",
       "1" + venc + "000000000000725"},
      {"fine amount on a title without value",
       {{"VRMULTABREC", 7.25}, {"VRFINALBREC", 0.0}},
       "3" + Replicate("0", 23),
       "1" + venc + "000000000000725"},
      {"no charge", json::object(), "3" + Replicate("0", 23), "1" + venc + Replicate("0", 15)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 118, 24), c.encargo);
    EXPECT_EQ(field(recs[4], 66, 24), c.multa);
  }
}

TEST(SantanderRemessa, DiscountPercentageOfTheTitle) {
  const std::pair<json, std::string> casos[] = {
      {{{"VRPEDESCBCLI", 10.0}, {"VRFINALBREC", 250.0}}, "1" + std::string("20122026") + "000000000002500"},
      {json::object(), "0" + Replicate("0", 23)},
  };
  for (const auto& [campos, desconto] : casos) {
    SCOPED_TRACE(desconto);
    TDados d;
    d.titulos = {Titulo("100", campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 142, 24), desconto);
    EXPECT_EQ(field(recs[2], 166, 30), Replicate("0", 30));
  }
}

// Days given ask for protest whatever code the title carries; the agency
// collects the titles marked for no protest.
TEST(SantanderRemessa, ProtestAndCollectingAgency) {
  struct TCaso {
    json campos;
    const char* agencia;
    std::string protesto, cobradora;
  };
  const TCaso casos[] = {
      {{{"QTDIAPROTBOL", 5}}, "1234", "105", "00000"},
      {{{"CDDIAPROTBOL", "2"}, {"QTDIAPROTBOL", 7}}, "1234", "107", "00000"},
      {{{"CDDIAPROTBOL", "1"}}, "1234", "300", "00000"},
      {{{"CDDIAPROTBOL", "3"}}, "1234", "300", "01234"},
      {{{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}}, "12345", "300", "12345"},  // an explicit "3" wins
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.campos.dump());
    TDados d;
    d.conta = Conta("033", {{"CDAGENCIA", c.agencia}});
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
    EXPECT_EQ(field(recs[2], 101, 5), c.cobradora);
  }
}

TEST(SantanderRemessa, PayerAndGuarantorInSegmentQ) {
  TDados d;
  d.conta = Conta(
      "033",
      {{"CDSACAVALISTA", "12.345.678/0001-90"}, {"NMSACAVALISTA", "Avalista Ltda"}, {"IDTPIJURSAC", "J"}});
  d.titulos = {Titulo("100"), Titulo("101")};
  d.extra["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "101"},
                            {"IDTPIJURLUSO", "F"},
                            {"NRINSJURLUSO", "123.456.789-09"},
                            {"NMRAZSOCLUSO", "Razão Social"},
                            {"NMFANTLUSO", "Fantasia Açaí"},
                            {"DSENDELUSO", "  Rua das Flores, 10"},
                            {"NMBAIRLUSO", " Centro"},
                            {"NRCEPLUSO", "01310-100"},
                            {"NMMUNICIPIO", "São Paulo"},
                            {"SGESTADO", "SP"}}};
  const auto recs = Gera(d);
  const std::string avalista = "2" + std::string("012345678000190") + PadR("AVALISTA LTDA", 40);

  const std::string& cliente = recs[3];
  EXPECT_EQ(field(cliente, 18, 16), "2098765432000110");
  EXPECT_EQ(field(cliente, 34, 40), PadR("CLIENTE UM LTDA", 40));
  EXPECT_EQ(field(cliente, 74, 55), PadR("RUA UM, 1", 40) + PadR("CENTRO", 15));
  EXPECT_EQ(field(cliente, 129, 25), "01001000" + PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(cliente, 154, 56), avalista);
  EXPECT_EQ(field(cliente, 210, 31), "000000000000" + Replicate(" ", 19));

  const std::string& override = recs[6];
  EXPECT_EQ(field(override, 18, 16), "1000012345678909");
  EXPECT_EQ(field(override, 34, 40), PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(override, 74, 55), PadR("RUA DAS FLORES, 10", 40) + PadR("CENTRO", 15));
  EXPECT_EQ(field(override, 129, 8), "01310100");
  EXPECT_EQ(field(override, 154, 56), avalista);
}

TEST(SantanderRemessa, WithoutGuarantorItsFieldsAreEmpty) {
  TDados d;
  d.titulos = {Titulo("100")};
  const auto recs = Gera(d);
  EXPECT_EQ(field(recs[3], 154, 56), Replicate("0", 16) + Replicate(" ", 40));
}

TEST(SantanderRemessa, SlipMessageInSegmentR) {
  const std::pair<json, std::string> casos[] = {
      {json::array({{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"TXMENSBOLBOL", "  Não receber após"}}}),
       PadR("NAO RECEBER APOS", 40)},
      {json::array(), Replicate(" ", 40)},
  };
  for (const auto& [mensagens, linha] : casos) {
    SCOPED_TRACE(linha);
    TDados d;
    d.titulos = {Titulo("100")};
    if (!mensagens.empty()) d.extra["TXBOLETO"] = mensagens;
    const auto recs = Gera(d);
    const std::string& r = recs[4];
    EXPECT_EQ(field(r, 18, 48), "0" + Replicate("0", 23) + Replicate(" ", 24));
    EXPECT_EQ(field(r, 90, 10), Replicate(" ", 10));
    EXPECT_EQ(field(r, 100, 40), linha);
    EXPECT_EQ(field(r, 140, 101), Replicate(" ", 101));
  }
}

}  // namespace
