// The batch report (borderô): marking batches in the list, keeping the
// template current in the report folder, and printing the current batch.
#include "host/report.h"

#include <sys/stat.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "host/context.h"
#include "server/packets.h"
#include "workspace/form.h"

namespace workspace {

using fields::AllTrim;
using host::Corvane;
using host::TDataSetState;

namespace {

std::string ParteNome(const std::string& path) {
  const auto barra = path.find_last_of("/\\");
  return AllTrim(barra == std::string::npos ? path : path.substr(barra + 1));
}

// The report folder with its separator. An empty setting is the current
// folder, not the root of the file system.
std::string PastaRelatorios() {
  std::string dir = Corvane().ReportDir;
  if (dir.empty()) return "./";
  if (dir.back() != '/') dir += '/';
  return dir;
}

bool ArquivoComum(const std::string& path) {
  struct stat st {};
  return stat(fields::OsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The local copy's date and tag; 0 and "0" when it cannot be read.
void VersaoLocal(const std::string& path, fields::TDateTime& data, std::string& tag) {
  data = 0;
  tag = "0";
  struct stat st {};
  std::ifstream in(fields::OsPath(path), std::ios::binary);
  if (!in || stat(fields::OsPath(path).c_str(), &st) != 0) return;
  std::stringstream ss;
  ss << in.rdbuf();
  std::tm tm{};
  localtime_r(&st.st_mtime, &tm);
  data = fields::EncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday) +
         fields::EncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec);
  tag = host::VersaoModelo(ss.str());
}

// Runs the list's handlers again however the body ends.
struct TSuspende {
  bool& flag;
  bool antes;
  explicit TSuspende(bool& f) : flag(f), antes(f) { flag = true; }
  ~TSuspende() { flag = antes; }
};

}  // namespace

// ---- batch marks ----

void TfrmRemessaCNAB::dbgPadraoMarca() {
  if (!cdsCNABRec.Active() || cdsCNABRec.IsEmpty() || cdsCNABRec.State() != TDataSetState::dsBrowse) return;
  {
    // A mark is the operator's choice for printing, not a change of the batch: it stays local.
    TSuspende s(boSuspendeLista_);
    const bool marcar = cdsCNABRec.FieldByName("IDMARCADO").AsString() != "S";
    cdsCNABRec.Edit();
    cdsCNABRec.FieldByName("IDMARCADO").SetString(marcar ? "S" : "N");
    cdsCNABRec.Post();
    const std::string nr = cdsCNABRec.FieldByName("NRCNABREC").AsString();
    if (marcar) {
      if (!RemessasMarcadas.Contains(nr))
        RemessasMarcadas.Add(nr, cdsCNABRec.FieldByName("CDOPERADOR").AsString());
    } else {
      RemessasMarcadas.Remove(nr);
    }
  }
  sbtImprimir.Enabled = mnuImprimirLista.Enabled = RemessasMarcadas.Count() > 0;
}

void TfrmRemessaCNAB::dbgPadraoTitleClick() {
  if (!cdsCNABRec.Active() || cdsCNABRec.IsEmpty() || cdsCNABRec.State() != TDataSetState::dsBrowse) return;
  const bool marcar = MarcadosRel.Count() == 0;
  auto termina = [this] {
    dtsPadraoStateChange();
    cdsCNABRec.EnableControls();
    cdsCNABRecAfterPost();
  };
  bool sim = false;
  cdsCNABRec.DisableControls();
  try {
    if ((sim = Pergunta(marcar ? "MARCA_REMESSA" : "DESMARCA_REMESSA"))) {
      const int atual = cdsCNABRec.RecNo();
      const char* de = marcar ? "N" : "S";
      const char* para = marcar ? "S" : "N";
      for (cdsCNABRec.First(); !cdsCNABRec.Eof(); cdsCNABRec.Next()) {
        const std::string nr = cdsCNABRec.FieldByName("NRCNABREC").AsString();
        // The batch marks follow, so that printing stays offered while any batch is marked.
        if (marcar && !RemessasMarcadas.Contains(nr))
          RemessasMarcadas.Add(nr, cdsCNABRec.FieldByName("CDOPERADOR").AsString());
        if (!marcar) RemessasMarcadas.Remove(nr);
        if (cdsCNABRec.FieldByName("IDMARCADO").AsString() != de) continue;
        cdsCNABRec.Edit();
        cdsCNABRec.FieldByName("IDMARCADO").SetString(para);
        cdsCNABRec.Post();  // the posting handler stores it and keeps the marked-batch set
      }
      cdsCNABRec.SetRecNo(atual);
    }
  } catch (...) {
    try {
      termina();
    } catch (...) {
      // The first failure is the one the operator must read.
    }
    throw;
  }
  termina();
  // Marking all offers printing and unmarking all withdraws it, whatever a
  // batch marked on its own had left.
  if (sim) sbtImprimir.Enabled = mnuImprimirLista.Enabled = marcar;
}

// ---- printing ----

void TfrmRemessaCNAB::sbtImprimirClick() {
  if (!cdsCNABRec.Active() || cdsCNABRec.IsEmpty()) return;
  const std::string modelo = cdsCNABRec.FieldByName("DSARQBORDREC").AsString();
  FazFTP_Rel(modelo, "Bordero_n_inf");
  std::string pergunta = Msg("DES_IMPRI_BORDERO");
  const auto at = pergunta.find("%s");
  if (at != std::string::npos) pergunta.replace(at, 2, cdsCNABRec.FieldByName("NRCNABREC").AsString());
  if (host::UI().Ask(host::TMsgDlgType::mtConfirmation, host::TMsgDlgButtons::mbYesNo, pergunta) !=
      host::TModalResult::mrYes)
    return;
  EmiteRelatorio(modelo);
}

void TfrmRemessaCNAB::FazFTP_Rel(const std::string& nome, const std::string& key) {
  BaixaRelatorio(nome);
  const std::string parte = ParteNome(nome);
  if (parte.empty() || !ArquivoComum(PastaRelatorios() + parte)) Erro(key);
}

void TfrmRemessaCNAB::BaixaRelatorio(const std::string& nome) {
  const std::string parte = ParteNome(nome);
  const std::string local = PastaRelatorios() + parte;
  fields::TDateTime dataServ = 0;
  std::string tagServ = "0", origem;
  try {
    const host::TPacket p = server::CheckResultServ(netRemessaCNAB->GetDadosRel(parte));
    if (!p.Rows.empty() && p.Fields.size() >= 3) {
      const auto& r = p.Rows.front();
      if (auto d = std::get_if<double>(&r[0])) dataServ = *d;
      tagServ = host::ValueToString(r[1], host::TFieldType::ftString);
      origem = host::ValueToString(r[2], host::TFieldType::ftString);
    }
  } catch (const std::exception&) {
    dataServ = 0;
    tagServ = "0";
  }
  if (dataServ == 0) return;
  fields::TDateTime dataLocal = 0;
  std::string tagLocal;
  VersaoLocal(local, dataLocal, tagLocal);
  if (dataServ > dataLocal || tagServ > tagLocal) {
    if (!host::GetAtuGerFos(local, origem))
      host::UI().ShowMessage(host::TMsgDlgType::mtWarning, Msg("Nrel") + "\r" + local);
  }
}

void TfrmRemessaCNAB::EmiteRelatorio(const std::string& nome) {
  if (AllTrim(nome).empty()) Erro("ARQU_INVALIDO");
  std::string parte = ParteNome(nome);
  host::TQRDesignDialog rddEmitir;
  const std::string resposta = server::CheckResultText(netRemessaCNAB->RetornaRelatorio(parte, " "));
  std::vector<std::string> linhas;
  {
    std::string cur;
    for (size_t i = 0; i < resposta.size(); ++i) {
      if (resposta[i] == '\r' || resposta[i] == '\n') {
        if (resposta[i] == '\r' && i + 1 < resposta.size() && resposta[i + 1] == '\n') ++i;
        linhas.push_back(cur);
        cur.clear();
      } else {
        cur += resposta[i];
      }
    }
    if (!cur.empty()) linhas.push_back(cur);
  }
  if (linhas.size() == 2) rddEmitir.Titulo = linhas[0];

  const std::string empresa = Empresa();
  const std::string remessa = cdsCNABRec.FieldByName("NRCNABREC").AsString();
  rddEmitir.BeforeQueryParams = [&](host::TQRDesignDialog& r) {
    if (r.ExistParam("P_CDEMPRESA")) r.SetParam("P_CDEMPRESA", empresa);
    if (r.ExistParam("P_NRCNABREC")) r.SetParam("P_NRCNABREC", remessa);
  };
  rddEmitir.Dados = [this](const std::map<std::string, std::string>& p) {
    auto v = [&](const char* k) {
      auto it = p.find(k);
      return it == p.end() ? std::string() : it->second;
    };
    return server::CheckResultServ(netRemessaCNAB->GetBordero(v("P_CDEMPRESA"), v("P_NRCNABREC")));
  };
  const std::string saida = !AllTrim(SaidaBordero).empty()
                                ? SaidaBordero
                                : PastaRelatorios() + "bordero-" + empresa + "-" + remessa + ".pdf";

  netQRDesign.Disconnect();
  netQRDesign.Host = Corvane().WebURL;
  netQRDesign.Port = Corvane().WebPort;
  netQRDesign.Connect();
  try {
    rddEmitir.Print(PastaRelatorios() + parte, saida);
  } catch (...) {
    netQRDesign.Disconnect();
    throw;
  }
  netQRDesign.Disconnect();
  UltimoBordero = saida;
}

}  // namespace workspace
