#include "layouts/shared.h"

#include <utility>

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
  for (b.First(); !b.Eof(); b.Next()) {
    if (b.Fields(marcado).AsString() != "S") continue;
    fn();
    // The first title has had every kind of record the writer reads: the
    // run may go on with what it does beside the writer.
    if (auto aviso = std::exchange(Form().AoPrimeiroTitulo, nullptr)) aviso();
  }
}

namespace {
std::string boleto(const char* n) {
  return Form().cdsBoletos.FieldByName(n).AsString();
}
}  // namespace

namespace {
// A per-title record kind of the current title into ds.
void CarregaDoBoleto(const char* registro, host::TClientDataSet& ds,
                     server::TServerReply (server::IRdmRemessaCNAB::*umTitulo)(const std::string&,
                                                                               const std::string&),
                     bool numeroPrimeiro) {
  auto& f = Form();
  const std::string filial = boleto("CDFILIAL"), numero = boleto("NRLANBOLREC");
  f.CarregaRegistro(registro, ds, filial, numero, [&] {
    return numeroPrimeiro ? (f.netRemessaCNAB->*umTitulo)(numero, filial)
                          : (f.netRemessaCNAB->*umTitulo)(filial, numero);
  });
}
}  // namespace

void CarregaDocBol() {
  CarregaDoBoleto("DOCBOL", Form().cdsDocBol, &server::IRdmRemessaCNAB::GetDocBol, true);
}

void CarregaLicencaUso() {
  CarregaDoBoleto("LICENCAUSO", Form().cdsLicencaUso, &server::IRdmRemessaCNAB::GetLicencaUso, false);
}

void CarregaTxBoletos() {
  CarregaDoBoleto("TXBOLETOS", Form().cdsTxBoletos, &server::IRdmRemessaCNAB::GetTxBoletos, false);
}

void CarregaDuplicata() {
  CarregaDoBoleto("DUPLICATA", Form().cdsDuplicata, &server::IRdmRemessaCNAB::GetDuplicata, true);
}

void CarregaInstruBol() {
  auto& f = Form();
  const std::string banco = f.cdsCNABRec.FieldByName("CDBANCO").AsString();
  const std::string filial = boleto("CDFILIAL"), numero = boleto("NRLANBOLREC");
  f.CarregaRegistro(
      "INSTRUBOL", f.cdsInstruBol, filial, numero,
      [&] { return f.netRemessaCNAB->GetInstruBol(banco, filial, numero); }, banco);
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
  f.Lote.Abre(q, "P_CDCLIENTE", boleto("CDCLIENTE"));
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
