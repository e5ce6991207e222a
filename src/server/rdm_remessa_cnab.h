// The application server "REC00100.rdmRemessaCNAB" as the workspace calls it:
// one method per server method, arguments in the server's order, replies that
// CheckResultServ unpacks.
#pragma once

#include <string>
#include <vector>

#include "host/dataset.h"
#include "host/query.h"

namespace server {

using host::TPacket;
using host::Value;

// A server reply: an error text, or a packet, or a plain text.
struct TServerReply {
  std::string Error;
  TPacket Packet;
  std::string Text;
  std::vector<TPacket> Array;  // a reply that is an array of packets

  static TServerReply Fail(std::string error) {
    TServerReply r;
    r.Error = std::move(error);
    return r;
  }
  static TServerReply Of(TPacket p) {
    TServerReply r;
    r.Packet = std::move(p);
    return r;
  }
  static TServerReply OfText(std::string t) {
    TServerReply r;
    r.Text = std::move(t);
    return r;
  }
};

// Unpacks a reply; a server error stops the operation with the server's text.
const TPacket& CheckResultServ(const TServerReply& reply);
// The same for a reply no one keeps: its rows are moved out, not copied.
TPacket CheckResultServ(TServerReply&& reply);
const std::string& CheckResultText(const TServerReply& reply);

class IRdmRemessaCNAB : public host::IHostDatabase {
 public:
  ~IRdmRemessaCNAB() override = default;

  // Connection
  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  virtual bool Connected() const = 0;
  // One unit of work: the batch and its titles are stored together or not at all.
  virtual void StartTransaction() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;

  // Per-title records of the layout writers
  virtual TServerReply GetDocBol(const std::string& nrLanBolRec, const std::string& cdFilial) = 0;
  virtual TServerReply GetDuplicata(const std::string& nrLanBolRec, const std::string& cdFilial) = 0;
  virtual TServerReply GetLicencaUso(const std::string& cdFilial, const std::string& nrLanBolRec) = 0;
  virtual TServerReply GetTxBoletos(const std::string& cdFilial, const std::string& nrLanBolRec) = 0;
  virtual TServerReply GetInstruBol(const std::string& cdBanco, const std::string& cdFilial,
                                    const std::string& nrLanBolRec) = 0;
  virtual TServerReply GetChaveAcesso(const std::string& cdFilial,
                                      const std::string& nrLanBolRec) = 0;  // Text
  virtual TServerReply GetEmprBanc(const std::string& cdBanco, const std::string& cdEmpresa) = 0;
  // The records of one kind ("DOCBOL", "DUPLICATA", "LICENCAUSO", "TXBOLETOS",
  // "INSTRUBOL", "FILIRECE") for a list of titles at once: titulos holds
  // per row the two keys the kind's per-title call takes (CDFILIAL as its
  // branch argument, NRLANBOLREC). The reply's rows are the per-title calls'
  // rows, each with NRORDEM, the title's row in titulos, first; in the
  // order of titulos. cdBanco is for INSTRUBOL.
  virtual TServerReply GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                           const std::string& cdBanco) = 0;

  // Generation run
  virtual TServerReply GetFiliRece(const std::string& cdFiliBolRec, const std::string& nrLanBolRec) = 0;
  // "CreditoBancario": (account, branch, bank-credit total, "", "") -> warning text or empty.
  // "Verifica_Adiantamento": ("", "", 0, client, company) -> "S" when the client has an advance credit.
  virtual TServerReply ValidFinanceiro(const std::string& operacao, const std::string& arg1,
                                       const std::string& arg2, double& valor, const std::string& arg3,
                                       const std::string& arg4) = 0;
  virtual TServerReply PrxCodigo(const std::string& cdEmpresa, const std::string& tabela) = 0;  // Text
  virtual TServerReply PrxCodigoRemessaRec(const std::string& cdReduCont) = 0;                  // Text
  virtual TServerReply GetIdConta(const std::string& cdReduCont) = 0;
  virtual TServerReply SetCNABRec(const TPacket& delta) = 0;
  virtual TServerReply AlterBoletos(const TPacket& alteraBoletos) = 0;
  // AlterBoletos of the open unit of work, started to run while the caller
  // goes on with other work (the bank's file): false, with nothing started,
  // where the server cannot do so, and the caller calls AlterBoletos itself;
  // when it starts, the packet's rows are taken over.
  // Until FimAlterBoletos gives the update's reply, reads answer as the store
  // was last committed, and any other call waits for the update to end.
  virtual bool IniciaAlterBoletos(TPacket& alteraBoletos) {
    (void)alteraBoletos;
    return false;
  }
  virtual TServerReply FimAlterBoletos() {
    return TServerReply::Fail("FimAlterBoletos: nenhum AlterBoletos iniciado.");
  }

  // The batch's file, kept with it. These calls are ours, not the host's.
  // SetArquivoRemessa joins the open unit of work: conteudo is the file as
  // host::ComprimeArquivo gave it, tamanho its size, arquivo the path it is
  // for and pendente the staged name it waits under until ArquivoNoLugar.
  virtual TServerReply SetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec,
                                         const std::string& arquivo, const std::string& conteudo,
                                         int64_t tamanho, const std::string& pendente) = 0;
  // Packet ARQREMESSA (DSARQUIVO, QTBYTES, DSARQPENDENTE), no row when the
  // batch has no file kept; Text the compressed bytes.
  virtual TServerReply GetArquivoRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) = 0;
  virtual TServerReply ArquivoNoLugar(const std::string& cdEmpresa, const std::string& nrCnabRec) = 0;
  // Packet ARQREMESSA (CDEMPRESA, NRCNABREC, DSARQUIVO, DSARQPENDENTE): the
  // files still waiting to be put in place, and the paths of the last
  // batches stored, beside which a run that died may have left its stage.
  virtual TServerReply GetArquivosARever() = 0;

  // Return files. These calls are ours, not the host's. SetRetorno applies a
  // bank's return file to the company's titles in one unit of work (an empty
  // company or account is found from the file's header): a file of another
  // bank, company or account, or one that names a title the company did not
  // send to that account, changes nothing, unless parcial, where what matches
  // is applied and the rest is listed. arquivo: one ARQRETORNO row (its
  // header fields); ocorrencias: OCORRETORNO rows as read. Reply: Array[0]
  // the file's ARQRETORNO row as stored, Packet its OCORRETORNO rows as
  // stored, Text "1" when applied now, "0" when the same file had already
  // been read (nothing changed then).
  virtual TServerReply SetRetorno(const std::string& cdOperador, const std::string& cdEmpresa,
                                  const TPacket& arquivo, const TPacket& ocorrencias, bool parcial) = 0;
  // ARQRETORNO rows of the company's files read, the last read first.
  virtual TServerReply GetRetornos(const std::string& cdEmpresa) = 0;
  // OCORRETORNO rows of one file read, in the file's order.
  virtual TServerReply GetOcorrRetorno(const std::string& cdEmpresa, int64_t nrArqRetorno) = 0;

  // Batches and their titles
  virtual TServerReply GetCNABRec(const std::vector<Value>& args) = 0;  // the filter's 28 arguments
  virtual TServerReply AlteraBolRemessa(const std::string& cdOperador, const TPacket& boletos) = 0;
  virtual TServerReply CancelaBolRemessa(const std::string& cdOperador, const std::string& nrCnabRec,
                                         const std::string& cdEmpresa, const std::string& idSituCnabr,
                                         const TPacket& boletos) = 0;

  // Batch report. GetDadosRel: the template's version data (DADOSREL: date,
  // tag, source; no row when the server has none). RetornaRelatorio: two
  // lines, the report's title and the template's name. GetBordero: the
  // batch and its titles (BORDERO).
  virtual TServerReply GetDadosRel(const std::string& nmArquivo) = 0;
  virtual TServerReply RetornaRelatorio(std::string& nmArquivo, const std::string& extra) = 0;  // Text
  virtual TServerReply GetBordero(const std::string& cdEmpresa, const std::string& nrCnabRec) = 0;

  // Titles
  virtual TServerReply GetBoletos(const std::vector<Value>& args) = 0;  // 38 arguments
  // The company is ours: batch numbers are drawn per company, so the number
  // alone would sum two companies' batches together.
  virtual TServerReply GetTotRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) = 0;
  virtual TServerReply GetDocumentos(const std::string& cdFilial, const std::string& nrLanBolRec) = 0;
  virtual TServerReply GetParamFilial(const std::string& cdFilial) = 0;
  // General parameters: Array[0] the due-date window (GERALREC), Array[1] PARAMGERAL.
  virtual TServerReply GetGeralRec() = 0;

  // Company, account and branch
  virtual TServerReply GetContaCorr(const std::string& cdEmpresa, const std::string& cdReduCont) = 0;
  virtual TServerReply GetContaCorrCobr(const std::string& cdEmpresa, const std::string& cdReduCont,
                                        const std::string& cdBanco) = 0;
  virtual TServerReply GetFilialCC(const std::string& cdBanco, const std::string& cdAgencia,
                                   const std::string& cdContCorr, const std::string& cdReduCont) = 0;
  virtual TServerReply GetFilial(const std::string& cdFilial, const std::string& cdEmpresa) = 0;

  // Host facility backed by the same database: may the operator work for the
  // company? A store that cannot answer raises host::EServerError with its
  // text rather than saying no.
  virtual bool AcessoOperEmpresa(const std::string& cdOperador, const std::string& cdEmpresa) = 0;

  // The options an operator saved in a filter dialog (screen code): OPCOESFILTRO,
  // one row per named value. SetOpcoesFiltro replaces all of them at once.
  virtual TServerReply GetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador) = 0;
  virtual TServerReply SetOpcoesFiltro(const std::string& cdTela, const std::string& cdOperador,
                                       const TPacket& opcoes) = 0;
};

}  // namespace server
