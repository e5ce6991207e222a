// The remittance application server backed by one SQLite database file: the
// rules (remessa_server.h) over SQLite, with SQLite's own machinery (a
// second read-only connection, the title update run beside the caller, the
// title lists read in two halves). One object serves one thread at a time (it may use threads of its own:
// inside a call, and for an AlterBoletos started with IniciaAlterBoletos); several objects or processes may
// share a file.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/remessa_server.h"
#include "server/sqlite_db.h"
#include "server/sqlite_update_beside.h"

namespace server {

class TSQLiteRemessaServer : public TRemessaServer {
 public:
  // Opens path (a file, or ":memory:"), bringing its schema up to date. With
  // create false a missing file is an error rather than a new empty database,
  // so a mistyped path cannot pass for an empty store. Throws
  // host::EServerError on a missing folder or file, a file that is not a
  // database, or a database written by a newer version.
  explicit TSQLiteRemessaServer(const std::string& path, bool create = false);
  ~TSQLiteRemessaServer() override;
  TSQLiteRemessaServer(const TSQLiteRemessaServer&) = delete;
  TSQLiteRemessaServer& operator=(const TSQLiteRemessaServer&) = delete;

  const std::string& Path() const { return path_; }
  // Title lists GetRegistrosBoletos has read in two halves at once.
  size_t ListasEmDuasPartes() const { return listas_em_duas_; }
  // AlterBoletos started by IniciaAlterBoletos on a thread of this object's.
  size_t AlteracoesAoLado() const { return aoLado_.Iniciadas(); }
  // The connection itself, for the fixture loader and maintenance tools.
  sqlite::Db& Database() { return db(); }

  // The database stays open for the object's life; Disconnect only makes the
  // server refuse calls (and drops an open transaction) until Connect.
  void Connect() override;
  void Disconnect() override;
  // Throw host::EServerError when there is nothing to commit or a transaction
  // is already open; Rollback without a transaction does nothing.
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;

  // A long list in two halves at once, on the two connections, through a
  // temporary table of its keys.
  TServerReply GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                   const std::string& cdBanco) override;
  TServerReply AlterBoletos(const TPacket& alteraBoletos) override;
  // The update runs on a thread of this object's own, on its connection, while
  // reads are answered by the read-only second connection; only for a file
  // database, inside a unit of work.
  bool IniciaAlterBoletos(TPacket& alteraBoletos) override;
  TServerReply FimAlterBoletos() override;

  std::vector<std::string> Tabelas() override { return TableNames(db()); }
  void AdiaReferencias() override { db().Exec("PRAGMA defer_foreign_keys = ON"); }
  int64_t UltimaLinha() override { return db().LastRowId(); }
  std::optional<TReferenciaFaltando> ReferenciaFaltando() override;

 private:
  // The key order of the list GetRegistrosBoletos last answered, and a number
  // that changes with the list: a run asks several kinds for one list, and
  // sorting it again cost more than comparing it.
  std::vector<std::pair<std::string, std::string>> ultimas_chaves_;
  std::vector<size_t> ultima_ordem_;
  uint64_t ultima_lista_ = 0;
  // What a connection's temporary table holds: places [de, ate) of that key
  // order of list number `lista`, and the mark written with them.
  struct TLote {
    uint64_t lista = 0;
    size_t de = 0, ate = 0;
    int64_t marca = 0;
  };
  TLote lote_;
  // A second connection, read-only, that reads half of a long title list
  // while db_ reads the other half; opened at its first use.
  sqlite::Db leitor_;
  TLote lote_leitor_;
  bool sem_leitor_ = false;  // the second connection could not be had
  size_t listas_em_duas_ = 0;
  bool leitor_disponivel();
  void open(bool create);
  void migrate();
  void begin_immediate();
  void comeca() override { begin_immediate(); }
  void desfaz() override;
  std::vector<TColumn> Colunas(const std::string& tabela) override { return TableColumns(db(), tabela); }

  // The connection every call but a read uses: while an update started by
  // IniciaAlterBoletos runs, a caller first waits for it to end. The update's
  // own thread has it at once.
  sqlite::Db& db() override;
  const sqlite::Db& db() const { return const_cast<TSQLiteRemessaServer*>(this)->db(); }
  // The connection a read uses: the second connection while that update
  // runs (it sees what is committed, as the caller saw before its unit of
  // work began), else db(). lote, when given, gets that connection's table of keys.
  sqlite::Db& leitura(TLote** lote);
  sqlite::Db& leitura() override { return leitura(nullptr); }
  // AlterBoletos; a packet given with its owner loses its rows once they are
  // in the update's table.
  TServerReply altera_boletos(const TPacket& alteraBoletos, TPacket* dono);
  // Opens the second connection if need be; false when there is none to have.
  bool abre_leitor();
  // The update started by IniciaAlterBoletos, with its thread.
  TAlteracaoAoLado aoLado_;

  std::string path_;
  sqlite::Db con_;
};

}  // namespace server
