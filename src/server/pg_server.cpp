#include "server/pg_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/messages.h"
#include "server/dialeto_pg.h"
#include "server/migrations.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {

// Processes that open one database at once apply its migrations in turn.
constexpr const char* kTravaEsquema = "SELECT pg_advisory_lock(7310512)";
constexpr const char* kSoltaEsquema = "SELECT pg_advisory_unlock(7310512)";

// A reference of the schema's not yet deferrable.
constexpr const char* kReferenciaImediata =
    "SELECT 1 FROM pg_constraint c JOIN pg_class t ON t.oid = c.conrelid WHERE c.contype = 'f' AND NOT "
    "c.condeferrable AND t.relnamespace = current_schema()::regnamespace LIMIT 1";
// A run changes every title it sends in one update, and none of the
// columns it changes is indexed: with room left in each page, the new
// version of a title's row stays in its page and no index is touched.
// Updating 100 000 titles: 2.8 s at the default fill of 100 %, 0.22 s at
// 50 % (the table takes twice the room).
constexpr const char* kFolgaBoletos = "ALTER TABLE BOLETOREC SET (fillfactor = 50)";
// The titles' table of a database made before it had that room, where this
// role may give it (an operator's role may not, and reads it as it is).
constexpr const char* kSemFolga =
    "SELECT 1 FROM pg_class WHERE oid = to_regclass('boletorec') AND NOT COALESCE(reloptions @> "
    "'{fillfactor=50}', false) AND pg_has_role(relowner, 'USAGE')";

}  // namespace

TPgRemessaServer::TPgRemessaServer(const std::string& conninfo, const std::string& database) {
  try {
    conninfo_ = conninfo;
    database_ = database;
    con_.Open(conninfo, database);
    con_.FalaSqlite(true);
    migrate();
  } catch (const std::exception& e) {
    con_.Close();
    throw host::EServerError(
        W("Não foi possível abrir o banco de dados PostgreSQL: " + pg::SemSenha(e.what())));
  }
  connected_ = true;
}

TPgRemessaServer::~TPgRemessaServer() {
  if (con_.IsOpen() && (user_tx_ || ensaio_)) {
    try {
      db().Exec("ROLLBACK");
    } catch (...) {
    }
  }
}

void TPgRemessaServer::migrate() {
  const int latest = LatestSchemaVersion();
  // An operator's role has no right to change the schema (docs/postgresql.md):
  // a schema already current is only read.
  auto atual = [&] {
    if (std::holds_alternative<std::monostate>(con_.Scalar("SELECT to_regclass('schema_version')::text")))
      return false;
    const int versao = SchemaVersion();
    // A newer program's schema is refused as the migrations refuse it, not
    // read as if it were this program's.
    if (versao > latest)
      throw Refusal("O banco de dados tem esquema versão " + std::to_string(versao) +
                    ", mais nova que a suportada por este programa (" + std::to_string(latest) + ").");
    if (versao < latest) return false;
    return std::holds_alternative<std::monostate>(con_.Scalar(kReferenciaImediata)) &&
           std::holds_alternative<std::monostate>(con_.Scalar(kSemFolga));
  };
  if (atual()) return;
  con_.Exec(kTravaEsquema);
  try {
    if (std::holds_alternative<std::monostate>(
            con_.Scalar("SELECT 1 FROM pg_type WHERE typname = 'datetext'")))
      con_.Exec(std::string(pg::PreambuloPostgres()));
    AplicaMigracoes("");
    // References checked at a load's commit rather than at each row (the
    // fixture loader's AdiaReferencias); every other unit of work still has
    // them checked at each statement.
    con_.Exec(
        "DO $$ DECLARE r RECORD; BEGIN FOR r IN SELECT c.conname, t.relname FROM pg_constraint c JOIN "
        "pg_class t "
        "ON t.oid = c.conrelid WHERE c.contype = 'f' AND NOT c.condeferrable AND t.relnamespace = "
        "current_schema()::regnamespace LOOP EXECUTE format('ALTER TABLE %I ALTER CONSTRAINT %I DEFERRABLE "
        "INITIALLY IMMEDIATE', r.relname, r.conname); END LOOP; END $$");
    if (!std::holds_alternative<std::monostate>(con_.Scalar(kSemFolga))) con_.Exec(kFolgaBoletos);
  } catch (...) {
    try {
      con_.Exec(kSoltaEsquema);
    } catch (...) {
    }
    throw;
  }
  con_.Exec(kSoltaEsquema);
}

void TPgRemessaServer::StartTransaction() {
  try {
    require_connected();
    if (user_tx_) throw Refusal("Já existe uma transação aberta.");
    comeca();
    user_tx_ = true;
  } catch (const std::exception& e) {
    throw host::EServerError(W(store::Explica(e)));
  }
}

void TPgRemessaServer::Commit() {
  try {
    if (!user_tx_) throw Refusal("Não há transação aberta para confirmar.");
    confirma();
    user_tx_ = false;
    savepoint_depth_ = 0;
  } catch (const std::exception& e) {
    Rollback();
    throw host::EServerError(W(store::Explica(e)));
  }
}

void TPgRemessaServer::Rollback() {
  if (!user_tx_) return;
  user_tx_ = false;
  savepoint_depth_ = 0;
  // An update sent beside the caller goes with the transaction.
  termina_ao_lado();
  aoLado_ = {};
  try {
    desfaz();
  } catch (...) {
    // A connection lost has taken its transaction with it.
  }
}

void TPgRemessaServer::desfaz() {
  if (!ensaio_) {
    db().Exec("ROLLBACK");
    return;
  }
  db().Exec("ROLLBACK TO SAVEPOINT ENSAIO");
  db().Exec("RELEASE SAVEPOINT ENSAIO");
}

void TPgRemessaServer::Ensaio() {
  if (ensaio_) return;
  if (user_tx_) throw host::EServerError(W("Ensaio: já existe uma transação aberta."));
  db().Exec("BEGIN");
  ensaio_ = true;
}

std::vector<std::string> TPgRemessaServer::Tabelas() {
  std::vector<std::string> v;
  auto st = con_.Prepare(
      "SELECT upper(table_name) FROM information_schema.tables WHERE table_schema = current_schema() AND "
      "table_type = 'BASE TABLE' AND upper(table_name) <> 'SCHEMA_VERSION' ORDER BY 1");
  while (st.Step()) v.push_back(st.Text(0));
  return v;
}

std::vector<TColumn> TPgRemessaServer::Colunas(const std::string& tabela) {
  // The table's columns as a statement over it describes them.
  auto st = con_.Prepare("SELECT * FROM " + tabela + " LIMIT 0");
  std::vector<TColumn> v;
  for (int i = 0; i < st.Columns(); ++i) {
    TColumn c = ColumnOfDeclType(st.DeclType(i));
    c.Name = fields::UpperCase(st.ColumnName(i));
    v.push_back(std::move(c));
  }
  return v;
}

}  // namespace server
