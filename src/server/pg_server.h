// The remittance application server on a PostgreSQL database, the store
// that several workstations share: the rules (remessa_server.h) over one
// connection, the schema brought up to date on open from the same
// migrations SQLite applies (in PostgreSQL's words), and units of work as
// transactions and savepoints.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "server/pg_db.h"
#include "server/remessa_server.h"

namespace server {

class TPgRemessaServer : public TRemessaServer {
 public:
  // conninfo: a postgresql:// URI or "host=... dbname=..." words; database,
  // when given, another database on that server. Throws host::EServerError
  // (never showing the password) when it cannot connect or the schema is
  // newer than this program's.
  explicit TPgRemessaServer(const std::string& conninfo, const std::string& database = {});
  ~TPgRemessaServer() override;
  TPgRemessaServer(const TPgRemessaServer&) = delete;
  TPgRemessaServer& operator=(const TPgRemessaServer&) = delete;

  // The connection itself, for the fixture loader and maintenance tools.
  pg::Db& Database() { return con_; }

  void Connect() override { connected_ = true; }
  void Disconnect() override {
    Rollback();
    connected_ = false;
  }
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;
  std::vector<std::string> Tabelas() override;
  // The references are declared deferrable (see migrate), so a load may
  // list its tables in any order; PostgreSQL checks them at the commit.
  void AdiaReferencias() override { con_.Exec("SET CONSTRAINTS ALL DEFERRED"); }
  int64_t UltimaLinha() override { return 0; }
  std::optional<TReferenciaFaltando> ReferenciaFaltando() override { return std::nullopt; }

 protected:
  pg::Db& db() override { return con_; }
  pg::Db& leitura() override { return con_; }
  std::vector<TColumn> Colunas(const std::string& tabela) override;
  void comeca() override { con_.Exec("BEGIN"); }
  void desfaz() override { con_.Exec("ROLLBACK"); }

 private:
  void migrate();
  pg::Db con_;
};

}  // namespace server
