#include "workspace/form.h"

#include <algorithm>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "host/busy.h"
#include "host/context.h"
#include "server/packets.h"

namespace workspace {

using fields::Ajusta;
using fields::AllTrim;
using fields::EmptyString;
using host::Corvane;
using host::TMsgDlgButtons;
using host::TMsgDlgType;

TfrmRemessaCNAB* frmRemessaCNAB = nullptr;
bool boIdCriado = false;

namespace {
server::IRdmRemessaCNAB* g_server = nullptr;
}

void SetAppServer(server::IRdmRemessaCNAB* server) {
  g_server = server;
}

void IniProc() {
  CriaRemessaCNABRec();
}

void CriaRemessaCNABRec() {
  if (!boIdCriado) {
    auto* f = new TfrmRemessaCNAB();
    try {
      f->FormCreate();
    } catch (...) {
      delete f;
      throw;
    }
    frmRemessaCNAB = f;
    boIdCriado = true;
  }
  frmRemessaCNAB->FormActivate();
}

void FechaRemessaCNABRec() {
  if (!boIdCriado) return;
  frmRemessaCNAB->FormClose();
  delete frmRemessaCNAB;
  frmRemessaCNAB = nullptr;
}

TfrmRemessaCNAB::TfrmRemessaCNAB() {
  CriaCatalogo();
  CriaConsultas();
  CriaEstruturas();
  dbcTpMov.Items = {Msg("I"), Msg("E"), Msg("A")};
  cbbTpRemessa.Items = {fields::Utf8ToCp1252("Cobrança"), "Desconto"};
  cbbTpRemessa.Enabled = false;
  dbeCdReduContCobr.Enabled = false;
  CriaEventosCiclo();
}

void TfrmRemessaCNAB::FormCreate() {
  if (!g_server) throw std::runtime_error("Servidor de aplicação não configurado.");
  netRemessaCNAB = g_server;
  netRemessaCNAB->Connect();
  for (auto* q : {&qryEmpresa, &qryEndeClie, &qryTpEnde, &qryContCorr, &qryEndeFili})
    q->SetConnection(netRemessaCNAB);
  Carteiras.Clear();
  BoletosMarcados.Clear();
  RemessasMarcadas.Clear();
  cdsContaCorr.FieldDefs() = server::PacketFields("CONTACORR");
  cdsContaCorr.CreateDataSet();
  ActivePage = TPagina::tshFolhaDados;
  ActiveControl = "medCdEmpresa";
  dtsPadraoStateChange();
}

void TfrmRemessaCNAB::FormActivate() {
  MarcadosRel.Clear();
}

void TfrmRemessaCNAB::FormClose() {
  filters::LiberaFiltroBoleEnviCNAB();
  filters::LiberaFiltroRemessaCNAB();
  Carteiras.Clear();
  BoletosMarcados.Clear();
  RemessasMarcadas.Clear();
  MarcadosRel.Clear();
  if (netRemessaCNAB) netRemessaCNAB->Disconnect();
  netRemessaCNAB = nullptr;
  boIdCriado = false;
}

void TfrmRemessaCNAB::CriaEstruturas() {
  cdsCNABRec.FieldDefs() = server::PacketFields("CNABREC");
  cdsCNABRec.AddCalcField(host::StrField("DATANOME", 50), [](const TClientDataSet& ds) -> host::Value {
    auto& d = const_cast<TClientDataSet&>(ds);
    return d.FieldByName("DTCNABREC").AsString() + " - " + d.FieldByName("NMOPERADOR").AsString();
  });
  cdsCNABRec.AfterPost = [this](TClientDataSet&) { cdsCNABRecAfterPost(); };
  cdsCNABRec.BeforePost = [this](TClientDataSet& ds) {
    if (ds.State() == host::TDataSetState::dsInsert) {
      ds.FieldByName("VRTOTBOLCNABREC").SetFloat(fields::RoundDec(nedTotal, 2));
      ds.FieldByName("QTBOLENVCNABREC").SetFloat(nedQuant);
    }
  };
  cdsCNABRec.AfterScroll = [this](TClientDataSet& ds) {
    if (ds.State() == host::TDataSetState::dsBrowse && !ds.IsEmpty())
      stArquivoAnterior = ds.FieldByName("DSARQCNABREC").AsString();
  };

  cdsBoletos.FieldDefs() = server::PacketFields("BOLETOS");
  cdsBoletos.BeforePost = [this](TClientDataSet&) {};
  cdsBoletos.AfterPost = [this](TClientDataSet&) { cdsBoletosAfterPost(); };
  // The list is marked here and never applied: the titles' states go to the
  // server through cdsAlteraBoletos.
  cdsBoletos.LogChanges = false;

  cdsAlteraBoletos.FieldDefs() = server::PacketFields("ALTERABOLETOS");
  cdsDocumentos.FieldDefs() = server::PacketFields("DOCUMENTOS");
  cdsDocumentos.AddCalcField(host::StrField("DOCUMENTO", 26), [](const TClientDataSet& ds) -> host::Value {
    auto& d = const_cast<TClientDataSet&>(ds);
    std::string nf = d.FieldByName("NRNOTAFISC").AsString();
    std::string serie = d.FieldByName("CDSERIE").AsString();
    return EmptyString(serie) ? nf : nf + "/" + serie;
  });
  cdsTotRemessa.FieldDefs() = server::PacketFields("TOTREMESSA");
  cdsFilial.FieldDefs() = server::PacketFields("FILIAL");
}

void TfrmRemessaCNAB::CriaConsultas() {
  qryEmpresa.SQL =
      "SELECT CDEMPRESA   , NMEMPRESA, IDTPIJUREMPR, NRINSJUREMPR,\n"
      "       NMRAZSOCEMPR\n"
      "FROM EMPRESA\n"
      "WHERE (CDEMPRESA = :P_CDEMPRESA OR :P_TCDEMPRESA = 'T')\n"
      "ORDER BY CDEMPRESA";

  qryEndeClie.SQL =
      "SELECT EC.DSENDECLIE , EC.NRCEPCLIE, EC.SGESTADO, EC.NMBAIRCLIE,\n"
      "       MU.NMMUNICIPIO\n"
      "FROM ENDECLIE EC, MUNICIPIO MU\n"
      "WHERE (EC.CDCLIENTE    = :P_CDCLIENTE  ) AND\n"
      "      (EC.IDTPENDECLIE = 'C'           ) AND\n"
      "      (MU.CDPAIS       = EC.CDPAIS     ) AND\n"
      "      (MU.SGESTADO     = EC.SGESTADO   ) AND\n"
      "      (MU.CDMUNICIPIO  = EC.CDMUNICIPIO)";

  qryTpEnde.SQL =
      "SELECT IDTPENDECLIE\n"
      "FROM ENDECLIE\n"
      "WHERE (CDCLIENTE = :P_CDCLIENTE) AND\n"
      "      (IDTPENDECLIE = 'C')";

  qryContCorr.SQL =
      "SELECT CDCEDENTEBAN\n"
      "FROM CONTCORR\n"
      "WHERE (CDREDUCONT = :P_CDREDUCONT)";

  qryEndeFili.SQL =
      "SELECT\n"
      "   E.CDFILIAL,\n"
      "   E.IDTPENDEFILI,\n"
      "   E.CDPAIS,\n"
      "   E.SGESTADO,\n"
      "   M.NMMUNICIPIO,\n"
      "   E.CDMUNICIPIO,\n"
      "   E.DSENDEFILI,\n"
      "   E.NMBAIRFILI,\n"
      "   E.NRCEPFILI,\n"
      "   F.NMFILIAL\n"
      "FROM\n"
      "   ENDEFILI E,\n"
      "   FILIAL   F,\n"
      "   MUNICIPIO M\n"
      "WHERE\n"
      "   (F.CDFILIAL    = :P_CDFILIAL)  AND\n"
      "   (E.CDFILIAL    = F.CDFILIAL)   AND\n"
      "   (E.IDTPENDEFILI = 'P')         AND\n"
      "   (M.CDPAIS      = E.CDPAIS)     AND\n"
      "   (M.SGESTADO    = E.SGESTADO)   AND\n"
      "   (M.CDMUNICIPIO = E.CDMUNICIPIO)";
}

// ---- messages ----

void TfrmRemessaCNAB::Erro(const std::string& key) const {
  host::MensErro(Msg(key), true, key);
  throw host::EAbort();  // not reached: MensErro with stop raises
}

bool TfrmRemessaCNAB::Pergunta(const std::string& key, TMsgDlgButtons buttons) const {
  auto r = host::UI().Ask(TMsgDlgType::mtConfirmation, buttons, Msg(key));
  return r == host::TModalResult::mrYes || r == host::TModalResult::mrOk;
}

void TfrmRemessaCNAB::Informa(const std::string& key) const {
  host::UI().ShowMessage(TMsgDlgType::mtInformation, Msg(key));
}

void TfrmRemessaCNAB::Carrega(TClientDataSet& ds, const server::TServerReply& reply) {
  ds.SetData(server::CheckResultServ(reply));
}

void TfrmRemessaCNAB::Carrega(TClientDataSet& ds, server::TServerReply&& reply) {
  ds.SetData(server::CheckResultServ(std::move(reply)));
}

void TfrmRemessaCNAB::CarregaRegistro(const char* registro, TClientDataSet& ds, const std::string& filial,
                                      const std::string& numero,
                                      const std::function<server::TServerReply()>& umTitulo,
                                      const std::string& cdBanco) {
  if (!Lote.Preenche(registro, filial, numero, ds, cdBanco)) Carrega(ds, umTitulo());
}

// ---- what the filter dialogs read ----

std::string TfrmRemessaCNAB::OperacaoRemessa() {
  return cdsCNABRec.Active() ? cdsCNABRec.FieldByName("IDOPECNABREC").AsString() : std::string();
}

bool TfrmRemessaCNAB::PreparandoRemessa() const {
  const auto st = cdsCNABRec.State();
  return st == host::TDataSetState::dsInsert || st == host::TDataSetState::dsEdit;
}

std::string TfrmRemessaCNAB::NumeroRemessa() {
  return cdsCNABRec.FieldByName("NRCNABREC").AsString();
}

// ---- lifecycle ----

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
  boTpMovAlterado = false;
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

void TfrmRemessaCNAB::dbcTpMovChange(int itemIndex) {
  static const char* const kOps[] = {"I", "E", "A"};
  dbcTpMov.ItemIndex = itemIndex;
  cdsCNABRec.FieldByName("IDOPECNABREC")
      .SetString(itemIndex >= 0 && itemIndex <= 1 ? kOps[itemIndex] : kOps[2]);
  boTpMovAlterado = itemIndex != Memoria.TpMovIndex;
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

// ---- company, account, branch ----

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
  RefazLista();
}

void TfrmRemessaCNAB::dbeCdReduContCobrExit() {
  Vd_CdReduContCobr(false);
  if (!Inserindo()) return;
  const std::string banco = cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
  cbbTpRemessa.Enabled = banco == "237" || banco == "001" || banco == "637" || banco == "274";
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
  auto in = [&](std::initializer_list<const char*> l) {
    for (auto* b : l)
      if (banco == b) return true;
    return false;
  };
  if (in({"237", "001", "637", "274"})) {
    cbbTpRemessa.Enabled = true;
    dbeCdReduContCobr.Enabled = false;
    ActiveControl = "dbeCdFilial";
  } else if (in({"353", "008", "033"})) {
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

// ---- titles ----

void TfrmRemessaCNAB::LimpaMarcados() {
  // The rows lose their marks with the sets: a row left marked would still be
  // written to the file by the writer, though no longer counted in the batch.
  if (cdsBoletos.Active() && !cdsBoletos.IsEmpty() && BoletosMarcados.Count() > 0) {
    const int rec = cdsBoletos.RecNo();
    const int iMarcado = cdsBoletos.FindFieldIndex("IDMARCADO");
    auto depois = cdsBoletos.AfterPost;
    auto rolagem = cdsBoletos.AfterScroll;
    cdsBoletos.AfterPost = nullptr;
    cdsBoletos.AfterScroll = nullptr;
    cdsBoletos.DisableControls();
    for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next()) {
      if (cdsBoletos.Fields(iMarcado).AsString() != "S") continue;
      cdsBoletos.Edit();
      cdsBoletos.Fields(iMarcado).SetString("N");
      cdsBoletos.Post();
    }
    cdsBoletos.SetRecNo(rec);
    cdsBoletos.EnableControls();
    cdsBoletos.AfterPost = depois;
    cdsBoletos.AfterScroll = rolagem;
  }
  BoletosMarcados.Clear();
  Carteiras.Clear();
  nedQuant = 0;
  nedTotal = 0;
}

void TfrmRemessaCNAB::MostraBoletos() {
  using host::Value;
  const bool novo = Inserindo() || cdsCNABRec.State() == host::TDataSetState::dsEdit;
  if (novo && BoletosMarcados.Count() > 0) return;
  std::vector<Value> a;
  if (!novo) {
    a = ArgsBoletosRemessa(Empresa(), cdsCNABRec.FieldByName("NRCNABREC").AsString());
  } else {
    if (!filters::frmFiltroBoleEnviCNAB) filters::CriaFiltroBoleEnviCNAB("", *this);
    a = ArgsBoletosNovaRemessa(filters::FiltroBoleto);
  }
  cdsBoletos.SetData(server::CheckResultServ(netRemessaCNAB->GetBoletos(a)));
  if (!novo) {
    Carrega(cdsTotRemessa, netRemessaCNAB->GetTotRemessa(cdsCNABRec.FieldByName("NRCNABREC").AsString()));
    nedQuant = static_cast<int>(cdsTotRemessa.FieldByName("QTBOLETOS").AsFloat());
    nedTotal = cdsTotRemessa.FieldByName("VRTOTBOL").AsFloat();
  }
}

std::vector<host::Value> TfrmRemessaCNAB::ArgsBoletosNovaRemessa(const filters::TFiltroBoletos& f) {
  using host::Value;
  const std::string T = "T", op = cdsCNABRec.FieldByName("IDOPECNABREC").AsString();
  std::vector<Value> a;
  a.reserve(38);
  auto lista = [&](bool l, const std::string& v) {
    a.emplace_back(l ? v : std::string());
    a.emplace_back(l ? std::string() : T);
  };
  auto data = [](const std::string& t) {
    fields::TDateTime d = 0;
    fields::TryStrToDate(AllTrim(t), d);
    return d;
  };
  auto valor = [](const std::string& t) {
    double v = 0;
    fields::TryStrToFloat(t, v);
    return v;
  };
  a.emplace_back(Empresa());         // 1
  a.emplace_back(std::string("N"));  // 2
  lista(f.listClie, f.stListClie);   // 3, 4
  const bool docs = !EmptyString(f.docIni) && !EmptyString(f.docFin);
  a.emplace_back(docs ? Ajusta(AllTrim(f.docIni), 20) : std::string());  // 5
  a.emplace_back(docs ? Ajusta(AllTrim(f.docFin), 20) : std::string());  // 6
  a.emplace_back(docs ? std::string() : T);                              // 7
  lista(f.listFiliOrig, f.stFiliOrig);                                   // 8, 9
  lista(f.listFiliLanc, f.stFiliLanc);                                   // 10, 11
  const bool venc = !EmptyString(f.dtIniVen) && !EmptyString(f.dtFinVen);
  a.emplace_back(venc ? data(f.dtIniVen) : 0.0);  // 12
  a.emplace_back(venc ? data(f.dtFinVen) : 0.0);  // 13
  a.emplace_back(venc ? std::string() : T);       // 14
  lista(f.listFRec, f.stListFRec);                // 15, 16
  lista(f.listCCorr, f.stListCCorr);              // 17, 18
  const double v1 = valor(f.vrLiqIni), v2 = valor(f.vrLiqFin);
  const bool valores = v1 >= 0 && v2 > 0;
  a.emplace_back(valores ? v1 : 0.0);              // 19
  a.emplace_back(valores ? v2 : 0.0);              // 20
  a.emplace_back(valores ? std::string() : T);     // 21
  a.emplace_back(filters::ListaSituacoes(op, f));  // 22
  a.emplace_back(std::string());                   // 23
  const bool cart = !EmptyString(f.numCart);
  a.emplace_back(cart ? Ajusta(AllTrim(f.numCart), 2) : std::string());  // 24
  a.emplace_back(cart ? std::string() : T);                              // 25
  std::string tipos;
  if (f.simples) tipos += "_1";
  if (f.vinculada) tipos += "_2";
  if (f.caucionada) tipos += "_3";
  if (f.descontada) tipos += "_4";
  a.emplace_back(tipos);                                             // 26
  a.emplace_back(tipos.empty() ? T : std::string());                 // 27
  a.emplace_back(f.listGrupClie ? f.stGrupClie : std::string(" "));  // 28
  a.emplace_back(f.listGrupClie ? std::string(" ") : T);             // 29
  const bool emis = !EmptyString(f.dtIniEmi) && !EmptyString(f.dtFinEmi);
  a.emplace_back(emis ? data(f.dtIniEmi) : 0.0);  // 30
  a.emplace_back(emis ? data(f.dtFinEmi) : 0.0);  // 31
  a.emplace_back(emis ? std::string() : T);       // 32
  if (op == "A") {                                // 33, 34
    a.emplace_back(std::string(f.alterado ? "3" : "1_2"));
    a.emplace_back(std::string());
  } else {
    a.emplace_back(std::string());
    a.emplace_back(T);
  }
  a.emplace_back(f.nrRemessa);  // 35
  a.emplace_back(f.nrRetorno);  // 36
  a.emplace_back(f.orcaDe);     // 37
  a.emplace_back(f.orcaAte);    // 38
  return a;
}

void TfrmRemessaCNAB::tshBoletosShow() {
  ActivePage = TPagina::tshBoletos;
  pgcPadraoChange();
}

bool TfrmRemessaCNAB::sbtFiltroClick(const std::function<void(filters::TfrmFiltroBoleEnviCNAB&)>& opera) {
  if (ActivePage == TPagina::tshFolhaDados) {
    RefazLista();
    return true;
  }
  const bool marcados = BoletosMarcados.Count() > 0;
  if (marcados && !Pergunta("Bol_mar", host::TMsgDlgButtons::mbOKCancel)) return false;
  filters::CriaFiltroBoleEnviCNAB("BOTAO_FILTRO", *this);
  auto& f = *filters::frmFiltroBoleEnviCNAB;
  if (opera) opera(f);
  bool ok = f.ModalResult != 2;
  if (ok) {
    f.sbtConfirmaClick();
    if (marcados) {
      BoletosMarcados.Clear();
      Carteiras.Clear();
      nedQuant = 0;
      nedTotal = 0;
    }
  }
  MostraBoletos();
  return ok;
}

void TfrmRemessaCNAB::MarcaBoleto(bool marcar) {
  if (cdsBoletos.IsEmpty()) return;
  cdsBoletos.Edit();
  cdsBoletos.FieldByName("IDMARCADO").SetString(marcar ? "S" : "N");
  cdsBoletos.Post();
}

void TfrmRemessaCNAB::cdsBoletosAfterPost() {
  auto f = [this](const char* n) { return cdsBoletos.FieldByName(n); };
  const std::string chave = f("CDFILIAL").AsString() + f("NRLANBOLREC").AsString();
  const bool marcado = f("IDMARCADO").AsString() == "S";
  const bool estava = BoletosMarcados.Contains(chave);
  if (marcado == estava) return;
  const bool preparando = Inserindo() || cdsCNABRec.State() == host::TDataSetState::dsEdit;
  const double valor = fields::RoundDec(f("VRFINALBREC").AsFloat(), 2);
  const std::string cart =
      EmptyString(f("CDCARTCOBBOL").AsString()) ? "00000" : Ajusta(f("CDCARTCOBBOL").AsString(), 5);
  const std::string situ = AllTrim(f("IDSITUCNABR").AsString());
  const bool credito = f("IDCARTCOBREC").AsString() == "4" && (situ == "00" || situ.empty());
  const int sinal = marcado ? 1 : -1;
  if (marcado)
    BoletosMarcados.Add(chave, f("VRFINALBREC").AsFloat());
  else
    BoletosMarcados.Remove(chave);
  if (preparando) {
    if (marcado)
      Carteiras.Add(cart);
    else
      Carteiras.Remove(cart);
    nedQuant += sinal;
    nedTotal = fields::RoundDec(fields::RoundDec(nedTotal, 2) + sinal * valor, 2);
    if (credito) doVrCreditoBancario += sinal * f("VRFINALBREC").AsFloat();
  }
}

std::string TfrmRemessaCNAB::Marca_Boletos(bool interactive) {
  if (cdsBoletos.IsEmpty()) return "vazio";
  auto b = [this](const char* n) { return cdsBoletos.FieldByName(n); };
  if (b("IDBAIXAUTILR").AsString() == "P") Erro("BOLTPCOMP");
  if (b("IDMARCADO").AsString() == "S") {
    MarcaBoleto(false);
    return {};
  }
  std::string recusa;
  auto falha = [&](const char* key, bool sempre = false) {
    if (interactive || sempre) Erro(key);
    if (recusa.empty()) recusa = key;
  };
  const std::string banco = cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
  auto banco_em = [&](std::initializer_list<const char*> l) {
    for (auto* x : l)
      if (banco == x) return true;
    return false;
  };
  // 1. a billing address, unless the title has its payer override record
  const std::string filial = b("CDFILIAL").AsString(), numero = b("NRLANBOLREC").AsString();
  CarregaRegistro("LICENCAUSO", cdsLicencaUso, filial, numero,
                  [&] { return netRemessaCNAB->GetLicencaUso(filial, numero); });
  if (cdsLicencaUso.IsEmpty()) {
    Lote.Abre(qryTpEnde, "P_CDCLIENTE", b("CDCLIENTE").AsString());
    if (qryTpEnde.IsEmpty() || qryTpEnde.FieldByName("IDTPENDECLIE").AsString() != "C") falha("ClieC");
  }
  // 2. the bank needs the nosso número unless it issues the slip itself
  if (b("IDIMPRBOLBOL").AsString() != "B" && EmptyString(b("CDNOSNUMREC").AsString()))
    falha("NossoNum_Empty");
  // 3. these banks take at most 14 characters of the company's tax id
  if (banco_em({"275", "356"}) && qryEmpresa.Active() &&
      AllTrim(qryEmpresa.FieldByName("NRINSJUREMPR").AsString()).size() > 14)
    falha("INSCRICAO_INV", true);
  // 4. a portfolio, where the bank's layout carries one
  if ((EmptyString(b("CDCARTCOBBOL").AsString()) || EmptyString(b("IDCARTCOBREC").AsString())) &&
      !banco_em({"041", "604"}))
    falha("CART_EMPTY");
  // 5.
  if (banco == "104" && b("IDCARTCOBREC").AsString() == "2") falha("TipoCart_INV");
  // 6. one portfolio per file for these banks
  if (banco_em({"001", "275", "356"}) && Carteiras.Count() > 0) {
    const std::string cart =
        EmptyString(b("CDCARTCOBBOL").AsString()) ? "00000" : Ajusta(b("CDCARTCOBBOL").AsString(), 5);
    if (!Carteiras.Contains(cart)) falha("CART_DIF");
  }
  // 7. a title due today can still be sent
  if (!b("DTVENBOLREC").IsNull() && Corvane().Date() > fields::DateOf(b("DTVENBOLREC").AsDateTime()))
    falha("Bol_Venc");
  // 8. never a title of another account
  if (b("CDREDUCONT").AsString() != cdsCNABRec.FieldByName("CDREDUCONT").AsString()) falha("ContCorr_dif");
  // 9.
  if (banco == "399") {
    const int64_t dias = b("QTDIAPROTBOL").AsInteger();
    if (dias > 45 || (dias >= 36 && dias <= 44)) falha("Protesto_Exc");
  }
  // 10. advance credit of the client
  if (recusa.empty() && b("IDSTATBREC").AsString() == "A") {
    double zero = 0;
    const std::string adiant = server::CheckResultText(netRemessaCNAB->ValidFinanceiro(
        "Verifica_Adiantamento", "", "", zero, b("CDCLIENTE").AsString(), b("CDEMPRESA").AsString()));
    if (adiant == "S" && (!interactive || !Pergunta("Bol_Adia"))) recusa = "Bol_Adia";
  }
  if (!recusa.empty()) return recusa;
  MarcaBoleto(true);
  return {};
}

void TfrmRemessaCNAB::VerificaRaizCNPJ(const std::string& filial, const std::string& numero) {
  const std::string batch = cdsCNABRec.FieldByName("CDFILIAL").AsString();
  if (EmptyString(batch)) return;
  if (!cdsFilial.Active() || cdsFilial.IsEmpty() || !cdsFilial.Locate("CDFILIAL", {batch})) {
    Carrega(cdsFilial, netRemessaCNAB->GetFilial(batch, Empresa()));
    if (cdsFilial.IsEmpty()) return;
  }
  const std::string raiz =
      AllTrim(fields::LeftStr(fields::Nr_Codigo(cdsFilial.FieldByName("NRINSJURFILI").AsString()), 8));
  CarregaRegistro("FILIRECE", cdsFiliRece, filial, numero,
                  [&] { return netRemessaCNAB->GetFiliRece(filial, numero); });
  for (cdsFiliRece.First(); !cdsFiliRece.Eof(); cdsFiliRece.Next()) {
    if (AllTrim(fields::LeftStr(fields::Nr_Codigo(cdsFiliRece.FieldByName("NRINSJURFILI").AsString()), 8)) !=
        raiz) {
      cdsFilial.SetFiltered(false);
      Erro("FILI_DIF");
    }
  }
}

void TfrmRemessaCNAB::MarcaBoletoAtual() {
  if (cdsBoletos.IsEmpty()) return;
  try {
    if (Inserindo()) {
      if (cdsBoletos.FieldByName("IDMARCADO").AsString() != "S")
        VerificaRaizCNPJ(cdsBoletos.FieldByName("CDFILIBOLREC").AsString(),
                         cdsBoletos.FieldByName("NRLANBOLREC").AsString());
      Marca_Boletos(true);
    } else {
      Marca_Bol_Cancel(true);
    }
  } catch (...) {
    ActiveControl = "grdBoletos";
    throw;
  }
}

std::vector<std::pair<std::string, int>> TfrmRemessaCNAB::MarcaTodos(bool perguntar) {
  std::vector<std::pair<std::string, int>> recusas;
  if (cdsBoletos.IsEmpty()) return recusas;
  const bool algum = BoletosMarcados.Count() > 0;
  if (perguntar && !Pergunta(algum ? "CONF_DESMARC" : "CONF_MARC")) return recusas;
  struct Reativa {
    TClientDataSet& ds;
    ~Reativa() {
      ds.EnableControls();
      ds.First();
    }
  } reativa{cdsBoletos};
  cdsBoletos.DisableControls();
  const int iMarcado = cdsBoletos.FindFieldIndex("IDMARCADO");
  const int iBaixa = cdsBoletos.FindFieldIndex("IDBAIXAUTILR");
  std::vector<TRegistrosLote::TTitulo> titulos;
  if (!algum && Inserindo()) {
    const int iFilial = cdsBoletos.FindFieldIndex("CDFILIAL"),
              iNumero = cdsBoletos.FindFieldIndex("NRLANBOLREC");
    titulos.reserve(static_cast<size_t>(cdsBoletos.RecordCount()));
    for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next())
      if (cdsBoletos.Fields(iMarcado).AsString() != "S")
        titulos.emplace_back(cdsBoletos.Fields(iFilial).AsString(), cdsBoletos.Fields(iNumero).AsString());
  }
  TEmLote lote(Lote, *netRemessaCNAB, titulos, cdsCNABRec.FieldByName("CDBANCO").AsString());
  for (cdsBoletos.First(); !cdsBoletos.Eof(); cdsBoletos.Next()) {
    const bool marcado = cdsBoletos.Fields(iMarcado).AsString() == "S";
    if (algum) {
      if (marcado) MarcaBoleto(false);
      continue;
    }
    if (cdsBoletos.Fields(iBaixa).AsString() == "P") continue;
    std::string r;
    if (Inserindo()) {
      r = Marca_Boletos(false);
    } else {
      Marca_Bol_Cancel(false);
    }
    if (r.empty()) continue;
    auto it = std::find_if(recusas.begin(), recusas.end(), [&](auto& p) { return p.first == r; });
    if (it == recusas.end())
      recusas.emplace_back(r, 1);
    else
      ++it->second;
  }
  return recusas;
}

void TfrmRemessaCNAB::Vd_Boletos() {
  if (BoletosMarcados.Count() == 0) {
    ActivePage = TPagina::tshBoletos;
    Erro("BOLE_INF");
  }
}

}  // namespace workspace
