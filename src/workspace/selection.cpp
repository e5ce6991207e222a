// Choosing what the batch is for: the company, the account and the
// collection account, the branch and the operation kind, each validated
// against the store and compared with what the marked titles were chosen under.
#include "fields/text.h"
#include "host/context.h"
#include "workspace/escritores.h"
#include "workspace/form.h"

namespace workspace {

using fields::Ajusta;
using fields::AllTrim;
using fields::EmptyString;
using host::Corvane;

void TfrmRemessaCNAB::Vd_CdEmpresa() {
  try {
    if (EmptyString(medCdEmpresa.Text)) Erro("EMPR_DEVE");
    medCdEmpresa.Text = Ajusta(AllTrim(medCdEmpresa.Text), 2);
    qryEmpresa.Close();
    qryEmpresa.ParamByName("P_CDEMPRESA", medCdEmpresa.Text);
    qryEmpresa.ParamByName("P_TCDEMPRESA", "");
    qryEmpresa.Open();
    NomeEmpresa = qryEmpresa.IsEmpty() ? "" : qryEmpresa.FieldByName("NMEMPRESA").AsString();
    if (qryEmpresa.IsEmpty()) Erro("EMPR_NAO_CAD");
    if (!netRemessaCNAB->AcessoOperEmpresa(Corvane().Operador, medCdEmpresa.Text)) {
      ActiveControl = "medCdEmpresa";
      Erro("Emp_Nr");
    }
  } catch (...) {
    ActiveControl = "medCdEmpresa";
    throw;
  }
}

void TfrmRemessaCNAB::medCdEmpresaExit() {
  Vd_CdEmpresa();
  try {
    RefazLista();
  } catch (...) {
    // The company stays to be left again once the store answers.
    ActiveControl = "medCdEmpresa";
    throw;
  }
}

void TfrmRemessaCNAB::dbeCdReduContCobrExit() {
  Vd_CdReduContCobr(false);
  if (!Inserindo()) return;
  cbbTpRemessa.Enabled = Escritores().OfereceTipo(cdsCNABRec.FieldByName("CDBANCCNAB").AsString());
  ActiveControl = "dbeCdFilial";
}

void TfrmRemessaCNAB::Vd_CdReduCont(bool required) {
  if (!Inserindo()) return;
  try {
    std::string code = EmptyString(dbeCdReduCont.Text) ? "" : Ajusta(AllTrim(dbeCdReduCont.Text), 3);
    dbeCdReduCont.Text = code;
    if (code != Memoria.CdReduCont && BoletosMarcados.Count() > 0) {
      if (Pergunta("APAGA_BOLETOS"))
        LimpaMarcados();
      else
        dbeCdReduCont.Text = code = Memoria.CdReduCont;
    }
    auto f = [this](const char* n) { return cdsCNABRec.FieldByName(n); };
    if (BoletosMarcados.Count() > 0) {
      f("CDBANCCNAB").SetString(Memoria.CdBancCnab);
      f("CDREDUCONT").SetString(Memoria.CdReduCont);
      f("CDBANCO").SetString(Memoria.CdBanco);
      f("CDAGENCIA").SetString(Memoria.CdAgencia);
      f("CDCONTCORR").SetString(Memoria.CdContCorr);
      f("DSCONTCORR").SetString(Memoria.DsContCorr);
      return;
    }
    f("CDREDUCONT").SetString(code);
    Memoria.CdReduCont = code;
    if (code.empty()) {
      if (required) Erro("CONTA_DEVE_SER");
      return;
    }
    if (!required || ActiveControl == "dbeCdReduCont") {
      Carrega(cdsContaCorr, netRemessaCNAB->GetContaCorr(Empresa(), code));
      if (cdsContaCorr.IsEmpty()) Erro("CONTA_NAO_CAD");
      for (const char* n : {"CDBANCO", "CDPICTAGEN", "CDAGENCIA", "CDCONTCORR", "DSCONTCORR", "CDPICTCONT",
                            "CDBANCCNAB", "CDBANCOCONV", "DSNOSNUMCORR", "NMBANCO"})
        f(n).SetValue(cdsContaCorr.FieldByName(n).AsValue());
      Memoria.CdBancCnab = cdsContaCorr.FieldByName("CDBANCCNAB").AsString();
      Memoria.CdBanco = cdsContaCorr.FieldByName("CDBANCO").AsString();
      Memoria.CdAgencia = cdsContaCorr.FieldByName("CDAGENCIA").AsString();
      Memoria.CdContCorr = cdsContaCorr.FieldByName("CDCONTCORR").AsString();
      Memoria.DsContCorr = cdsContaCorr.FieldByName("DSCONTCORR").AsString();
    }
  } catch (...) {
    ActivePage = TPagina::tshFormulario;
    ActiveControl = "dbeCdReduCont";
    throw;
  }
}

void TfrmRemessaCNAB::dbeCdReduContEnter() {
  ActiveControl = "dbeCdReduCont";
  if (!cdsCNABRec.Active() || cdsCNABRec.IsEmpty()) return;
  auto f = [this](const char* n) { return cdsCNABRec.FieldByName(n).AsString(); };
  Memoria.CdReduCont = f("CDREDUCONT");
  Memoria.CdAgencia = f("CDAGENCIA");
  Memoria.CdContCorr = f("CDCONTCORR");
  Memoria.DsContCorr = f("DSCONTCORR");
}

void TfrmRemessaCNAB::dbeCdReduContChange() {
  const auto st = cdsCNABRec.State();
  if (st != host::TDataSetState::dsInsert && st != host::TDataSetState::dsEdit) return;
  for (const char* n : {"CDBANCCNAB", "CDREDUCONTCOBR", "CDBANCOCOBR", "CDAGENCIACOBR", "CDCONTCORRCOBR",
                        "DSCONTCORRCOBR", "DSNOSNUMCORRCOBR"})
    cdsCNABRec.FieldByName(n).Clear();
  dbeCdReduContCobr.Text.clear();
  dbeCdReduContCobr.Enabled = false;
  cbbTpRemessa.ItemIndex = -1;
  cbbTpRemessa.Enabled = false;
}

void TfrmRemessaCNAB::dbeCdFilialEnter() {
  ActiveControl = "dbeCdFilial";
  if (cdsCNABRec.Active()) Memoria.Filial = cdsCNABRec.FieldByName("CDFILIAL").AsString();
}

void TfrmRemessaCNAB::dbeCdReduContExit() {
  Vd_CdReduCont(false);
  if (!Inserindo()) {
    cbbTpRemessa.Enabled = false;
    ActiveControl = "dbeCdFilial";
    return;
  }
  const std::string banco = cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
  if (Escritores().OfereceTipo(banco)) {
    cbbTpRemessa.Enabled = true;
    dbeCdReduContCobr.Enabled = false;
    ActiveControl = "dbeCdFilial";
  } else if (Escritores().TomaContaCobranca(banco)) {
    dbeCdReduContCobr.Enabled = true;
    cbbTpRemessa.Enabled = false;
    ActiveControl = "dbeCdReduContCobr";
  }
  auto f = [this](const char* n) { return cdsCNABRec.FieldByName(n).AsString(); };
  Carrega(cdsFilialCC,
          netRemessaCNAB->GetFilialCC(f("CDBANCO"), f("CDAGENCIA"), f("CDCONTCORR"), f("CDREDUCONT")));
  const bool tem = !cdsFilialCC.IsEmpty();
  cdsCNABRec.FieldByName("CDFILIAL").SetString(tem ? cdsFilialCC.FieldByName("CDFILIAL").AsString() : "");
  cdsCNABRec.FieldByName("NMFILIAL").SetString(tem ? cdsFilialCC.FieldByName("NMFILIAL").AsString() : "");
  dbeCdFilial.Text = cdsCNABRec.FieldByName("CDFILIAL").AsString();
}

void TfrmRemessaCNAB::Vd_CdReduContCobr(bool required) {
  if (!Inserindo()) return;
  try {
    std::string code = EmptyString(dbeCdReduContCobr.Text) ? "" : Ajusta(AllTrim(dbeCdReduContCobr.Text), 3);
    dbeCdReduContCobr.Text = code;
    if (code != Memoria.CdReduContCobr && BoletosMarcados.Count() > 0) {
      if (Pergunta("APAGA_BOLETOS"))
        LimpaMarcados();
      else
        dbeCdReduContCobr.Text = code = Memoria.CdReduContCobr;
    }
    auto f = [this](const char* n) { return cdsCNABRec.FieldByName(n); };
    if (BoletosMarcados.Count() > 0) {
      f("CDREDUCONTCOBR").SetString(Memoria.CdReduContCobr);
      f("CDBANCOCOBR").SetString(Memoria.CdBancoCobr);
      f("CDAGENCIACOBR").SetString(Memoria.CdAgenciaCobr);
      f("CDCONTCORRCOBR").SetString(Memoria.CdContCorrCobr);
      f("DSCONTCORRCOBR").SetString(Memoria.DsContCorrCobr);
      return;
    }
    f("CDREDUCONTCOBR").SetString(code);
    Memoria.CdReduContCobr = code;
    if (code.empty()) {
      if (required && dbeCdReduContCobr.Enabled) Erro("CONTA_COBR_DEVE_SER");
      return;
    }
    if (!required || ActiveControl == "dbeCdReduContCobr") {
      Carrega(cdsContaCorrCobr, netRemessaCNAB->GetContaCorrCobr(Empresa(), code, f("CDBANCO").AsString()));
      if (cdsContaCorrCobr.IsEmpty()) {
        dbeCdReduContCobr.Text.clear();
        f("CDREDUCONTCOBR").SetString("");
        Erro("CONTA_COBR_NAO_CAD");
      }
      auto c = [this](const char* n) { return cdsContaCorrCobr.FieldByName(n).AsString(); };
      f("CDBANCOCOBR").SetString(c("CDBANCO"));
      f("CDAGENCIACOBR").SetString(c("CDAGENCIA"));
      f("CDCONTCORRCOBR").SetString(c("CDCONTCORR"));
      f("DSCONTCORRCOBR").SetString(c("DSCONTCORR"));
      f("DSNOSNUMCORRCOBR").SetString(c("DSNOSNUMCORR"));
      Memoria.CdBancoCobr = c("CDBANCO");
      Memoria.CdAgenciaCobr = c("CDAGENCIA");
      Memoria.CdContCorrCobr = c("CDCONTCORR");
      Memoria.DsContCorrCobr = c("DSCONTCORR");
    }
  } catch (...) {
    ActivePage = TPagina::tshFormulario;
    ActiveControl = "dbeCdReduContCobr";
    throw;
  }
}

void TfrmRemessaCNAB::Vd_Filial() {
  const auto st = cdsCNABRec.State();
  if (st != host::TDataSetState::dsInsert && st != host::TDataSetState::dsEdit) return;
  try {
    const bool vazia = EmptyString(dbeCdFilial.Text);
    std::string code = vazia ? "" : Ajusta(AllTrim(dbeCdFilial.Text), 4);
    if (BoletosMarcados.Count() > 0 && code != Memoria.Filial) {
      if (Pergunta("Apaga_Bol_Fil")) {
        LimpaMarcados();
      } else {
        dbeCdFilial.Text = code = Memoria.Filial;
      }
    }
    Memoria.Filial = code;
    if (code.empty()) {
      cdsCNABRec.FieldByName("CDFILIAL").SetString("");
      cdsCNABRec.FieldByName("NMFILIAL").SetString("");
      return;
    }
    dbeCdFilial.Text = code;
    cdsCNABRec.FieldByName("CDFILIAL").SetString(code);
    Carrega(cdsFilial, netRemessaCNAB->GetFilial(code, Empresa()));
    if (cdsFilial.IsEmpty()) Erro("FIL_N_CAD");
    cdsCNABRec.FieldByName("NMFILIAL").SetString(cdsFilial.FieldByName("NMFILIAL").AsString());
  } catch (...) {
    ActiveControl = "dbeCdFilial";
    throw;
  }
}

void TfrmRemessaCNAB::dbcTpMovEnter() {
  TpMovConsiderado();
}

void TfrmRemessaCNAB::TpMovConsiderado() {
  Memoria.TpMovIndex = dbcTpMov.ItemIndex;
  boTpMovAlterado = false;
}

void TfrmRemessaCNAB::dbcTpMovChange(int itemIndex) {
  static const char* const kOps[] = {"I", "E", "A"};
  dbcTpMov.ItemIndex = itemIndex;
  cdsCNABRec.FieldByName("IDOPECNABREC")
      .SetString(itemIndex >= 0 && itemIndex <= 1 ? kOps[itemIndex] : kOps[2]);
  boTpMovAlterado = itemIndex != Memoria.TpMovIndex;
}

}  // namespace workspace
