// The remittance filter dialog (screen "REC00101", "Filtro de Remessas"),
// headless: which batches of the company the workspace lists. Its confirmed
// criteria are remembered in FiltroRemessa for the life of the module, so
// that the workspace can apply them again without showing the dialog.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fields/datetime.h"
#include "filters/filter_context.h"
#include "filters/filter_options.h"
#include "filters/list_picker.h"
#include "host/dataset.h"
#include "host/messages.h"
#include "host/query.h"

namespace filters {

using fields::TDateTime;

struct TOPERADOR {
  bool Todos = true;
  std::string Lista;
};
struct TCLIENTE {
  bool Todos = true;
  std::string Lista;
};
struct TDOCUMENTO {
  std::string Inicial, Final;
};
struct TTPBAIXA {
  bool Todos = true;
  std::string Lista;
};
struct TCCORR {
  bool Todos = true;
  std::string Lista;
};
struct TNUMREMESSA {
  std::string Numero;
};

// The remembered filter. Dates are 0 when not given.
struct TFILTRO {
  TDateTime DtIniRemessa = 0, DtFinRemessa = 0;
  TOPERADOR Operador;
  double VrRemIni = 0, VrRemFin = 0;
  TCLIENTE Cliente;
  TDOCUMENTO Documento;
  TDateTime DtIniEmissao = 0, DtFinEmissao = 0;
  TDateTime DtIniVencimento = 0, DtFinVencimento = 0;
  TTPBAIXA TpBaixa;
  TCCORR CCorr;
  double VrLiqIni = 0, VrLiqFin = 0;
  TNUMREMESSA NumRemessa;
};

extern TFILTRO FiltroRemessa;

// Edits as the operator types into them.
struct TEdit {
  bool Enabled = true;
  std::string Text;
};
// A date edit holds its text as typed, "dd/mm/aaaa"; blanks and the mask's
// separators alone mean no date.
struct TDateEdit : TEdit {
  bool Vazia() const;
  bool Valida() const;        // empty or a real date
  TDateTime Data() const;     // 0 when empty or not a date
  void SetData(TDateTime d);  // 0 empties it
};
struct TRadioPair {
  bool Todos = true;  // "Todos"/"Todas" checked; false: "Lista" checked
};

enum class TPaginaFiltro { tshRemessa, tshBoletos };

class TfrmFiltroRemessaCNAB {
 public:
  static constexpr const char* Caption = "Filtro de Remessas";
  static constexpr const char* ScreenCode = "REC00101";

  TfrmFiltroRemessaCNAB();
  // The workspace the dialog lists batches for; without one the checks and
  // the arguments work, but a confirmation that passes them cannot ask.
  IContextoFiltros* Contexto = nullptr;
  void FormCreate();
  void FormActivate();
  void FormClose() { Visible = false; }

  // ---- controls ----
  TDateEdit depDtIniVen, depDtFinVen;  // remittance date from / to
  TEdit edtNmDiaSemIni, edtNmDiaSemFin;
  TRadioPair rbtOperador;
  TEdit btpOperador;
  TEdit nedVrRemIni, nedVrRemFin;
  TEdit medNrRemessa;  // at most 10 characters
  TRadioPair rbtCliente;
  TEdit btpListClie;
  TEdit medDocIni, medDocFin;  // at most 7 characters
  TDateEdit depDtIniEmi, depDtFinEmi;
  TDateEdit depVencIni, depVencFin;
  TRadioPair rbtFormRec;
  TEdit btpPesqFRec;
  TRadioPair rbtCCorr;
  TEdit btnCCorr;
  TEdit nedVrLiqIni, nedVrLiqFin;
  TPaginaFiltro ActivePage = TPaginaFiltro::tshRemessa;
  std::string ActiveControl;
  bool Visible = false;

  // The picked lists, as the picker left them.
  std::string stListOperador, stListCliente, stListTpBx, stListCCorr;

  host::TADOIBQuery qryOperador{"qryOperador"}, qryCliente{"qryCliente"}, qryFormRec{"qryFormRec"},
      qryContCorr{"qryContCorr"};
  host::TMessages msgPadrao;
  std::string Msg(const std::string& key) const { return msgPadrao.Msg(key); }

  // Confirm: checks, asks the server, loads the workspace's batch list,
  // remembers the criteria and closes. A failed check raises EMensErro with
  // the page and the control of the failure set; a failed server call
  // raises and changes nothing.
  void sbtConfirmaClick();
  // "Desfazer" (Ctrl+D): the reset state, in the controls; nothing is asked.
  void sbtLimpaClick();

  // The 28 arguments of GetCNABRec from the controls as they stand (after
  // the checks have filled empty values and zero-filled the numbers).
  std::vector<host::Value> ArgumentosGetCNABRec(const std::string& cdEmpresa) const;

  // List buttons and radio pairs.
  void btpOperadorClick();
  void btpListClieClick();
  void btpPesqFRecClick();
  void btnCCorrClick();
  void RadioChange();  // each list button follows its "Lista" radio

  // Editing aids.
  void medDocIniExit();
  void medDocFinExit();
  void DataExit(TDateEdit& edit);  // raises "Data_Inv" for a date that does not convert
  void depDtIniVenChange();
  void depDtFinVenChange();
  // Whether a key typed into a value edit or the batch number is taken.
  static bool AceitaTecla(char key);
  // The host's MaxNumber: at most intDigits before and decDigits after the comma.
  static bool MaxNumber(const std::string& text, int intDigits, int decDigits);

  // Saved options: the base dialog's named values (every control by its
  // name) plus the four lists under their own names.
  void SalvaOpcoes(TOpcoes& options) const;
  // Back into the controls; a name not saved leaves its control as it is.
  void CarregaOpcoes(const TOpcoes& options);
  // The option buttons: the controls as they stand are saved for the
  // operator, and loaded back into the controls (nothing is asked until the
  // operator confirms). Loading with nothing saved changes nothing.
  void sbtSalvarOpcoesClick();
  void sbtCarregarOpcoesClick();

 private:
  void CriaCatalogo();
  void CriaConsultas();
  void EstadoParaControles();
  // The edits whose texts are saved with the options, by control name.
  std::vector<std::pair<const char*, TEdit*>> EditsSalvos();
  void ControlesParaEstado();
  [[noreturn]] void Falha(const std::string& key, TPaginaFiltro page, const std::string& control,
                          const std::string& text = {});
  void VerificaDatasRemessa();
  void VerificaPar(const TDateEdit& ini, const TDateEdit& fin, const char* iniName, const char* finName,
                   const char* keyIni, const char* keyFin, const char* keyMenor);
  void Pesquisa(host::TADOIBQuery& q, const std::string& key, const std::string& title, std::string& list,
                const char* emptyKey);
};

// Resets the remembered filter: the processing date of the operator's branch
// as both remittance dates, everything else unrestricted.
void ResetaFiltroRemessa();

extern TfrmFiltroRemessaCNAB* frmFiltroRemessaCNAB;

// Creates the dialog once, for the workspace given; "BOTAO_FILTRO" shows it
// (the front end set by SetMostraFiltro drives it), "ESCONDE_FILTRO"
// activates and confirms it without showing it. Other modes only create it.
void CriaFiltroRemessaCNAB(const std::string& mode, IContextoFiltros& contexto);
// Frees the dialog (the workspace does this when it closes); the remembered
// filter stays.
void LiberaFiltroRemessaCNAB();
// What "showing modally" does headless: a front end works the controls and
// confirms or closes. Without one, showing only activates the dialog.
void SetMostraFiltro(std::function<void(TfrmFiltroRemessaCNAB&)> show);

// The host's weekday name of a date (NomeSemana), Windows-1252.
std::string NomeSemana(TDateTime d);

}  // namespace filters
