#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fields/cp1252.h"
#include "host/compressao.h"
#include "host/staging.h"
#include "layouts/catalogue.h"
#include "server/rdm_remessa_cnab.h"
#include "support/fixture.h"
#include "support/store.h"
#include "workspace/form.h"

using namespace testsupport;

namespace {

std::string ler(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void grava(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// What the database holds about batches and titles, to compare before and after
// a run. The counters are left out: a number drawn by a failed run is not handed back.
std::string estado(TStore& s) {
  s.Server().Connect();  // the form disconnects when it closes
  std::string out;
  for (const char* sql :
       {"SELECT CDEMPRESA, NRCNABREC, QTBOLENVCNABREC, VRTOTBOLCNABREC FROM CNABREC",
        "SELECT CDFILIAL, NRLANBOLREC, IDSITUCNABR, IDBOLRECALTER, NRCNABRECREM, CDREDUCONT "
        "FROM BOLETOREC ORDER BY 1, 2",
        "SELECT CDEMPRESA, NRCNABREC, QTBYTES, DSARQPENDENTE FROM ARQREMESSA ORDER BY 1, 2"}) {
    auto p = s.Server().ExecuteQuery(sql, {});
    for (const auto& r : p.Rows) {
      for (const auto& v : r) out += host::ValueToString(v, host::TFieldType::ftString) + "|";
      out += "\n";
    }
  }
  return out;
}

// Files in the folder of path, other than the ones named.
int arquivos_na_pasta(const std::string& dir) {
  std::string cmd = "ls -A '" + dir + "' | wc -l";
  FILE* p = popen(cmd.c_str(), "r");
  int n = 0;
  if (p) {
    if (fscanf(p, "%d", &n) != 1) n = -1;
    pclose(p);
  }
  return n;
}

json dois_titulos(const std::string& banco) {
  json j;
  j["CONTCORR"] = {Conta(banco)};
  j["BOLETOREC"] = {Titulo("1"), Titulo("2")};
  j["BOLETOREC"][1]["VRFINALBREC"] = 250.555;
  return j;
}

std::string chave_erro(const std::function<void()>& f) {
  try {
    f();
  } catch (const host::EMensErro& e) {
    return e.Key();
  } catch (const host::EAbort&) {
    return "abort";
  } catch (const std::exception& e) {
    return std::string("other: ") + fields::Cp1252ToUtf8(e.what());
  }
  return "";
}

}  // namespace

TEST(GenerationRun, SuccessStoresBatchTitlesAndFileTogether) {
  TStore s(dois_titulos("237").dump());
  s.Gerar({});
  auto st = estado(s);
  EXPECT_NE(st.find("01|1|2|1250,56|"), std::string::npos) << st;  // count and total rounded
  EXPECT_NE(st.find("0001|1|10|1|1|001|"), std::string::npos) << st;
  EXPECT_NE(st.find("0001|2|10|1|1|001|"), std::string::npos) << st;
  EXPECT_EQ(s.Registros(400).size(), 4u);

  // The same titles are not offered again for inclusion, and a second run numbers on.
  EXPECT_EQ(chave_erro([&] { s.Gerar({}); }), "BOLE_INF");
}

// The batch keeps the very bytes put at its path, and nothing waits to be put in place.
TEST(GenerationRun, TheBatchKeepsItsFile) {
  for (const char* banco : {"237", "001", "104"}) {
    SCOPED_TRACE(banco);
    TStore s(dois_titulos(banco).dump(), true);
    s.Gerar({});
    s.Server().Connect();
    const auto r = s.Server().GetArquivoRemessa("01", "1");
    const auto& p = server::CheckResultServ(r);
    ASSERT_EQ(p.Rows.size(), 1u);
    const std::string escrito = ler(s.Arquivo());
    ASSERT_FALSE(escrito.empty());
    EXPECT_EQ(host::ValueToString(p.Rows[0][0], host::TFieldType::ftString), s.Arquivo());
    EXPECT_EQ(host::Descomprime(r.Text, static_cast<size_t>(std::get<int64_t>(p.Rows[0][1]))), escrito);
    EXPECT_LT(r.Text.size(), escrito.size());
    EXPECT_TRUE(std::holds_alternative<std::monostate>(p.Rows[0][2]));  // in place
  }
}

TEST(GenerationRun, FailuresPostNothingAndLeaveNoFile) {
  struct Case {
    const char* nome;
    std::string banco;
    std::function<void(TOpcoesGeracao&, const std::string& dir)> prepara;
    std::string chave;
  } cases[] = {
      {"unknown bank", "237", [](TOpcoesGeracao&, const std::string&) {}, "Remessa_inv"},
      {"missing folder", "237",
       [](TOpcoesGeracao& o, const std::string& d) { o.arquivo = d + "/nao/existe.txt"; }, "DIR_INVALIDO"},
      {"path is a folder", "237", [](TOpcoesGeracao& o, const std::string& d) { o.arquivo = d; },
       "ARQU_DEVE_SER"},
      {"empty name", "237", [](TOpcoesGeracao& o, const std::string& d) { o.arquivo = d + "/"; },
       "ARQU_DEVE_SER"},
      {"no title", "237", [](TOpcoesGeracao& o, const std::string&) { o.boletos = {"0001/99"}; }, "other"},
      {"discount without authorisation", "237", [](TOpcoesGeracao& o, const std::string&) { o.tipo = 1; },
       "NRAUTORIZACAO_N_CAD"},
  };
  for (const auto& c : cases) {
    json j = dois_titulos(c.banco);
    if (std::string(c.nome) == "discount without authorisation") j["CONTCORR"][0]["NRAUTCNABDES"] = "";
    if (std::string(c.nome) == "unknown bank") {
      j["CONTCORR"][0]["CDBANCCNAB"] = "123";  // a layout no writer takes
      j["CONTCORR"][0]["CDBANCOCONV"] = "123";
    }
    TStore s(j.dump());
    char tmpl[] = "/tmp/remessa-gen-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    std::string dir = tmpl;
    TOpcoesGeracao o;
    o.arquivo = dir + "/remessa.txt";
    c.prepara(o, dir);
    const std::string antes = estado(s);
    std::string k = chave_erro([&] { s.Gerar(o); });
    EXPECT_EQ(k.substr(0, c.chave.size()), c.chave) << c.nome << ": " << k;
    EXPECT_EQ(estado(s), antes) << c.nome;
    EXPECT_EQ(arquivos_na_pasta(dir), 0) << c.nome;
    rmdir(dir.c_str());
  }
}

// In a file store the refusal comes from the update run beside the writer.
TEST(GenerationRun, StoreFailureKeepsTheOldFileAndPostsNothing) {
  for (const bool emArquivo : {false, true}) {
    SCOPED_TRACE(emArquivo ? "file store" : "store in memory");
    TStore s(dois_titulos("237").dump(), emArquivo);
    char tmpl[] = "/tmp/remessa-gen-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    const std::string dir = tmpl, path = dir + "/remessa.txt";
    grava(path, "arquivo anterior\r\n");
    // Another workstation sends title 2 while this operator is still marking:
    // the store refuses to send it twice and the whole run is undone.
    auto& f = [&]() -> workspace::TfrmRemessaCNAB& {
      workspace::SetAppServer(&s.Server());
      workspace::CriaRemessaCNABRec();
      return *workspace::frmRemessaCNAB;
    }();
    f.medCdEmpresa.Text = "01";
    f.medCdEmpresaExit();
    f.sbtIncluirClick();
    f.dbeCdReduCont.Text = "001";
    f.dbeCdReduContExit();
    f.cbbTpRemessa.ItemIndex = 0;
    f.Vd_Filial();
    f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString(path);
    f.ActivePage = workspace::TPagina::tshBoletos;
    f.MostraBoletos();
    f.MarcaTodos(false);
    ASSERT_EQ(f.nedQuant, 2);
    s.Server().Conexao().Exec(
        "UPDATE BOLETOREC SET IDSITUCNABR = '10', NRCNABRECREM = '77' WHERE NRLANBOLREC = '2'");
    const std::string antes = estado(s);
    EXPECT_THROW(f.sbtConfirmarClick(), host::EServerError);
    EXPECT_EQ(estado(s), antes);
    EXPECT_EQ(ler(path), "arquivo anterior\r\n");
    EXPECT_EQ(arquivos_na_pasta(dir), 1);  // no partial file beside it
    EXPECT_EQ(s.AlteracoesAoLado(), emArquivo || s.EmPostgres() ? 1u : 0u);

    // The operator drops the title and confirms again: a new batch number is drawn.
    ASSERT_TRUE(f.cdsBoletos.Locate("NRLANBOLREC", {"2"}));
    f.MarcaBoleto(false);
    f.cdsCNABRec.CancelUpdates();
    workspace::FechaRemessaCNABRec();
    TOpcoesGeracao o;
    o.arquivo = path;
    o.boletos = {"0001/1"};
    s.Gerar(o);
    EXPECT_EQ(s.Registros(400).size(), 3u);
    s.Server().Connect();
    auto p = s.Server().ExecuteQuery("SELECT NRCNABREC FROM CNABREC", {});
    ASSERT_EQ(p.Rows.size(), 1u);
    EXPECT_EQ(std::get<host::TText>(p.Rows[0][0]), "2");  // number 1 was drawn by the failed run
    std::string cmd = "rm -rf '" + dir + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }
}

// A file store keeps the titles' state while the writer writes the file; the
// file and the store come out as from a store in memory, where the two are
// done in turn (on PostgreSQL, the "store in memory" is a database where the
// update also runs beside the writer: it then matches SQLite's file).
TEST(GenerationRun, StateStoredBesideTheWriterMatchesTheRunInTurn) {
  for (const char* banco : {"237", "001"}) {
    SCOPED_TRACE(banco);
    json j = dois_titulos(banco);
    for (const char* n : {"3", "4", "5"}) j["BOLETOREC"].push_back(Titulo(n));
    j["BOLETOREC"][4]["CDNOSNUMREC"] = "";
    j["BOLETOREC"][4]["IDIMPRBOLBOL"] = "B";
    TStore emMemoria(j.dump()), emArquivo(j.dump(), true);
    emMemoria.Gerar({});
    emArquivo.Gerar({});
    EXPECT_EQ(ler(emArquivo.Arquivo()), ler(emMemoria.Arquivo()));
    EXPECT_EQ(estado(emArquivo), estado(emMemoria));
    EXPECT_NE(estado(emArquivo).find("0001|5|10|1|1|001|"), std::string::npos);
    EXPECT_EQ(emMemoria.AlteracoesAoLado(), emMemoria.EmPostgres() ? 1u : 0u);
    EXPECT_EQ(emArquivo.AlteracoesAoLado(), 1u);
  }
}

// The writer stopping after the first title, while the titles' state is
// being stored beside it, leaves the store as it was and no file.
TEST(GenerationRun, WriterStopBesideTheUpdateUndoesIt) {
  json j = dois_titulos("104");
  j["BOLETOREC"][1]["IDCARTCOBREC"] = "5";  // a portfolio kind the bank does not take
  TStore s(j.dump(), true);
  const std::string antes = estado(s);
  EXPECT_EQ(chave_erro([&] { s.Gerar({}); }), "TipoCart_INV");
  EXPECT_EQ(estado(s), antes);
  EXPECT_FALSE(std::filesystem::exists(s.Arquivo()));
  EXPECT_EQ(s.SQLite().AlteracoesAoLado(), 1u);
  EXPECT_FALSE(s.Server().InTransaction());
}

TEST(GenerationRun, OverwriteQuestion) {
  for (bool sim : {false, true}) {
    TStore s(dois_titulos("237").dump());
    char tmpl[] = "/tmp/remessa-gen-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    const std::string path = std::string(tmpl) + "/r.txt";
    grava(path, "velho");
    TOpcoesGeracao o;
    o.arquivo = path;
    o.sobrescrever = sim;
    std::string k = chave_erro([&] { s.Gerar(o); });
    ASSERT_FALSE(s.UI().asked.empty());
    EXPECT_EQ(s.UI().asked.back(), fields::Utf8ToCp1252("Arquivo já existe. Deseja gravar por cima?"));
    if (sim) {
      EXPECT_EQ(k, "");
      EXPECT_EQ(s.Registros(400).size(), 4u);
    } else {
      EXPECT_EQ(k, "abort");
      EXPECT_EQ(ler(path), "velho");
    }
    std::string cmd = std::string("rm -rf '") + tmpl + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
  }
}

TEST(GenerationRun, BanrisulAsksAboutTheName240) {
  TStore s(dois_titulos("041").dump());
  char tmpl[] = "/tmp/remessa-gen-XXXXXX";
  ASSERT_TRUE(mkdtemp(tmpl));
  const std::string base = std::string(tmpl) + "/X";
  grava(base + ".240", "velho");
  TOpcoesGeracao o;
  o.arquivo = base;
  o.sobrescrever = false;
  EXPECT_EQ(chave_erro([&] { s.Gerar(o); }), "abort");  // X.240 exists, the operator says No
  o.arquivo = base + ".240";
  EXPECT_EQ(chave_erro([&] { s.Gerar(o); }), "abort");
  std::remove((base + ".240").c_str());
  grava(base, "outro");  // X exists but the writer writes X.240: no question
  s.UI().asked.clear();
  o.arquivo = base;
  chave_erro([&] { s.Gerar(o); });
  EXPECT_TRUE(s.UI().asked.empty());
  std::string cmd = std::string("rm -rf '") + tmpl + "'";
  EXPECT_EQ(system(cmd.c_str()), 0);
}

TEST(GenerationRun, BradescoDiscountAccountWidth) {
  for (auto [conta, chave] : {std::pair{"12345678", ""}, std::pair{"123456789", "Err_CNAB_Desc"},
                              std::pair{"1234567890", "Err_CNAB_Desc"}}) {
    json j = dois_titulos("237");
    j["CONTCORR"][0]["CDCONTCORR"] = conta;
    TStore s(j.dump());
    TOpcoesGeracao o;
    o.tipo = 1;
    EXPECT_EQ(chave_erro([&] { s.Gerar(o); }), chave) << conta;
  }
}

TEST(Dispatch, FirstMatchingRowDecides) {
  struct Case {
    const char *cnab, *conv, *writer;
  } cases[] = {
      {"237", "", "Remessa_BcoBradesco"},
      {"422", "237", "Remessa_BcoBradesco"},
      {"001", "237", "Remessa_BcoBradesco"},
      {"001", "341", "Remessa_BcoItau"},
      {"341", "", "Remessa_BcoItau"},
      {"001", "", "Remessa_BB"},
      {"031", "", "Remessa_BB"},
      {"999", "001", "Remessa_BB"},
      {"422", "001", "Remessa_BcoSafra"},
      {"104", "", "Remessa_BcoCaixa"},
      {"", "104", "Remessa_BcoCaixa"},
      {"104", "001", "Remessa_BB"},
      {"399", "", "Remessa_BcoHSBC"},
      {"409", "", "Remessa_Unibanco"},
      {"479", "", "Remessa_BcoBoston"},
      {"389", "", "Remessa_BcoMercantil"},
      {"021", "", "Remessa_BcoBanestes"},
      {"151", "", "Remessa_BcoNossaCaixa"},
      {"275", "", "Remessa_Real"},
      {"356", "", "Remessa_Real"},
      {"453", "", "Remessa_BcoRural"},
      {"749", "", "Remessa_BcoRural"},
      {"353", "", "Remessa_BcoSantander"},
      {"033", "", "Remessa_BcoSantander"},
      {"008", "", "Remessa_BcoSantander"},
      {"069", "", "Remessa_BcoPortugues"},
      {"347", "", "Remessa_Sudameris"},
      {"041", "", "Remessa_Banrisul"},
      {"637", "", "Remessa_BcoSofisa"},
      {"748", "", "Remessa_SICREDI"},
      {"756", "", "Remessa_SICOOB_CONV"},
      {"707", "", "Remessa_Daycoval"},
      {"025", "", "Remessa_Alfa"},
      {"888", "", "Remessa_Factoring"},
      {"092", "", "Remessa_Brickell"},
      {"612", "", "Remessa_Guanabara"},
      {"604", "", "Remessa_Industrial"},
      {"394", "", "Remessa_BcoBRR"},
      {"004", "", "Remessa_BcoNordeste"},
      {" 41", "", ""},
      {"41", "", ""},
      {"2370", "", ""},
  };
  for (const auto& c : cases) {
    const layouts::TEscritor* e = layouts::Despacha(c.cnab, c.conv);
    EXPECT_EQ(e ? e->nome : "", std::string(c.writer)) << c.cnab << "/" << c.conv;
  }
}

TEST(Dispatch, RuralPortfolioCheckAndAgreementFetchedForTheTitleBank) {
  // The check reads the character the file writes: the last but one.
  for (auto [cart, chave] :
       {std::pair{"019", ""}, std::pair{"109", "NR_CART_INV"}, std::pair{"9", "NR_CART_INV"}}) {
    json j = dois_titulos("453");
    j["BANCO"] = {{{"CDBANCO", "453"}, {"NMBANCO", "RURAL"}}};
    j["EMPRBANC"] = {{{"CDEMPRESA", "01"}, {"CDBANCO", "453"}, {"CDCARTCOBR", cart}}};
    TStore s(j.dump());
    EXPECT_EQ(chave_erro([&] { s.Gerar({}); }), chave) << cart;
  }
}

// A changed operation kind empties the marks once: the operator who marks
// titles of the new kind then confirms them, from either page.
TEST(GenerationRun, MarksOfTheChosenOperationKindAreConfirmedFromEitherPage) {
  for (int op : {0, 1, 2})
    for (bool paginaFormulario : {false, true}) {
      json j = dois_titulos("237");
      if (op > 0)
        for (auto& t : j["BOLETOREC"]) t["IDSITUCNABR"] = "10", t["IDBOLRECALTER"] = "1";
      TStore s(j.dump());
      TOpcoesGeracao o;
      o.operacao = op;
      auto& f = s.Prepara(o);
      ASSERT_TRUE(f.MostraPagina(workspace::TPagina::tshBoletos));
      f.MarcaTodos(false);
      ASSERT_EQ(f.BoletosMarcados.Count(), 2);
      ASSERT_TRUE(f.MostraPagina(workspace::TPagina::tshFormulario));
      if (!paginaFormulario) {
        ASSERT_TRUE(f.MostraPagina(workspace::TPagina::tshBoletos));
      }
      EXPECT_EQ(f.BoletosMarcados.Count(), 2) << op << paginaFormulario;
      EXPECT_EQ(chave_erro([&] { f.sbtConfirmarClick(); }), "") << op << paginaFormulario;
    }
}
