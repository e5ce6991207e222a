#include "app/operador.h"

#include <unistd.h>

#include "fields/cp1252.h"
#include "fields/text.h"
#include "filters/sent_titles_filter.h"
#include "workspace/escritores.h"
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
    if (workspace::frmRemessaCNAB) {
      // Cancelling lists the current batch's titles again; a server that
      // cannot answer now must not stop the form from closing.
      try {
        workspace::frmRemessaCNAB->sbtCancelarClick();
      } catch (...) {
      }
      workspace::FechaRemessaCNABRec();
    }
  }
  TfrmRemessaCNAB& f() { return *workspace::frmRemessaCNAB; }
};

}  // namespace

void PreparaRemessa(TfrmRemessaCNAB& f, const TPedidoGeracao& p) {
  f.medCdEmpresa.Text = p.empresa;
  f.medCdEmpresaExit();

  f.sbtIncluirClick();
  f.dbcTpMovChange(p.operacao == 'I' ? 0 : p.operacao == 'E' ? 1 : 2);

  f.dbeCdReduContEnter();
  f.dbeCdReduCont.Text = p.conta;
  f.dbeCdReduContChange();
  f.dbeCdReduContExit();
  if (!p.contaCobranca.empty() || f.dbeCdReduContCobr.Enabled) {
    f.ActiveControl = "dbeCdReduContCobr";
    f.dbeCdReduContCobr.Text = p.contaCobranca;
    f.dbeCdReduContCobrExit();
  }
  if (p.cobranca && f.cbbTpRemessa.Enabled) f.cbbTpRemessa.ItemIndex = *p.cobranca ? 0 : 1;
  f.dbeCdFilialEnter();
  if (p.filial) f.dbeCdFilial.Text = *p.filial;
  f.Vd_Filial();

  f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString(p.arquivo);
  f.ActiveControl = "dbeArquivo";
  f.dbeArquivoExit();

  f.ActiveControl = "grdBoletos";
  f.tshBoletosShow();
  if (p.criterios) f.sbtFiltroClick([&](filters::TfrmFiltroBoleEnviCNAB& d) { p.criterios(d.c); });
}

TResultadoGeracao GerarRemessa(server::IRdmRemessaCNAB& server, const TPedidoGeracao& p) {
  TFormAberto aberto(server);
  TfrmRemessaCNAB& f = aberto.f();
  TResultadoGeracao r;

  PreparaRemessa(f, p);
  r.oferecidos = f.cdsBoletos.RecordCount();
  if (p.todos) {
    r.recusas = f.MarcaTodos(false);
    for (const auto& [k, n] : r.recusas) r.motivos.push_back(f.Msg(k));
    r.recusados = f.Recusados;
  } else {
    for (const auto& b : p.boletos) {
      const auto barra = b.find('/');
      const std::string fil =
          barra == std::string::npos ? "" : fields::Ajusta(fields::AllTrim(b.substr(0, barra)), 4);
      const std::string nr = barra == std::string::npos ? b : fields::AllTrim(b.substr(barra + 1));
      if (!f.cdsBoletos.Locate("CDFILIAL;NRLANBOLREC", {fil, nr}))
        throw std::runtime_error(
            "Boleto " + b + fields::Utf8ToCp1252(" não está entre os boletos oferecidos para esta remessa."));
      f.MarcaBoletoAtual();
    }
  }

  if (!p.arquivoSimulado.empty()) {
    // The question the run asks on the operator's path; the run then writes elsewhere.
    auto c = [&f](const char* n) { return f.cdsCNABRec.FieldByName(n).AsString(); };
    const std::string alvo =
        workspace::Escritores().Arquivo(c("CDBANCCNAB"), c("CDBANCOCONV"), fields::AllTrim(p.arquivo));
    if (access(fields::OsPath(alvo).c_str(), F_OK) == 0 && !f.Pergunta("ARQU_EXISTE")) throw host::EAbort();
    f.cdsCNABRec.FieldByName("DSARQCNABREC").SetString(p.arquivoSimulado);
  }
  f.sbtConfirmarClick();
  f.cdsCNABRec.Locate("NRCNABREC", {f.UltimaRemessa});
  r.remessa = f.UltimaRemessa;
  r.arquivos = f.UltimosArquivos;
  if (!f.cdsCNABRec.IsEmpty()) {
    r.sequencia = f.cdsCNABRec.FieldByName("NRSEQREMESSAREC").AsString();
    r.banco = f.cdsCNABRec.FieldByName("CDBANCCNAB").AsString();
    r.quantidade = static_cast<int>(f.cdsCNABRec.FieldByName("QTBOLENVCNABREC").AsFloat());
    r.total = f.cdsCNABRec.FieldByName("VRTOTBOLCNABREC").AsFloat();
  }
  r.writer = f.UltimoWriter;
  return r;
}

}  // namespace app
