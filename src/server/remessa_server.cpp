#include "server/remessa_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "server/migrations.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {

int VersionOf(std::string_view migrationName) {
  return std::atoi(std::string(migrationName).c_str());
}

}  // namespace

int TRemessaServer::LatestSchemaVersion() {
  int v = 0;
  for (const auto& m : Migrations()) v = std::max(v, VersionOf(m.first));
  return v;
}

int TRemessaServer::SchemaVersion() const {
  const Value v = const_cast<TRemessaServer*>(this)->db().Scalar("SELECT MAX(NRVERSAO) FROM SCHEMA_VERSION");
  return std::holds_alternative<int64_t>(v) ? static_cast<int>(std::get<int64_t>(v)) : 0;
}

void TRemessaServer::AplicaMigracoes(const std::string& onde) {
  db().Exec(
      "CREATE TABLE IF NOT EXISTS SCHEMA_VERSION (NRVERSAO INTEGER NOT NULL PRIMARY KEY, "
      "NMARQUIVO TEXT NOT NULL, DTAPLICACAO TEXT NOT NULL)");
  const int latest = LatestSchemaVersion();
  const int current = SchemaVersion();
  if (current > latest)
    throw Refusal("O banco de dados" + onde + " tem esquema versão " + std::to_string(current) +
                  ", mais nova que a suportada por este programa (" + std::to_string(latest) + ").");
  for (const auto& [name, sql] : Migrations()) {
    const int version = VersionOf(name);
    if (version <= current) continue;
    comeca();
    try {
      // Another process may have applied it while this one waited.
      if (SchemaVersion() < version) {
        db().Exec(sql);
        auto st = db().Prepare(
            "INSERT INTO SCHEMA_VERSION (NRVERSAO, NMARQUIVO, DTAPLICACAO) VALUES (?, ?, datetime('now'))");
        st.BindAll({int64_t{version}, std::string(name)});
        st.Step();
      }
      db().Exec("COMMIT");
    } catch (const std::exception& e) {
      try {
        desfaz();
      } catch (...) {
      }
      throw Refusal("Falha ao aplicar a migração " + std::string(name) + ": " + e.what());
    }
  }
}

void TRemessaServer::require_connected() const {
  if (!connected_) throw Refusal("Servidor não conectado.");
}

void TRemessaServer::Write(const std::function<void()>& body) {
  require_connected();
  if (user_tx_) {
    // A failed statement may spoil the whole transaction (PostgreSQL's does
    // until it is rolled back to before it): the savepoint keeps the
    // caller's work.
    const std::string sp = "W" + std::to_string(savepoint_depth_++);
    db().Exec("SAVEPOINT " + sp);
    try {
      body();
    } catch (...) {
      --savepoint_depth_;
      try {
        db().Exec("ROLLBACK TO SAVEPOINT " + sp);
        db().Exec("RELEASE SAVEPOINT " + sp);
      } catch (...) {
      }
      throw;
    }
    --savepoint_depth_;
    db().Exec("RELEASE SAVEPOINT " + sp);
    return;
  }
  comeca();
  try {
    body();
    confirma();
  } catch (...) {
    try {
      desfaz();
    } catch (...) {
    }
    throw;
  }
}

void TRemessaServer::own_transaction(const char* what, const std::function<void()>& body) {
  require_connected();
  // A number drawn inside the run's transaction would be lost with its
  // rollback and handed out again; numbers are drawn before it starts.
  if (user_tx_) throw Refusal(std::string(what) + " não pode ser chamado com uma transação aberta.");
  for (int attempt = 0;; ++attempt) {
    try {
      Write(body);
      return;
    } catch (const store::Error& e) {
      // Another connection held the store, or won a race for the same rows: again.
      if (!e.Busy()) throw;
      if (attempt >= 20) throw Refusal("Banco de dados ocupado por outro processo; tente novamente.");
      std::this_thread::sleep_for(std::chrono::milliseconds(10 + attempt * 5));
    }
  }
}

}  // namespace server
