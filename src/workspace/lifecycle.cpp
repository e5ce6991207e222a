// The life of a batch in the workspace: including one and cancelling it,
// storing it when posted, which commands, controls and pages each state of
// the batch list allows, moving in the list, and the two operations on the
// titles of a stored batch (release for alteration, take out of the batch).
#include "fields/text.h"
#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "host/busy.h"
#include "host/context.h"
#include "server/packets.h"
#include "workspace/form.h"

namespace workspace {

using fields::AllTrim;
using host::Corvane;
using host::TDataSetState;

namespace {

std::string Situacao(TClientDataSet& ds) {
  return AllTrim(ds.FieldByName("IDSITUCNABR").AsString());
}

// Calls a server method on the titles of a stored batch: its refusal key
// becomes the catalogue's text, any other error goes on as the server said it.
void ChamaOperacao(const TfrmRemessaCNAB& f, const server::TServerReply& reply, const std::string& recusa) {
  if (reply.Error == recusa) f.Erro(recusa);
  server::CheckResultServ(reply);
}

}  // namespace

void TfrmRemessaCNAB::CriaEventosCiclo() {
  cdsCNABRec.OnStateChange = [this](TClientDataSet&) { dtsPadraoStateChange(); };
  cdsCNABRec.AfterScroll = [this](TClientDataSet&) { cdsCNABRecAfterScroll(); };
  // A list loaded or closed starts without marked batches: its rows come unmarked.
  cdsCNABRec.AfterOpen = [this](TClientDataSet&) {
    MarcadosRel.Clear();
    RemessasMarcadas.Clear();
  };
  cdsCNABRec.BeforeClose = [this](TClientDataSet&) {
    MarcadosRel.Clear();
    RemessasMarcadas.Clear();
  };
}

void TfrmRemessaCNAB::dtsPadraoStateChange() {
  if (boSuspendeLista_) return;
  const auto st = cdsCNABRec.State();
  const bool inserindo = st == TDataSetState::dsInsert;
  const bool editando = st == TDataSetState::dsEdit;
  const bool navegando = st == TDataSetState::dsBrowse;
  const bool vazio = !cdsCNABRec.Active() || cdsCNABRec.IsEmpty();
  const bool lista = ActivePage == TPagina::tshFolhaDados;
  const bool boletos = ActivePage == TPagina::tshBoletos;

  sbtConfirmar.Enabled = sbtCancelar.Enabled = inserindo || editando;
  sbtIncluir.Enabled = navegando;
  sbtAlterar.Enabled = sbtExcluir.Enabled = false;
  sbtAtualizar.Enabled = navegando && !vazio;
  // On the titles page the search looks for a title, so it follows the titles listed.
  sbtProcurar.Enabled = boletos ? (cdsBoletos.Active() && !cdsBoletos.IsEmpty()) : navegando && !vazio;
  sbtFiltrar.Enabled = (lista && navegando) || (boletos && inserindo);
  // Printing is offered while batches are marked; a batch being prepared has nothing to print yet.
  const bool marcadas = RemessasMarcadas.Count() > 0 || MarcadosRel.Count() > 0;
  sbtImprimir.Enabled = mnuImprimirLista.Enabled = editando || (navegando && !vazio && marcadas);
  sbtCancelaRemessa.Enabled = boletos && navegando && BoletosMarcados.Count() > 0;

  medCdEmpresa.Enabled = !inserindo;
  for (auto* c : {&dbeCdReduCont, &dbeArquivo, &btpArquivo, &dbeCdFilial, &btpCdFilial})
    c->Enabled = inserindo;
  dbcTpMov.Enabled = inserindo;
  if (!inserindo) cbbTpRemessa.Enabled = dbeCdReduContCobr.Enabled = false;

  if (inserindo || editando) {
    tshFolhaDadosEnabled = false;
    tshFormularioEnabled = tshBoletosEnabled = true;
  } else if (navegando) {
    tshFolhaDadosEnabled = tshFormularioEnabled = tshBoletosEnabled = !vazio;
  } else {
    // Closed: only the list, which waits for a company.
    tshFolhaDadosEnabled = true;
    tshFormularioEnabled = tshBoletosEnabled = false;
  }
  if ((ActivePage == TPagina::tshFolhaDados && !tshFolhaDadosEnabled && !navegando) ||
      (ActivePage == TPagina::tshFormulario && !tshFormularioEnabled) ||
      (ActivePage == TPagina::tshBoletos && !tshBoletosEnabled))
    ActivePage = inserindo || editando ? TPagina::tshFormulario : TPagina::tshFolhaDados;
}

bool TfrmRemessaCNAB::MostraPagina(TPagina page) {
  const bool enabled = page == TPagina::tshFolhaDados   ? tshFolhaDadosEnabled
                       : page == TPagina::tshFormulario ? tshFormularioEnabled
                                                        : tshBoletosEnabled;
  if (!enabled) return false;
  ActivePage = page;
  pgcPadraoChange();
  return true;
}

void TfrmRemessaCNAB::pgcPadraoChange() {
  mnuRemessasChecked = ActivePage == TPagina::tshFolhaDados;
  mnuFormularioChecked = ActivePage == TPagina::tshFormulario;
  mnuBoletosChecked = ActivePage == TPagina::tshBoletos;
  const auto st = cdsCNABRec.State();
  if (ActivePage == TPagina::tshBoletos) {
    if (st == TDataSetState::dsBrowse && cdsCNABRec.Active() && !cdsCNABRec.IsEmpty()) {
      // The marks belong to the titles of the batch that was left.
      if (cdsCNABRec.FieldByName("NRCNABREC").AsString() != stRemessaBoletos_) {
        BoletosMarcados.Clear();
        MostraBoletos();
      }
    } else if (st == TDataSetState::dsInsert || st == TDataSetState::dsEdit) {
      // Titles marked for another operation kind are not those of this one;
      // the sent-titles filter then offers the titles of the new kind.
      if (boTpMovAlterado && BoletosMarcados.Count() > 0) LimpaMarcados();
      if (BoletosMarcados.Count() == 0) filters::CriaFiltroBoleEnviCNAB("ESCONDE_FILTRO", *this);
      // The titles offered and marked from now on are the new kind's.
      TpMovConsiderado();
    }
  }
  dtsPadraoStateChange();
}

void TfrmRemessaCNAB::grdBoletosExit() {
  if (cdsCNABRec.Active() && !cdsCNABRec.IsEmpty() && cdsCNABRec.State() == TDataSetState::dsBrowse)
    stRemessaBoletos_ = cdsCNABRec.FieldByName("NRCNABREC").AsString();
}

void TfrmRemessaCNAB::cdsCNABRecAfterScroll() {
  if (cdsCNABRec.State() != TDataSetState::dsBrowse || cdsCNABRec.IsEmpty()) return;
  dbeDtCNABRec.Text =
      fields::FormatDateTime("ddd ddddd hh:nn", cdsCNABRec.FieldByName("DTCNABREC").AsDateTime());
  stArquivoAnterior = cdsCNABRec.FieldByName("DSARQCNABREC").AsString();
  if (ActivePage == TPagina::tshBoletos && !cdsCNABRec.ControlsDisabled() && !boSuspendeLista_) {
    BoletosMarcados.Clear();
    MostraBoletos();
    stRemessaBoletos_ = cdsCNABRec.FieldByName("NRCNABREC").AsString();
    sbtProcurar.Enabled = cdsBoletos.Active() && !cdsBoletos.IsEmpty();
  }
}

void TfrmRemessaCNAB::sbtFiltrarClick() {
  if (!sbtFiltrar.Enabled) return;
  if (ActivePage == TPagina::tshFolhaDados) {
    filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", *this);
    dtsPadraoStateChange();
  }
}

void TfrmRemessaCNAB::ReaplicaFiltro() {
  const std::string nr =
      cdsCNABRec.Active() && !cdsCNABRec.IsEmpty() ? cdsCNABRec.FieldByName("NRCNABREC").AsString() : "";
  const TPagina pagina = ActivePage;
  filters::CriaFiltroRemessaCNAB("ESCONDE_FILTRO", *this);
  if (!nr.empty()) cdsCNABRec.Locate("NRCNABREC", {nr});
  ActivePage = pagina;
  dtsPadraoStateChange();
  if (ActivePage == TPagina::tshBoletos && !cdsCNABRec.IsEmpty()) {
    BoletosMarcados.Clear();
    MostraBoletos();
    stRemessaBoletos_ = cdsCNABRec.FieldByName("NRCNABREC").AsString();
  }
  pgcPadraoChange();
}

// ---- including, cancelling and storing a batch ----

bool TfrmRemessaCNAB::Inserindo() const {
  return cdsCNABRec.State() == host::TDataSetState::dsInsert;
}

void TfrmRemessaCNAB::sbtIncluirClick() {
  cdsContaCorr.EmptyDataSet();
  if (!cdsCNABRec.Active()) cdsCNABRec.CreateDataSet();
  cdsCNABRec.Append();
  cdsCNABRec.FieldByName("QTBOLENVCNABREC").SetFloat(0);
  cdsCNABRec.FieldByName("VRTOTBOLCNABREC").SetFloat(0);
  BoletosMarcados.Clear();
  Carteiras.Clear();
  RemessasMarcadas.Clear();
  Memoria = TMemoriaConta{};
  nedQuant = 0;
  nedTotal = 0;
  doVrCreditoBancario = 0;
  const auto& c = Corvane();
  double hora = c.Now() - fields::DateOf(c.Now());
  cdsCNABRec.FieldByName("IDOPECNABREC").SetString("I");
  cdsCNABRec.FieldByName("IDTIPCNABREC").SetString("0");
  cdsCNABRec.FieldByName("CDEMPRESA").SetString(Empresa());
  cdsCNABRec.FieldByName("CDOPERADOR").SetString(c.Operador);
  cdsCNABRec.FieldByName("NMOPERADOR").SetString(c.NomeOperador);
  cdsCNABRec.FieldByName("DTCNABREC").SetDateTime(c.DataProc(c.FiliProc) + hora);
  cdsCNABRec.FieldByName("DSARQCNABREC").SetString(stArquivoAnterior);
  cdsCNABRec.FieldByName("IDMARCADO").SetString("N");
  ActivePage = TPagina::tshFormulario;
  tshFolhaDadosEnabled = false;
  tshFormularioEnabled = tshBoletosEnabled = true;
  medCdEmpresa.Enabled = false;
  for (auto* c2 : {&dbeCdReduCont, &dbeArquivo, &btpArquivo, &dbeCdFilial, &btpCdFilial}) c2->Enabled = true;
  dbcTpMov.Enabled = true;
  dbcTpMov.ItemIndex = 0;
  TpMovConsiderado();
  ActiveControl = "dbcTpMov";
  dbeDtCNABRec.Text =
      fields::FormatDateTime("ddd ddddd hh:nn", cdsCNABRec.FieldByName("DTCNABREC").AsDateTime());
  dtsPadraoStateChange();
  pgcPadraoChange();
}

void TfrmRemessaCNAB::sbtCancelarClick() {
  if (cdsCNABRec.State() == host::TDataSetState::dsInsert ||
      cdsCNABRec.State() == host::TDataSetState::dsEdit)
    cdsCNABRec.FieldByName("DSARQCNABREC").SetString("");
  cdsCNABRec.Cancel();
  if (cdsCNABRec.Active()) cdsCNABRec.CancelUpdates();
  medCdEmpresa.Enabled = true;
  for (auto* c : {&dbeCdReduCont, &dbeArquivo, &btpArquivo, &dbeCdFilial, &btpCdFilial, &dbeCdReduContCobr})
    c->Enabled = false;
  dbcTpMov.Enabled = cbbTpRemessa.Enabled = false;
  const bool vazio = !cdsCNABRec.Active() || cdsCNABRec.IsEmpty();
  tshFolhaDadosEnabled = tshFormularioEnabled = tshBoletosEnabled = !vazio;
  ActivePage = TPagina::tshFolhaDados;
  dtsPadraoStateChange();
  pgcPadraoChange();
  // The titles of the batch now current, all unmarked.
  if (!vazio) {
    BoletosMarcados.Clear();
    MostraBoletos();
  }
}

void TfrmRemessaCNAB::cdsCNABRecAfterPost() {
  if (boSuspendeLista_) return;
  if (cdsCNABRec.ChangeCount() > 0) {
    {
      host::TShowAvi avi;
      server::CheckResultServ(netRemessaCNAB->SetCNABRec(cdsCNABRec.Delta()));
    }
    // During a run the log is merged only once the titles are stored too.
    if (!boGerando_) cdsCNABRec.MergeChangeLog();
  }
  std::string chave =
      cdsCNABRec.FieldByName("CDEMPRESA").AsString() + cdsCNABRec.FieldByName("NRCNABREC").AsString();
  if (cdsCNABRec.FieldByName("IDMARCADO").AsString() == "S") {
    if (!MarcadosRel.Contains(chave)) MarcadosRel.Add(chave);
  } else {
    MarcadosRel.Remove(chave);
  }
}

// ---- titles of a stored batch ----

bool TfrmRemessaCNAB::Marca_Bol_Cancel(bool interactive) {
  if (cdsBoletos.IsEmpty()) return false;
  bool mudou = true;
  if (cdsBoletos.FieldByName("IDMARCADO").AsString() == "S") {
    MarcaBoleto(false);
  } else if (Situacao(cdsBoletos) == "90") {
    // Written off through the bank: the batch that did it keeps it.
    if (interactive) Erro("Confirma_CancelaBaixa");
    mudou = false;
  } else {
    MarcaBoleto(true);
  }
  dtsPadraoStateChange();
  return mudou;
}

void TfrmRemessaCNAB::mnuAlteraRemessaClick() {
  if (!cdsBoletos.Active()) return;
  const std::string situ = cdsBoletos.IsEmpty() ? std::string() : Situacao(cdsBoletos);
  std::string pergunta;
  if (situ == "01" || situ == "10") {
    if (BoletosMarcados.Count() == 0) Erro("BOLE_INF");
    pergunta = "Permite_Alter";
  } else {
    // Only titles the bank already holds need the warning; without one marked there is nothing to ask.
    const host::TPacket copia = cdsBoletos.Data();
    const int iMarca = copia.IndexOf("IDMARCADO"), iSitu = copia.IndexOf("IDSITUCNABR");
    bool agendado = false;
    for (const auto& r : copia.Rows) {
      const std::string m = host::ValueToString(r[iMarca], host::TFieldType::ftString);
      const std::string s = host::ValueToString(r[iSitu], host::TFieldType::ftString);
      if (fields::UpperCase(m) == "S" && AllTrim(s) == "20") agendado = true;
    }
    if (!agendado) return;
    pergunta = "Permite_AlterOk";
  }
  if (!Pergunta(pergunta)) return;
  {
    host::TShowAvi avi;
    ChamaOperacao(*this, netRemessaCNAB->AlteraBolRemessa(Corvane().Operador, cdsBoletos.Data()),
                  "OPER_INV_ALTERAR");
  }
  ReaplicaFiltro();
}

void TfrmRemessaCNAB::mnuCancelaRemessaClick() {
  if (BoletosMarcados.Count() == 0) Erro("BOLE_INF");
  if (!Pergunta("Conf_Cancel")) {
    BoletosMarcados.Clear();
    MostraBoletos();
    dtsPadraoStateChange();
    return;
  }
  {
    host::TShowAvi avi;
    auto c = [this](const char* n) { return cdsCNABRec.FieldByName(n).AsString(); };
    ChamaOperacao(*this,
                  netRemessaCNAB->CancelaBolRemessa(Corvane().Operador, c("NRCNABREC"), c("CDEMPRESA"),
                                                    cdsBoletos.IsEmpty() ? "" : Situacao(cdsBoletos),
                                                    cdsBoletos.Data()),
                  "OPER_INV");
  }
  Informa("Bol_Exclu");
  ReaplicaFiltro();
}

}  // namespace workspace
