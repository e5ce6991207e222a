#include "layouts/shared.h"

#include "fields/text.h"
#include "host/context.h"

namespace layouts {

using fields::EmptyString;

TfrmRemessaCNAB& Form() {
  return *workspace::frmRemessaCNAB;
}

void ParaCadaMarcado(const std::function<void()>& fn) {
  auto& b = Form().cdsBoletos;
  struct Reativa {
    host::TClientDataSet& ds;
    ~Reativa() { ds.EnableControls(); }
  } reativa{b};
  b.DisableControls();
  const int marcado = b.FindFieldIndex("IDMARCADO");
  for (b.First(); !b.Eof(); b.Next())
    if (b.Fields(marcado).AsString() == "S") fn();
}

namespace {
std::string boleto(const char* n) {
  return Form().cdsBoletos.FieldByName(n).AsString();
}
}  // namespace

void CarregaDocBol() {
  auto& f = Form();
  f.Carrega(f.cdsDocBol, f.netRemessaCNAB->GetDocBol(boleto("NRLANBOLREC"), boleto("CDFILIAL")));
}

void CarregaLicencaUso() {
  auto& f = Form();
  f.Carrega(f.cdsLicencaUso, f.netRemessaCNAB->GetLicencaUso(boleto("CDFILIAL"), boleto("NRLANBOLREC")));
}

void CarregaTxBoletos() {
  auto& f = Form();
  f.Carrega(f.cdsTxBoletos, f.netRemessaCNAB->GetTxBoletos(boleto("CDFILIAL"), boleto("NRLANBOLREC")));
}

void CarregaDuplicata() {
  auto& f = Form();
  f.Carrega(f.cdsDuplicata, f.netRemessaCNAB->GetDuplicata(boleto("NRLANBOLREC"), boleto("CDFILIAL")));
}

void CarregaInstruBol() {
  auto& f = Form();
  f.Carrega(f.cdsInstruBol, f.netRemessaCNAB->GetInstruBol(f.cdsCNABRec.FieldByName("CDBANCO").AsString(),
                                                           boleto("CDFILIAL"), boleto("NRLANBOLREC")));
}

std::string ChaveAcesso() {
  auto& f = Form();
  return server::CheckResultText(f.netRemessaCNAB->GetChaveAcesso(boleto("CDFILIAL"), boleto("NRLANBOLREC")));
}

TPagador LePagador() {
  auto& f = Form();
  CarregaLicencaUso();
  TPagador p;
  auto& l = f.cdsLicencaUso;
  if (!l.IsEmpty()) {
    auto s = [&l](const char* n) { return l.FieldByName(n).AsString(); };
    p.override = true;
    p.tipo = s("IDTPIJURLUSO");
    p.inscricao = s("NRINSJURLUSO");
    p.nome = s("NMRAZSOCLUSO");
    p.fantasia = s("NMFANTLUSO");
    p.endereco = s("DSENDELUSO");
    p.bairro = s("NMBAIRLUSO");
    p.cep = s("NRCEPLUSO");
    p.cidade = s("NMMUNICIPIO");
    p.uf = s("SGESTADO");
    return p;
  }
  p.tipo = boleto("IDTPIJURCLIE");
  p.inscricao = boleto("NRINSJURCLIE");
  p.nome = boleto("NMRAZSOCCLIE");
  p.fantasia = boleto("NMFANTCLIE");
  auto& q = f.qryEndeClie;
  q.Close();
  q.ParamByName("P_CDCLIENTE", boleto("CDCLIENTE"));
  q.Open();
  if (!q.IsEmpty()) {
    auto s = [&q](const char* n) { return q.FieldByName(n).AsString(); };
    p.endereco = s("DSENDECLIE");
    p.bairro = s("NMBAIRCLIE");
    p.cep = s("NRCEPCLIE");
    p.cidade = s("NMMUNICIPIO");
    p.uf = s("SGESTADO");
  }
  return p;
}

TAvalista LeAvalista() {
  auto& c = Form().cdsContaCorr;
  TAvalista a;
  if (c.IsEmpty()) return a;
  a.inscricao = fields::AllTrim(c.FieldByName("CDSACAVALISTA").AsString());
  a.nome = fields::AllTrim(c.FieldByName("NMSACAVALISTA").AsString());
  a.tipo = c.FieldByName("IDTPIJURSAC").AsString();
  return a;
}

TIdentidade IdentidadeEmpresa() {
  auto& f = Form();
  TIdentidade id;
  if (f.cdsFilial.Active() && !f.cdsFilial.IsEmpty() &&
      !EmptyString(f.cdsCNABRec.FieldByName("CDFILIAL").AsString())) {
    id.nome = f.cdsFilial.FieldByName("NMRAZSOCFILI").AsString();
    id.curto = f.cdsFilial.FieldByName("NMFILIAL").AsString();
    id.tipo = f.cdsFilial.FieldByName("IDTPIJURFILI").AsString();
    id.inscricao = f.cdsFilial.FieldByName("NRINSJURFILI").AsString();
    id.filial = true;
  } else if (f.qryEmpresa.Active() && !f.qryEmpresa.IsEmpty()) {
    id.nome = f.qryEmpresa.FieldByName("NMRAZSOCEMPR").AsString();
    id.curto = f.qryEmpresa.FieldByName("NMEMPRESA").AsString();
    id.tipo = f.qryEmpresa.FieldByName("IDTPIJUREMPR").AsString();
    id.inscricao = f.qryEmpresa.FieldByName("NRINSJUREMPR").AsString();
  }
  return id;
}

std::string NossoNumero(std::string_view s) {
  std::string r;
  for (char c : s)
    if ((c >= '0' && c <= '9') || c == 'P') r += c;
  return r;
}

std::string Ocorrencia(const std::string& op) {
  if (op == "I") return "01";
  if (op == "E") return "02";
  return "06";
}

double Hoje() {
  return host::Corvane().Date();
}

}  // namespace layouts
