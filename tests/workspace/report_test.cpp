// The borderô: batch marks, the template kept current in the report folder,
// and the printed PDF as a reader sees it.
#include "host/report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fields/cp1252.h"
#include "host/context.h"
#include "support/fixture.h"
#include "support/store.h"
#include "workspace/form.h"

using namespace testsupport;
using workspace::TfrmRemessaCNAB;
namespace fs = std::filesystem;

namespace {

std::string Fixture(const std::string& origem, const std::string& dataServ, const std::string& tagServ) {
  json j;
  j["CONTCORR"] = {Conta("237")};
  j["CLIENTE"] = {{{"CDCLIENTE", "C2"},
                   {"NMRAZSOCCLIE", "Indústria Ñandú S.A."},
                   {"NRINSJURCLIE", "11.222.333/0001-81"}}};
  j["CNABREC"] = {{{"CDEMPRESA", "01"},
                   {"NRCNABREC", "7"},
                   {"DTCNABREC", "2026-12-08 09:15:00"},
                   {"CDREDUCONT", "001"},
                   {"CDBANCO", "237"},
                   {"CDAGENCIA", "1234"},
                   {"CDCONTCORR", "0012345"},
                   {"IDOPECNABREC", "I"},
                   {"NMOPERADOR", "Administrador"},
                   {"NRSEQREMESSAREC", "12"}},
                  {{"CDEMPRESA", "01"},
                   {"NRCNABREC", "8"},
                   {"DTCNABREC", "2026-12-08 09:30:00"},
                   {"CDREDUCONT", "001"},
                   {"CDBANCO", "341"}}};
  json a = Titulo("71"), b = Titulo("72");
  a["NRCNABRECREM"] = b["NRCNABRECREM"] = "7";
  a["DOCUMENTO"] = "NF7001";
  b["DOCUMENTO"] = "NF7002";
  b["CDCLIENTE"] = "C2";
  b["VRFINALBREC"] = 250.555;
  j["BOLETOREC"] = {a, b};
  if (!dataServ.empty())
    j["RELATORIO"] = {{{"NMARQUIVO", "BORD237.QR2"},
                       {"DTRELATORIO", dataServ},
                       {"NRVERSAO", tagServ},
                       {"DSORIGEM", origem}}};
  return j.dump();
}

struct TAmbiente {
  TAmbiente(const std::string& dataServ = "2026-01-01 00:00:00", const std::string& tagServ = "00000001") {
    char tmpl[] = "/tmp/remessa-rel-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    dir = tmpl;
    fs::create_directories(dir + "/rel");
    fs::create_directories(dir + "/fonte");
    origem = dir + "/fonte/BORD237.QR2";
    std::ofstream(origem, std::ios::binary) << host::ModeloBorderoPadrao("00000002");
    s = std::make_unique<TStore>(Fixture(origem, dataServ, tagServ));
    s->Server().Conexao().Exec("UPDATE BANCO SET DSARQBORDBANC = 'BORD237.QR2' WHERE CDBANCO = '237'");
    host::Corvane().ReportDir = dir + "/rel";
    workspace::SetAppServer(&s->Server());
    workspace::CriaRemessaCNABRec();
    f().medCdEmpresa.Text = "01";
    f().medCdEmpresaExit();
    f().cdsCNABRec.Locate("NRCNABREC", {"7"});
  }
  ~TAmbiente() {
    workspace::FechaRemessaCNABRec();
    host::SetBaixaModelo(nullptr);
    host::Corvane().ReportDir = ".";
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
  std::string Local() { return dir + "/rel/BORD237.QR2"; }
  void GravaLocal(const std::string& tag) {
    std::ofstream(Local(), std::ios::binary) << host::ModeloBorderoPadrao(tag);
  }
  std::string dir, origem;
  std::unique_ptr<TStore> s;
};

std::string PdfTexto(const std::string& pdf) {
  const std::string cmd = "pdftotext -layout '" + pdf + "' - 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

}  // namespace

TEST(Bordero, TemplateRefreshComparesDatesThenTags) {
  struct Case {
    const char* nome;
    std::string dataServ, tagServ;  // empty date: the server has no version data
    const char* tagLocal;           // nullptr: no local copy
    bool baixa;
  } cases[] = {
      {"server older, same tag", "2001-01-01 00:00:00", "00000001", "00000001", false},
      {"server tag after the local one, dates say local is newer", "2001-01-01 00:00:00", "00000002",
       "00000001", true},
      {"server newer", "2099-01-01 00:00:00", "00000001", "00000001", true},
      {"no local copy", "2001-01-01 00:00:00", "00000001", nullptr, true},
      {"local copy without a tag", "2001-01-01 00:00:00", "00000001", "", true},
      {"no version data on the server", "", "", "00000001", false},
  };
  for (const auto& c : cases) {
    TAmbiente a(c.dataServ, c.tagServ);
    if (c.tagLocal) {
      a.GravaLocal("00000000");
      if (std::string(c.tagLocal).empty())
        std::ofstream(a.Local(), std::ios::binary) << "TITULO=x\r\nCOLUNA=DOCUMENTO;Doc;50;E\r\n";
      else
        a.GravaLocal(c.tagLocal);
    }
    int baixas = 0;
    host::SetBaixaModelo([&](const std::string& local, const std::string& origem) {
      ++baixas;
      EXPECT_EQ(origem, a.origem);
      EXPECT_EQ(local, a.Local());
      return false;
    });
    a.s->UI().shown.clear();
    a.f().BaixaRelatorio("BORD237.QR2");
    EXPECT_EQ(baixas, c.baixa ? 1 : 0) << c.nome;
    // A failed fetch is reported and does not stop.
    EXPECT_EQ(a.s->UI().shown.size(), c.baixa ? 1u : 0u) << c.nome;
    if (c.baixa && !a.s->UI().shown.empty()) {
      EXPECT_NE(a.s->UI().shown[0].find(a.Local()), std::string::npos);
    }
  }
}

TEST(Bordero, PrintsTheBatchWithItsTitlesAndTotals) {
  TAmbiente a;
  auto& f = a.f();
  // The standard fetch brings the template into the report folder.
  a.s->UI().answers = {false};
  f.sbtImprimirClick();
  EXPECT_TRUE(fs::exists(a.Local()));
  EXPECT_EQ(a.s->UI().asked.back(), fields::Utf8ToCp1252("Deseja imprimir o borderô 7 ?"));
  EXPECT_TRUE(f.UltimoBordero.empty());

  a.s->UI().answers = {true};
  f.sbtImprimirClick();
  ASSERT_EQ(f.UltimoBordero, a.dir + "/rel/bordero-01-7.pdf");
  EXPECT_FALSE(f.netQRDesign.Connected);
  const std::string txt = PdfTexto(f.UltimoBordero);
  for (const char* esperado :
       {"Empresa Teste Comércio Ltda", "Borderô de Remessa", "Remessa: 7", "Sequência: 12", "Conta: 0012345",
        "Cliente Um Ltda", "Indústria Ñandú S.A.", "11.222.333/0001-81", "NF7001", "NF7002", "20/12/2026",
        "1.000,00", "250,56", "Quantidade de boletos: 2", "Valor total: 1.250,56"})
    EXPECT_NE(txt.find(esperado), std::string::npos) << esperado << "\n" << txt;

  // A path the operator gives.
  f.SaidaBordero = a.dir + "/meu.pdf";
  a.s->UI().answers = {true};
  f.sbtImprimirClick();
  EXPECT_NE(PdfTexto(a.dir + "/meu.pdf").find("Valor total: 1.250,56"), std::string::npos);
}

TEST(Bordero, ManyTitlesGoOnMorePagesWithTheTotalAtTheEnd) {
  TAmbiente a;
  for (int i = 0; i < 70; ++i)
    a.s->Server().Conexao().Exec(
        "INSERT INTO BOLETOREC (CDFILIAL, NRLANBOLREC, CDEMPRESA, CDCLIENTE, CDREDUCONT, "
        "DTVENBOLREC, VRFINALBREC, NRCNABRECREM, DOCUMENTO) VALUES ('0001', '" +
        std::to_string(100 + i) + "', '01', 'C1', '001', '2026-12-30', 10, '7', 'D" + std::to_string(i) +
        "')");
  a.s->UI().answers = {true};
  a.f().sbtImprimirClick();
  const std::string txt = PdfTexto(a.f().UltimoBordero);
  EXPECT_NE(txt.find("Página 2"), std::string::npos);
  EXPECT_NE(txt.find("D69"), std::string::npos);
  EXPECT_NE(txt.find("Quantidade de boletos: 72"), std::string::npos);
  EXPECT_NE(txt.find("Valor total: 1.950,56"), std::string::npos);
}

TEST(Bordero, ABatchWithoutTemplateStops) {
  TAmbiente a;
  a.f().cdsCNABRec.Locate("NRCNABREC", {"8"});  // bank 341 has no template
  EXPECT_TRUE(a.f().cdsCNABRec.FieldByName("DSARQBORDREC").AsString().empty());
  try {
    a.f().sbtImprimirClick();
    FAIL() << "printed without a template";
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "Bordero_n_inf");
  }
  EXPECT_TRUE(a.s->UI().asked.empty());
  try {
    a.f().EmiteRelatorio(" ");
    FAIL();
  } catch (const host::EMensErro& e) {
    EXPECT_EQ(e.Key(), "ARQU_INVALIDO");
  }
}

TEST(Bordero, MarkingAllBatchesStoresTheMarksAndOffersPrinting) {
  TAmbiente a;
  auto& f = a.f();
  a.s->UI().answers = {true};
  f.dbgPadraoTitleClick();
  EXPECT_EQ(a.s->UI().asked.back(), f.Msg("MARCA_REMESSA"));
  EXPECT_EQ(f.MarcadosRel.Count(), 2);
  EXPECT_TRUE(f.sbtImprimir.Enabled);
  EXPECT_EQ(f.cdsCNABRec.ChangeCount(), 0);
  EXPECT_EQ(host::ValueToString(
                a.s->Server().Conexao().Scalar("SELECT COUNT(*) FROM CNABREC WHERE IDMARCADO = 'S'"),
                host::TFieldType::ftString),
            "2");
  // One unmarked by hand: printing stays offered for the other.
  f.dbgPadraoMarca();
  EXPECT_TRUE(f.sbtImprimir.Enabled);
  a.s->UI().answers = {true};
  f.dbgPadraoTitleClick();
  EXPECT_EQ(a.s->UI().asked.back(), f.Msg("DESMARCA_REMESSA"));
  EXPECT_EQ(f.MarcadosRel.Count(), 0);
  EXPECT_FALSE(f.sbtImprimir.Enabled);
}
