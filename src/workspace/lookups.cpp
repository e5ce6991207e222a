// The search buttons beside the company, account, collection-account and
// branch fields (the rows each offers and what picking one does), the typing
// handlers that clear what an old code showed, and the form's search and
// refresh commands.
#include "fields/cp1252.h"
#include "workspace/form.h"

namespace workspace {

using host::TDataSetState;

namespace {

bool Editando(const TClientDataSet& ds) {
  return ds.State() == TDataSetState::dsInsert || ds.State() == TDataSetState::dsEdit;
}

// The before-search step of a button: the rows are filled, and an empty list
// is reported in the button's words.
TPesquisa Oferece(const char* titulo, const char* vazio, TClientDataSet& linhas) {
  TPesquisa p{fields::Utf8ToCp1252(titulo), fields::Utf8ToCp1252(vazio), &linhas};
  if (linhas.IsEmpty() && !p.TextoVazio.empty()) host::MensErro(p.TextoVazio, true);
  return p;
}

// The picked row: the current row of rows that were offered.
bool Escolhida(const TClientDataSet& linhas) {
  return linhas.Active() && !linhas.IsEmpty();
}

}  // namespace

// ---- typing ----

void TfrmRemessaCNAB::medCdEmpresaChange() {
  NomeEmpresa.clear();
}

void TfrmRemessaCNAB::dbeCdReduContCobrChange() {
  if (!Editando(cdsCNABRec)) return;
  for (const char* n : {"CDBANCOCOBR", "CDAGENCIACOBR", "CDCONTCORRCOBR", "DSCONTCORRCOBR"})
    cdsCNABRec.FieldByName(n).Clear();
  // The branch was the account's; with another collection account it is chosen again.
  dbeCdFilial.Text.clear();
  cdsCNABRec.FieldByName("CDFILIAL").Clear();
  dbeCdFilialChange();
}

void TfrmRemessaCNAB::dbeCdFilialChange() {
  if (Editando(cdsCNABRec)) cdsCNABRec.FieldByName("NMFILIAL").Clear();
}

// ---- company ----

TPesquisa TfrmRemessaCNAB::btpCdEmpresaPesquisa() {
  if (!medCdEmpresa.Enabled) return {};
  qryEmpresa.Close();
  qryEmpresa.ParamByName("P_CDEMPRESA", "");
  qryEmpresa.ParamByName("P_TCDEMPRESA", "T");
  qryEmpresa.Open();
  return Oferece("Empresa", "", qryEmpresa);
}

void TfrmRemessaCNAB::btpCdEmpresaEscolhe() {
  if (!medCdEmpresa.Enabled || !Escolhida(qryEmpresa)) return;
  medCdEmpresa.Text = qryEmpresa.FieldByName("CDEMPRESA").AsString();
  medCdEmpresaChange();
}

// ---- account ----

TPesquisa TfrmRemessaCNAB::btpCdReduContPesquisa() {
  if (!dbeCdReduCont.Enabled) return {};
  Carrega(cdsContaCorr, netRemessaCNAB->GetContaCorr(Empresa(), "T"));
  return Oferece("Conta Corrente", "Não há conta corrente cadastrada para a empresa informada.",
                 cdsContaCorr);
}

void TfrmRemessaCNAB::btpCdReduContEscolhe() {
  if (!dbeCdReduCont.Enabled || !Escolhida(cdsContaCorr) || !Editando(cdsCNABRec)) return;
  dbeCdReduCont.Text = cdsContaCorr.FieldByName("CDREDUCONT").AsString();
  cdsCNABRec.FieldByName("CDREDUCONT").SetString(dbeCdReduCont.Text);
  dbeCdReduContChange();
}

// ---- collection account ----

TPesquisa TfrmRemessaCNAB::btpCdReduContCobrPesquisa() {
  if (!dbeCdReduContCobr.Enabled) return {};
  Carrega(cdsContaCorrCobr,
          netRemessaCNAB->GetContaCorrCobr(Empresa(), "T", cdsCNABRec.FieldByName("CDBANCO").AsString()));
  return Oferece("Conta Cobrança", "Não há conta cobrança cadastrada para a empresa informada.",
                 cdsContaCorrCobr);
}

void TfrmRemessaCNAB::btpCdReduContCobrEscolhe() {
  if (!dbeCdReduContCobr.Enabled || !Escolhida(cdsContaCorrCobr) || !Editando(cdsCNABRec)) return;
  dbeCdReduContCobr.Text = cdsContaCorrCobr.FieldByName("CDREDUCONT").AsString();
  cdsCNABRec.FieldByName("CDREDUCONTCOBR").SetString(dbeCdReduContCobr.Text);
  dbeCdReduContCobrChange();
}

// ---- branch ----

TPesquisa TfrmRemessaCNAB::btpCdFilialPesquisa() {
  if (!btpCdFilial.Enabled) return {};
  Carrega(cdsFilial, netRemessaCNAB->GetFilial("", Empresa()));
  return Oferece("Filial", "Não há filial cadastrada.", cdsFilial);
}

void TfrmRemessaCNAB::btpCdFilialEscolhe() {
  if (!btpCdFilial.Enabled || !Escolhida(cdsFilial) || !Editando(cdsCNABRec)) return;
  dbeCdFilial.Text = cdsFilial.FieldByName("CDFILIAL").AsString();
  cdsCNABRec.FieldByName("CDFILIAL").SetString(dbeCdFilial.Text);
  cdsCNABRec.FieldByName("NMFILIAL").SetString(cdsFilial.FieldByName("NMFILIAL").AsString());
}

// ---- search and refresh ----

bool TfrmRemessaCNAB::sbtProcurarClick(const std::string& campo, const std::string& valor) {
  if (!sbtProcurar.Enabled) return false;
  TClientDataSet& ds = ActivePage == TPagina::tshBoletos ? cdsBoletos : cdsCNABRec;
  if (!ds.Active() || ds.FindFieldIndex(campo) < 0) return false;
  return ds.Locate(campo, {valor}, true);
}

void TfrmRemessaCNAB::sbtAtualizarClick() {
  if (!sbtAtualizar.Enabled) return;
  ReaplicaFiltro();
}

}  // namespace workspace
