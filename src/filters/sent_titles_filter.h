// The sent-titles filter "Filtro de Boletos a Enviar": which titles are
// offered for the batch being prepared (or listed for the one browsed).
#pragma once

#include <string>
#include <vector>

#include "filters/filter_context.h"
#include "filters/filter_options.h"
#include "host/dataset.h"
#include "host/messages.h"
#include "host/query.h"

namespace filters {

// The dialog's controls, and the state they are saved to between openings.
// Lists are the picker's text: codes separated by commas. Dates and values are
// the edits' texts ("dd/mm/aaaa", "1.234,56"); empty means not filled.
struct TFiltroBoletos {
  bool listClie = false;
  std::string stListClie;
  std::string docIni, docFin;
  bool listFiliOrig = false;
  std::string stFiliOrig;
  bool listFiliLanc = false;
  std::string stFiliLanc;
  bool listGrupClie = false;
  std::string stGrupClie;
  std::string dtIniEmi, dtFinEmi;
  std::string orcaDe, orcaAte;
  bool naoEnviado = false, envRetoErro = false, envRetoSemErro = false, envRetoOK = false;
  bool simples = false, vinculada = false, caucionada = false, descontada = false;
  bool alterado = false, naoAlterado = false, vencTodos = false;  // one radio group: at most one set
  std::string dtIniVen, dtFinVen;
  bool listFRec = false;
  std::string stListFRec;
  std::string vrLiqIni, vrLiqFin;
  bool listCCorr = false;
  std::string stListCCorr;
  std::string nrRemessa, nrRetorno, numCart;
};

// Saved state of the dialog, alive as long as the module.
extern TFiltroBoletos FiltroBoleto;

class TfrmFiltroBoleEnviCNAB {
 public:
  static constexpr const char* Caption = "Filtro de Boletos a Enviar";
  static constexpr const char* ScreenCode = "REC00102";

  // Reads the general and branch parameters through the workspace's
  // connection, and sets the creation defaults for its batch.
  explicit TfrmFiltroBoleEnviCNAB(IContextoFiltros& contexto);
  TfrmFiltroBoleEnviCNAB(const TfrmFiltroBoleEnviCNAB&) = delete;
  TfrmFiltroBoleEnviCNAB& operator=(const TfrmFiltroBoleEnviCNAB&) = delete;

  IContextoFiltros* Contexto;  // the workspace whose batch the titles are for

  TFiltroBoletos c;  // the controls
  struct {
    bool naoEnviado = true, envRetoErro = true, envRetoSemErro = true, envRetoOK = true;
    bool alterado = true, naoAlterado = true, vencTodos = true;
  } Enabled;
  bool orcamentoVisivel = false;
  int maxDocumento = 7;
  int ModalResult = 0;  // 1 confirmed, 2 cancelled
  std::string ActiveControl;
  host::TMessages msg;
  host::TClientDataSet cdsGeralRec{"cdsGeralRec"}, cdsParamgeral{"cdsParamgeral"};
  host::TADOIBQuery qryCliente{"qryCliente"}, qryFilial{"qryFilial"}, qryGrupClie{"qryGrupClie"},
      qryFormRec{"qryFormRec"}, qryContCorr{"qryContCorr"};

  void FormActivate();   // saved state to controls, movement-type rules
  void sbtLimpaClick();  // "Desfazer"
  void sbtCancelClick();
  void sbtConfirmaClick();  // checks, GetBoletos into the workspace's titles, save state
  // The 38 arguments of the dialog's own GetBoletos call, from the controls as
  // the confirmation left them.
  std::vector<host::Value> Argumentos() const;

  // List buttons: each reopens its look-up, stops with the dialog's message
  // when a look-up that must have rows has none, and lets the host's picker
  // (SetPesquisaLista) write the chosen codes into its list. They return the
  // rows offered.
  host::TClientDataSet& btpListClieClick();
  host::TClientDataSet& btnFiliOrigClick();
  host::TClientDataSet& btnFiliLancClick();
  host::TClientDataSet& btnGrupClieClick();
  host::TClientDataSet& btpPesqFRecClick();
  host::TClientDataSet& btnCCorrClick();

  // Saved options: every control by its name, the six lists under their own
  // names; loading puts them into the controls and applies the movement-type
  // rules again. The option buttons keep them for the operator in the store.
  void SalvaOpcoes(TOpcoes& options) const;
  void CarregaOpcoes(const TOpcoes& options);
  void sbtSalvarOpcoesClick();
  void sbtCarregarOpcoesClick();

 private:
  void Defaults();
  void CriaConsultas();
  void RegrasMovimento();
  [[noreturn]] void Erro(const std::string& key, const std::string& controle);
  double DataPadrao(int sinal) const;
  double qtAntes_ = 0, qtApos_ = 0;
};

extern TfrmFiltroBoleEnviCNAB* frmFiltroBoleEnviCNAB;

// Creates the dialog once, for the workspace given. "BOTAO_FILTRO" activates
// the dialog for the operator (the front end then sets its controls and
// confirms or cancels); "ESCONDE_FILTRO" activates and confirms at once.
// Returns the dialog's result.
int CriaFiltroBoleEnviCNAB(const std::string& modo, IContextoFiltros& contexto);
void LiberaFiltroBoleEnviCNAB();

// The situation list for an operation kind from the four boxes.
std::string ListaSituacoes(const std::string& operacao, const TFiltroBoletos& f);

}  // namespace filters
