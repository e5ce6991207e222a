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
