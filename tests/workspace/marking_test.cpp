#include <gtest/gtest.h>

#include <random>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;

namespace {

std::string marca(workspace::TfrmRemessaCNAB& f, const std::string& numero) {
  if (!f.cdsBoletos.Locate("NRLANBOLREC", {numero})) return "not offered";
  try {
    f.MarcaBoletoAtual();
  } catch (const host::EMensErro& e) {
    return e.Key();
  }
  return f.cdsBoletos.FieldByName("IDMARCADO").AsString();
}

}  // namespace

// Each title breaks one rule; the refusal names it, and the mark stays unchanged.
TEST(MarkingRules, EachRefusalWithItsMessage) {
  struct Case {
    const char* banco;
    std::function<void(json& titulo, json& j)> quebra;
    const char* chave;
  } cases[] = {
      {"237", [](json&, json&) {}, "S"},
      {"237", [](json& t, json&) { t["IDBAIXAUTILR"] = "P"; }, "BOLTPCOMP"},
      {"237", [](json& t, json&) { t["CDCLIENTE"] = "C2"; }, "ClieC"},
      {"237",
       [](json& t, json& j) {
         t["CDCLIENTE"] = "C2";  // no billing address, but an override record
         j["LICENCAUSO"] = {{{"CDFILIAL", "0001"}, {"NRLANBOLREC", "1"}, {"NMRAZSOCLUSO", "Outro"}}};
       },
       "S"},
      {"237", [](json& t, json&) { t["CDNOSNUMREC"] = ""; }, "NossoNum_Empty"},
      {"237",
       [](json& t, json&) {
         t["CDNOSNUMREC"] = "";
         t["IDIMPRBOLBOL"] = "B";
       },
       "S"},
      {"356", [](json&, json& j) { j["EMPRESA_NR"] = "123456789012345"; }, "INSCRICAO_INV"},
      {"237", [](json& t, json&) { t["CDCARTCOBBOL"] = ""; }, "CART_EMPTY"},
      {"041",
       [](json& t, json&) {
         t["CDCARTCOBBOL"] = "";
         t["IDCARTCOBREC"] = "";
       },
       "S"},
      {"104", [](json& t, json&) { t["IDCARTCOBREC"] = "2"; }, "TipoCart_INV"},
      {"237", [](json& t, json&) { t["DTVENBOLREC"] = "2026-12-07"; }, "Bol_Venc"},
      {"237", [](json& t, json&) { t["DTVENBOLREC"] = "2026-12-08"; }, "S"},  // due today
      {"237", [](json& t, json&) { t["CDREDUCONT"] = "002"; }, "ContCorr_dif"},
      {"237", [](json& t, json&) { t["IDSTATBREC"] = "A"; }, "S"},  // no advance credit
      {"237",
       [](json& t, json& j) {
         t["IDSTATBREC"] = "A";
         j["ADIANT"] = true;
       },
       "N"},  // "Bol_Adia" answered No
  };
  for (const auto& c : cases) {
    json j;
    j["CONTCORR"] = {Conta(c.banco), Conta(c.banco, "002")};
    j["CLIENTE"] = {{{"CDCLIENTE", "C2"}, {"NMRAZSOCCLIE", "Sem Endereço"}}};
    json t = Titulo("1");
    c.quebra(t, j);
    j["BOLETOREC"] = {t};
    std::string nr;
    if (j.contains("EMPRESA_NR")) nr = j["EMPRESA_NR"], j.erase("EMPRESA_NR");
    const bool adiant = j.contains("ADIANT");
    j.erase("ADIANT");
    TStore s(j.dump());
    if (!nr.empty()) s.Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '" + nr + "'");
    if (adiant) s.Server().Conexao().Exec("UPDATE CLIENTE SET VRADIANTCLIE = 10 WHERE CDCLIENTE = 'C1'");
    auto& f = s.Prepara();
    s.UI().SetAnswer(false);  // "Bol_Adia" answered No
    const std::string got = marca(f, "1");
    EXPECT_EQ(got, c.chave) << c.banco << " " << t.dump();
    if (std::string(c.chave) != "S") {
      EXPECT_EQ(f.nedQuant, 0);
      EXPECT_EQ(f.BoletosMarcados.Count(), 0);
    }
  }
}

TEST(MarkingRules, ProtestDaysForBank399) {
  for (auto [dias, ok] :
       {std::pair{0, true}, {35, true}, {36, false}, {44, false}, {45, true}, {46, false}}) {
    json j;
    j["BANCO"] = {{{"CDBANCO", "399"}, {"NMBANCO", "HSBC"}}};
    j["CONTCORR"] = {Conta("399")};
    json t = Titulo("1");
    t["QTDIAPROTBOL"] = dias;
    j["BOLETOREC"] = {t};
    TStore s(j.dump());
    auto& f = s.Prepara();
    EXPECT_EQ(marca(f, "1"), ok ? "S" : "Protesto_Exc") << dias;
  }
}

TEST(MarkingRules, OnePortfolioForBank001AndUnmarkSkipsTheRules) {
  json j;
  j["CONTCORR"] = {Conta("001")};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2"), Titulo("3")};
  j["BOLETOREC"][0]["CDCARTCOBBOL"] = "17";
  j["BOLETOREC"][1]["CDCARTCOBBOL"] = "18";
  j["BOLETOREC"][2]["CDCARTCOBBOL"] = "017";
  TStore s(j.dump());
  auto& f = s.Prepara();
  EXPECT_EQ(marca(f, "1"), "S");
  EXPECT_EQ(marca(f, "2"), "CART_DIF");
  EXPECT_EQ(marca(f, "3"), "S");  // "017" and "17" are one portfolio
  s.Server().Conexao().Exec("UPDATE BOLETOREC SET CDNOSNUMREC = '' WHERE NRLANBOLREC = '1'");
  EXPECT_EQ(marca(f, "1"), "N");  // unmarking runs no rule
  EXPECT_EQ(f.nedQuant, 1);
}

TEST(MarkingRules, MarkAllLeavesRefusedTitlesAndCountsWhy) {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2"), Titulo("3"), Titulo("4")};
  j["BOLETOREC"][1]["DTVENBOLREC"] = "2026-12-01";
  j["BOLETOREC"][2]["DTVENBOLREC"] = "2026-12-02";
  j["BOLETOREC"][3]["IDBAIXAUTILR"] = "P";
  TStore s(j.dump());
  auto& f = s.Prepara();
  auto recusas = f.MarcaTodos(false);
  EXPECT_EQ(f.nedQuant, 1);
  ASSERT_EQ(recusas.size(), 1u);
  EXPECT_EQ(recusas[0], (std::pair<std::string, int>{"Bol_Venc", 2}));
  using R = std::pair<std::string, std::string>;
  EXPECT_EQ(f.Recusados, (std::vector<R>{{"0001/2", "Bol_Venc"}, {"0001/3", "Bol_Venc"}}));
  EXPECT_TRUE(s.UI().shown.empty());
  f.MarcaTodos(false);  // some marked: unmark all
  EXPECT_EQ(f.nedQuant, 0);
  EXPECT_DOUBLE_EQ(f.nedTotal, 0);
}

TEST(MarkingRules, MarkAllStopsAtTheFirstLongTaxIdForBankReal) {
  json j;
  j["CONTCORR"] = {Conta("356")};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2")};
  TStore s(j.dump());
  s.Server().Conexao().Exec("UPDATE EMPRESA SET NRINSJUREMPR = '123456789012345'");
  auto& f = s.Prepara();
  try {
    f.MarcaTodos(false);
    FAIL();
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "INSCRICAO_INV");
  }
  EXPECT_EQ(f.nedQuant, 0);
}

// Sets, count and totals against a model, through marks, unmarks, filter
// changes and account and branch changes in random order.
TEST(MarkingRules, SetsStayConsistentWithAModel) {
  json j;
  j["CONTCORR"] = {Conta("237"), Conta("237", "002")};
  j["BOLETOREC"] = json::array();
  for (int i = 1; i <= 12; ++i) {
    json t = Titulo(std::to_string(i));
    t["VRFINALBREC"] = 10.005 * i;
    t["CDCARTCOBBOL"] = std::to_string(i % 3);
    t["IDCARTCOBREC"] = i % 2 ? "4" : "1";
    if (i % 5 == 0) t["CDREDUCONT"] = "002";
    j["BOLETOREC"].push_back(t);
  }
  TStore s(j.dump());
  auto& f = s.Prepara();
  std::mt19937 rng(20261208);
  std::map<std::string, double> modelo;  // key -> value
  for (int passo = 0; passo < 400; ++passo) {
    const int acao = static_cast<int>(rng() % 10);
    SCOPED_TRACE("action " + std::to_string(acao));
    if (acao < 6) {
      const std::string nr = std::to_string(1 + rng() % 12);
      if (!f.cdsBoletos.Locate("NRLANBOLREC", {nr})) continue;
      const std::string chave = "0001" + nr;
      const double v = f.cdsBoletos.FieldByName("VRFINALBREC").AsFloat();
      const bool outraConta = f.cdsBoletos.FieldByName("CDREDUCONT").AsString() != f.dbeCdReduCont.Text;
      try {
        f.MarcaBoletoAtual();
      } catch (const host::EMensErro& e) {
        EXPECT_EQ(e.Key(), "ContCorr_dif");
      }
      if (modelo.count(chave))
        modelo.erase(chave);
      else if (!outraConta)
        modelo[chave] = v;
    } else if (acao == 6) {
      s.UI().SetAnswer(rng() % 2);
      bool sim = false;
      s.UI().answers = {};
      f.sbtFiltroClick([&](filters::TfrmFiltroBoleEnviCNAB&) {});
      sim = f.BoletosMarcados.Count() == 0;
      if (sim) modelo.clear();
    } else if (acao == 7) {
      const bool sim = rng() % 2;
      s.UI().SetAnswer(sim);
      f.dbeCdReduContEnter();
      const std::string antes = f.dbeCdReduCont.Text;
      f.dbeCdReduCont.Text = antes == "001" ? "002" : "001";
      f.dbeCdReduContExit();
      if (!modelo.empty() && sim) modelo.clear();
      if (modelo.empty()) f.tshBoletosShow();
    } else {
      const bool sim = rng() % 2;
      s.UI().SetAnswer(sim);
      f.dbeCdFilialEnter();
      f.dbeCdFilial.Text = f.dbeCdFilial.Text == "0001" ? "" : "0001";
      f.Vd_Filial();
      if (!modelo.empty() && sim) modelo.clear();
    }
    double total = 0, credito = 0;
    for (auto& [k, v] : modelo) {
      total = fields::RoundDec(total + fields::RoundDec(v, 2), 2);
      const int i = std::stoi(k.substr(4));
      if (i % 2) credito += v;
    }
    ASSERT_EQ(f.nedQuant, static_cast<int>(modelo.size())) << "step " << passo;
    ASSERT_EQ(f.BoletosMarcados.Count(), static_cast<int>(modelo.size())) << "step " << passo;
    ASSERT_EQ(f.Carteiras.Count(), static_cast<int>(modelo.size())) << "step " << passo;
    ASSERT_NEAR(f.nedTotal, total, 1e-9) << "step " << passo;
    for (auto& [k, v] : modelo) ASSERT_GE(f.BoletosMarcados.IndexOf(k), 0);
    (void)credito;
  }
}

// The side grid holds the current title's invoices ("number/series", the
// number alone without a series); a walk over the list asks nothing per row.
TEST(MarkingRules, InvoicesFollowTheCurrentTitle) {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2")};
  j["NOTAFISCAL"] = {{{"CDFILIAL", "0001"}, {"NRLANCTONF", "L1"}, {"NRNOTAFISC", "501"}, {"CDSERIE", "1"}},
                     {{"CDFILIAL", "0001"}, {"NRLANCTONF", "L2"}, {"NRNOTAFISC", "502"}, {"CDSERIE", ""}}};
  j["DUPLICATA"] = {{{"CDFILIAL", "0001"},
                     {"NRLANBOLREC", "1"},
                     {"DUPLICATA", "501"},
                     {"NRPARCELA", "1"},
                     {"CDFILINF", "0001"},
                     {"NRLANCTONF", "L1"}},
                    {{"CDFILIAL", "0001"},
                     {"NRLANBOLREC", "2"},
                     {"DUPLICATA", "502"},
                     {"NRPARCELA", "1"},
                     {"CDFILINF", "0001"},
                     {"NRLANCTONF", "L2"}}};
  TStore s(j.dump());
  auto& f = s.Prepara();
  for (const auto& [numero, documento] : {std::pair{"1", "501/1"}, {"2", "502"}}) {
    ASSERT_TRUE(f.cdsBoletos.Locate("NRLANBOLREC", {numero}));
    ASSERT_EQ(f.cdsDocumentos.RecordCount(), 1) << numero;
    EXPECT_EQ(f.cdsDocumentos.FieldByName("DOCUMENTO").AsString(), documento);
  }
  f.MarcaTodos(false);  // ends on the first title, controls enabled again
  EXPECT_EQ(f.cdsDocumentos.FieldByName("DOCUMENTO").AsString(), "501/1");
}
