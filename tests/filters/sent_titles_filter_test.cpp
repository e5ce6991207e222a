#include "filters/sent_titles_filter.h"

#include <gtest/gtest.h>

#include "support/filter_context.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;
using host::Value;

namespace {

std::string S(const Value& v) {
  return std::holds_alternative<host::TText>(v) ? std::get<host::TText>(v).str() : "<num>";
}
double F(const Value& v) {
  return std::holds_alternative<double>(v) ? std::get<double>(v) : -1;
}

json loja() {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["BOLETOREC"] = json::array();
  for (int i = 1; i <= 4; ++i) {
    json t = Titulo(std::to_string(i));
    t["DOCUMENTO"] = std::to_string(100 + i);
    t["VRFINALBREC"] = 100.0 * i;
    t["IDCARTCOBREC"] = std::to_string(i);
    j["BOLETOREC"].push_back(t);
  }
  j["BOLETOREC"][3]["IDSITUCNABR"] = "01";
  return j;
}

std::vector<std::string> numeros(workspace::TfrmRemessaCNAB& f) {
  std::vector<std::string> r;
  for (f.cdsBoletos.First(); !f.cdsBoletos.Eof(); f.cdsBoletos.Next())
    r.push_back(f.cdsBoletos.FieldByName("NRLANBOLREC").AsString());
  return r;
}

std::string erro(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const host::EMensErro& e) {
    return e.Key();
  }
  return "";
}

}  // namespace

TEST(SentTitlesFilter, ArgumentsOfTheDialogsCall) {
  TStore s(loja().dump());
  auto& f = s.Prepara();
  auto& d = *filters::frmFiltroBoleEnviCNAB;
  d.FormActivate();
  d.sbtConfirmaClick();
  auto a = d.Argumentos();
  ASSERT_EQ(a.size(), 38u);
  EXPECT_EQ(S(a[1]), "N");
  EXPECT_EQ(S(a[21]), "_00_01");  // inclusion, no box ticked
  EXPECT_EQ(S(a[22]), "");
  EXPECT_EQ(S(a[13]), "");  // the default due-date window restricts
  EXPECT_DOUBLE_EQ(F(a[11]), fields::EncodeDate(2026, 11, 8));
  EXPECT_DOUBLE_EQ(F(a[12]), fields::EncodeDate(2027, 6, 6));
  EXPECT_EQ(S(a[20]), "T");  // values 0 and 0: no restriction
  EXPECT_DOUBLE_EQ(F(a[18]), 0);
  EXPECT_EQ(S(a[33]), "T");
  EXPECT_EQ(S(a[28]), "T");

  d.FormActivate();
  d.c.docIni = "102";  // only the first number: that one document
  d.c.simples = d.c.descontada = true;
  d.c.vrLiqIni = "0";
  d.c.vrLiqFin = "500";
  d.sbtConfirmaClick();
  a = d.Argumentos();
  EXPECT_EQ(S(a[4]), "0000102");
  EXPECT_EQ(S(a[5]), "0000102");
  EXPECT_EQ(S(a[6]), "");
  EXPECT_EQ(S(a[25]), "_1_4");
  EXPECT_EQ(S(a[26]), "");
  EXPECT_DOUBLE_EQ(F(a[19]), 500);
  EXPECT_EQ(numeros(f), (std::vector<std::string>{}));  // title 102 is of kind 2
  d.FormActivate();
  d.c.simples = d.c.vinculada = true;
  d.sbtConfirmaClick();
  EXPECT_EQ(numeros(f), (std::vector<std::string>{"2"}));
}

TEST(SentTitlesFilter, SituationBoxesFollowTheOperation) {
  struct Case {
    int op;
    bool naoEnv, erro, semRet, ok;
    std::string lista;
    std::vector<std::string> oferecidos;
  } cases[] = {
      {0, false, false, false, false, "_00_01", {"1", "2", "3", "4"}},
      {0, true, false, false, false, "_00", {"1", "2", "3"}},
      {0, false, true, true, false, "_01", {"4"}},  // the "Enviado" boxes don't apply to inclusion
      {1, false, false, false, false, "_10_20", {}},
      {1, true, false, false, true, "_20", {}},
  };
  for (const auto& c : cases) {
    TStore s(loja().dump());
    TOpcoesGeracao o;
    o.operacao = c.op;
    auto& f = s.Prepara(o);
    f.sbtFiltroClick([&](filters::TfrmFiltroBoleEnviCNAB& d) {
      d.c.naoEnviado = c.naoEnv;
      d.c.envRetoErro = c.erro;
      d.c.envRetoSemErro = c.semRet;
      d.c.envRetoOK = c.ok;
      EXPECT_EQ(d.Enabled.naoEnviado, c.op == 0);
      EXPECT_EQ(d.Enabled.envRetoOK, c.op != 0);
      EXPECT_EQ(d.Enabled.alterado, false);
    });
    auto a = filters::frmFiltroBoleEnviCNAB->Argumentos();
    EXPECT_EQ(S(a[21]), c.lista);
    EXPECT_EQ(numeros(f), c.oferecidos) << c.lista;
  }
}

// The dialog reads the batch from the workspace it is given and fills that
// workspace's titles.
TEST(SentTitlesFilter, TheBatchInHandDecidesTheSituationAndDueChangeSent) {
  TStore s(loja().dump());
  struct Case {
    const char* nome;
    bool preparando;
    std::string operacao;
    int tipo;
    std::string lote, situacao, flagSituacao, vencimento, flagVencimento;
    bool alteradoHabilitado;
    int oferecidos;
  } cases[] = {
      {"a stored batch is browsed", false, "I", 0, "7", "", "T", "", "T", false, 0},
      {"a stored alteration batch is browsed", false, "A", 2, "7", "", "T", "", "T", true, 0},
      {"an inclusion being prepared", true, "I", 0, "N", "_00_01", "", "", "T", false, 4},
      {"an alteration being prepared", true, "A", 2, "N", "_10_20", "", "1_2_3", "", true, 0},
      {"a removal being prepared", true, "E", 1, "N", "_10_20", "", "", "T", false, 0},
  };
  for (const auto& c : cases) {
    TContextoFiltros ctx(&s.Server());
    ctx.preparando = c.preparando;
    ctx.operacao = c.operacao;
    ctx.tipoMovimento = c.tipo;
    ctx.numero = "7";
    filters::TfrmFiltroBoleEnviCNAB d(ctx);
    EXPECT_TRUE(ctx.paramFilial.Active()) << c.nome;
    d.FormActivate();
    EXPECT_EQ(d.Enabled.alterado, c.alteradoHabilitado) << c.nome;
    d.sbtConfirmaClick();
    const auto a = d.Argumentos();
    EXPECT_EQ(S(a[1]), c.lote) << c.nome;
    EXPECT_EQ(S(a[21]), c.situacao) << c.nome;
    EXPECT_EQ(S(a[22]), c.flagSituacao) << c.nome;
    EXPECT_EQ(S(a[32]), c.vencimento) << c.nome;
    EXPECT_EQ(S(a[33]), c.flagVencimento) << c.nome;
    EXPECT_EQ(d.ModalResult, 1) << c.nome;
    EXPECT_EQ(ctx.boletos.RecordCount(), c.oferecidos) << c.nome;
  }
}

TEST(SentTitlesFilter, ChecksInOrder) {
  TStore s(loja().dump());
  auto& f = s.Prepara();
  auto& d = *filters::frmFiltroBoleEnviCNAB;
  struct Case {
    std::function<void(filters::TFiltroBoletos&)> muda;
    std::string chave;
  } cases[] = {
      {[](auto& c) {
         c.listGrupClie = true;
         c.listClie = true;
       },
       "GrupClie_inf"},
      {[](auto& c) { c.listClie = true; }, "Clie_inf"},
      {[](auto& c) {
         c.docIni = "9";
         c.docFin = "5";
       },
       "NumeroIni_menor"},
      {[](auto& c) {
         c.docFin = "5";
         c.listFiliOrig = true;
       },
       "NumeroIni_inf"},
      {[](auto& c) { c.listFiliOrig = true; }, "FiliOrig_inf"},
      {[](auto& c) { c.listFiliLanc = true; }, "FiliLanc_inf"},
      {[](auto& c) { c.dtIniEmi = "31/02/2026"; }, "Data_Inv"},
      {[](auto& c) { c.dtFinEmi = "01/12/2026"; }, "DtEmisIni_inf"},
      {[](auto& c) {
         c.dtIniEmi = "02/12/2026";
         c.dtFinEmi = "01/12/2026";
       },
       "DtEmisIni_menor"},
      {[](auto& c) { c.dtIniVen = ""; }, "DtVencIni_inf"},
      {[](auto& c) { c.dtFinVen = ""; }, "DtVencFin_inf"},
      {[](auto& c) {
         c.listFRec = true;
         c.listCCorr = true;
       },
       "FormRec_inf"},
      {[](auto& c) { c.listCCorr = true; }, "CCorr_inf"},
      {[](auto& c) { c.vrLiqIni = "10"; }, "VrLiqu_menor"},
  };
  for (const auto& c : cases) {
    d.FormActivate();
    c.muda(d.c);
    const auto antes = numeros(f);
    EXPECT_EQ(erro([&] { d.sbtConfirmaClick(); }), c.chave);
    EXPECT_EQ(numeros(f), antes);                      // a refused confirmation lists nothing new
    EXPECT_EQ(filters::FiltroBoleto.listClie, false);  // nor saves the state
  }
}

TEST(SentTitlesFilter, FilterAfterMarksAsksAndClears) {
  TStore s(loja().dump());
  auto& f = s.Prepara();
  f.MarcaTodos(false);
  ASSERT_EQ(f.nedQuant, 4);
  s.UI().SetAnswer(false);  // "Bol_mar" cancelled: marks stay
  EXPECT_FALSE(f.sbtFiltroClick());
  EXPECT_EQ(f.nedQuant, 4);
  s.UI().SetAnswer(true);
  EXPECT_TRUE(f.sbtFiltroClick([](filters::TfrmFiltroBoleEnviCNAB& d) { d.c.naoEnviado = true; }));
  EXPECT_EQ(f.nedQuant, 0);
  EXPECT_EQ(f.BoletosMarcados.Count(), 0);
  EXPECT_EQ(numeros(f), (std::vector<std::string>{"1", "2", "3"}));
}

TEST(AccountAndBranch, CodesAreZeroFilledAndKindOrCollectionFollowTheBank) {
  json j;
  j["CONTCORR"] = {Conta("237", "007"), Conta("033", "008"), Conta("341", "009")};
  TStore s(j.dump());
  struct Case {
    const char* conta;
    bool tipo, cobranca;
  } cases[] = {{"7", true, false}, {"8", false, true}, {"9", false, false}};
  TOpcoesGeracao o;
  o.conta = "007";
  for (const auto& c : cases) {
    auto& f = s.Prepara(o);
    f.dbeCdReduContEnter();
    f.dbeCdReduCont.Text = c.conta;
    f.dbeCdReduContChange();
    f.dbeCdReduContExit();
    EXPECT_EQ(f.cdsCNABRec.FieldByName("CDREDUCONT").AsString(), std::string("00") + c.conta);
    EXPECT_EQ(f.cbbTpRemessa.Enabled, c.tipo) << c.conta;
    EXPECT_EQ(f.dbeCdReduContCobr.Enabled, c.cobranca) << c.conta;
    f.dbeCdFilialEnter();
    f.dbeCdFilial.Text = "1";
    f.Vd_Filial();
    EXPECT_EQ(f.cdsCNABRec.FieldByName("CDFILIAL").AsString(), "0001");
    f.dbeCdFilialEnter();
    f.dbeCdFilial.Text = "";
    EXPECT_EQ(erro([&] { f.Vd_Filial(); }), "");  // a blank branch is accepted
    f.dbeCdFilial.Text = "9";
    EXPECT_EQ(erro([&] { f.Vd_Filial(); }), "FIL_N_CAD");
  }
  auto& f = s.Prepara(o);
  f.medCdEmpresa.Text = "5";
  EXPECT_EQ(erro([&] { f.Vd_CdEmpresa(); }), "EMPR_NAO_CAD");
  EXPECT_EQ(f.medCdEmpresa.Text, "05");
  f.medCdEmpresa.Text = "";
  EXPECT_EQ(erro([&] { f.Vd_CdEmpresa(); }), "EMPR_DEVE");
  s.Server().Conexao().Exec("DELETE FROM OPEREMPR");
  f.medCdEmpresa.Text = "01";
  EXPECT_EQ(erro([&] { f.Vd_CdEmpresa(); }), "Emp_Nr");
}

TEST(AccountAndBranch, ChangingTheAccountWithMarks) {
  json j = loja();
  j["CONTCORR"].push_back(Conta("237", "002"));
  for (bool sim : {false, true}) {
    TStore s(j.dump());
    auto& f = s.Prepara();
    f.MarcaTodos(false);
    ASSERT_EQ(f.nedQuant, 4);
    s.UI().SetAnswer(sim);
    f.dbeCdReduContEnter();
    f.dbeCdReduCont.Text = "002";
    f.dbeCdReduContExit();
    EXPECT_EQ(f.cdsCNABRec.FieldByName("CDREDUCONT").AsString(), sim ? "002" : "001");
    EXPECT_EQ(f.dbeCdReduCont.Text, sim ? "002" : "001");
    EXPECT_EQ(f.nedQuant, sim ? 0 : 4);
    EXPECT_EQ(f.Carteiras.Count(), sim ? 0 : 4);
  }
}
