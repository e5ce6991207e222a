// The operator's commands on a PostgreSQL database give what they give on
// a SQLite file: the same files, byte for byte, and the same listings.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <string>

#include "support/pg_teste.h"

namespace {

class CliPg : public testsupport::PgTeste {
 protected:
  void SetUp() override {
    PgTeste::SetUp();
    if (IsSkipped()) return;
    char tmpl[] = "/tmp/remessa-clipg-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
  }
  void TearDown() override {
    if (!dir_.empty()) {
      EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
    }
    PgTeste::TearDown();
  }
  // The command on the store, its output (stdout then stderr).
  std::string Roda(const std::string& db, const std::string& args, int* rc = nullptr) {
    const std::string cmd = "cd '" + dir_ +
                            "' && '" REMESSA_BINARY "' --agora '2026-12-08 10:30:00' --db \"" + db + "\" " +
                            args + " </dev/null >out.txt 2>&1";
    const int st = std::system(cmd.c_str());
    if (rc) *rc = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return Le("out.txt");
  }
  std::string Le(const std::string& nome) {
    std::ifstream in(dir_ + "/" + nome, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Pg() const { return Conninfo() + " dbname=" + Banco(); }
  std::string dir_;
};

TEST_F(CliPg, TheDemoStoreGivesTheSameFilesAndListings) {
  int rc = 0;
  for (const std::string& db : {Pg(), std::string("loja.db")}) {
    Roda(db, "init --demo", &rc);
    ASSERT_EQ(rc, 0) << Le("out.txt");
  }
  const struct {
    const char* args;
    const char* arquivo;
  } passos[] = {
      // Nothing of a simulation stays: the run after it draws batch 1 on both stores.
      {"gerar --empresa 01 --conta 001 --tipo cobranca --todos --sim --simular --arquivo s.txt", nullptr},
      {"gerar --empresa 01 --conta 001 --tipo cobranca --todos --sim --arquivo", "bradesco"},
      {"gerar --empresa 01 --conta 007 --tipo cobranca --todos --sim --arquivo", "bb"},
      {"boletos --empresa 01 --remessa 1", nullptr},
      {"remessas --empresa 01", nullptr},
      {"alterar --remessa 1 --todos --sim", nullptr},
      {"boletos --empresa 01", nullptr},
  };
  for (const auto& p : passos) {
    std::string saida[2];
    for (int k = 0; k < 2; ++k) {
      const std::string db = k == 0 ? Pg() : "loja.db";
      const std::string arquivo =
          p.arquivo ? std::string(p.arquivo) + (k == 0 ? "-pg.txt" : "-sqlite.txt") : "";
      saida[k] = Roda(db, std::string(p.args) + (p.arquivo ? " " + arquivo : ""), &rc);
      EXPECT_EQ(rc, 0) << p.args << "\n" << saida[k];
      // The listings name the file each store's run wrote.
      if (p.arquivo) saida[k] = Le(arquivo);
    }
    EXPECT_FALSE(saida[0].empty()) << p.args;
    if (std::string(p.args).rfind("remessas", 0) == 0) continue;  // each names its own path
    // The first line where the stores differ, rather than two whole listings.
    size_t a = 0;
    while (a < saida[0].size() && a < saida[1].size() && saida[0][a] == saida[1][a]) ++a;
    const size_t linha = saida[0].rfind('\n', a) == std::string::npos ? 0 : saida[0].rfind('\n', a) + 1;
    EXPECT_TRUE(saida[0] == saida[1]) << p.args << "\nPostgreSQL: " << saida[0].substr(linha, 160)
                                      << "\nSQLite:     " << saida[1].substr(linha, 160);
  }
}

}  // namespace

namespace {

// Four operators send the same account's titles at the same moment, round
// after round: every title ends in at most one batch, each file holds
// exactly its batch's titles, no run reports a batch the store lacks, and
// batch numbers leave no gap but those drawn by runs that then failed.
TEST_F(CliPg, FourOperatorsRacingNeverSendATitleTwice) {
  int rc = 0;
  Roda(Pg(), "init --demo", &rc);
  ASSERT_EQ(rc, 0) << Le("out.txt");
  auto& db = Db();
  auto numero = [&](const char* sql) {
    const host::Value v = db.Scalar(sql);
    return std::holds_alternative<int64_t>(v) ? std::get<int64_t>(v) : 0;
  };
  constexpr const char* kUltimo =
      "SELECT GREATEST((SELECT MAX(NRULTIMO) FROM PRXCODIGO WHERE CDEMPRESA = '01' AND NMTABELA = "
      "'CNABREC'), "
      "(SELECT MAX(CAST(NRCNABREC AS INTEGER)) FROM CNABREC WHERE CDEMPRESA = '01'))";
  const int64_t antes = numero(kUltimo);
  int vencedores = 0, recusados = 0;
  for (int rodada = 0; rodada < 5; ++rodada) {
    db.Exec(
        "UPDATE BOLETOREC SET IDSITUCNABR = '00', NRCNABRECREM = NULL, IDOPECNABREC = NULL WHERE CDREDUCONT "
        "= "
        "'001'");
    std::string cmd = "cd '" + dir_ + "' && rm -f r*.txt o*.out c*.out; ";
    for (int k = 0; k < 4; ++k) {
      const std::string n = std::to_string(k);
      cmd += "( '" REMESSA_BINARY "' --db \"" + Pg() + "\" gerar --empresa 01 --conta 001 --tipo cobranca " +
             "--todos --sim --arquivo r" + n + ".txt >o" + n + ".out 2>&1; echo $? >c" + n + ".out ) & ";
    }
    cmd += "wait";
    ASSERT_GE(std::system(cmd.c_str()), 0);
    int ganhos = 0;
    for (int k = 0; k < 4; ++k) {
      const std::string n = std::to_string(k);
      const bool ok = Le("c" + n + ".out").rfind("0", 0) == 0;
      std::ifstream arquivo(dir_ + "/r" + n + ".txt");
      if (!ok) {
        ++recusados;
        EXPECT_FALSE(arquivo.good()) << "a refused run left its file, round " << rodada;
        continue;
      }
      ++ganhos;
      // The batch the run reports holds the titles its file lists.
      const std::string saida = Le("o" + n + ".out");
      const size_t at = saida.find("Remessa ");
      ASSERT_NE(at, std::string::npos) << saida;
      const std::string numero = saida.substr(at + 8, saida.find(' ', at + 8) - at - 8);
      const auto guardados =
          db.Scalar("SELECT COUNT(*) FROM BOLETOREC WHERE CDEMPRESA = '01' AND NRCNABRECREM = ?",
                    {host::Value(host::TText(numero))});
      int detalhes = 0;
      for (std::string linha; std::getline(arquivo, linha);) detalhes += linha.rfind("1", 0) == 0;
      EXPECT_EQ(guardados, host::Value(int64_t{detalhes})) << "batch " << numero << ", round " << rodada;
    }
    vencedores += ganhos;
    // One run has the titles; the others are refused naming its batch.
    EXPECT_EQ(ganhos, 1) << "round " << rodada << ": " << Le("o0.out");
    // Every title of the account sent at most once, and batch numbers unique.
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM (SELECT NRCNABREC FROM CNABREC GROUP BY CDEMPRESA, NRCNABREC "
                        "HAVING COUNT(*) > 1) D"),
              host::Value(int64_t{0}));
    EXPECT_EQ(
        db.Scalar("SELECT COUNT(*) FROM BOLETOREC WHERE CDREDUCONT = '001' AND NRCNABRECREM IS NOT NULL"),
        host::Value(int64_t{ganhos == 1 ? 3 : 0}))
        << "round " << rodada;
  }
  // Every batch stored has a number drawn in these rounds, each its own;
  // the numbers between them were drawn by runs that failed, none else.
  const int64_t depois = numero(kUltimo);
  const std::string faixa = " AND CAST(NRCNABREC AS INTEGER) > " + std::to_string(antes);
  EXPECT_EQ(numero(("SELECT COUNT(*) FROM CNABREC WHERE CDEMPRESA = '01'" + faixa).c_str()), vencedores);
  EXPECT_EQ(numero(("SELECT COUNT(DISTINCT NRCNABREC) FROM CNABREC WHERE CDEMPRESA = '01'" + faixa).c_str()),
            vencedores);
  EXPECT_GE(depois - antes, vencedores);
  EXPECT_LE(depois - antes, vencedores + recusados) << "a number was drawn by no run";
}

}  // namespace
