// The remittance workspace: the one form that owns every data set of the
// module, the batch being prepared and the generation run.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "filters/filter_context.h"
#include "host/dataset.h"
#include "host/keylist.h"
#include "host/messages.h"
#include "host/query.h"
#include "host/report.h"
#include "server/rdm_remessa_cnab.h"
#include "workspace/registros_lote.h"

namespace filters {
struct TFiltroBoletos;
class TfrmFiltroBoleEnviCNAB;
}  // namespace filters

namespace workspace {

using host::TClientDataSet;

// Headless stand-ins for the form's controls: what a front end reads and sets.
struct TControl {
  bool Enabled = true;
  bool Visible = true;
  std::string Text;
};

struct TComboBox : TControl {
  std::vector<std::string> Items;
  int ItemIndex = -1;
};

enum class TPagina { tshFolhaDados, tshFormulario, tshBoletos };

// The host's search button beside a field, as its before-search fill leaves
// it: the list's title, the text it shows for an empty list, and the rows it
// offers. The operator's pick is the current row of those rows when the
// after-search step runs. No rows while the button is disabled.
struct TPesquisa {
  std::string Titulo, TextoVazio;
  TClientDataSet* Linhas = nullptr;
};

// What the workspace remembers of the chosen accounts and branch: compared
// with a changed code, restored when the operator keeps the marked titles.
struct TMemoriaConta {
  std::string CdReduCont, CdBanco, CdAgencia, CdContCorr, DsContCorr, CdBancCnab;
  std::string CdReduContCobr, CdBancoCobr, CdAgenciaCobr, CdContCorrCobr, DsContCorrCobr;
  std::string Filial;
  int TpMovIndex = 0;
};

// The form is what its filter dialogs see of the workspace: it hands itself
// to them when it opens them.
class TfrmRemessaCNAB : public filters::IContextoFiltros {
 public:
  static constexpr const char* Caption = "Remessa";
  static constexpr const char* ScreenCode = "REC00100";

  TfrmRemessaCNAB();
  TfrmRemessaCNAB(const TfrmRemessaCNAB&) = delete;
  TfrmRemessaCNAB& operator=(const TfrmRemessaCNAB&) = delete;

  void FormCreate();
  void FormActivate();
  void FormClose();

  // ---- data sets (the remittance context) ----
  TClientDataSet cdsCNABRec{"cdsCNABRec"}, cdsBoletos{"cdsBoletos"}, cdsAlteraBoletos{"cdsAlteraBoletos"},
      cdsDocumentos{"cdsDocumentos"}, cdsTotRemessa{"cdsTotRemessa"}, cdsDocBol{"cdsDocBol"},
      cdsLicencaUso{"cdsLicencaUso"}, cdsTxBoletos{"cdsTxBoletos"}, cdsDuplicata{"cdsDuplicata"},
      cdsInstruBol{"cdsInstruBol"}, cdsEmprBanc{"cdsEmprBanc"}, cdsIdConta{"cdsIdConta"},
      cdsContaCorr{"cdsContaCorr"}, cdsContaCorrCobr{"cdsContaCorrCobr"}, cdsFilial{"cdsFilial"},
      cdsFilialCC{"cdsFilialCC"}, cdsFiliRece{"cdsFiliRece"}, cdsParamFilial{"cdsParamFilial"};
  host::TADOIBQuery qryEmpresa{"qryEmpresa"}, qryEndeClie{"qryEndeClie"}, qryTpEnde{"qryTpEnde"},
      qryContCorr{"qryContCorr"}, qryEndeFili{"qryEndeFili"};
  host::TMessages msgPadrao;
  server::IRdmRemessaCNAB* netRemessaCNAB = nullptr;

  // ---- controls ----
  TControl medCdEmpresa, dbeCdReduCont, dbeCdReduContCobr, dbeCdFilial, dbeArquivo, btpArquivo, btpCdFilial;
  TComboBox dbcTpMov, cbbTpRemessa;
  TPagina ActivePage = TPagina::tshFolhaDados;
  bool tshFolhaDadosEnabled = true, tshFormularioEnabled = false, tshBoletosEnabled = false;
  std::string ActiveControl;  // name of the control with the focus
  bool progressVisible = false;
  std::string NomeEmpresa;  // shown beside the company code

  // ---- workspace sets ----
  host::TKeyList BoletosMarcados;   // key CDFILIAL + NRLANBOLREC, value VRFINALBREC
  TRegistrosLote Lote;              // per-title records of a run over many titles
  host::TKeyList Carteiras;         // portfolio keys of the marked titles
  host::TKeyList RemessasMarcadas;  // batch marks of the list
  host::TKeyList MarcadosRel;       // marked-batch set (report)
  int nedQuant = 0;                 // marked count
  double nedTotal = 0;              // marked total
  double doVrCreditoBancario = 0;   // bank-credit total
  TMemoriaConta Memoria;
  bool boTpMovAlterado = false;   // operation kind changed since its combo was entered
  std::string stArquivoAnterior;  // path of the batch current in the list

  // ---- messages ----
  std::string Msg(const std::string& key) const { return msgPadrao.Msg(key); }
  [[noreturn]] void Erro(const std::string& key) const;
  bool Pergunta(const std::string& key, host::TMsgDlgButtons buttons = host::TMsgDlgButtons::mbYesNo) const;
  void Informa(const std::string& key) const;

  // Loads a server reply into a data set (CheckResultServ first).
  static void Carrega(TClientDataSet& ds, const server::TServerReply& reply);
  static void Carrega(TClientDataSet& ds, server::TServerReply&& reply);
  // A per-title record kind of one title into ds: from the run under way when
  // the title is one of its titles, else from the server for this title.
  void CarregaRegistro(const char* registro, TClientDataSet& ds, const std::string& filial,
                       const std::string& numero, const std::function<server::TServerReply()>& umTitulo,
                       const std::string& cdBanco = {});

  // ---- lifecycle ----
  void sbtIncluirClick();
  void sbtCancelarClick();
  void sbtConfirmarClick();
  bool Inserindo() const;

  // ---- company, account, branch ----
  void Vd_CdEmpresa();
  // Leaving the company panel: the company is validated and the batch list filled.
  void medCdEmpresaExit();
  void Vd_CdReduCont(bool required);
  void Vd_CdReduContCobr(bool required);
  void Vd_Filial();
  // Entering a field remembers what it shows, to compare with what is typed.
  void dbeCdReduContEnter();
  void dbeCdFilialEnter();
  // Typing in the account field: what depended on the old account goes.
  void dbeCdReduContChange();
  void dbeCdReduContExit();
  void dbeCdReduContCobrExit();
  // Entering the operation-kind combo remembers the kind; a change since then
  // invalidates the marks, once (the titles page or the run empties them).
  void dbcTpMovEnter();
  void dbcTpMovChange(int itemIndex);
  std::string Empresa() const override { return medCdEmpresa.Text; }
  // Typing in the company code, the collection account and the branch: what
  // was shown for the old code goes.
  void medCdEmpresaChange();
  void dbeCdReduContCobrChange();
  void dbeCdFilialChange();

  // ---- look-ups: the rows a search button offers, then the pick applied ----
  // An empty list is reported with the button's own text (company: none).
  TPesquisa btpCdEmpresaPesquisa();
  void btpCdEmpresaEscolhe();
  TPesquisa btpCdReduContPesquisa();
  void btpCdReduContEscolhe();
  TPesquisa btpCdReduContCobrPesquisa();
  void btpCdReduContCobrEscolhe();
  TPesquisa btpCdFilialPesquisa();
  void btpCdFilialEscolhe();

  // The search command: on the titles page it looks for a title, elsewhere
  // for a batch of the list, by a field's value; the row found becomes the
  // current one. False when nothing matches (the current row stays).
  bool sbtProcurarClick(const std::string& campo, const std::string& valor);
  // The refresh command: the batch list again through the remittance
  // filter's remembered criteria, the current batch kept.
  void sbtAtualizarClick();

  // ---- titles ----
  void MostraBoletos();
  // The form's own GetBoletos call for a batch being prepared, from the
  // sent-titles filter's saved criteria.
  std::vector<host::Value> ArgsBoletosNovaRemessa(const filters::TFiltroBoletos& f);
  // Arriving at the titles page: a batch being prepared gets the titles the
  // sent-titles filter selects (silently), a stored batch its own titles.
  void tshBoletosShow();
  // The filter command. On the titles page the sent-titles filter opens; opera
  // plays the operator's part on it (set controls, or cancel). False when the
  // operator gave up.
  bool sbtFiltroClick(const std::function<void(filters::TfrmFiltroBoleEnviCNAB&)>& opera = {});
  void MarcaBoleto(bool marcar);  // edits and posts IDMARCADO of the current title
  // Toggles the current title of a batch being prepared under the marking
  // rules; interactive shows a refusal and stops, otherwise the title is left
  // as it was. Returns the key of the refusal, empty when the mark changed.
  std::string Marca_Boletos(bool interactive);
  // The operator's double click on a title (branch CNPJ check first).
  void MarcaBoletoAtual();
  // Marks every title the rules allow, or unmarks all when some are marked;
  // perguntar asks "CONF_MARC"/"CONF_DESMARC" first. Returns the refusals by key.
  std::vector<std::pair<std::string, int>> MarcaTodos(bool perguntar = true);
  // The titles the last "mark all" refused: "FILIAL/NUMERO" and the refusal key.
  std::vector<std::pair<std::string, std::string>> Recusados;
  void Vd_Boletos();
  void LimpaMarcados();

  // ---- output path ----
  void Vd_Arquivo(bool required);
  void dbeArquivoExit() { Vd_Arquivo(false); }
  std::string NomeArquivo();  // the text of dbeArquivo

  // ---- generation ----
  void EscolheFuncao();
  std::string BuscaIdentRec();
  // The marked titles' new state, as AlterBoletos takes it; the list's
  // current title is left where it was.
  host::TPacket AtualizaBoleto();

  // Called once by the writer's walk through the marked titles, after the
  // first of them (a writer that walks them otherwise never calls it).
  std::function<void()> AoPrimeiroTitulo;

  // After a run: the files written (final paths), the batch and the writer.
  std::vector<std::string> UltimosArquivos;
  std::string UltimaRemessa, UltimoWriter;

  // ---- lifecycle: commands, pages and the state of the batch list ----
  // The maintenance commands (buttons and the menu entries that mirror them).
  TControl sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtAtualizar, sbtCancelar, sbtConfirmar,
      sbtFiltrar, sbtImprimir, mnuImprimirLista, sbtCancelaRemessa;
  bool mnuRemessasChecked = true, mnuFormularioChecked = false, mnuBoletosChecked = false;
  TControl dbeDtCNABRec;  // the form's date field, "ddd ddddd hh:nn"
  // Enables commands, controls and pages for the state of cdsCNABRec and the page showing.
  void dtsPadraoStateChange();
  // Shows a page when it is enabled; false when it is not.
  bool MostraPagina(TPagina page);
  void pgcPadraoChange();
  void grdBoletosExit();   // remembers the batch whose titles were left
  void sbtFiltrarClick();  // "&Filtrar": the remittance filter, shown
  // The remittance filter again, silently; the titles page lists the current
  // batch's titles again.
  void ReaplicaFiltro();

  // ---- titles of a stored batch ----
  // Toggles the current title's mark; a title written off through the bank
  // (situation "90") is not marked: interactive stops with
  // "Confirma_CancelaBaixa", otherwise it is skipped. False when skipped.
  bool Marca_Bol_Cancel(bool interactive);
  void mnuAlteraRemessaClick();   // "Permitir Alteração"
  void mnuCancelaRemessaClick();  // "Cancelar Boleto da Remessa"

  // ---- batch report (borderô) ----
  void dbgPadraoMarca();       // double click or Space on a batch of the list
  void dbgPadraoTitleClick();  // click on the title of the mark column
  void sbtImprimirClick();
  void FazFTP_Rel(const std::string& nome, const std::string& key);
  void BaixaRelatorio(const std::string& nome);
  void EmiteRelatorio(const std::string& nome);
  host::TNetConnection netQRDesign{"Qrd.rdmQRDesign", "", 0, false};
  // Where the next borderô goes: empty for the report folder.
  std::string SaidaBordero;
  std::string UltimoBordero;  // the PDF the last print wrote

  // ---- what the filter dialogs read and fill ----
  server::IRdmRemessaCNAB* Conexao() const override { return netRemessaCNAB; }
  TClientDataSet& ListaRemessas() override { return cdsCNABRec; }
  TClientDataSet& ListaBoletos() override { return cdsBoletos; }
  TClientDataSet& ParametrosFilial() override { return cdsParamFilial; }
  std::string OperacaoRemessa() override;
  bool PreparandoRemessa() const override;
  std::string NumeroRemessa() override;
  int TipoMovimento() const override { return dbcTpMov.ItemIndex; }

 private:
  void CriaEstruturas();
  void CriaCatalogo();
  void CriaConsultas();
  void cdsCNABRecAfterPost();
  void cdsBoletosAfterPost();
  void PoeArquivosNoLugar(const std::string& empresa, const std::string& numero);
  void ConfirmaPadrao();
  // calaServidor: a list the server cannot give now is left for the next
  // filter (after a run, whose batch is stored); otherwise the error goes on.
  void RefazLista(bool calaServidor = false);
  void VerificaRaizCNPJ(const std::string& filial, const std::string& numero);
  void CriaEventosCiclo();
  // The marks now answer for the operation kind the combo shows.
  void TpMovConsiderado();
  void cdsCNABRecAfterScroll();
  std::string stRemessaBoletos_;  // batch whose titles were last left
  bool boSuspendeLista_ = false;  // the list's state and posting handlers are suspended
  bool boGerando_ = false;        // the run defers merging the change log until all is stored
  bool boMarcado_ = false;        // IDMARCADO of the row before its post
};

extern TfrmRemessaCNAB* frmRemessaCNAB;
extern bool boIdCriado;

// The host's start call, and the form factory behind it.
void IniProc();
void CriaRemessaCNABRec();
// Closes and frees the form (the host does this when the window closes).
void FechaRemessaCNABRec();
// The writer the dispatcher picks for a layout bank and agreement bank, before
// its bank-specific checks; empty when no row applies.
std::string DespachoWriter(const std::string& cdBancCnab, const std::string& cdBancoConv);

// GetCNABRec's arguments that list every batch of a company.
std::vector<host::Value> ArgsTodasRemessas(const std::string& cdEmpresa);
// GetBoletos's arguments that list the titles of a stored batch (or, for "N",
// every title a new batch may take), every other criterion lifted.
std::vector<host::Value> ArgsBoletosRemessa(const std::string& cdEmpresa, const std::string& nrRemessa);

// The connection the host gives the form.
void SetAppServer(server::IRdmRemessaCNAB* server);

}  // namespace workspace
