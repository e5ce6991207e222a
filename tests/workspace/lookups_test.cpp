// The search buttons of the company, account, collection-account and branch
// fields, leaving the company when the store fails, and the form's search
// and refresh commands.
#include <gtest/gtest.h>

#include <functional>

#include "fields/cp1252.h"
#include "support/fixture.h"
#include "support/store.h"
#include "workspace/form.h"

using namespace testsupport;
using workspace::TfrmRemessaCNAB;
using workspace::TPesquisa;

namespace {

// Two companies; company 01 has branches 0001 and 0002, an account at 237,
// and two collection accounts at 033 (002 also serves as its account).
std::string Cadastro() {
  json j;
  j["EMPRESA"] = {{{"CDEMPRESA", "02"}, {"NMEMPRESA", "Outra"}}};
  j["FILIAL"] = {{{"CDFILIAL", "0002"}, {"CDEMPRESA", "01"}, {"NMFILIAL", "Loja Dois"}},
                 {{"CDFILIAL", "0003"}, {"CDEMPRESA", "02"}, {"NMFILIAL", "Loja Tres"}}};
  json c2 = Conta("033", "002"), c3 = Conta("237", "003"), c4 = Conta("033", "004");
  c2["IDCONTCOBR"] = c4["IDCONTCOBR"] = "S";
  c3["CDEMPRESA"] = "02";
  j["CONTCORR"] = {Conta("237", "001"), c2, c3, c4};
  j["CNABREC"] = json::array();
  for (const char* nr : {"1", "2"})
    j["CNABREC"].push_back({{"CDEMPRESA", "01"},
                            {"NRCNABREC", nr},
                            {"DTCNABREC", "2026-12-08 09:00:00"},
                            {"CDREDUCONT", "001"},
                            {"CDBANCO", "237"},
                            {"IDOPECNABREC", "I"}});
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
  TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
};

std::vector<std::string> Chaves(host::TClientDataSet& ds, const char* campo) {
  std::vector<std::string> r;
  for (ds.First(); !ds.Eof(); ds.Next()) r.push_back(ds.FieldByName(campo).AsString());
  return r;
}

std::string Campo(TfrmRemessaCNAB& f, const char* n) {
  return f.cdsCNABRec.FieldByName(n).AsString();
}

void EscolheConta(TfrmRemessaCNAB& f, const char* conta) {
  f.dbeCdReduContEnter();
  f.dbeCdReduCont.Text = conta;
  f.dbeCdReduContExit();
}

}  // namespace

TEST(Lookups, EachButtonOffersItsRowsAndThePickFillsTheField) {
  struct Case {
    const char* nome;
    bool incluir;
    std::function<void(TfrmRemessaCNAB&)> antes;
    std::function<TPesquisa(TfrmRemessaCNAB&)> pesquisa;
    std::function<void(TfrmRemessaCNAB&)> escolhe;
    std::string titulo;
    const char* chave;
    std::vector<std::string> oferecidas;
    const char* escolhida;
    std::function<std::string(TfrmRemessaCNAB&)> depois;
    std::string esperado;
  } cases[] = {
      {"company: every company; the code typed, the old name gone",
       false,
       {},
       [](TfrmRemessaCNAB& f) { return f.btpCdEmpresaPesquisa(); },
       [](TfrmRemessaCNAB& f) { f.btpCdEmpresaEscolhe(); },
       "Empresa",
       "CDEMPRESA",
       {"01", "02"},
       "02",
       [](TfrmRemessaCNAB& f) { return f.medCdEmpresa.Text + "|" + f.NomeEmpresa; },
       "02|"},
      {"account: the company's accounts; what hung on the old account goes",
       true,
       [](TfrmRemessaCNAB& f) { EscolheConta(f, "001"); },
       [](TfrmRemessaCNAB& f) { return f.btpCdReduContPesquisa(); },
       [](TfrmRemessaCNAB& f) { f.btpCdReduContEscolhe(); },
       "Conta Corrente",
       "CDREDUCONT",
       {"001", "002", "004"},
       "002",
       [](TfrmRemessaCNAB& f) {
         return f.dbeCdReduCont.Text + "|" + Campo(f, "CDREDUCONT") + "|" + Campo(f, "CDBANCCNAB");
       },
       "002|002|"},
      {"collection account: the company's at the account's bank; its display and the branch go",
       true,
       [](TfrmRemessaCNAB& f) {
         EscolheConta(f, "002");
         f.dbeCdReduContCobr.Text = "002";
         f.dbeCdReduContCobrExit();
       },
       [](TfrmRemessaCNAB& f) { return f.btpCdReduContCobrPesquisa(); },
       [](TfrmRemessaCNAB& f) { f.btpCdReduContCobrEscolhe(); },
       fields::Utf8ToCp1252("Conta Cobrança"),
       "CDREDUCONT",
       {"002", "004"},
       "004",
       [](TfrmRemessaCNAB& f) {
         return f.dbeCdReduContCobr.Text + "|" + Campo(f, "CDREDUCONTCOBR") + "|" +
                Campo(f, "CDAGENCIACOBR") + "|" + Campo(f, "CDFILIAL") + "|" + Campo(f, "NMFILIAL") + "|" +
                f.dbeCdFilial.Text;
       },
       "004|004||||"},
      {"branch: the company's branches; code and name both taken",
       true,
       {},
       [](TfrmRemessaCNAB& f) { return f.btpCdFilialPesquisa(); },
       [](TfrmRemessaCNAB& f) { f.btpCdFilialEscolhe(); },
       "Filial",
       "CDFILIAL",
       {"0001", "0002"},
       "0002",
       [](TfrmRemessaCNAB& f) {
         return f.dbeCdFilial.Text + "|" + Campo(f, "CDFILIAL") + "|" + Campo(f, "NMFILIAL");
       },
       "0002|0002|Loja Dois"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    TStore s(Cadastro());
    TForm t(s);
    auto& f = t.f();
    if (c.incluir) f.sbtIncluirClick();
    if (c.antes) c.antes(f);
    TPesquisa p = c.pesquisa(f);
    ASSERT_NE(p.Linhas, nullptr);
    EXPECT_EQ(p.Titulo, c.titulo);
    EXPECT_EQ(Chaves(*p.Linhas, c.chave), c.oferecidas);
    ASSERT_TRUE(p.Linhas->Locate(c.chave, {c.escolhida}));
    c.escolhe(f);
    EXPECT_EQ(c.depois(f), c.esperado);
  }
}

TEST(Lookups, AButtonWithNothingToOffer) {
  struct Case {
    const char* nome;
    bool incluir;
    std::function<TPesquisa(TfrmRemessaCNAB&)> pesquisa;
    std::string mensagem;  // empty: the button is disabled and offers no rows
  } cases[] = {
      {"no account for the company", true, [](TfrmRemessaCNAB& f) { return f.btpCdReduContPesquisa(); },
       fields::Utf8ToCp1252("Não há conta corrente cadastrada para a empresa informada.")},
      {"collection account before an account of its bank", true,
       [](TfrmRemessaCNAB& f) { return f.btpCdReduContCobrPesquisa(); }, ""},
      {"company while a batch is included", true, [](TfrmRemessaCNAB& f) { return f.btpCdEmpresaPesquisa(); },
       ""},
      {"account while browsing", false, [](TfrmRemessaCNAB& f) { return f.btpCdReduContPesquisa(); }, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nome);
    TStore s;
    TForm t(s);
    if (c.incluir) t.f().sbtIncluirClick();
    std::string shown;
    TPesquisa p;
    try {
      p = c.pesquisa(t.f());
    } catch (const host::EMensErro& e) {
      shown = e.what();
    }
    EXPECT_EQ(shown, c.mensagem);
    if (c.mensagem.empty()) {
      EXPECT_EQ(p.Linhas, nullptr);
    }
  }
}

TEST(Lookups, LeavingTheCompanyPassesTheStoresFailureOn) {
  // The store that cannot list the batches, or cannot say whether the
  // operator may work for the company, is not a company without batches or
  // without rights.
  for (const char* tabela : {"CNABREC", "OPEREMPR"}) {
    SCOPED_TRACE(tabela);
    TStore s(Cadastro());
    TForm t(s);
    auto& f = t.f();
    s.Server().Conexao().Exec(std::string("ALTER TABLE ") + tabela + " RENAME TO SEM_" + tabela);
    f.ActiveControl.clear();
    f.medCdEmpresa.Text = "1";
    EXPECT_THROW(f.medCdEmpresaExit(), host::EServerError);
    EXPECT_EQ(f.ActiveControl, "medCdEmpresa");
  }
}

TEST(Lookups, SearchMovesToTheRowFoundAndRefreshListsAgain) {
  TStore s(Cadastro());
  TForm t(s);
  auto& f = t.f();
  struct Case {
    const char* campo;
    const char* valor;
    bool achou;
    const char* atual;
  } cases[] = {
      {"NRCNABREC", "1", true, "1"},
      {"NRCNABREC", "9", false, "1"},  // not found: the current batch stays
      {"SEM_CAMPO", "1", false, "1"},
      {"NRCNABREC", "2", true, "2"},
  };
  ASSERT_TRUE(f.cdsCNABRec.Locate("NRCNABREC", {"2"}) && f.sbtProcurar.Enabled);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.campo) + "=" + c.valor);
    EXPECT_EQ(f.sbtProcurarClick(c.campo, c.valor), c.achou);
    EXPECT_EQ(Campo(f, "NRCNABREC"), c.atual);
  }

  s.Server().Conexao().Exec(
      "INSERT INTO CNABREC (CDEMPRESA, NRCNABREC, DTCNABREC) VALUES ('01', '3', '2026-12-08 11:00:00')");
  f.sbtAtualizarClick();
  EXPECT_EQ(Chaves(f.cdsCNABRec, "NRCNABREC").size(), 3u);
  f.cdsCNABRec.Locate("NRCNABREC", {"2"});
  f.sbtAtualizarClick();
  EXPECT_EQ(Campo(f, "NRCNABREC"), "2");  // the current batch is kept
}
