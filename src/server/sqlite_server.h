// The remittance application server backed by one SQLite database file.
//
// Every text this server hands back (packet values, error texts, exception
// messages) is Windows-1252, like every other string of the system; the
// database holds UTF-8 and the conversion happens only here. One object
// serves one thread at a time (it may use threads of its own: inside a call,
// and for an AlterBoletos started with IniciaAlterBoletos); several objects
// or processes may share a file.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "server/rdm_remessa_cnab.h"
#include "server/sqlite_db.h"
#include "server/sqlite_update_beside.h"

namespace server {

class TSQLiteRemessaServer : public IRdmRemessaCNAB {
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

  // The highest schema version applied, and the one this build knows.
  int SchemaVersion() const;
  static int LatestSchemaVersion();
  const std::string& Path() const { return path_; }
  bool InTransaction() const { return user_tx_; }
  // Title lists GetRegistrosBoletos has read in two halves at once.
  size_t ListasEmDuasPartes() const { return listas_em_duas_; }
  // AlterBoletos started by IniciaAlterBoletos on a thread of this object's.
  size_t AlteracoesAoLado() const { return aoLado_.Iniciadas(); }
  // The connection itself, for the fixture loader and maintenance tools.
  sqlite::Db& Database() { return db(); }

  // host::IHostDatabase: the workspace's own SQL. Parameters are bound as
  // text; values come back in Windows-1252. Throws host::EDatabaseError.
  host::TPacket ExecuteQuery(const std::string& sql,
                             const std::map<std::string, std::string>& params) override;

  // The database stays open for the object's life; Disconnect only makes the
  // server refuse calls (and drops an open transaction) until Connect.
  void Connect() override;
  void Disconnect() override;
  bool Connected() const override { return connected_; }
  // Throw host::EServerError when there is nothing to commit or a transaction
  // is already open; Rollback without a transaction does nothing.
  void StartTransaction() override;
  void Commit() override;
  void Rollback() override;

  TServerReply GetDocBol(const std::string& nrLanBolRec, const std::string& cdFilial) override;
  TServerReply GetDuplicata(const std::string& nrLanBolRec, const std::string& cdFilial) override;
  TServerReply GetLicencaUso(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetTxBoletos(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetInstruBol(const std::string& cdBanco, const std::string& cdFilial,
                            const std::string& nrLanBolRec) override;
  TServerReply GetChaveAcesso(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetEmprBanc(const std::string& cdBanco, const std::string& cdEmpresa) override;

  TServerReply GetFiliRece(const std::string& cdFiliBolRec, const std::string& nrLanBolRec) override;
  TServerReply GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                   const std::string& cdBanco) override;
  TServerReply ValidFinanceiro(const std::string& operacao, const std::string& arg1, const std::string& arg2,
                               double& valor, const std::string& arg3, const std::string& arg4) override;
  TServerReply PrxCodigo(const std::string& cdEmpresa, const std::string& tabela) override;
  TServerReply PrxCodigoRemessaRec(const std::string& cdReduCont) override;
  TServerReply GetIdConta(const std::string& cdReduCont) override;
  TServerReply SetCNABRec(const TPacket& delta) override;
  TServerReply AlterBoletos(const TPacket& alteraBoletos) override;
  // The update runs on a thread of this object's own, on its connection, while
  // reads are answered by the read-only second connection; only for a file
  // database, inside a unit of work.
  bool IniciaAlterBoletos(TPacket& alteraBoletos) override;
  TServerReply FimAlterBoletos() override;

  TServerReply SetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec,
                                 const std::string& arquivo, const std::string& conteudo, int64_t tamanho,
                                 const std::string& pendente) override;
  TServerReply GetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) override;
  TServerReply ArquivoNoLugar(const std::string& cdEmpresa, const std::string& nrCnabRec) override;
  TServerReply GetArquivosARever() override;

  TServerReply SetRetorno(const std::string& cdOperador, const std::string& cdEmpresa, const TPacket& arquivo,
                          const TPacket& ocorrencias, bool parcial) override;
  TServerReply GetRetornos(const std::string& cdEmpresa) override;
  TServerReply GetOcorrRetorno(const std::string& cdEmpresa, int64_t nrArqRetorno) override;

  TServerReply GetCNABRec(const std::vector<Value>& args) override;
  TServerReply AlteraBolRemessa(const std::string& cdOperador, const TPacket& boletos) override;
  TServerReply CancelaBolRemessa(const std::string& cdOperador, const std::string& nrCnabRec,
                                 const std::string& cdEmpresa, const std::string& idSituCnabr,
                                 const TPacket& boletos) override;

  TServerReply GetDadosRel(const std::string& nmArquivo) override;
  TServerReply RetornaRelatorio(std::string& nmArquivo, const std::string& extra) override;
  TServerReply GetBordero(const std::string& cdEmpresa, const std::string& nrCnabRec) override;

  TServerReply GetBoletos(const std::vector<Value>& args) override;
  TServerReply GetTotRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) override;
  TServerReply GetDocumentos(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetParamFilial(const std::string& cdFilial) override;
  TServerReply GetGeralRec() override;

  TServerReply GetContaCorr(const std::string& cdEmpresa, const std::string& cdReduCont) override;
  TServerReply GetContaCorrCobr(const std::string& cdEmpresa, const std::string& cdReduCont,
                                const std::string& cdBanco) override;
  TServerReply GetFilialCC(const std::string& cdBanco, const std::string& cdAgencia,
                           const std::string& cdContCorr, const std::string& cdReduCont) override;
  TServerReply GetFilial(const std::string& cdFilial, const std::string& cdEmpresa) override;

  bool AcessoOperEmpresa(const std::string& cdOperador, const std::string& cdEmpresa) override;

  TServerReply GetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador) override;
  TServerReply SetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador,
                               const TPacket& opcoes) override;

  // Runs body inside one unit of work: its own immediate transaction, or a
  // savepoint of the open one, so that a failure undoes exactly what body did.
  void Write(const std::function<void()>& body);

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
  // A per-title record kind read for one title.
  TServerReply RegistroDeTitulo(const char* packet, const std::string& cdFilial,
                                const std::string& nrLanBolRec, const std::string& cdBanco = {});
  void open(bool create);
  void migrate();
  void begin_immediate();
  // Runs body in its own immediate transaction, again when another
  // connection held the database; refused while a transaction is open.
  void own_transaction(const char* what, const std::function<void()>& body);
  void require_connected() const;

  // The connection every call but a read uses: while an update started by
  // IniciaAlterBoletos runs, a caller first waits for it to end. The update's
  // own thread has it at once.
  sqlite::Db& db();
  const sqlite::Db& db() const { return const_cast<TSQLiteRemessaServer*>(this)->db(); }
  // The connection a read uses: the second connection while that update
  // runs (it sees what is committed, as the caller saw before its unit of
  // work began), else db(). lote, when given, gets that connection's table of keys.
  sqlite::Db& leitura(TLote** lote = nullptr);
  // AlterBoletos; a packet given with its owner loses its rows once they are
  // in the update's table.
  TServerReply altera_boletos(const TPacket& alteraBoletos, TPacket* dono);
  // Opens the second connection if need be; false when there is none to have.
  bool abre_leitor();
  // The update started by IniciaAlterBoletos, with its thread.
  TAlteracaoAoLado aoLado_;

  std::string path_;
  sqlite::Db con_;
  bool connected_ = false;
  bool user_tx_ = false;
  int savepoint_depth_ = 0;
};

}  // namespace server
