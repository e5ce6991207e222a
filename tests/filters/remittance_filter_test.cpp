// The remittance filter dialog: its checks in order, the arguments it sends,
// and the batches the server answers for them.
#include "filters/remittance_filter.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "host/busy.h"
#include "support/filter_context.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;
using filters::TfrmFiltroRemessaCNAB;
using filters::TPaginaFiltro;

namespace {

std::string Txt(const host::Value& v) {
  if (auto d = std::get_if<double>(&v)) return fields::FormatFloat("0.00", *d);
  return host::ValueToString(v, host::TFieldType::ftString);
}
std::string Dia(int y, int m, int d) {
  return fields::FormatFloat("0.00", fields::EncodeDate(y, m, d));
}

// Batches on three days, by two operators and two accounts, each carrying one title.
std::string Lotes() {
  json j;
  j["CLIENTE"] = {{{"CDCLIENTE", "C2"}, {"NMRAZSOCCLIE", "Cliente Dois"}}};
  j["OPERADOR"] = {{{"CDOPERADOR", "OP2"}, {"NMOPERADOR", "Outro"}}};
  j["CONTCORR"] = {Conta("237", "001"), Conta("237", "002")};
  auto lote = [](const char* nr, const char* dt, const char* op, double vr, const char* conta) {
    return json{{"CDEMPRESA", "01"}, {"NRCNABREC", nr},       {"DTCNABREC", dt},      {"CDOPERADOR", op},
                {"NMOPERADOR", op},  {"VRTOTBOLCNABREC", vr}, {"QTBOLENVCNABREC", 1}, {"CDREDUCONT", conta},
                {"CDBANCO", "237"},  {"IDOPECNABREC", "I"}};
  };
  j["CNABREC"] = {lote("1", "2026-12-01 09:00:00", "ADMIN", 300, "001"),
                  lote("2", "2026-12-05 15:00:00", "OP2", 1000, "002"),
                  lote("3", "2026-12-08 08:00:00", "ADMIN", 50, "001")};
  auto tit = [](const char* nr, const char* lote, const char* cli, const char* doc, const char* emis,
                const char* venc, const char* baixa, double vr, const char* conta) {
    json t = Titulo(nr);
    t["NRCNABRECREM"] = lote;
    t["IDSITUCNABR"] = "10";
    t["CDCLIENTE"] = cli;
    t["DOCUMENTO"] = doc;
    t["DTEMISBOLREC"] = emis;
    t["DTVENBOLREC"] = venc;
    t["CDFORMRECE"] = baixa;
    t["VRFINALBREC"] = vr;
    t["CDREDUCONT"] = conta;
    return t;
  };
  j["BOLETOREC"] = {tit("11", "1", "C1", "0000100", "2026-11-01", "2026-12-20", "1", 300, "001"),
                    tit("12", "2", "C2", "0000200", "2026-11-15", "2027-01-10", "2", 1000, "002"),
                    tit("13", "3", "C1", "0000300", "2026-12-01", "2026-12-28", "1", 50, "001")};
  return j.dump();
}

struct TForm {
  explicit TForm(TStore& s) {
    workspace::SetAppServer(&s.Server());
    workspace::CriaRemessaCNABRec();
    f().medCdEmpresa.Text = "01";
    f().medCdEmpresaExit();
  }
  ~TForm() { workspace::FechaRemessaCNABRec(); }
  workspace::TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
  TfrmFiltroRemessaCNAB& d() { return *filters::frmFiltroRemessaCNAB; }
  std::vector<std::string> Lista() {
    std::vector<std::string> out;
    auto& ds = f().cdsCNABRec;
    for (ds.First(); !ds.Eof(); ds.Next()) out.push_back(ds.FieldByName("NRCNABREC").AsString());
    return out;
  }
};

}  // namespace

TEST(FiltroRemessa, ArgumentsOfGetCNABRec) {
  TStore s;  // fixes the processing date at 08/12/2026
  struct Case {
    const char* nome;
    std::function<void(TfrmFiltroRemessaCNAB&)> prepara;
    std::map<int, std::string> esperado;
  } cases[] = {
      {"reset state",
       [](TfrmFiltroRemessaCNAB&) {},
       {{1, "01"},
        {2, Dia(2026, 12, 8)},
        {3, Dia(2026, 12, 9)},
        {4, ""},
        {5, ""},
        {6, "T"},
        {9, "T"},
        {11, "T"},
        {14, "T"},
        {15, "0,00"},
        {17, "T"},
        {20, "T"},
        {22, "T"},
        {24, "T"},
        {27, "T"}}},
      {"both dates empty",
       [](TfrmFiltroRemessaCNAB& d) { d.depDtIniVen.Text = d.depDtFinVen.Text = ""; },
       {{2, "0,00"}, {3, "0,00"}, {4, "T"}}},
      {"one date empty lifts the date criterion",
       [](TfrmFiltroRemessaCNAB& d) { d.depDtFinVen.Text = "  /  /    "; },
       {{2, "0,00"}, {3, "0,00"}, {4, "T"}}},
      {"the to day is included",
       [](TfrmFiltroRemessaCNAB& d) {
         d.depDtIniVen.Text = "01/03/2026";
         d.depDtFinVen.Text = "31/03/2026";
       },
       {{2, Dia(2026, 3, 1)}, {3, Dia(2026, 4, 1)}, {4, ""}}},
      {"value to of 0 is no restriction whatever the from",
       [](TfrmFiltroRemessaCNAB& d) {
         d.nedVrRemIni.Text = "150";
         d.nedVrRemFin.Text = "0";
       },
       {{7, "150,00"}, {8, "0,00"}, {9, "T"}}},
      {"values rounded to cents",
       [](TfrmFiltroRemessaCNAB& d) {
         d.nedVrRemFin.Text = "10,555";
         d.nedVrLiqIni.Text = "0,125";
         d.nedVrLiqFin.Text = "2,5";
       },
       {{8, "10,56"}, {9, ""}, {25, "0,13"}, {26, "2,50"}, {27, ""}}},
      {"lists sent only when Lista is checked",
       [](TfrmFiltroRemessaCNAB& d) {
         d.rbtOperador.Todos = false;
         d.stListOperador = "'OP2'";
         d.stListCliente = "'C1'";  // picked but "Todos" checked
         d.rbtCCorr.Todos = false;
         d.stListCCorr = "001";
       },
       {{5, "'OP2'"}, {6, ""}, {10, ""}, {11, "T"}, {23, "001"}, {24, ""}}},
      {"title dates and documents",
       [](TfrmFiltroRemessaCNAB& d) {
         d.medDocIni.Text = "0000010";
         d.medDocFin.Text = "0000020";
         d.depDtIniEmi.Text = "01/11/2026";
         d.depDtFinEmi.Text = "30/11/2026";
         d.depVencFin.Text = "31/12/2026";
       },
       {{12, "0000010"},
        {13, "0000020"},
        {14, ""},
        {15, Dia(2026, 11, 1)},
        {16, Dia(2026, 11, 30)},
        {17, ""},
        {19, Dia(2026, 12, 31)},
        {20, ""}}},
  };
  for (const auto& c : cases) {
    TfrmFiltroRemessaCNAB d;
    d.FormCreate();
    d.FormActivate();
    c.prepara(d);
    auto a = d.ArgumentosGetCNABRec("01");
    ASSERT_EQ(a.size(), 28u) << c.nome;
    for (const auto& [i, v] : c.esperado) EXPECT_EQ(Txt(a[i - 1]), v) << c.nome << ", argument " << i;
  }
}

TEST(FiltroRemessa, ChecksInOrderWithPageAndControl) {
  TStore s;
  const auto R = TPaginaFiltro::tshRemessa, B = TPaginaFiltro::tshBoletos;
  struct Case {
    const char* nome;
    std::function<void(TfrmFiltroRemessaCNAB&)> prepara;
    std::string chave;
    TPaginaFiltro pagina;
    std::string controle;
  } cases[] = {
      {"to date without from", [](auto& d) { d.depDtIniVen.Text = ""; }, "DataInicial_Deve", R,
       "depDtIniVen"},
      {"from date without to", [](auto& d) { d.depDtFinVen.Text = ""; }, "DataFinal_Deve", R, "depDtFinVen"},
      {"from date not a date", [](auto& d) { d.depDtIniVen.Text = "31/02/2026"; }, "Data_Inv", R,
       "depDtIniVen"},
      {"to before from", [](auto& d) { d.depDtFinVen.Text = "07/12/2026"; }, "DtIni<DtFin", R, "depDtIniVen"},
      {"operator list empty", [](auto& d) { d.rbtOperador.Todos = false; }, "Operador_Deve", R,
       "btpOperador"},
      {"batch value to below from",
       [](auto& d) {
         d.nedVrRemIni.Text = "200";
         d.nedVrRemFin.Text = "100";
       },
       "VrLiqu_menor", R, "nedVrRemIni"},
      {"batch value not a number", [](auto& d) { d.nedVrRemFin.Text = "1x"; }, "VrLiqu_menor", R,
       "nedVrRemFin"},
      {"client list empty", [](auto& d) { d.rbtCliente.Todos = false; }, "Clie_inf", B, "btpListClie"},
      {"document to without from", [](auto& d) { d.medDocFin.Text = "5"; }, "NumeroIni_inf", B, "medDocIni"},
      {"document from without to", [](auto& d) { d.medDocIni.Text = "5"; }, "NumeroFin_inf", B, "medDocFin"},
      {"documents reversed",
       [](auto& d) {
         d.medDocIni.Text = "200";
         d.medDocFin.Text = "0000100";
       },
       "NumeroIni_menor", B, "medDocIni"},
      {"due to without from", [](auto& d) { d.depVencFin.Text = "01/01/2027"; }, "DtVencIni_inf", B,
       "depVencIni"},
      {"due from without to", [](auto& d) { d.depVencIni.Text = "01/01/2027"; }, "DtVencFin_inf", B,
       "depVencFin"},
      {"due reversed",
       [](auto& d) {
         d.depVencIni.Text = "02/01/2027";
         d.depVencFin.Text = "01/01/2027";
       },
       "DtVencIni_menor", B, "depVencIni"},
      {"issue to not a date",
       [](auto& d) {
         d.depDtIniEmi.Text = "01/01/2026";
         d.depDtFinEmi.Text = "01/13/2026";
       },
       "Data_Inv", B, "depDtFinEmi"},
      {"issue reversed",
       [](auto& d) {
         d.depDtIniEmi.Text = "02/01/2026";
         d.depDtFinEmi.Text = "01/01/2026";
       },
       "DtEmisIni_menor", B, "depDtIniEmi"},
      {"due dates are checked before issue dates",
       [](auto& d) {
         d.depDtIniEmi.Text = "02/01/2026";
         d.depDtFinEmi.Text = "01/01/2026";
         d.depVencIni.Text = "01/01/2027";
       },
       "DtVencFin_inf", B, "depVencFin"},
      {"write-off list empty", [](auto& d) { d.rbtFormRec.Todos = false; }, "FormRec_inf", B, "btpPesqFRec"},
      {"account list empty", [](auto& d) { d.rbtCCorr.Todos = false; }, "CCorr_inf", B, "btnCCorr"},
      {"net value reversed",
       [](auto& d) {
         d.nedVrLiqIni.Text = "5";
         d.nedVrLiqFin.Text = "4,99";
       },
       "VrLiqu_menor", B, "nedVrLiqIni"},
      {"the first page's check comes first",
       [](auto& d) {
         d.rbtCCorr.Todos = false;
         d.depDtFinVen.Text = "";
       },
       "DataFinal_Deve", R, "depDtFinVen"},
  };
  for (const auto& c : cases) {
    TfrmFiltroRemessaCNAB d;
    d.FormCreate();
    d.FormActivate();
    c.prepara(d);
    std::string chave;
    std::string texto;
    try {
      d.sbtConfirmaClick();
    } catch (const host::EMensErro& e) {
      chave = e.Key();
      texto = e.what();
    }
    EXPECT_EQ(chave, c.chave) << c.nome;
    EXPECT_EQ(d.ActivePage, c.pagina) << c.nome;
    EXPECT_EQ(d.ActiveControl, c.controle) << c.nome;
    if (c.chave == "Data_Inv" && c.pagina == R) {
      EXPECT_EQ(fields::Cp1252ToUtf8(texto), "'31/02/2026' não é uma data válida.");
    }
  }
}

TEST(FiltroRemessa, ConfirmationFillsNumbersAndTheServerAppliesEveryCriterion) {
  TStore s(Lotes());
  TForm t(s);
  // Leaving the company re-applies the remembered filter, never shown: today's batches.
  EXPECT_EQ(t.Lista(), (std::vector<std::string>{"3"}));

  struct Case {
    const char* nome;
    std::function<void(TfrmFiltroRemessaCNAB&)> prepara;
    std::vector<std::string> lotes;
  } cases[] = {
      {"every batch", [](auto&) {}, {"3", "2", "1"}},
      {"dates",
       [](auto& d) {
         d.depDtIniVen.Text = "01/12/2026";
         d.depDtFinVen.Text = "05/12/2026";
       },
       {"2", "1"}},
      {"dates ending the day before",
       [](auto& d) {
         d.depDtIniVen.Text = "01/12/2026";
         d.depDtFinVen.Text = "04/12/2026";
       },
       {"1"}},
      {"operators",
       [](auto& d) {
         d.rbtOperador.Todos = false;
         d.stListOperador = "OP2";
       },
       {"2"}},
      {"batch value",
       [](auto& d) {
         d.nedVrRemIni.Text = "100";
         d.nedVrRemFin.Text = "500";
       },
       {"1"}},
      {"batch number, zero-filled", [](auto& d) { d.medNrRemessa.Text = "3"; }, {"3"}},
      {"clients of the titles",
       [](auto& d) {
         d.rbtCliente.Todos = false;
         d.stListCliente = "C2";
       },
       {"2"}},
      // Compared as typed, "99" would sort after "100" and be refused.
      {"documents, zero-filled before they are compared",
       [](auto& d) {
         d.medDocIni.Text = "99";
         d.medDocFin.Text = "100";
       },
       {"1"}},
      {"issue dates",
       [](auto& d) {
         d.depDtIniEmi.Text = "10/11/2026";
         d.depDtFinEmi.Text = "30/11/2026";
       },
       {"2"}},
      {"due dates",
       [](auto& d) {
         d.depVencIni.Text = "21/12/2026";
         d.depVencFin.Text = "31/12/2026";
       },
       {"3"}},
      {"write-off types",
       [](auto& d) {
         d.rbtFormRec.Todos = false;
         d.stListTpBx = "1";
       },
       {"3", "1"}},
      {"accounts",
       [](auto& d) {
         d.rbtCCorr.Todos = false;
         d.stListCCorr = "002";
       },
       {"2"}},
      {"net values",
       [](auto& d) {
         d.nedVrLiqIni.Text = "40";
         d.nedVrLiqFin.Text = "60";
       },
       {"3"}},
  };
  for (const auto& c : cases) {
    filters::SetMostraFiltro([&](TfrmFiltroRemessaCNAB& d) {
      d.sbtLimpaClick();
      d.depDtIniVen.Text = d.depDtFinVen.Text = "";
      c.prepara(d);
      d.sbtConfirmaClick();
    });
    t.f().sbtFiltrarClick();
    EXPECT_EQ(t.Lista(), c.lotes) << c.nome;
    EXPECT_FALSE(t.d().Visible) << c.nome;
  }
  filters::SetMostraFiltro(nullptr);
  // The batch number edit holds what was sent; the number is not remembered.
  EXPECT_EQ(t.d().medNrRemessa.Text, "0000000000");
  t.f().ReaplicaFiltro();
  EXPECT_EQ(t.Lista(), (std::vector<std::string>{"3"}));  // the last filter: net values 40 to 60
}

TEST(FiltroRemessa, ConfirmsIntoTheWorkspaceItIsGiven) {
  TStore s(Lotes());
  TContextoFiltros ctx(&s.Server());
  auto lista = [&] {
    std::vector<std::string> out;
    for (ctx.remessas.First(); !ctx.remessas.Eof(); ctx.remessas.Next())
      out.push_back(ctx.remessas.FieldByName("NRCNABREC").AsString());
    return out;
  };
  TfrmFiltroRemessaCNAB d;
  d.Contexto = &ctx;
  d.FormCreate();
  d.FormActivate();
  d.sbtConfirmaClick();
  EXPECT_EQ(lista(), (std::vector<std::string>{"3"}));
  EXPECT_NO_THROW(d.btpListClieClick());  // the lookups reach the workspace's store
  ctx.empresa = "02";                     // the company is read when the dialog asks
  d.FormActivate();
  d.sbtConfirmaClick();
  EXPECT_EQ(lista(), (std::vector<std::string>{}));

  TfrmFiltroRemessaCNAB semForm;
  semForm.FormCreate();
  semForm.FormActivate();
  EXPECT_THROW(semForm.sbtConfirmaClick(), std::logic_error);
}

TEST(FiltroRemessa, UndoRestoresTheResetStateWithoutAsking) {
  TStore s(Lotes());
  TForm t(s);
  filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", t.f());
  auto& d = t.d();
  d.depDtIniVen.Text = "01/01/2026";
  d.rbtCliente.Todos = false;
  d.stListCliente = "C1";
  d.medDocIni.Text = "123";
  d.medDocIniExit();
  EXPECT_EQ(d.medDocIni.Text, "0000123");
  EXPECT_EQ(d.medDocFin.Text, "0000123");  // copied into the empty to edit
  d.medNrRemessa.Text = "9";
  s.Server().Conexao().Exec(
      "INSERT INTO CNABREC (CDEMPRESA, NRCNABREC, DTCNABREC) VALUES ('01', '4', '2026-12-08 11:00:00')");
  d.sbtLimpaClick();
  EXPECT_EQ(d.depDtIniVen.Text, "08/12/2026");
  EXPECT_EQ(d.depDtFinVen.Text, "08/12/2026");
  EXPECT_EQ(d.edtNmDiaSemIni.Text, "Ter");
  EXPECT_TRUE(d.rbtCliente.Todos);
  EXPECT_FALSE(d.btpListClie.Enabled);
  EXPECT_EQ(d.medDocIni.Text, "");
  EXPECT_EQ(d.medNrRemessa.Text, "");
  EXPECT_EQ(t.Lista(), (std::vector<std::string>{"3"}));  // nothing asked of the server

  std::map<std::string, std::string> opcoes;
  d.stListCCorr = "001,002";
  d.SalvaOpcoes(opcoes);
  d.stListCCorr.clear();
  d.CarregaOpcoes(opcoes);
  EXPECT_EQ(d.stListCCorr, "001,002");
  EXPECT_EQ(opcoes.count("stlistCCorr"), 1u);
}

TEST(FiltroRemessa, AServerFailureChangesNothingAndKeepsTheDialogOpen) {
  TStore s(Lotes());
  TForm t(s);
  filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", t.f());
  auto& d = t.d();
  const auto antes = filters::FiltroRemessa.DtIniRemessa;
  d.depDtIniVen.Text = "01/12/2026";
  s.Server().Disconnect();
  EXPECT_THROW(d.sbtConfirmaClick(), host::EServerError);
  s.Server().Connect();
  EXPECT_TRUE(d.Visible);
  EXPECT_FALSE(host::ShowAviAtivo());
  EXPECT_EQ(filters::FiltroRemessa.DtIniRemessa, antes);
  EXPECT_EQ(t.Lista(), (std::vector<std::string>{"3"}));
}
