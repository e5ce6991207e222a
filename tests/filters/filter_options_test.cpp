// The filter dialogs' saved options, kept in the store per dialog and
// operator, and the sent-titles filter's list buttons.
#include <gtest/gtest.h>

#include <functional>

#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "host/context.h"
#include "support/filter_context.h"
#include "support/fixture.h"
#include "support/store.h"

using namespace testsupport;
using filters::TfrmFiltroBoleEnviCNAB;
using filters::TfrmFiltroRemessaCNAB;

namespace {

// One dialog as the options see it: opened afresh, its controls set, read.
struct TDialogo {
  const char* nome;
  std::function<void(TContextoFiltros&)> abre;
  std::function<void()> fecha;
  std::function<void()> preenche;
  std::function<void()> salva, carrega;
  std::function<std::string()> le;
};

TfrmFiltroRemessaCNAB& R() {
  return *filters::frmFiltroRemessaCNAB;
}
TfrmFiltroBoleEnviCNAB& B() {
  return *filters::frmFiltroBoleEnviCNAB;
}

}  // namespace

TEST(FilterOptions, SavedOptionsOutliveTheDialogAndBelongToTheOperator) {
  const TDialogo dialogos[] = {
      {"remittance filter",
       [](TContextoFiltros& c) {
         filters::CriaFiltroRemessaCNAB("", c);
         R().FormActivate();
       },
       [] { filters::LiberaFiltroRemessaCNAB(); },
       [] {
         R().rbtCliente.Todos = false;
         R().stListCliente = "C1,C2";
         R().depDtIniVen.Text = "01/12/2026";
         R().medDocIni.Text = "0000100";
         R().nedVrLiqFin.Text = "250,00";
       },
       [] { R().sbtSalvarOpcoesClick(); }, [] { R().sbtCarregarOpcoesClick(); },
       [] {
         auto& d = R();
         return std::string(d.rbtCliente.Todos ? "T" : "L") + (d.btpListClie.Enabled ? "+" : "-") + "|" +
                d.stListCliente + "|" + d.depDtIniVen.Text + " " + d.edtNmDiaSemIni.Text + "|" +
                d.medDocIni.Text + "|" + d.nedVrLiqFin.Text;
       }},
      {"sent-titles filter",
       [](TContextoFiltros& c) {
         filters::CriaFiltroBoleEnviCNAB("", c);
         B().FormActivate();
       },
       [] { filters::LiberaFiltroBoleEnviCNAB(); },
       [] {
         B().c.listFiliOrig = true;
         B().c.stFiliOrig = "0001";
         B().c.stGrupClie = "G1";
         B().c.simples = true;
         B().c.nrRemessa = "0000000007";
         B().c.dtIniVen = "01/12/2026";
       },
       [] { B().sbtSalvarOpcoesClick(); }, [] { B().sbtCarregarOpcoesClick(); },
       [] {
         const auto& c = B().c;
         return std::string(c.listFiliOrig ? "L" : "T") + "|" + c.stFiliOrig + "|" + c.stGrupClie + "|" +
                (c.simples ? "S" : "N") + "|" + c.nrRemessa + "|" + c.dtIniVen;
       }},
  };
  const std::string esperado[] = {"L+|C1,C2|01/12/2026 Ter|0000100|250,00",
                                  "L|0001|G1|S|0000000007|01/12/2026"};
  for (size_t i = 0; i < std::size(dialogos); ++i) {
    const auto& d = dialogos[i];
    SCOPED_TRACE(d.nome);
    TStore s;
    TContextoFiltros ctx(&s.Server());
    d.abre(ctx);
    const std::string limpo = d.le();
    d.preenche();
    d.salva();
    const auto guardadas = s.Server().Conexao().Scalar("SELECT COUNT(*) FROM OPCOESFILTRO", {});
    d.fecha();  // the dialog goes, and with it everything it held

    d.abre(ctx);
    ASSERT_EQ(d.le(), limpo);
    host::Corvane().Operador = "OP2";  // another operator saved nothing
    d.carrega();
    EXPECT_EQ(d.le(), limpo);
    host::Corvane().Operador = "ADMIN";
    d.carrega();
    EXPECT_EQ(d.le(), esperado[i]);

    d.preenche();  // saving again replaces, it does not add
    d.salva();
    EXPECT_EQ(s.Server().Conexao().Scalar("SELECT COUNT(*) FROM OPCOESFILTRO", {}), guardadas);
    d.fecha();
  }
}

TEST(FilterOptions, SentTitlesListButtonsOfferTheirLookupsAndTakeThePick) {
  json j;
  j["CLIENTE"] = {{{"CDCLIENTE", "C2"}, {"NMRAZSOCCLIE", "Dois"}}};
  j["FILIAL"] = {{{"CDFILIAL", "0002"}, {"CDEMPRESA", "01"}, {"NMFILIAL", "Loja"}}};
  j["GRUPCLIE"] = {{{"CDGRUPCLIE", "G1"}}};
  j["TIPOBAIXAREC"] = {{{"CDTPBAIXAREC", "1"}}, {{"CDTPBAIXAREC", "2"}}};
  j["CONTCORR"] = {Conta("237", "001")};
  TStore s(j.dump());
  TContextoFiltros ctx(&s.Server());
  TfrmFiltroBoleEnviCNAB d(ctx);
  std::string titulo, chave;
  filters::SetPesquisaLista(
      [&](host::TClientDataSet& ds, const std::string& k, const std::string& t, std::string& lista) {
        titulo = t;
        chave = k;
        lista.clear();
        for (ds.First(); !ds.Eof(); ds.Next())
          lista += (lista.empty() ? "" : ",") + ds.FieldByName(k).AsString();
        return true;
      });
  struct Case {
    std::function<void()> clica;
    std::string* lista;
    const char* titulo;
    const char* chave;
    const char* esperada;
  } cases[] = {
      // Clients come by tax id, and C2 has none.
      {[&] { d.btpListClieClick(); }, &d.c.stListClie, "Cliente", "CDCLIENTE", "C2,C1"},
      {[&] { d.btnFiliOrigClick(); }, &d.c.stFiliOrig, "Filial", "CDFILIAL", "0001,0002"},
      {[&] { d.btnFiliLancClick(); }, &d.c.stFiliLanc, "Filial", "CDFILIAL", "0001,0002"},
      {[&] { d.btnGrupClieClick(); }, &d.c.stGrupClie, "Grupo de cliente", "CDGRUPCLIE", "G1"},
      {[&] { d.btpPesqFRecClick(); }, &d.c.stListFRec, "Tipo de Baixa", "CDTPBAIXAREC", "1,2"},
      {[&] { d.btnCCorrClick(); }, &d.c.stListCCorr, "Conta Corrente", "CDREDUCONT", "001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chave);
    c.clica();
    EXPECT_EQ(titulo, c.titulo);
    EXPECT_EQ(chave, c.chave);
    EXPECT_EQ(*c.lista, c.esperada);
  }
  // A look-up that must have rows and has none stops with the dialog's words.
  s.Server().Conexao().Exec("DELETE FROM CONTCORR");
  try {
    d.btnCCorrClick();
    ADD_FAILURE() << "no refusal";
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "ContCorr_Cad");
  }
  filters::SetPesquisaLista({});
}
