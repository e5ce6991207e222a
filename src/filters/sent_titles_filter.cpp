#include "filters/sent_titles_filter.h"

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "filters/list_picker.h"
#include "host/context.h"
#include "server/rdm_remessa_cnab.h"

namespace filters {

using fields::Ajusta;
using fields::AllTrim;
using fields::EmptyString;
using host::Value;

TFiltroBoletos FiltroBoleto;
TfrmFiltroBoleEnviCNAB* frmFiltroBoleEnviCNAB = nullptr;

namespace {

double DataDe(const std::string& texto) {
  fields::TDateTime d = 0;
  fields::TryStrToDate(texto, d);
  return d;
}

double Valor(const std::string& texto) {
  double v = 0;
  fields::TryStrToFloat(texto, v);
  return v;
}

}  // namespace

std::string ListaSituacoes(const std::string& op, const TFiltroBoletos& f) {
  const bool enviados = op == "A" || op == "E";
  std::string s;
  if (enviados) {
    if (f.envRetoSemErro) s += "_10";
    if (f.envRetoOK) s += "_20";
  } else {
    if (f.naoEnviado) s += "_00";
    if (f.envRetoErro) s += "_01";
  }
  if (!f.naoEnviado && !f.envRetoErro && !f.envRetoSemErro && !f.envRetoOK)
    s = enviados ? "_10_20" : "_00_01";
  return s;
}

TfrmFiltroBoleEnviCNAB::TfrmFiltroBoleEnviCNAB(IContextoFiltros& contexto) : Contexto(&contexto) {
  static const std::pair<const char*, const char*> kMsgs[] = {
      {"Cliente", "Cliente"},
      {"Clie_inf", "Cliente deve ser informado."},
      {"Clie_Cad", "Não há cliente cadastrado."},
      {"Filial", "Filial"},
      {"FiliLanc_inf", "Filial de lançamento deve ser informada."},
      {"FiliOrig_inf", "Filial de origem deve ser informada."},
      {"Fili_Cad", "Não há filial cadastrada."},
      {"FRec", "Tipo de Baixa"},
      {"FormRec_inf", "Tipo de baixa deve ser informado."},
      {"CCorr", "Conta Corrente"},
      {"CCorr_inf", "Conta corrente deve ser informada."},
      {"ContCorr_Cad", "Não há conta corrente cadastrada."},
      {"NumeroIni_inf", "Número inicial deve ser informado."},
      {"NumeroFin_inf", "Número final deve ser informado."},
      {"NumeroIni_menor", "Número inicial deve ser menor ou igual ao número final."},
      {"DtVencIni_inf", "Data de vencimento inicial deve ser informada."},
      {"DtVencFin_inf", "Data de vencimento final deve ser informada."},
      {"DtVencIni_menor", "Data de vencimento inicial deve ser menor ou igual a data de vencimento final."},
      {"VrLiqu_menor", "Valor inicial deve ser menor ou igual ao valor final."},
      {"Data_Inv", "não é uma data válida."},
      {"GrupClie_inf", "Grupo de cliente deve ser informado."},
      {"GRUPCLIE", "Grupo de cliente"},
      {"DtEmisIni_inf", "Data de emissão inicial deve ser informada."},
      {"DtEmisFin_inf", "Data de emissão final deve ser informada."},
      {"DtEmisIni_menor", "Data de emissão inicial deve ser menor ou igual a data de emissão final."},
      {"NrOrcaDe_inf", "Número do orçamento inicial deve ser informado."},
      {"NrOrcaAte_inf", "Número do orçamento final deve ser informado."},
      {"NrOrca_menor", "Número do orçamento inicial deve ser menor ou igual ao número do orçamento final."},
  };
  for (const auto& [k, t] : kMsgs) msg.Add(k, fields::Utf8ToCp1252(t));

  auto& conexao = *Contexto->Conexao();
  CriaConsultas();
  for (auto* q : {&qryCliente, &qryFilial, &qryGrupClie, &qryFormRec, &qryContCorr})
    q->SetConnection(&conexao);
  auto reply = conexao.GetGeralRec();
  server::CheckResultServ(reply);
  if (reply.Array.size() >= 2) {
    cdsGeralRec.SetData(reply.Array[0]);
    cdsParamgeral.SetData(reply.Array[1]);
    if (!cdsGeralRec.IsEmpty()) {
      qtAntes_ = cdsGeralRec.FieldByName("QTDIAANTBOLR").AsFloat();
      qtApos_ = cdsGeralRec.FieldByName("QTDIAAPOBOLR").AsFloat();
    }
    orcamentoVisivel =
        !cdsParamgeral.IsEmpty() && cdsParamgeral.FieldByName("IDEXIBDADORC").AsString() == "S";
  }
  auto& paramFilial = Contexto->ParametrosFilial();
  paramFilial.SetData(server::CheckResultServ(conexao.GetParamFilial(host::Corvane().FiliProc)));
  const int n =
      paramFilial.IsEmpty() ? 0 : static_cast<int>(paramFilial.FieldByName("NRTAMNUMNFUT").AsInteger());
  maxDocumento = n > 0 ? n : 7;
  Defaults();
}

double TfrmFiltroBoleEnviCNAB::DataPadrao(int sinal) const {
  const auto& c = host::Corvane();
  return c.DataProc(c.FiliProc) + (sinal < 0 ? -qtAntes_ : qtApos_);
}

void TfrmFiltroBoleEnviCNAB::Defaults() {
  TFiltroBoletos f;
  f.dtIniVen = fields::FormatDateTime("dd/mm/yyyy", DataPadrao(-1));
  f.dtFinVen = fields::FormatDateTime("dd/mm/yyyy", DataPadrao(+1));
  const std::string op = Contexto->OperacaoRemessa();
  if (op == "A") {
    // "Alterado" and then "Todos" are chosen: the radio group ends on "Todos".
    f.vencTodos = true;
  } else if (op != "E") {
    f.naoAlterado = true;
  }
  FiltroBoleto = f;
}

void TfrmFiltroBoleEnviCNAB::RegrasMovimento() {
  const int i = Contexto->TipoMovimento();
  auto& e = Enabled;
  if (i == 2 || i == 1) {
    e.envRetoSemErro = e.envRetoOK = true;
    e.naoEnviado = e.envRetoErro = false;
    e.alterado = e.naoAlterado = e.vencTodos = i == 2;
    if (i == 1) {
      c.vencTodos = true;
      c.alterado = c.naoAlterado = false;
    }
  } else {
    c.naoAlterado = true;
    c.alterado = c.vencTodos = false;
    e.naoAlterado = true;
    e.alterado = e.vencTodos = false;
    e.naoEnviado = e.envRetoErro = true;
    e.envRetoSemErro = e.envRetoOK = false;
  }
}

void TfrmFiltroBoleEnviCNAB::FormActivate() {
  c = FiltroBoleto;
  ModalResult = 0;
  RegrasMovimento();
}

void TfrmFiltroBoleEnviCNAB::sbtLimpaClick() {
  TFiltroBoletos f;
  f.dtIniVen = fields::FormatDateTime("dd/mm/yyyy", DataPadrao(-1));
  f.dtFinVen = fields::FormatDateTime("dd/mm/yyyy", DataPadrao(+1));
  f.vrLiqIni = f.vrLiqFin = "0";
  f.alterado = c.alterado;  // the due-change radios follow the operation, not the reset
  f.naoAlterado = c.naoAlterado;
  f.vencTodos = c.vencTodos;
  c = f;
}

void TfrmFiltroBoleEnviCNAB::sbtCancelClick() {
  ModalResult = 2;
}

void TfrmFiltroBoleEnviCNAB::Erro(const std::string& key, const std::string& controle) {
  ActiveControl = controle;
  host::MensErro(msg.Msg(key), true, key);
  throw host::EAbort();
}

void TfrmFiltroBoleEnviCNAB::sbtConfirmaClick() {
  // 1.
  if (c.listGrupClie && EmptyString(c.stGrupClie)) Erro("GrupClie_inf", "btnGrupClie");
  if (c.listClie && EmptyString(c.stListClie)) Erro("Clie_inf", "btpListClie");
  // 2. one document when only the first is given
  if (EmptyString(c.docFin)) c.docFin = c.docIni;
  if (!EmptyString(c.docIni)) c.docIni = Ajusta(AllTrim(c.docIni), maxDocumento);
  if (!EmptyString(c.docFin)) c.docFin = Ajusta(AllTrim(c.docFin), maxDocumento);
  if (EmptyString(c.docIni) && !EmptyString(c.docFin)) Erro("NumeroIni_inf", "medDocIni");
  if (!EmptyString(c.docIni) && EmptyString(c.docFin)) Erro("NumeroFin_inf", "medDocFin");
  if (!EmptyString(c.docIni) && c.docIni > c.docFin) Erro("NumeroIni_menor", "medDocIni");
  // 3.
  if (orcamentoVisivel) {
    if (EmptyString(c.orcaAte)) c.orcaAte = c.orcaDe;
    if (EmptyString(c.orcaDe) && !EmptyString(c.orcaAte)) Erro("NrOrcaDe_inf", "medOrcaDe");
    if (!EmptyString(c.orcaDe) && EmptyString(c.orcaAte)) Erro("NrOrcaAte_inf", "medOrcaAte");
    if (!EmptyString(c.orcaDe)) {
      c.orcaDe = Ajusta(AllTrim(c.orcaDe), 10);
      c.orcaAte = Ajusta(AllTrim(c.orcaAte), 10);
      if (c.orcaDe > c.orcaAte) Erro("NrOrca_menor", "medOrcaDe");
    }
  }
  // 4.
  if (c.listFiliOrig && EmptyString(c.stFiliOrig)) Erro("FiliOrig_inf", "btnFiliOrig");
  if (c.listFiliLanc && EmptyString(c.stFiliLanc)) Erro("FiliLanc_inf", "btnFiliLanc");
  // 5, 6. date pairs
  auto datas = [&](std::string& de, std::string& ate, const char* kDe, const char* kAte, const char* kMenor,
                   const char* cDe, const char* cAte) {
    fields::TDateTime d1 = 0, d2 = 0;
    for (auto [t, ctl] : {std::pair{&de, cDe}, std::pair{&ate, cAte}}) {
      fields::TDateTime tmp;
      if (!EmptyString(*t) && !fields::TryStrToDate(AllTrim(*t), tmp)) {
        ActiveControl = ctl;
        host::MensErro("'" + *t + "' " + msg.Msg("Data_Inv"), true, "Data_Inv");
      }
    }
    if (EmptyString(de) && !EmptyString(ate)) Erro(kDe, cDe);
    if (!EmptyString(de) && EmptyString(ate)) Erro(kAte, cAte);
    if (!EmptyString(de)) {
      fields::TryStrToDate(AllTrim(de), d1);
      fields::TryStrToDate(AllTrim(ate), d2);
      if (d2 < d1) Erro(kMenor, cDe);
    }
  };
  datas(c.dtIniEmi, c.dtFinEmi, "DtEmisIni_inf", "DtEmisFin_inf", "DtEmisIni_menor", "depDtIniEmi",
        "depDtFinEmi");
  datas(c.dtIniVen, c.dtFinVen, "DtVencIni_inf", "DtVencFin_inf", "DtVencIni_menor", "depDtIniVen",
        "depDtFinVen");
  // 7.
  if (c.listFRec && EmptyString(c.stListFRec)) Erro("FormRec_inf", "btpPesqFRec");
  if (c.listCCorr && EmptyString(c.stListCCorr)) Erro("CCorr_inf", "btnCCorr");
  if (EmptyString(c.vrLiqIni)) c.vrLiqIni = "0";
  if (EmptyString(c.vrLiqFin)) c.vrLiqFin = "0";
  if (Valor(c.vrLiqFin) < Valor(c.vrLiqIni)) Erro("VrLiqu_menor", "nedVrLiqIni");
  // 8.
  if (!EmptyString(c.nrRemessa)) c.nrRemessa = Ajusta(AllTrim(c.nrRemessa), 10);
  if (!EmptyString(c.nrRetorno)) c.nrRetorno = Ajusta(AllTrim(c.nrRetorno), 10);
  // 9. a failed call leaves the titles and the saved state as they were
  Contexto->ListaBoletos().SetData(server::CheckResultServ(Contexto->Conexao()->GetBoletos(Argumentos())));
  FiltroBoleto = c;
  ModalResult = 1;
}

std::vector<Value> TfrmFiltroBoleEnviCNAB::Argumentos() const {
  const std::string T = "T";
  const std::string op = Contexto->OperacaoRemessa();
  const bool browsing = !Contexto->PreparandoRemessa();
  std::vector<Value> a;
  a.reserve(38);
  auto lista = [&](bool l, const std::string& s) {
    a.emplace_back(l ? s : std::string());
    a.emplace_back(l ? std::string() : T);
  };
  a.emplace_back(Contexto->Empresa());                                      // 1
  a.emplace_back(browsing ? Contexto->NumeroRemessa() : std::string("N"));  // 2
  lista(c.listClie, c.stListClie);                                          // 3, 4
  const bool docs = !EmptyString(c.docIni) && !EmptyString(c.docFin);
  a.emplace_back(docs ? c.docIni : std::string());  // 5
  a.emplace_back(docs ? c.docFin : std::string());  // 6
  a.emplace_back(docs ? std::string() : T);         // 7
  lista(c.listFiliOrig, c.stFiliOrig);              // 8, 9
  lista(c.listFiliLanc, c.stFiliLanc);              // 10, 11
  const bool venc = !EmptyString(c.dtIniVen) && !EmptyString(c.dtFinVen);
  a.emplace_back(venc ? DataDe(AllTrim(c.dtIniVen)) : 0.0);  // 12
  a.emplace_back(venc ? DataDe(AllTrim(c.dtFinVen)) : 0.0);  // 13
  a.emplace_back(venc ? std::string() : T);                  // 14
  lista(c.listFRec, c.stListFRec);                           // 15, 16
  lista(c.listCCorr, c.stListCCorr);                         // 17, 18
  const double v1 = Valor(c.vrLiqIni), v2 = Valor(c.vrLiqFin);
  const bool valores = v1 >= 0 && v2 > 0;
  a.emplace_back(valores ? v1 : 0.0);           // 19
  a.emplace_back(valores ? v2 : 0.0);           // 20
  a.emplace_back(valores ? std::string() : T);  // 21
  if (browsing) {                               // 22, 23
    a.emplace_back(std::string());
    a.emplace_back(T);
  } else {
    a.emplace_back(ListaSituacoes(op, c));
    a.emplace_back(std::string());
  }
  const bool cart = !EmptyString(c.numCart);
  a.emplace_back(cart ? AllTrim(c.numCart) : std::string());  // 24
  a.emplace_back(cart ? std::string() : T);                   // 25
  std::string tipos;
  if (c.simples) tipos += "_1";
  if (c.vinculada) tipos += "_2";
  if (c.caucionada) tipos += "_3";
  if (c.descontada) tipos += "_4";
  a.emplace_back(tipos);                                          // 26
  a.emplace_back(tipos.empty() ? T : std::string());              // 27
  a.emplace_back(c.listGrupClie ? c.stGrupClie : std::string());  // 28
  a.emplace_back(c.listGrupClie ? std::string(" ") : T);          // 29
  const bool emis = !EmptyString(c.dtIniEmi) && !EmptyString(c.dtFinEmi);
  a.emplace_back(emis ? DataDe(AllTrim(c.dtIniEmi)) : 0.0);  // 30
  a.emplace_back(emis ? DataDe(AllTrim(c.dtFinEmi)) : 0.0);  // 31
  a.emplace_back(emis ? std::string() : T);                  // 32
  if (!browsing && op == "A") {                              // 33, 34
    a.emplace_back(std::string(c.vencTodos ? "1_2_3" : c.alterado ? "3" : "1_2"));
    a.emplace_back(std::string());
  } else {
    a.emplace_back(std::string());
    a.emplace_back(T);
  }
  a.emplace_back(c.nrRemessa);  // 35
  a.emplace_back(c.nrRetorno);  // 36
  a.emplace_back(c.orcaDe);     // 37
  a.emplace_back(c.orcaAte);    // 38
  return a;
}

// ---- list buttons ----

host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btpListClieClick() {
  return AbreLista(qryCliente, "CDCLIENTE", msg.Msg("Cliente"), c.stListClie, "Clie_Cad",
                   msg.Msg("Clie_Cad"));
}
host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btnFiliOrigClick() {
  return AbreLista(qryFilial, "CDFILIAL", msg.Msg("Filial"), c.stFiliOrig, "Fili_Cad", msg.Msg("Fili_Cad"));
}
host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btnFiliLancClick() {
  return AbreLista(qryFilial, "CDFILIAL", msg.Msg("Filial"), c.stFiliLanc, "Fili_Cad", msg.Msg("Fili_Cad"));
}
host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btnGrupClieClick() {
  return AbreLista(qryGrupClie, "CDGRUPCLIE", msg.Msg("GRUPCLIE"), c.stGrupClie);
}
host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btpPesqFRecClick() {
  return AbreLista(qryFormRec, "CDTPBAIXAREC", msg.Msg("FRec"), c.stListFRec);
}
host::TClientDataSet& TfrmFiltroBoleEnviCNAB::btnCCorrClick() {
  return AbreLista(qryContCorr, "CDREDUCONT", msg.Msg("CCorr"), c.stListCCorr, "ContCorr_Cad",
                   msg.Msg("ContCorr_Cad"));
}

// ---- saved options ----

namespace {

// The controls' values by control name; the lists under the names the
// dialog has always saved them by.
const std::pair<const char*, std::string TFiltroBoletos::*> kTextos[] = {
    {"medDocIni", &TFiltroBoletos::docIni},        {"medDocFin", &TFiltroBoletos::docFin},
    {"depDtIniEmi", &TFiltroBoletos::dtIniEmi},    {"depDtFinEmi", &TFiltroBoletos::dtFinEmi},
    {"medOrcaDe", &TFiltroBoletos::orcaDe},        {"medOrcaAte", &TFiltroBoletos::orcaAte},
    {"depDtIniVen", &TFiltroBoletos::dtIniVen},    {"depDtFinVen", &TFiltroBoletos::dtFinVen},
    {"nedVrLiqIni", &TFiltroBoletos::vrLiqIni},    {"nedVrLiqFin", &TFiltroBoletos::vrLiqFin},
    {"medNrRemessa", &TFiltroBoletos::nrRemessa},  {"medNrRetorno", &TFiltroBoletos::nrRetorno},
    {"medNumCart", &TFiltroBoletos::numCart},      {"stListClie", &TFiltroBoletos::stListClie},
    {"stFiliOrig", &TFiltroBoletos::stFiliOrig},   {"stFiliLanc", &TFiltroBoletos::stFiliLanc},
    {"stGrupClie", &TFiltroBoletos::stGrupClie},   {"stListFRec", &TFiltroBoletos::stListFRec},
    {"stListCCorr", &TFiltroBoletos::stListCCorr},
};
const std::pair<const char*, bool TFiltroBoletos::*> kMarcas[] = {
    {"rbtListClie", &TFiltroBoletos::listClie},
    {"rbtListaFiliOr", &TFiltroBoletos::listFiliOrig},
    {"rbtListFiliLanc", &TFiltroBoletos::listFiliLanc},
    {"rbtListaGrupClie", &TFiltroBoletos::listGrupClie},
    {"rbtFRec", &TFiltroBoletos::listFRec},
    {"rbtListCCorr", &TFiltroBoletos::listCCorr},
    {"chbNaoEnviado", &TFiltroBoletos::naoEnviado},
    {"chbEnv_RetoErro", &TFiltroBoletos::envRetoErro},
    {"chbEnv_RetoSemErro", &TFiltroBoletos::envRetoSemErro},
    {"chbEnv_RetoOK", &TFiltroBoletos::envRetoOK},
    {"chbSimples", &TFiltroBoletos::simples},
    {"chbVinculada", &TFiltroBoletos::vinculada},
    {"chbCaucionada", &TFiltroBoletos::caucionada},
    {"chbDescontada", &TFiltroBoletos::descontada},
    {"rbtAlterado", &TFiltroBoletos::alterado},
    {"rbtNaoAlterado", &TFiltroBoletos::naoAlterado},
    {"rbtVencTodos", &TFiltroBoletos::vencTodos},
};

}  // namespace

void TfrmFiltroBoleEnviCNAB::SalvaOpcoes(TOpcoes& options) const {
  for (const auto& [name, m] : kTextos) options[name] = c.*m;
  for (const auto& [name, m] : kMarcas) options[name] = c.*m ? "S" : "N";
}

void TfrmFiltroBoleEnviCNAB::CarregaOpcoes(const TOpcoes& options) {
  for (const auto& [name, m] : kTextos) LeOpcao(options, name, c.*m);
  for (const auto& [name, m] : kMarcas) {
    auto it = options.find(name);
    if (it != options.end()) c.*m = it->second == "S";
  }
  // The batch in hand decides which situations and due-change choices apply.
  RegrasMovimento();
}

void TfrmFiltroBoleEnviCNAB::sbtSalvarOpcoesClick() {
  TOpcoes o;
  SalvaOpcoes(o);
  GravaOpcoes(*Contexto, ScreenCode, o);
}

void TfrmFiltroBoleEnviCNAB::sbtCarregarOpcoesClick() {
  CarregaOpcoes(LeOpcoes(*Contexto, ScreenCode));
}

void TfrmFiltroBoleEnviCNAB::CriaConsultas() {
  qryCliente.SQL =
      "SELECT CDCLIENTE   , NMFANTCLIE, NMRAZSOCCLIE, IDTPIJURCLIE,\n"
      "       NRINSJURCLIE\n"
      "FROM CLIENTE\n"
      "ORDER BY NRINSJURCLIE";
  qryFilial.SQL =
      "SELECT CDFILIAL, NMFILIAL\n"
      "FROM FILIAL\n"
      "ORDER BY CDFILIAL";
  qryGrupClie.SQL =
      "SELECT CDGRUPCLIE, NMGRUPCLIE\n"
      "   FROM GRUPCLIE\n"
      " ORDER BY CDGRUPCLIE";
  qryFormRec.SQL =
      "SELECT CDTPBAIXAREC, NMTPBAIXAREC\n"
      "FROM TIPOBAIXAREC\n"
      "ORDER BY CDTPBAIXAREC";
  qryContCorr.SQL =
      "SELECT CC.CDREDUCONT, CC.CDBANCO   , CC.CDAGENCIA, CC.CDCONTCORR,\n"
      "       BC.CDPICTCONT, CC.DSCONTCORR     ,BC.CDPICTAGEN\n"
      "FROM CONTCORR CC, BANCO BC\n"
      "WHERE (CC.CDBANCO = BC.CDBANCO)\n"
      "ORDER BY CC.CDREDUCONT";
}

int CriaFiltroBoleEnviCNAB(const std::string& modo, IContextoFiltros& contexto) {
  if (!frmFiltroBoleEnviCNAB) frmFiltroBoleEnviCNAB = new TfrmFiltroBoleEnviCNAB(contexto);
  auto& f = *frmFiltroBoleEnviCNAB;
  f.Contexto = &contexto;
  f.FormActivate();
  if (modo == "ESCONDE_FILTRO") f.sbtConfirmaClick();
  return f.ModalResult;
}

void LiberaFiltroBoleEnviCNAB() {
  delete frmFiltroBoleEnviCNAB;
  frmFiltroBoleEnviCNAB = nullptr;
}

}  // namespace filters
