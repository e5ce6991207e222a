#include "support/pg_teste.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "server/pg_server.h"

namespace testsupport {

namespace {

// What a test could change of a database beside its rows: its tables,
// columns, indexes, constraints, triggers, functions and schema version. A
// database handed back with the model's print is emptied and lent again; any
// other is dropped.
constexpr const char* kImpressao = R"(
SELECT md5(coalesce(string_agg(x, ',' ORDER BY x), '')) FROM (
  SELECT c.relname || ':' || c.relkind::text || ':' || coalesce(array_to_string(c.reloptions, ';'), '') AS x
    FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace
  UNION ALL SELECT c.relname || '.' || a.attname || ':' || a.atttypid::text || ':' || a.attnotnull::text
    FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid
   WHERE c.relnamespace = current_schema()::regnamespace AND a.attnum > 0 AND NOT a.attisdropped
  UNION ALL SELECT 't:' || t.tgname FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid
   WHERE c.relnamespace = current_schema()::regnamespace
  UNION ALL SELECT 'k:' || conname || ':' || condeferrable::text FROM pg_constraint
   WHERE connamespace = current_schema()::regnamespace
  UNION ALL SELECT 'f:' || proname FROM pg_proc WHERE pronamespace = current_schema()::regnamespace
  UNION ALL SELECT 'v:' || NRVERSAO::text FROM SCHEMA_VERSION) s)";

// The tables the migrations fill (the general parameters' one row): kept,
// and their rows part of the print.
constexpr const char* kSemeadas = R"(
SELECT coalesce(string_agg(tablename, ',' ORDER BY tablename), '') FROM pg_tables
 WHERE schemaname = current_schema() AND tablename <> 'schema_version'
   AND (xpath('/row/n/text()', query_to_xml(format('SELECT count(*) AS n FROM %I', tablename), false, true,
        '')))[1]::text <> '0')";

std::string Texto(server::pg::Db& db, const std::string& sql) {
  return std::string(std::get<host::TText>(db.Scalar(sql)));
}

std::string Impressao(server::pg::Db& db, const std::string& semeadas) {
  std::string s = Texto(db, kImpressao);
  for (size_t i = 0; i < semeadas.size();) {
    const size_t j = std::min(semeadas.find(',', i), semeadas.size());
    const std::string t = semeadas.substr(i, j - i);
    s += "," +
         Texto(db, "SELECT coalesce(md5(string_agg(t::text, ',' ORDER BY t::text)), '') FROM " + t + " t");
    i = j + 1;
  }
  return s;
}

// The process's migrated model, its print, and the databases lent back.
struct TBancos {
  std::mutex m;
  std::string conninfo, modelo, impressao, semeadas;
  std::vector<std::string> livres;
  ~TBancos() {
    if (modelo.empty()) return;
    try {
      server::pg::Db admin;
      admin.Open(conninfo);
      livres.push_back(modelo);
      for (const auto& b : livres) admin.Exec("DROP DATABASE IF EXISTS " + b + " WITH (FORCE)");
    } catch (const std::exception&) {
    }
  }
};

TBancos& Bancos() {
  static TBancos b;
  return b;
}

std::string NomeNovo(const char* prefixo) {
  // ctest runs several processes at once: the process id keeps their names
  // apart, the clock a later run's from a database a crashed run left behind.
  static std::atomic<int> n{0};
  const auto agora = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::string(prefixo) + std::to_string(getpid()) + "_" + std::to_string(++n) + "_" +
         std::to_string(agora % 1000000007);
}

}  // namespace

std::string TomaBancoMigrado(const std::string& conninfo) {
  TBancos& b = Bancos();
  std::lock_guard l(b.m);
  if (b.conninfo == conninfo && !b.livres.empty()) {
    std::string nome = std::move(b.livres.back());
    b.livres.pop_back();
    return nome;
  }
  server::pg::Db admin;
  admin.Open(conninfo);
  if (b.modelo.empty() || b.conninfo != conninfo) {
    const std::string modelo = NomeNovo("remessa_m");
    admin.Exec("CREATE DATABASE " + modelo);
    // Opening the server applies the migrations; its connections close with
    // it, so that the model can be copied.
    { const server::TPgRemessaServer migra(conninfo, modelo); }
    server::pg::Db db;
    db.Open(conninfo, modelo);
    b.semeadas = Texto(db, kSemeadas);
    b.impressao = Impressao(db, b.semeadas);
    b.conninfo = conninfo;
    b.modelo = modelo;
    b.livres.clear();
  }
  const std::string nome = NomeNovo("remessa_s");
  admin.Exec("CREATE DATABASE " + nome + " TEMPLATE " + b.modelo);
  return nome;
}

void DevolveBanco(const std::string& conninfo, const std::string& banco) {
  TBancos& b = Bancos();
  try {
    server::pg::Db db;
    db.Open(conninfo, banco);
    // A connection the test left open neither holds a lock on the tables nor
    // sees the next test's rows.
    db.Exec(
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND "
        "pid <> pg_backend_pid()");
    std::lock_guard l(b.m);
    if (b.conninfo == conninfo && Impressao(db, b.semeadas) == b.impressao) {
      db.Exec(R"(DO $$ DECLARE t TEXT; BEGIN
        SELECT string_agg(format('%I', tablename), ', ') INTO t FROM pg_tables
         WHERE schemaname = current_schema() AND tablename <> 'schema_version'
           AND tablename <> ALL (string_to_array(')" +
              b.semeadas + R"(', ','));
        IF t IS NOT NULL THEN EXECUTE 'TRUNCATE ' || t; END IF; END $$)");
      b.livres.push_back(banco);
      return;
    }
  } catch (const std::exception&) {
  }
  try {
    server::pg::Db admin;
    admin.Open(conninfo);
    admin.Exec("DROP DATABASE IF EXISTS " + banco + " WITH (FORCE)");
  } catch (const std::exception&) {
  }
}

void PgTeste::SetUp() {
  const char* c = std::getenv("REMESSA_PG_TEST");
  if (!c || !*c)
    GTEST_SKIP()
        << "REMESSA_PG_TEST is not set: `make test` runs these tests on a cluster of its own; by hand, "
           "run `tests/support/pg_cluster.sh start DIR` and export REMESSA_PG_TEST=\"<the string it "
           "prints>\" (`pg_cluster.sh stop DIR` afterwards)";
  conninfo_ = c;
  banco_ = NomeNovo("remessa_t");
  admin_.Open(conninfo_);
  admin_.Exec("CREATE DATABASE " + banco_);
  db_.Open(conninfo_, banco_);
}

void PgTeste::TearDown() {
  db_.Close();
  if (banco_.empty()) return;
  try {
    // FORCE: a connection the test left open does not keep the database.
    admin_.Exec("DROP DATABASE IF EXISTS " + banco_ + " WITH (FORCE)");
  } catch (const std::exception& e) {
    ADD_FAILURE() << "dropping " << banco_ << ": " << e.what();
  }
  admin_.Close();
}

std::unique_ptr<server::pg::Db> PgTeste::Conecta() const {
  auto db = std::make_unique<server::pg::Db>();
  db->Open(conninfo_, banco_);
  return db;
}

}  // namespace testsupport
