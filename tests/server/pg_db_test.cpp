// The PostgreSQL store on a server: each test in a database of its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "server/columns.h"
#include "support/pg_teste.h"

namespace {

using server::store::Error;
using server::store::Stmt;
using server::store::TTipo;
using Valores = std::vector<host::Value>;

class PgDb : public testsupport::PgTeste {};

Stmt Abre(const server::pg::Db& db, const std::string& sql, bool cached) {
  return cached ? db.Cached(sql) : db.Prepare(sql);
}

// Column 0 of the row as the kind it has; a blob as text.
host::Value Lido(const Stmt& s) {
  switch (s.Type(0)) {
    case TTipo::Nulo:
      return {};
    case TTipo::Inteiro:
      return s.Int(0);
    case TTipo::Real:
      return s.Double(0);
    case TTipo::Blob:
      return s.Blob(0);
    default:
      return s.Text(0);
  }
}

TEST_F(PgDb, PlaceholdersBindWhereTheRulesMeanThem) {
  struct Caso {
    const char* sql;
    Valores valores;
    const char* esperado;
  };
  const Caso casos[] = {
      {"SELECT ?3 || '-' || ?1 || '-' || ?3", {"a", {}, "c"}, "c-a-c"},
      {"SELECT :P_EMP || '/' || :P_EMP || '/' || :P_FIL", {"01", "0001"}, "01/01/0001"},
      {"SELECT '?' || ':x' || ?", {"!"}, "?:x!"},
      {"SELECT ?::text || 'z'", {int64_t{7}}, "7z"},
      {"SELECT coalesce(?, 'nulo')", {}, "nulo"},  // a value not bound is null
      {"SELECT ? * 2", {int64_t{21}}, "42"},
      // The server infers a value's type from where it stands, here an integer's:
      // a real there must say so.
      {"SELECT CAST(? AS DOUBLE PRECISION) * 2", {1.25}, "2.5"},
  };
  for (const auto& c : casos) {
    for (bool cached : {false, true}) {
      SCOPED_TRACE(std::string(c.sql) + (cached ? " cached" : ""));
      const std::string sql = "SELECT (" + std::string(c.sql) + ")::text";
      Stmt s = Abre(Db(), sql, cached);
      s.BindAll(c.valores);
      ASSERT_TRUE(s.Step());
      EXPECT_EQ(s.Text(0), c.esperado);
    }
  }
}

TEST_F(PgDb, EveryKindOfValueComesBackAsBound) {
  const std::string blob("a\0b\xff\0", 5);
  struct Caso {
    const char* tipo;
    host::Value valor;  // a blob's bytes as text
    TTipo esperado;
  };
  const Caso casos[] = {
      {"TEXT", {}, TTipo::Nulo},
      {"TEXT", "Ação é ü", TTipo::Texto},
      {"BIGINT", std::numeric_limits<int64_t>::min(), TTipo::Inteiro},
      {"BIGINT", std::numeric_limits<int64_t>::max(), TTipo::Inteiro},
      {"INTEGER", int64_t{-42}, TTipo::Inteiro},
      {"DOUBLE PRECISION", 0.1, TTipo::Real},
      {"DOUBLE PRECISION", -1.2345678901234567e-300, TTipo::Real},
      {"NUMERIC(15,2)", 1234.56, TTipo::Real},
      {"BYTEA", blob, TTipo::Blob},
  };
  int n = 0;
  for (const auto& c : casos) {
    // Through the statement's own text and through a prepared one.
    for (bool cached : {false, true}) {
      SCOPED_TRACE(std::string(c.tipo) + (cached ? " cached" : ""));
      const std::string tabela = "t" + std::to_string(++n);
      Db().Exec("CREATE TABLE " + tabela + " (v " + c.tipo + ")");
      Stmt ins = Abre(Db(), "INSERT INTO " + tabela + " VALUES (?)", cached);
      if (c.esperado == TTipo::Blob)
        ins.BindBlob(1, std::get<host::TText>(c.valor).view());
      else
        ins.Bind(1, c.valor);
      EXPECT_FALSE(ins.Step());
      Stmt sel = Abre(Db(), "SELECT v FROM " + tabela, cached);
      ASSERT_TRUE(sel.Step());
      EXPECT_EQ(sel.Type(0), c.esperado);
      EXPECT_EQ(Lido(sel), c.valor);
      EXPECT_FALSE(sel.Step());
    }
  }
  // Where the text does not say what the value is, a blob is a bytea.
  Stmt s = Db().Prepare("SELECT ?, 1234.56::NUMERIC");
  s.BindBlob(1, blob);
  ASSERT_TRUE(s.Step());
  EXPECT_EQ(s.Type(0), TTipo::Blob);
  EXPECT_EQ(s.Blob(0), blob);
  EXPECT_EQ(s.Int(1), 1234);  // a real read as an integer, as SQLite reads it
}

TEST_F(PgDb, CachedStatementsArePreparedOnceAndRunSideBySide) {
  const std::string sql = "SELECT generate_series(1, ?::int)";
  Stmt a = Db().Cached(sql), b = Db().Cached(sql);
  a.BindInt(1, 3);
  b.BindInt(1, 2);
  std::string passos;  // each step's row, "." for none
  for (Stmt* s : {&a, &b, &b, &b, &a, &a, &a}) passos += s->Step() ? std::to_string(s->Int(0)) : ".";
  EXPECT_EQ(passos, "112.23.");
  EXPECT_EQ(Db().Scalar("SELECT count(*) FROM pg_prepared_statements"), host::Value(int64_t{1}));
}

TEST_F(PgDb, BindingOrResettingStartsAStatementAnew) {
  Stmt s = Db().Prepare("SELECT v || coalesce(?, 'nulo') FROM (VALUES (1), (2)) AS t(v)");
  // In turn on the one statement, each step from where the one before left it.
  struct Caso {
    bool reset;
    const char* valor;  // null for none bound
    int passos;
    const char* lidas;  // the rows read, "." for a step that found none
  };
  const Caso casos[] = {
      {false, "x", 1, "1x"},          {false, "y", 3, "1y 2y ."},  // a value bound in the middle of the rows
      {false, nullptr, 2, "1y 2y"},  // after its last row it runs again, with its values
      {true, nullptr, 1, "1nulo"},   // Reset clears them
      {false, nullptr, 2, "2nulo ."},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.lidas);
    if (c.reset) s.Reset();
    if (c.valor) s.BindText(1, c.valor);
    std::string lidas;
    for (int i = 0; i < c.passos; ++i) lidas += (i ? " " : "") + (s.Step() ? s.Text(0) : ".");
    EXPECT_EQ(lidas, c.lidas);
  }
}

TEST_F(PgDb, ChangesCountsTheLastWrite) {
  Db().Exec("CREATE TABLE t (v INTEGER)");
  struct Caso {
    const char* sql;
    bool script;  // through Exec, else a statement
    int64_t esperado;
  };
  const Caso casos[] = {
      {"INSERT INTO t VALUES (1), (2), (3)", true, 3},
      {"UPDATE t SET v = v WHERE v > 1", false, 2},
      {"SELECT * FROM t", false, 2},  // a read leaves it
      {"DELETE FROM t WHERE v > 5", false, 0},
      {"INSERT INTO t VALUES (9) RETURNING v", false, 1},
      {"UPDATE t SET v = 0; DELETE FROM t WHERE v = 0", true, 4},
      {"CREATE TABLE u (x INTEGER)", true, 4},
  };
  for (const auto& c : casos) {
    if (c.script) {
      Db().Exec(c.sql);
    } else {
      Stmt s = Db().Prepare(c.sql);
      while (s.Step()) {
      }
    }
    EXPECT_EQ(Db().Changes(), c.esperado) << c.sql;
  }
}

TEST_F(PgDb, DeclTypeNamesWhatTheTypeMappingReads) {
  Db().Exec(
      "CREATE DOMAIN DATETEXT AS TEXT; CREATE DOMAIN CODIGO AS VARCHAR(5);"
      "CREATE TABLE d (i INTEGER, b BIGINT, r REAL, f DOUBLE PRECISION, n NUMERIC(15,2), v VARCHAR(20),"
      " c CHAR(3), t TEXT, dt DATETEXT, cd CODIGO, bl BYTEA);"
      "INSERT INTO d VALUES (1, 2, 3, 4, 5, 'v', 'c', 't', '2026-12-08', 'cd', '\\x00')");
  using K = server::TColumnKind;
  struct Caso {
    const char* coluna;
    const char* esperado;
    K tipo;  // as the rules' mapping reads it
  };
  const Caso casos[] = {
      {"i", "INTEGER", K::Integer},     {"b", "INTEGER", K::Integer}, {"r", "REAL", K::Real},
      {"f", "REAL", K::Real},           {"n", "REAL", K::Real},       {"v", "VARCHAR(20)", K::Text},
      {"c", "CHAR(3)", K::Text},        {"t", "TEXT", K::Text},       {"dt", "DATETEXT", K::Date},
      {"cd", "VARCHAR(5)", K::Text},    {"bl", "BLOB", K::Text},      {"i + 1", "", K::Text},
      {"upper(dt) AS dt", "", K::Text},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.coluna);
    const std::string sql = "SELECT " + std::string(c.coluna) + " FROM d";
    // Before the first row (as the rules read a result's fields), after it,
    // and through a prepared statement.
    Stmt s = Db().Prepare(sql), p = Db().Cached(sql);
    EXPECT_EQ(s.Columns(), 1);
    EXPECT_EQ(s.DeclType(0), c.esperado);
    EXPECT_EQ(p.DeclType(0), c.esperado);
    ASSERT_TRUE(s.Step());
    EXPECT_EQ(s.DeclType(0), c.esperado);
    EXPECT_EQ(server::ColumnOfDeclType(s.DeclType(0)).Kind, c.tipo);
  }
}

TEST_F(PgDb, FailuresCarryTheirSqlstateAndKind) {
  Db().Exec(
      "CREATE TABLE e (id INTEGER PRIMARY KEY CHECK (id > 0), nome TEXT NOT NULL); INSERT INTO e VALUES (1, "
      "'a');"
      "SET lock_timeout = '20ms'");
  auto outra = Conecta();  // holds row 1
  outra->Exec("BEGIN; SELECT id FROM e WHERE id = 1 FOR UPDATE");
  using F = Error::TFalha;
  struct Caso {
    const char* sql;
    const char* estado;
    F falha;
  };
  const Caso casos[] = {
      {"INSERT INTO e VALUES (1, 'b')", "23505", F::Restricao},
      {"INSERT INTO e VALUES (2, NULL)", "23502", F::Restricao},
      {"INSERT INTO e VALUES (-1, 'c')", "23514", F::Restricao},
      {"SELECT id FROM e WHERE id = 1 FOR UPDATE NOWAIT", "55P03", F::Ocupado},
      {"UPDATE e SET nome = 'b' WHERE id = 1", "55P03", F::Ocupado},  // past lock_timeout
      {"SELEC 1", "42601", F::Outra},
      {"SELECT 1 / 0", "22012", F::Outra},
  };
  for (const auto& c : casos) {
    for (bool script : {false, true}) {
      SCOPED_TRACE(std::string(c.sql) + (script ? " script" : ""));
      try {
        if (script)
          Db().Exec(c.sql);
        else
          Db().Prepare(c.sql).Step();
        ADD_FAILURE() << "no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.Code(), server::pg::Codigo(c.estado)) << e.what();
        EXPECT_EQ(e.Restricao(), c.falha == F::Restricao);
        EXPECT_EQ(e.Busy(), c.falha == F::Ocupado);
      }
    }
  }
}

TEST_F(PgDb, ALostConnectionSaysSo) {
  auto outra = Conecta();
  const auto pid = std::get<int64_t>(outra->Scalar("SELECT pg_backend_pid()"));
  Db().Scalar("SELECT pg_terminate_backend(?::int, 5000)", {pid});  // waits for the end
  try {
    outra->Scalar("SELECT 1");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Code(), server::pg::kConexaoPerdida) << e.what();
  }
}

TEST_F(PgDb, TransactionsAreScripts) {
  Db().Exec("CREATE TABLE t (v INTEGER)");
  struct Caso {
    const char* script;
    int64_t linhas;
  };
  const Caso casos[] = {
      {"BEGIN; INSERT INTO t VALUES (1); ROLLBACK", 0},
      {"BEGIN; INSERT INTO t VALUES (1); SAVEPOINT s; INSERT INTO t VALUES (2); ROLLBACK TO s; COMMIT", 1},
      {"BEGIN; INSERT INTO t VALUES (3); SAVEPOINT s; RELEASE s; COMMIT", 2},
  };
  for (const auto& c : casos) {
    Db().Exec(c.script);
    EXPECT_EQ(std::get<int64_t>(Db().Scalar("SELECT count(*) FROM t")), c.linhas) << c.script;
  }
}

TEST_F(PgDb, AWrongPasswordIsNotInTheError) {
  const std::string papel = Banco() + "_papel";
  Db().Exec("CREATE ROLE " + papel + " LOGIN PASSWORD 'Certa-123'");
  PQconninfoOption* opcoes = PQconninfoParse(Conninfo().c_str(), nullptr);
  ASSERT_NE(opcoes, nullptr);
  std::string host;
  for (auto* o = opcoes; o->keyword; ++o)
    if (std::string_view(o->keyword) == "host" && o->val) host = o->val;
  PQconninfoFree(opcoes);
  struct Caso {
    std::string conninfo;
    const char* senha;
    bool entra;
  };
  const Caso casos[] = {
      {"host=" + host + " user=" + papel + " password=Errada-987", "Errada-987", false},
      {"postgresql://" + papel + ":Err%40da-654@/postgres?host=" + host, "Err%40da-654", false},
      {"postgresql://" + papel + "@/postgres?host=" + host + "&password=Err%40da-321", "Err%40da-321", false},
      {"host=" + host + " user=" + papel + " password=Certa-123", "", true},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(server::pg::SemSenha(c.conninfo));
    server::pg::Db db;
    try {
      db.Open(c.conninfo, Banco());
      EXPECT_TRUE(c.entra);
    } catch (const Error& e) {
      EXPECT_FALSE(c.entra) << e.what();
      const std::string msg = e.what();
      EXPECT_EQ(msg.find(c.senha), std::string::npos) << msg;
      EXPECT_EQ(msg.find("Err@da"), std::string::npos) << msg;
      EXPECT_NE(msg.find("password authentication failed"), std::string::npos) << msg;
      EXPECT_EQ(e.Code(), server::pg::kSemConexao);
    }
  }
  Db().Exec("DROP ROLE " + papel);
}

}  // namespace
