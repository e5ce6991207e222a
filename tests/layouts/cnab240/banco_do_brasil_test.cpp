// Banco do Brasil files generated end to end: a store with the titles that
// matter, the real run, and the records read back by position.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/escritores.h"
#include "fields/text.h"
#include "host/messages.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "support/store.h"
#include "workspace/form.h"

namespace {

using fields::Ajusta;
using fields::IntToStr;
using fields::Replicate;
using json = nlohmann::json;
using testsupport::field;
using testsupport::TOpcoesGeracao;
using testsupport::TStore;

// The batch account: agency 1234 with check digit 5; account 12345678 with
// check digit 9 (the bank's picture is 99999999-9); agreement 1234567 kept on
// the account.
json Conta(json extra = json::object()) {
  json c = {{"CDREDUCONT", "001"},       {"CDEMPRESA", "01"},
            {"CDBANCO", "001"},          {"CDAGENCIA", "12345"},
            {"CDCONTCORR", "123456789"}, {"DSCONTCORR", "BB MOVIMENTO"},
            {"CDBANCCNAB", "001"},       {"CDIDRECCONTCORR", "1234567"},
            {"NRSEQREMESSAREC", 41}};
  c.update(extra);
  return c;
}

json EmprBanc(json extra = json::object()) {
  json e = {{"CDEMPRESA", "01"}, {"CDBANCO", "001"}, {"NRVARIACARTCOB", "27"}};
  e.update(extra);
  return e;
}

// A title of client C1 due after the store's day, numbered by the company,
// portfolio 17 simple.
json Titulo(const std::string& nr, json extra = json::object()) {
  json t = {{"CDFILIAL", "0001"},    {"NRLANBOLREC", nr},          {"CDEMPRESA", "01"},
            {"CDCLIENTE", "C1"},     {"CDREDUCONT", "001"},        {"DTVENBOLREC", "2026-12-20"},
            {"VRFINALBREC", 150.75}, {"CDNOSNUMREC", "1234567-8"}, {"CDCARTCOBBOL", "17"},
            {"IDCARTCOBREC", "1"},   {"IDIMPRBOLBOL", "E"},        {"NRPARCBOLREC", "01"}};
  t.update(extra);
  return t;
}

struct TDados {
  json conta = Conta();
  json emprBanc = EmprBanc();
  std::vector<json> titulos;
  json extra = json::object();  // further tables: {"DUPLICATA": [...], ...}

  std::string Texto() const {
    json j = extra;
    j["CONTCORR"] = json::array({conta});
    j["EMPRBANC"] = json::array({emprBanc});
    j["BOLETOREC"] = titulos;
    return j.dump();
  }
};

std::vector<std::string> Gera(TStore& store, TOpcoesGeracao o = {}) {
  store.Gerar(o);
  return store.Registros(240);
}

std::vector<std::string> Gera(const TDados& d, TOpcoesGeracao o = {}) {
  TStore store(d.Texto());
  return Gera(store, o);
}

// Every file: two headers, the details numbered 1..d in the lot, and trailers
// that count what was written.
void ConfereMoldura(const std::vector<std::string>& recs, const std::string& segmentos) {
  ASSERT_EQ(recs.size(), segmentos.size() + 4);
  EXPECT_EQ(field(recs[0], 1, 8), "00100000");
  EXPECT_EQ(field(recs[1], 1, 8), "00100011");
  for (size_t i = 0; i < segmentos.size(); ++i) {
    const std::string& d = recs[2 + i];
    EXPECT_EQ(field(d, 1, 8), "00100013") << i;
    EXPECT_EQ(field(d, 9, 5), Ajusta(IntToStr(static_cast<int>(i) + 1), 5)) << i;
    EXPECT_EQ(field(d, 14, 1), std::string(1, segmentos[i])) << i;
  }
  const std::string& lote = recs[recs.size() - 2];
  EXPECT_EQ(field(lote, 1, 8), "00100015");
  EXPECT_EQ(field(lote, 18, 6), Ajusta(IntToStr(static_cast<int>(segmentos.size()) + 2), 6));
  const std::string& fim = recs.back();
  EXPECT_EQ(field(fim, 1, 8), "00199999");
  EXPECT_EQ(field(fim, 18, 6), "000001");
  EXPECT_EQ(field(fim, 24, 6), Ajusta(IntToStr(static_cast<int>(segmentos.size()) + 4), 6));
}

TEST(BBRemessa, OneTitleGetsSegmentsPAndQ) {
  TDados d;
  d.titulos = {Titulo("100")};
  ConfereMoldura(Gera(d), "PQ");
}

TEST(BBRemessa, ManyTitlesKeepTheLotNumberingAcrossOptionalSegments) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101", {{"VRPEMULBREC", 2.0}}), Titulo("102"),
               Titulo("103", {{"VRMULTABREC", 5.0}}), Titulo("104")};
  ConfereMoldura(Gera(d),
                 "PQ"
                 "PQR"
                 "PQ"
                 "PQR"
                 "PQ");
}

TEST(BBRemessa, TitleWithEveryOptionalSegment) {
  TDados d;
  d.conta = Conta(
      {{"CDSACAVALISTA", "12.345.678/0001-90"}, {"NMSACAVALISTA", "Avalista Ltda"}, {"IDTPIJURSAC", "J"}});
  d.emprBanc = EmprBanc({{"IDREGSEGSCOB", "S"}});
  d.titulos = {Titulo("100", {{"VRPEMULBREC", 2.0}, {"CDCLIENTE", "C2"}})};
  d.extra["TXBOLETO"] = {
      {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"TXMENSBOLBOL", "Não receber após"}}};
  d.extra["CLIENTE"] = {{{"CDCLIENTE", "C2"},
                         {"NMRAZSOCCLIE", "Cliente Dois"},
                         {"IDTPIJURCLIE", "F"},
                         {"EMAILCOBCLIE", "joão.cobrança@exemplo.com.br"}}};
  d.extra["ENDECLIE"] = {{{"CDCLIENTE", "C2"},
                          {"IDTPENDECLIE", "C"},
                          {"CDPAIS", "1058"},
                          {"SGESTADO", "SP"},
                          {"CDMUNICIPIO", "3550"},
                          {"DSENDECLIE", "Rua Dois, 2"}}};
  const auto recs = Gera(d);
  ConfereMoldura(recs, "PQRSY");

  // the bank mails the slip to the address exactly as the client gave it
  EXPECT_EQ(field(recs[5], 18, 41), "0" + fields::PadR("jo\xe3o.cobran\xe7"
                                                       "a@exemplo.com.br",
                                                       40));

  const std::string& y = recs[6];
  EXPECT_EQ(field(y, 18, 2), "01");
  EXPECT_EQ(field(y, 20, 1), "2");
  EXPECT_EQ(field(y, 21, 15), "012345678000190");
  EXPECT_EQ(field(y, 36, 40), fields::PadR("AVALISTA LTDA", 40));
  EXPECT_EQ(field(y, 131, 8), "00000000");
}

TEST(BBRemessa, MovementCodeFollowsTheOperationOnEveryDetail) {
  const std::pair<int, const char*> casos[] = {{0, "01"}, {1, "02"}, {2, "06"}};
  for (const auto& [operacao, codigo] : casos) {
    SCOPED_TRACE(codigo);
    TDados d;
    // exclusions and alterations are offered the titles already at the bank
    d.titulos = {Titulo("100", {{"VRPEMULBREC", 2.0}, {"IDSITUCNABR", operacao == 0 ? "00" : "20"}})};
    TOpcoesGeracao o;
    o.operacao = operacao;
    const auto recs = Gera(d, o);
    for (int i = 2; i <= 4; ++i) EXPECT_EQ(field(recs[i], 15, 3), std::string(" ") + codigo);
  }
}

// Bank's title number, slip issue/distribution and portfolio kind depend on
// the title's portfolio, printing and stored number.
TEST(BBRemessa, TitleNumberAndSlipIssueFollowThePortfolio) {
  struct TCaso {
    const char *carteira, *tipo, *impressao, *nosso;
    std::string numero;
    const char *emissao, *tipoCarteira;
  };
  const TCaso casos[] = {
      {"11", "1", "E", "1234567-8", Replicate("0", 20), "11", "1"},
      {"31", "2", "E", "1234567-8", Replicate("0", 20), "11", "2"},
      {"51", "3", "E", "1234567-8", Replicate("0", 20), "11", "3"},
      {"12", "4", "E", "1234567-8", "12345678" + Replicate(" ", 12), "11", "4"},
      {"17", "1", "E", "1234567-8", "12345678" + Replicate(" ", 12), "22", "7"},
      {"17", "1", "E", "-", "-" + Replicate(" ", 19), "22", "7"},
      {"18", "1", "F", "12345678901234567890", "12345678901234567890", "22", "1"},
      {"17", "1", "B", "", Replicate("0", 20), "11", "7"},
      {"017", "1", "E", "99-1", "991" + Replicate(" ", 17), "22", "1"},  // first two characters: "01"
      {"17", "9", "E", "1234567-8", "12345678" + Replicate(" ", 12), "22", " "},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(std::string(c.carteira) + "/" + c.tipo + "/" + c.impressao + "/" + c.nosso);
    TDados d;
    d.titulos = {Titulo("100", {{"CDCARTCOBBOL", c.carteira},
                                {"IDCARTCOBREC", c.tipo},
                                {"IDIMPRBOLBOL", c.impressao},
                                {"CDNOSNUMREC", c.nosso}})};
    const auto recs = Gera(d);
    ASSERT_EQ(recs.size(), 6u);
    EXPECT_EQ(field(recs[2], 38, 20), c.numero);
    EXPECT_EQ(field(recs[2], 58, 1), c.tipoCarteira);
    EXPECT_EQ(field(recs[2], 61, 2), c.emissao);
  }
}

TEST(BBRemessa, DocumentNumberAndIssueDateComeFromTheInvoice) {
  struct TCaso {
    const char* nome;
    json duplicatas;
    const char* parcela;
    std::string documento, emissao;
  };
  const json dup123 = {{{"CDFILIAL", "0001"},
                        {"NRLANBOLREC", "100"},
                        {"DUPLICATA", "123"},
                        {"NRPARCELA", "02"},
                        {"DTEMISSAO", "2026-11-03"}}};
  const TCaso casos[] = {
      {"invoice and instalment", dup123, "02", "0000123/02     ", "03112026"},
      {"instalment 00 is the first", dup123, "00", "0000123/01     ", "03112026"},
      {"no invoice", json::array(), "01", "100       " + Replicate(" ", 5), "30121899"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", {{"NRPARCBOLREC", c.parcela}})};
    if (!c.duplicatas.empty()) d.extra["DUPLICATA"] = c.duplicatas;
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 63, 15), c.documento);
    EXPECT_EQ(field(recs[2], 110, 8), c.emissao);
  }
}

TEST(BBRemessa, InterestAndProtestBlocks) {
  struct TCaso {
    const char* nome;
    json campos;
    std::string juros, protesto;
  };
  const TCaso casos[] = {
      {"daily amount", {{"VRMORDIABREC", 1.5}}, "1" + std::string("00000000") + "000000000000150", "300"},
      {"percentage only", {{"VRPEMORBREC", 2.0}}, "100000000000000000000200", "300"},
      {"daily amount wins over percentage",
       {{"VRPEMORBREC", 2.0}, {"VRMORDIABREC", 0.35}},
       "100000000000000000000035",
       "300"},
      {"exempt", json::object(), "3" + Replicate("0", 23), "300"},
      {"protest code without days", {{"CDDIAPROTBOL", "1"}}, "3" + Replicate("0", 23), "300"},
      {"days with the no-protest code",
       {{"CDDIAPROTBOL", "3"}, {"QTDIAPROTBOL", 10}},
       "3" + Replicate("0", 23),
       "300"},
      {"protest after 5 days", {{"CDDIAPROTBOL", "1"}, {"QTDIAPROTBOL", 5}}, "3" + Replicate("0", 23), "105"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[2], 118, 24), c.juros);
    EXPECT_EQ(field(recs[2], 221, 3), c.protesto);
    EXPECT_EQ(field(recs[2], 86, 15), "000000000015075");
  }
}

TEST(BBRemessa, FineInSegmentR) {
  struct TCaso {
    const char* nome;
    json campos;
    bool mensagem;
    std::string multa;
  };
  const TCaso casos[] = {
      {"percentage", {{"VRPEMULBREC", 2.0}}, false, "220122026000000000000200"},
      {"amount", {{"VRMULTABREC", 7.25}}, false, "120122026000000000000725"},
      {"percentage wins", {{"VRPEMULBREC", 2.0}, {"VRMULTABREC", 7.25}}, false, "220122026000000000000200"},
      {"message only", json::object(), true, "0" + Replicate("0", 23)},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.titulos = {Titulo("100", c.campos)};
    if (c.mensagem)
      d.extra["TXBOLETO"] = {
          {{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"TXMENSBOLBOL", "  Juros após"}}};
    const auto recs = Gera(d);
    ASSERT_EQ(recs.size(), 7u);
    EXPECT_EQ(field(recs[4], 14, 1), "R");
    EXPECT_EQ(field(recs[4], 66, 24), c.multa);
    EXPECT_EQ(field(recs[4], 100, 40), Replicate(" ", 40));  // the message itself is not sent
  }
}

TEST(BBRemessa, BlankMessageWithoutFineGivesNoSegmentR) {
  TDados d;
  d.titulos = {Titulo("100")};
  d.extra["TXBOLETO"] = {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "100"}, {"TXMENSBOLBOL", "   "}}};
  ConfereMoldura(Gera(d), "PQ");
}

TEST(BBRemessa, GuarantorWithoutDigitsStillGetsSegmentY) {
  TDados d;
  d.conta = Conta({{"CDSACAVALISTA", "isento"}, {"NMSACAVALISTA", "José"}, {"IDTPIJURSAC", "F"}});
  d.titulos = {Titulo("100")};
  const auto recs = Gera(d);
  ConfereMoldura(recs, "PQY");
  EXPECT_EQ(field(recs[4], 20, 16), "1" + Replicate("0", 15));
  EXPECT_EQ(field(recs[4], 36, 4), "JOSE");
}

TEST(BBRemessa, PayerFromTheOverrideRecordOrTheClient) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101")};
  d.extra["LICENCAUSO"] = {{{"CDFILIAL", "0001"},
                            {"NRLANBOLREC", "101"},
                            {"IDTPIJURLUSO", "F"},
                            {"NMRAZSOCLUSO", "Razão Social"},
                            {"NMFANTLUSO", "Fantasia Açaí"},
                            {"DSENDELUSO", "Rua das Flores, 10"},
                            {"NMBAIRLUSO", "Centro"},
                            {"NMMUNICIPIO", "São Paulo"},
                            {"SGESTADO", "SP"}}};
  const auto recs = Gera(d);
  const std::string& q = recs[5];
  EXPECT_EQ(field(q, 18, 1), "1");
  EXPECT_EQ(field(q, 19, 15), Replicate("0", 15));  // no tax id on the override
  EXPECT_EQ(field(q, 34, 40), fields::PadR("FANTASIA ACAI", 40));
  EXPECT_EQ(field(q, 74, 40), fields::PadR("RUA DAS FLORES, 10", 40));
  EXPECT_EQ(field(q, 129, 8), "00000000");  // no postcode on the override
  EXPECT_EQ(field(q, 137, 17), fields::PadR("SAO PAULO", 15) + "SP");
  EXPECT_EQ(field(q, 154, 16), Replicate("0", 16));
}

TEST(BBRemessa, HeadersCarryAgreementAccountAndSequence) {
  TDados d;
  d.titulos = {Titulo("100")};
  TStore store(d.Texto());
  const auto recs = Gera(store);
  const std::string convenio =
      "001234567"
      "0014"
      "17"
      "027"
      "  ";
  EXPECT_EQ(field(recs[0], 33, 20), convenio);
  EXPECT_EQ(field(recs[1], 34, 20), convenio);
  EXPECT_EQ(field(recs[0], 53, 6), "012345");
  EXPECT_EQ(field(recs[1], 54, 6), "012345");
  EXPECT_EQ(field(recs[2], 18, 6), "012345");
  EXPECT_EQ(field(recs[0], 59, 14),
            "000012345678"
            "9"
            " ");
  EXPECT_EQ(field(recs[1], 60, 14),
            "000012345678"
            "9"
            " ");
  EXPECT_EQ(field(recs[2], 24, 14),
            "000012345678"
            "9"
            " ");
  EXPECT_EQ(field(recs[0], 143, 15),
            "1"
            "08122026"
            "103000");
  EXPECT_EQ(field(recs[0], 158, 6), "000042");  // the account's next sequence, zero-filled
  EXPECT_EQ(field(recs[0], 164, 8),
            "030"
            "00000");
  EXPECT_EQ(field(recs[0], 223, 6), "CSP000");
  EXPECT_EQ(field(recs[1], 9, 9), "R01  020 ");
  EXPECT_EQ(field(recs[1], 192, 16),
            "08122026"
            "00000000");
}

// Without an identification on the account the company's code at the bank is
// the agreement; without either, both headers leave the block blank.
TEST(BBRemessa, AgreementBlockWithoutAccountIdentification) {
  const std::pair<json, std::string> casos[] = {
      {nullptr, Replicate(" ", 20)},
      {"2.468-0", "000024680" + std::string("0014") + "17" + "019" + "  "},
  };
  for (const auto& [codigo, convenio] : casos) {
    SCOPED_TRACE(convenio);
    TDados d;
    d.conta = Conta({{"CDIDRECCONTCORR", nullptr}});
    d.emprBanc = EmprBanc({{"CDEMPBANCREC", codigo}, {"NRVARIACARTCOB", nullptr}});
    d.titulos = {Titulo("100")};
    const auto recs = Gera(d);
    EXPECT_EQ(field(recs[0], 33, 20), convenio);
    EXPECT_EQ(field(recs[1], 34, 20), convenio);
  }
}

TEST(BBRemessa, EmptyAgencyAndAccountKeepEveryPosition) {
  TDados d;
  d.conta = Conta({{"CDAGENCIA", nullptr}, {"CDCONTCORR", nullptr}});
  d.titulos = {Titulo("100")};
  const auto recs = Gera(d);  // Registros(240) checks each record's length
  EXPECT_EQ(field(recs[0], 53, 6), "00000 ");
  EXPECT_EQ(field(recs[1], 54, 6), "00000 ");
  EXPECT_EQ(field(recs[2], 18, 6), "00000 ");
  EXPECT_EQ(field(recs[0], 59, 14), Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[2], 24, 14), Replicate("0", 12) + "  ");
  EXPECT_EQ(field(recs[0], 73, 7), "EMPRESA");  // the name has not moved
}

// A second branch of the company, for batches made by branch.
json Filial(const char* tipo, const char* inscricao) {
  return {{"CDFILIAL", "0002"},   {"CDEMPRESA", "01"},         {"NMFILIAL", "Filial Dois"},
          {"IDTPIJURFILI", tipo}, {"NRINSJURFILI", inscricao}, {"NMRAZSOCFILI", "Filial Dois Comércio"}};
}

TEST(BBRemessa, CompanyOfTheFileByTheCompanyRule) {
  struct TCaso {
    const char* nome;
    const char *filial, *tipo, *inscricao;
    std::string header, lote, razao;
  };
  const TCaso casos[] = {
      {"company", "", "J", "11.111.111/0001-11", "212345678000195", "2012345678000195",
       "EMPRESA TESTE COMERCIO LTDA"},
      {"legal-person branch", "0002", "J", "12.345.678/0002-76", "212345678000276", "2012345678000276",
       "FILIAL DOIS COMERCIO"},
      {"natural-person branch", "0002", "F", "123.456.789-09", "100012345678909", "1000012345678909",
       "FILIAL DOIS COMERCIO"},
      {"branch of another kind", "0002", "O", "12.345.678/0002-76", "312345678000276", "3012345678000276",
       "FILIAL DOIS COMERCIO"},
  };
  for (const TCaso& c : casos) {
    SCOPED_TRACE(c.nome);
    TDados d;
    d.extra["FILIAL"] = {Filial(c.tipo, c.inscricao)};
    d.titulos = {Titulo("100")};
    TOpcoesGeracao o;
    o.filial = c.filial;
    const auto recs = Gera(d, o);
    EXPECT_EQ(field(recs[0], 18, 15), c.header);
    EXPECT_EQ(field(recs[1], 18, 16), c.lote);
    EXPECT_EQ(field(recs[0], 73, 30), fields::PadR(c.razao, 30));
    EXPECT_EQ(field(recs[1], 74, 30), fields::PadR(c.razao, 30));
  }
}

TEST(BBRemessa, TaxIdLongerThan14DigitsStopsBeforeTheFile) {
  TDados d;
  d.extra["FILIAL"] = {Filial("J", "12.345.678/0002-765")};
  d.titulos = {Titulo("100")};
  TStore store(d.Texto());
  TOpcoesGeracao o;
  o.filial = "0002";
  try {
    store.Gerar(o);
    FAIL() << "the run went through";
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "INSCRICAO_INV");
  }
  EXPECT_FALSE(std::filesystem::exists(store.Arquivo()));
  const std::string pasta = std::filesystem::path(store.Arquivo()).parent_path().string();
  EXPECT_TRUE(std::filesystem::is_empty(pasta)) << "a partial file was left in " << pasta;
}

// The run refuses a batch without marks, so the writer is called here on a
// form prepared as the operator leaves it just before marking.
TEST(BBRemessa, NoMarkedTitleGivesHeadersAndTrailersOnly) {
  TDados d;
  d.titulos = {Titulo("100"), Titulo("101", {{"CDCARTCOBBOL", "18"}, {"DTVENBOLREC", "2026-12-30"}})};
  TStore store(d.Texto());
  workspace::SetAppServer(&store.Server());
  workspace::CriaRemessaCNABRec();
  auto& f = *workspace::frmRemessaCNAB;
  struct Fecha {
    ~Fecha() {
      workspace::frmRemessaCNAB->sbtCancelarClick();
      workspace::FechaRemessaCNABRec();
      host::TOutputStage::Current().Discard();
    }
  } fecha;
  f.medCdEmpresa.Text = "01";
  f.medCdEmpresaExit();
  f.sbtIncluirClick();
  f.dbcTpMovChange(0);
  f.dbeCdReduCont.Text = "001";
  f.dbeCdReduContExit();
  f.Vd_Filial();
  const std::string arquivo = (std::filesystem::temp_directory_path() / "bb-sem-titulos.rem").string();
  f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString(arquivo);
  f.MostraBoletos();
  ASSERT_EQ(f.cdsBoletos.RecordCount(), 2);
  layouts::TRemessa remessa = app::RemessaDoForm(f);
  layouts::Remessa_BB(remessa, *app::TitulosDoForm(f), true);

  std::ifstream in(host::StagingName(arquivo), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string texto = ss.str();
  ASSERT_EQ(texto.size(), 4u * 242);
  std::vector<std::string> recs;
  for (size_t i = 0; i < texto.size(); i += 242) {
    EXPECT_EQ(texto.substr(i + 240, 2), "\r\n");
    recs.push_back(texto.substr(i, 240));
  }
  ConfereMoldura(recs, "");
  // no marked title: the batch has no portfolio yet
  EXPECT_EQ(field(recs[0], 33, 20),
            "001234567"
            "0014"
            "00"
            "027"
            "  ");
  // before the run draws them, the batch has no sequence and no number
  EXPECT_EQ(field(recs[0], 158, 6), "000001");
  EXPECT_EQ(field(recs[1], 184, 8), "00000000");
}

}  // namespace
