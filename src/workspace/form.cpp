// The workspace form itself: its creation and closing, the structures of its
// data sets, its queries, its messages, the helpers that load the server's
// replies, and what its filter dialogs read of it.
#include "workspace/form.h"

#include "fields/cp1252.h"
#include "fields/text.h"
#include "filters/remittance_filter.h"
#include "filters/sent_titles_filter.h"
#include "server/packets.h"

namespace workspace {

using fields::EmptyString;
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
  cdsBoletos.BeforePost = [](TClientDataSet&) {};
  cdsBoletos.AfterPost = [this](TClientDataSet&) { cdsBoletosAfterPost(); };
  // The side grid follows the current title. A walk over the list runs with
  // the controls disabled and shows no title, so it asks nothing per row.
  cdsBoletos.AfterScroll = [this](TClientDataSet& ds) {
    if (ds.ControlsDisabled()) return;
    if (ds.IsEmpty()) {
      cdsDocumentos.Close();
      return;
    }
    cdsDocumentos.SetData(server::CheckResultServ(netRemessaCNAB->GetDocumentos(
        ds.FieldByName("CDFILIAL").AsString(), ds.FieldByName("NRLANBOLREC").AsString())));
  };
  cdsBoletos.BeforeClose = [this](TClientDataSet&) {
    if (ActivePage == TPagina::tshBoletos) cdsDocumentos.Close();
  };
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

}  // namespace workspace
