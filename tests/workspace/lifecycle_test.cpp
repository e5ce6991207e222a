// The batch lifecycle: commands, controls and pages through the states of the
// batch list; the post that the server refuses; the release and withdrawal
// of a stored batch's titles.
#include <gtest/gtest.h>

#include <functional>

#include "fields/cp1252.h"
#include "host/busy.h"
#include "host/context.h"
#include "support/fixture.h"
#include "support/store.h"
#include "workspace/form.h"

using namespace testsupport;
using workspace::TfrmRemessaCNAB;
using workspace::TPagina;

namespace {

// Batch 5 of today, stored earlier, carrying titles in every situation that a
// sent title can be in; titles 1 and 2 wait for a new batch.
std::string Fixture(bool comLote = true) {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["OPERADOR"] = {{{"CDOPERADOR", "OP2"}, {"NMOPERADOR", "Sem permissões"}}};
  j["OPEREMPR"] = {{{"CDOPERADOR", "OP2"}, {"CDEMPRESA", "01"}}};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2")};
  if (comLote) {
    j["CNABREC"] = {{{"CDEMPRESA", "01"},
                     {"NRCNABREC", "5"},
                     {"DTCNABREC", "2026-12-08 09:15:00"},
                     {"DSARQCNABREC", "/tmp/lote5.txt"},
                     {"CDREDUCONT", "001"},
                     {"CDBANCO", "237"},
                     {"CDBANCCNAB", "237"},
                     {"IDOPECNABREC", "I"},
                     {"QTBOLENVCNABREC", 4},
                     {"VRTOTBOLCNABREC", 4000}}};
    const std::pair<const char*, const char*> sent[] = {
        {"51", "10"}, {"52", "20"}, {"53", "90"}, {"54", "01"}};
    for (auto [nr, situ] : sent) {
      json t = Titulo(nr);
      t["NRCNABRECREM"] = "5";
      t["IDSITUCNABR"] = situ;
      t["IDBOLRECALTER"] = "1";
      j["BOLETOREC"].push_back(t);
    }
  }
  return j.dump();
}

struct TForm {
  explicit TForm(TStore& s) : s_(s) {
    workspace::SetAppServer(&s.Server());
    workspace::CriaRemessaCNABRec();
  }
  ~TForm() {
    host::Corvane().Operador = "ADMIN";
    workspace::FechaRemessaCNABRec();
  }
  TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
  void Empresa() {
    f().medCdEmpresa.Text = "01";
    f().medCdEmpresaExit();
  }
  // The stored batch's titles, on the titles page.
  void Titulos() {
    Empresa();
    ASSERT_TRUE(f().MostraPagina(TPagina::tshBoletos));
  }
  void Em(const std::string& nr) { ASSERT_TRUE(f().cdsBoletos.Locate("NRLANBOLREC", {nr})); }
  void Marca(const std::string& nr) {
    Em(nr);
    f().MarcaBoletoAtual();
  }
  std::string Db(const std::string& sql) {
    auto v = s_.Server().Conexao().Scalar(sql);
    return host::ValueToString(v, host::TFieldType::ftString);
  }
  // Situation, alteration state and batch of every title, to see what the server changed.
  std::string Titulos5() {
    std::string out;
    auto p = s_.Server().ExecuteQuery(
        "SELECT NRLANBOLREC || ':' || COALESCE(IDSITUCNABR, '') || '/' || COALESCE(IDBOLRECALTER, '') || '/' "
        "|| "
        "COALESCE(NRCNABRECREM, '') FROM BOLETOREC ORDER BY CAST(NRLANBOLREC AS INTEGER)",
        {});
    for (auto& r : p.Rows) out += host::ValueToString(r[0], host::TFieldType::ftString) + " ";
    return out;
  }
  TStore& s_;
};

// What the operator can use, in one line: the enabled commands, the pages
// (list, form, titles) and the page showing.
std::string Estado(TfrmRemessaCNAB& f) {
  std::string s;
  auto add = [&](bool on, const char* name) {
    if (on) s += std::string(s.empty() ? "" : ",") + name;
  };
  add(f.sbtConfirmar.Enabled, "confirm");
  add(f.sbtCancelar.Enabled, "cancel");
  add(f.sbtIncluir.Enabled, "include");
  add(f.sbtAlterar.Enabled || f.sbtExcluir.Enabled, "alter/delete");
  add(f.sbtProcurar.Enabled, "search");
  add(f.sbtAtualizar.Enabled, "refresh");
  add(f.sbtFiltrar.Enabled, "filter");
  add(f.sbtImprimir.Enabled, "print");
  add(f.medCdEmpresa.Enabled, "company");
  add(f.dbeCdReduCont.Enabled && f.dbeArquivo.Enabled && f.btpArquivo.Enabled && f.dbcTpMov.Enabled &&
          f.dbeCdFilial.Enabled && f.btpCdFilial.Enabled,
      "batch fields");
  add(f.sbtCancelaRemessa.Enabled, "title ops");
  s += std::string(" | ") + (f.tshFolhaDadosEnabled ? "L" : "-") + (f.tshFormularioEnabled ? "F" : "-") +
       (f.tshBoletosEnabled ? "B" : "-");
  s += std::string(" | ") + (f.ActivePage == TPagina::tshFolhaDados   ? "list"
                             : f.ActivePage == TPagina::tshFormulario ? "form"
                                                                      : "titles");
  return s;
}

std::string Chave(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::EMensErro& e) {
    return e.Key();
  } catch (const std::exception& e) {
    return std::string("other: ") + fields::Cp1252ToUtf8(e.what());
  }
  return "";
}

}  // namespace

TEST(Lifecycle, StatesEnableTheirCommandsAndPages) {
  TStore s(Fixture());
  TForm t(s);
  auto& f = t.f();
  struct Step {
    const char* nome;
    std::function<void()> faz;
    std::string estado;
  } steps[] = {
      {"opened: closed, waiting for a company", [] {}, "company | L-- | list"},
      {"company left: browsing a list of one batch", [&] { t.Empresa(); },
       "include,search,refresh,filter,company | LFB | list"},
      {"form page while browsing", [&] { f.MostraPagina(TPagina::tshFormulario); },
       "include,search,refresh,company | LFB | form"},
      {"titles page while browsing: the search looks among the titles",
       [&] { f.MostraPagina(TPagina::tshBoletos); }, "include,search,refresh,company | LFB | titles"},
      {"a title marked offers the title operations", [&] { t.Marca("51"); },
       "include,search,refresh,company,title ops | LFB | titles"},
      {"include", [&] { f.sbtIncluirClick(); }, "confirm,cancel,batch fields | -FB | form"},
      {"the list page is closed while inserting",
       [&] { EXPECT_FALSE(f.MostraPagina(TPagina::tshFolhaDados)); },
       "confirm,cancel,batch fields | -FB | form"},
      {"titles page while inserting offers the filter", [&] { f.MostraPagina(TPagina::tshBoletos); },
       "confirm,cancel,search,filter,batch fields | -FB | titles"},
      {"cancel", [&] { f.sbtCancelarClick(); }, "include,search,refresh,filter,company | LFB | list"},
      {"a batch marked for printing", [&] { f.dbgPadraoMarca(); },
       "include,search,refresh,filter,print,company | LFB | list"},
      {"unmarked again", [&] { f.dbgPadraoMarca(); }, "include,search,refresh,filter,company | LFB | list"},
  };
  for (const auto& st : steps) {
    st.faz();
    EXPECT_EQ(Estado(f), st.estado) << st.nome;
  }
}

TEST(Lifecycle, AnEmptyListClosesEveryPageButStaysShown) {
  TStore s(Fixture(false));
  TForm t(s);
  t.Empresa();
  EXPECT_EQ(Estado(t.f()), "include,filter,company | --- | list");
  EXPECT_FALSE(t.f().MostraPagina(TPagina::tshBoletos));
}

TEST(Lifecycle, CancellingAnInsertLeavesNoRowNoChangeAndThePathOfTheListsBatch) {
  TStore s(Fixture());
  TForm t(s);
  auto& f = t.f();
  t.Empresa();
  f.sbtIncluirClick();
  EXPECT_EQ(f.NomeArquivo(), "/tmp/lote5.txt");  // the batch current in the list
  EXPECT_EQ(f.dbeDtCNABRec.Text.substr(3), " 08/12/2026 10:30");
  f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString("/tmp/primeira.txt");
  f.sbtCancelarClick();
  EXPECT_EQ(f.cdsCNABRec.RecordCount(), 1);
  EXPECT_EQ(f.cdsCNABRec.ChangeCount(), 0);
  // The second batch starts from the list's batch, not from what was typed for the first.
  f.sbtIncluirClick();
  EXPECT_EQ(f.NomeArquivo(), "/tmp/lote5.txt");
  f.sbtCancelarClick();
  EXPECT_EQ(t.Db("SELECT COUNT(*) FROM CNABREC"), "1");
}

TEST(Lifecycle, ARefusedPostKeepsTheChangeLogAndRecordsNoTitle) {
  TStore s(Fixture(false));
  TForm t(s);
  auto& f = t.f();
  t.Empresa();
  f.sbtIncluirClick();
  f.ActiveControl = "dbeCdReduCont";
  f.dbeCdReduCont.Text = "001";
  f.dbeCdReduContExit();
  f.cbbTpRemessa.ItemIndex = 0;
  f.Vd_Filial();
  f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString("/tmp/remessa-lifecycle-test.txt");
  f.MostraPagina(TPagina::tshBoletos);
  f.MarcaTodos(false);
  ASSERT_EQ(f.nedQuant, 2);
  s.Server().Conexao().Exec(
      "CREATE TRIGGER RECUSA BEFORE INSERT ON CNABREC BEGIN SELECT RAISE(ABORT, 'disco cheio'); END");
  const std::string antes = t.Titulos5();
  EXPECT_NE(Chave([&] { f.sbtConfirmarClick(); }).find("disco cheio"), std::string::npos);
  EXPECT_EQ(f.cdsCNABRec.ChangeCount(), 1);
  EXPECT_FALSE(host::ShowAviAtivo());
  EXPECT_EQ(t.Titulos5(), antes);
  EXPECT_EQ(t.Db("SELECT COUNT(*) FROM CNABREC"), "0");

  // The batch is no longer being inserted: confirming again must not record
  // its titles against a batch the server never stored.
  s.Server().Conexao().Exec("DROP TRIGGER RECUSA");
  EXPECT_FALSE(f.sbtConfirmar.Enabled);
  f.sbtConfirmarClick();
  EXPECT_EQ(t.Titulos5(), antes);
  f.sbtCancelarClick();
  EXPECT_EQ(f.cdsCNABRec.ChangeCount(), 0);
  EXPECT_EQ(f.cdsCNABRec.RecordCount(), 0);
}

TEST(StoredBatchTitles, WrittenOffTitlesCannotBeMarked) {
  TStore s(Fixture());
  TForm t(s);
  t.Titulos();
  auto& f = t.f();
  ASSERT_EQ(f.cdsBoletos.RecordCount(), 4);
  t.Em("53");
  EXPECT_EQ(Chave([&] { f.MarcaBoletoAtual(); }), "Confirma_CancelaBaixa");
  EXPECT_EQ(f.cdsBoletos.FieldByName("IDMARCADO").AsString(), "N");
  EXPECT_FALSE(f.sbtCancelaRemessa.Enabled);
  f.MarcaTodos(false);  // skips it silently
  EXPECT_EQ(f.BoletosMarcados.Count(), 3);
  t.Em("53");
  EXPECT_EQ(f.cdsBoletos.FieldByName("IDMARCADO").AsString(), "N");
  EXPECT_TRUE(f.sbtCancelaRemessa.Enabled);
  // The batch's own totals stay under the grid.
  EXPECT_EQ(f.nedQuant, 4);
}

TEST(StoredBatchTitles, ReleaseForAlteration) {
  const std::string inicial = "1:00// 2:00// 51:10/1/5 52:20/1/5 53:90/1/5 54:01/1/5 ";
  struct Case {
    const char* nome;
    const char* em;  // the title the grid stands on
    std::vector<const char*> marcados;
    std::vector<bool> respostas;
    std::string perguntado, chave, depois;
    const char* operador = "ADMIN";
  } cases[] = {
      {"sent title, nothing marked", "51", {}, {}, "", "BOLE_INF", inicial},
      {"sent title, marked ones released",
       "54",
       {"51", "54"},
       {true},
       "Permite_Alter",
       "",
       "1:00// 2:00// 51:10/3/5 52:20/1/5 53:90/1/5 54:01/3/5 "},
      {"answered No", "51", {"51"}, {false}, "Permite_Alter", "", inicial},
      {"registered title under the grid, none registered marked", "52", {"51"}, {}, "", "", inicial},
      {"a registered title marked asks the warning",
       "53",
       {"52"},
       {true},
       "Permite_AlterOk",
       "",
       "1:00// 2:00// 51:10/1/5 52:20/3/5 53:90/1/5 54:01/1/5 "},
      {"operator without the right",
       "51",
       {"51"},
       {true},
       "Permite_Alter",
       "OPER_INV_ALTERAR",
       inicial,
       "OP2"},
  };
  for (const auto& c : cases) {
    TStore s(Fixture());
    TForm t(s);
    t.Titulos();
    auto& f = t.f();
    for (auto* m : c.marcados) t.Marca(m);
    t.Em(c.em);
    host::Corvane().Operador = c.operador;
    s.UI().asked.clear();
    s.UI().answers = c.respostas;
    std::string texto;
    EXPECT_EQ(Chave([&] {
                try {
                  f.mnuAlteraRemessaClick();
                } catch (const host::EMensErro& e) {
                  texto = e.what();
                  throw;
                }
              }),
              c.chave)
        << c.nome;
    if (!c.chave.empty()) {
      EXPECT_EQ(texto, f.Msg(c.chave)) << c.nome;
    }
    EXPECT_EQ(s.UI().asked.size(), c.perguntado.empty() ? 0u : 1u) << c.nome;
    if (!c.perguntado.empty() && !s.UI().asked.empty()) {
      EXPECT_EQ(s.UI().asked[0], f.Msg(c.perguntado)) << c.nome;
    }
    EXPECT_EQ(t.Titulos5(), c.depois) << c.nome;
    EXPECT_FALSE(host::ShowAviAtivo()) << c.nome;
  }
}

TEST(StoredBatchTitles, TakeOutOfTheBatch) {
  TStore s(Fixture());
  TForm t(s);
  t.Titulos();
  auto& f = t.f();
  EXPECT_EQ(Chave([&] { f.mnuCancelaRemessaClick(); }), "BOLE_INF");

  // No: every title of the batch is unmarked again, and nothing changes.
  const std::string antes = t.Titulos5();
  t.Marca("51");
  t.Marca("52");
  s.UI().answers = {false};
  f.mnuCancelaRemessaClick();
  EXPECT_EQ(f.BoletosMarcados.Count(), 0);
  EXPECT_EQ(f.cdsBoletos.Locate("IDMARCADO", {"S"}), false);
  EXPECT_FALSE(f.sbtCancelaRemessa.Enabled);
  EXPECT_EQ(t.Titulos5(), antes);

  // Without the right, the catalogue's refusal.
  t.Marca("51");
  host::Corvane().Operador = "OP2";
  s.UI().answers = {true};
  EXPECT_EQ(Chave([&] { f.mnuCancelaRemessaClick(); }), "OPER_INV");
  EXPECT_EQ(t.Titulos5(), antes);
  host::Corvane().Operador = "ADMIN";

  // Yes: the title leaves the batch, and the list and titles show it.
  s.UI().shown.clear();
  s.UI().answers = {true};
  f.mnuCancelaRemessaClick();
  ASSERT_EQ(s.UI().shown.size(), 1u);
  EXPECT_EQ(s.UI().shown[0], f.Msg("Bol_Exclu"));
  EXPECT_EQ(t.Titulos5(), "1:00// 2:00// 51:00// 52:20/1/5 53:90/1/5 54:01/1/5 ");
  EXPECT_EQ(f.ActivePage, TPagina::tshBoletos);
  EXPECT_EQ(f.cdsBoletos.RecordCount(), 3);
  EXPECT_EQ(f.BoletosMarcados.Count(), 0);
  EXPECT_EQ(f.cdsCNABRec.FieldByName("QTBOLENVCNABREC").AsInteger(), 3);
  EXPECT_EQ(f.nedQuant, 3);
}
