#include "app/lotes.h"

#include <stdexcept>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "filters/remittance_filter.h"
#include "workspace/form.h"

namespace app {

using workspace::TfrmRemessaCNAB;

namespace {

struct TFormAberto {
  explicit TFormAberto(server::IRdmRemessaCNAB& s) {
    workspace::SetAppServer(&s);
    workspace::CriaRemessaCNABRec();
  }
  ~TFormAberto() {
    filters::SetMostraFiltro(nullptr);
    workspace::FechaRemessaCNABRec();
  }
  TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
};

TfrmRemessaCNAB& AbreEmpresa(TFormAberto& aberto, const std::string& empresa) {
  TfrmRemessaCNAB& f = aberto.f();
  f.medCdEmpresa.Text = empresa;
  f.medCdEmpresaExit();
  return f;
}

// The batch current in the list, with its titles on the titles page.
TfrmRemessaCNAB& AbreRemessa(TFormAberto& aberto, const TPedidoTitulos& p) {
  TfrmRemessaCNAB& f = AbreEmpresa(aberto, p.empresa);
  // The list shows every batch of the company, whatever its date.
  filters::SetMostraFiltro([&](filters::TfrmFiltroRemessaCNAB& d) {
    d.depDtIniVen.Text.clear();
    d.depDtFinVen.Text.clear();
    d.medNrRemessa.Text = p.remessa;
    d.sbtConfirmaClick();
  });
  filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", f);
  if (f.cdsCNABRec.IsEmpty())
    throw std::runtime_error(fields::Utf8ToCp1252("Remessa não encontrada: ") + p.remessa);
  f.dtsPadraoStateChange();
  f.MostraPagina(workspace::TPagina::tshBoletos);
  if (p.todos) {
    f.MarcaTodos(false);
  } else {
    for (const auto& b : p.boletos) {
      const auto barra = b.find('/');
      const std::string fil =
          barra == std::string::npos ? "" : fields::Ajusta(fields::AllTrim(b.substr(0, barra)), 4);
      const std::string nr = barra == std::string::npos ? b : fields::AllTrim(b.substr(barra + 1));
      if (!f.cdsBoletos.Locate("CDFILIAL;NRLANBOLREC", {fil, nr}))
        throw std::runtime_error("Boleto " + b + fields::Utf8ToCp1252(" não está nesta remessa."));
      f.MarcaBoletoAtual();
    }
  }
  // The grid stands on the first marked title, whose situation the operations read.
  f.cdsBoletos.Locate("IDMARCADO", {"S"});
  return f;
}

}  // namespace

host::TPacket ListaRemessas(server::IRdmRemessaCNAB& server, const TFiltroRemessas& c) {
  TFormAberto aberto(server);
  TfrmRemessaCNAB& f = AbreEmpresa(aberto, c.empresa);
  filters::SetMostraFiltro([&](filters::TfrmFiltroRemessaCNAB& d) {
    d.depDtIniVen.Text = c.dataIni;
    d.depDtFinVen.Text = c.dataFin;
    d.rbtOperador.Todos = c.operadores.empty();
    d.stListOperador = c.operadores;
    d.nedVrRemIni.Text = c.valorIni;
    d.nedVrRemFin.Text = c.valorFin;
    d.medNrRemessa.Text = c.numero;
    d.rbtCliente.Todos = c.clientes.empty();
    d.stListCliente = c.clientes;
    d.medDocIni.Text = c.docIni;
    d.medDocFin.Text = c.docFin;
    d.depDtIniEmi.Text = c.emissaoIni;
    d.depDtFinEmi.Text = c.emissaoFin;
    d.depVencIni.Text = c.vencIni;
    d.depVencFin.Text = c.vencFin;
    d.rbtFormRec.Todos = c.tiposBaixa.empty();
    d.stListTpBx = c.tiposBaixa;
    d.rbtCCorr.Todos = c.contas.empty();
    d.stListCCorr = c.contas;
    d.nedVrLiqIni.Text = c.liquidoIni;
    d.nedVrLiqFin.Text = c.liquidoFin;
    d.sbtConfirmaClick();
  });
  filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", f);
  return f.cdsCNABRec.Data();
}

host::TPacket AlteraTitulos(server::IRdmRemessaCNAB& server, const TPedidoTitulos& p) {
  TFormAberto aberto(server);
  TfrmRemessaCNAB& f = AbreRemessa(aberto, p);
  f.mnuAlteraRemessaClick();
  return f.cdsBoletos.Data();
}

host::TPacket CancelaTitulos(server::IRdmRemessaCNAB& server, const TPedidoTitulos& p) {
  TFormAberto aberto(server);
  TfrmRemessaCNAB& f = AbreRemessa(aberto, p);
  f.mnuCancelaRemessaClick();
  return f.cdsBoletos.Data();
}

std::string ImprimeBordero(server::IRdmRemessaCNAB& server, const std::string& empresa,
                           const std::string& remessa, const std::string& saida) {
  TFormAberto aberto(server);
  TfrmRemessaCNAB& f = AbreEmpresa(aberto, empresa);
  filters::SetMostraFiltro([&](filters::TfrmFiltroRemessaCNAB& d) {
    d.depDtIniVen.Text.clear();
    d.depDtFinVen.Text.clear();
    d.medNrRemessa.Text = remessa;
    d.sbtConfirmaClick();
  });
  filters::CriaFiltroRemessaCNAB("BOTAO_FILTRO", f);
  if (f.cdsCNABRec.IsEmpty())
    throw std::runtime_error(fields::Utf8ToCp1252("Remessa não encontrada: ") + remessa);
  f.SaidaBordero = saida;
  f.dbgPadraoMarca();
  f.sbtImprimirClick();
  return f.UltimoBordero;
}

std::string EmpresaDaRemessa(server::TRemessaServer& server, const std::string& remessa) {
  auto p = server.ExecuteQuery(
      "SELECT DISTINCT CDEMPRESA FROM CNABREC WHERE LTRIM(TRIM(NRCNABREC), '0') = LTRIM(TRIM(:P_NR), '0')",
      {{"P_NR", remessa}});
  if (p.Rows.size() != 1) return {};
  return host::ValueToString(p.Rows[0][0], host::TFieldType::ftString);
}

}  // namespace app
