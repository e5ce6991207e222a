// The remittance application server on a PostgreSQL database, the store
// that several workstations share: the rules (remessa_server.h) over one
// connection, the schema brought up to date on open from the same
// migrations SQLite applies (in PostgreSQL's words), and units of work as
// transactions and savepoints.
#pragma once

#include <exception>
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
  // From here on nothing this server does is kept: every unit of work,
  // the caller's included, is a savepoint of one transaction that is rolled
  // back when the server goes (`gerar --simular`). Rows it changes stay
  // locked to other workstations until then, as a run's do.
  void Ensaio();
  // AlterBoletos sent by IniciaAlterBoletos to run beside the caller.
  size_t AlteracoesAoLado() const { return ao_lado_iniciadas_; }

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

  // One statement for a whole list of titles (pg_title_lists.cpp).
  TServerReply GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                   const std::string& cdBanco) override;
  TServerReply AlterBoletos(const TPacket& alteraBoletos) override;
  // The update is sent and runs on the server while the caller goes on;
  // meanwhile reads are answered by a second connection (as the store was
  // last committed) and any other call first waits for the update's end.
  // Only inside a unit of work.
  bool IniciaAlterBoletos(TPacket& alteraBoletos) override;
  TServerReply FimAlterBoletos() override;

 protected:
  pg::Db& db() override;
  pg::Db& leitura() override;
  std::vector<TColumn> Colunas(const std::string& tabela) override;
  void comeca() override { db().Exec(ensaio_ ? "SAVEPOINT ENSAIO" : "BEGIN"); }
  void desfaz() override;
  void confirma() override { db().Exec(ensaio_ ? "RELEASE SAVEPOINT ENSAIO" : "COMMIT"); }

 private:
  void migrate();
  // The update IniciaAlterBoletos sent: its packet, and once it has ended,
  // how (a failure, or a title it could not change).
  struct TAoLado {
    bool iniciado = false;
    TPacket pacote;
    std::exception_ptr falha;
    bool recusado = false;
  };
  TAoLado aoLado_;
  size_t ao_lado_iniciadas_ = 0;
  void termina_ao_lado();
  bool abre_leitor();
  std::string conninfo_, database_;
  pg::Db con_;
  // The second connection, for reads while the update runs; opened at its first use.
  pg::Db leitor_;
  bool sem_leitor_ = false;
  bool ensaio_ = false;
};

}  // namespace server
