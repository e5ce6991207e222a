// The application server's rules: what each call checks, reads and
// changes, written once over a store (store.h). A store's own server opens
// its database, brings the schema up to date, owns the units of work and
// keeps its speed machinery (TSQLiteRemessaServer for SQLite).
//
// Every text the server hands back (packet values, error texts, exception
// messages) is Windows-1252, like every other string of the system; the
// database holds UTF-8 and the conversion happens only here.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "server/columns.h"
#include "server/rdm_remessa_cnab.h"
#include "server/store.h"

namespace server {

class TRemessaServer : public IRdmRemessaCNAB {
 public:
  // host::IHostDatabase: the workspace's own SQL. Parameters are bound as
  // text; values come back in Windows-1252. Throws host::EDatabaseError.
  host::TPacket ExecuteQuery(const std::string& sql,
                             const std::map<std::string, std::string>& params) override;

  bool Connected() const override { return connected_; }

  TServerReply GetDocBol(const std::string& nrLanBolRec, const std::string& cdFilial) override;
  TServerReply GetDuplicata(const std::string& nrLanBolRec, const std::string& cdFilial) override;
  TServerReply GetLicencaUso(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetTxBoletos(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetInstruBol(const std::string& cdBanco, const std::string& cdFilial,
                            const std::string& nrLanBolRec) override;
  TServerReply GetChaveAcesso(const std::string& cdFilial, const std::string& nrLanBolRec) override;
  TServerReply GetFiliRece(const std::string& cdFiliBolRec, const std::string& nrLanBolRec) override;
  // Each title of the list in turn; a store may read a list its own faster way.
  TServerReply GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                   const std::string& cdBanco) override;
  TServerReply GetEmprBanc(const std::string& cdBanco, const std::string& cdEmpresa) override;
  TServerReply ValidFinanceiro(const std::string& operacao, const std::string& arg1, const std::string& arg2,
                               double& valor, const std::string& arg3, const std::string& arg4) override;
  TServerReply PrxCodigo(const std::string& cdEmpresa, const std::string& tabela) override;
  TServerReply PrxCodigoRemessaRec(const std::string& cdReduCont) override;
  TServerReply GetIdConta(const std::string& cdReduCont) override;
  TServerReply SetCNABRec(const TPacket& delta) override;
  // Title after title, each update checking the state it changes.
  TServerReply AlterBoletos(const TPacket& alteraBoletos) override;

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

  // Runs body inside one unit of work: its own transaction, or a savepoint
  // of the open one, so that a failure undoes exactly what body did.
  void Write(const std::function<void()>& body);
  bool InTransaction() const { return user_tx_; }
  // The highest schema version applied, and the one this build knows.
  int SchemaVersion() const;
  static int LatestSchemaVersion();

  // For the fixture loader: the connection, the store's application tables
  // (not its own nor the schema bookkeeping), references checked at the end
  // of the unit of work rather than row by row, the store's id of the row
  // last inserted (0 where it has none), and, once the rows are in, the
  // first row whose reference matches nothing, where the store can tell
  // before its commit does.
  struct TReferenciaFaltando {
    std::string tabela, pai, campo;
    int64_t linha = 0;
  };
  store::Db& Conexao() { return db(); }
  std::vector<TColumn> ColunasDe(const std::string& tabela) { return Colunas(tabela); }
  virtual std::vector<std::string> Tabelas() = 0;
  virtual void AdiaReferencias() = 0;
  virtual int64_t UltimaLinha() = 0;
  virtual std::optional<TReferenciaFaltando> ReferenciaFaltando() = 0;

 protected:
  // The connection every call but a read uses.
  virtual store::Db& db() = 0;
  // The connection a read uses; a store may answer reads on another one.
  virtual store::Db& leitura() = 0;
  // Runs body in a unit of work of its own, again when another connection
  // held the store; refused while a transaction is open (a number drawn in
  // it would be lost with its rollback and handed out again).
  void own_transaction(const char* what, const std::function<void()>& body);
  // A unit of work begun in the store's way (SQLite takes the write lock at
  // once), and undone.
  virtual void comeca() = 0;
  virtual void desfaz() = 0;
  virtual void confirma() { db().Exec("COMMIT"); }
  // Brings the schema up to date, one migration per unit of work; onde
  // names the database in a refusal (" " + path, or empty).
  void AplicaMigracoes(const std::string& onde);
  void require_connected() const;
  // A per-title record kind read for one title.
  TServerReply RegistroDeTitulo(const char* packet, const std::string& cdFilial,
                                const std::string& nrLanBolRec, const std::string& cdBanco = {});
  // What the schema says of a table's columns, from the store's catalogue.
  virtual std::vector<TColumn> Colunas(const std::string& tabela) = 0;

  bool connected_ = false;
  bool user_tx_ = false;  // a transaction the caller opened
  int savepoint_depth_ = 0;
};

}  // namespace server
