#include "app/escritores.h"

#include <utility>

#include "fields/text.h"
#include "host/context.h"
#include "layouts/catalogue.h"
#include "workspace/form.h"

namespace app {

namespace {

using layouts::TRegistro;
using workspace::TfrmRemessaCNAB;

// The title the walk stands on: the current row of cdsBoletos, its records
// loaded kind by kind at the writer's first ask, from the run's batch-wide reads.
class TTituloDoForm : public layouts::TTitulo {
 public:
  explicit TTituloDoForm(TfrmRemessaCNAB& f) : f_(f) {}
  void Proximo() { carregados_ = 0; }

  host::TField Campo(std::string_view nome) override { return f_.cdsBoletos.FieldByName(nome); }

  host::TClientDataSet& Registros(TRegistro tipo) override {
    const unsigned bit = 1u << static_cast<unsigned>(tipo);
    host::TClientDataSet& ds = dataSet(tipo);
    if (carregados_ & bit) return ds;
    carregados_ |= bit;
    auto& srv = *f_.netRemessaCNAB;
    const std::string filial = S("CDFILIAL"), numero = S("NRLANBOLREC");
    auto carrega = [&](const char* registro, auto chamada) {
      f_.CarregaRegistro(registro, ds, filial, numero, chamada);
    };
    switch (tipo) {
      case TRegistro::DocBol:
        carrega("DOCBOL", [&] { return srv.GetDocBol(numero, filial); });
        break;
      case TRegistro::Duplicata:
        carrega("DUPLICATA", [&] { return srv.GetDuplicata(numero, filial); });
        break;
      case TRegistro::LicencaUso:
        carrega("LICENCAUSO", [&] { return srv.GetLicencaUso(filial, numero); });
        break;
      case TRegistro::TxBoletos:
        carrega("TXBOLETOS", [&] { return srv.GetTxBoletos(filial, numero); });
        break;
      case TRegistro::InstruBol: {
        const std::string banco = f_.cdsCNABRec.FieldByName("CDBANCO").AsString();
        f_.CarregaRegistro(
            "INSTRUBOL", ds, filial, numero, [&] { return srv.GetInstruBol(banco, filial, numero); }, banco);
        break;
      }
      case TRegistro::EnderecoCliente:
        f_.Lote.Abre(f_.qryEndeClie, "P_CDCLIENTE", S("CDCLIENTE"));
        break;
      case TRegistro::EnderecoFilial:
        f_.Lote.Abre(f_.qryEndeFili, "P_CDFILIAL", filial);
        break;
    }
    return ds;
  }

  std::string ChaveAcesso() override {
    return server::CheckResultText(f_.netRemessaCNAB->GetChaveAcesso(S("CDFILIAL"), S("NRLANBOLREC")));
  }

 private:
  host::TClientDataSet& dataSet(TRegistro tipo) {
    switch (tipo) {
      case TRegistro::DocBol:
        return f_.cdsDocBol;
      case TRegistro::Duplicata:
        return f_.cdsDuplicata;
      case TRegistro::LicencaUso:
        return f_.cdsLicencaUso;
      case TRegistro::TxBoletos:
        return f_.cdsTxBoletos;
      case TRegistro::InstruBol:
        return f_.cdsInstruBol;
      case TRegistro::EnderecoCliente:
        return f_.qryEndeClie;
      case TRegistro::EnderecoFilial:
        return f_.qryEndeFili;
    }
    return f_.cdsDocBol;
  }

  TfrmRemessaCNAB& f_;
  unsigned carregados_ = 0;
};

// The marked rows of cdsBoletos from the first, its display controls
// disabled while the walk lasts.
class TTitulosDoForm : public layouts::TTitulos {
 public:
  explicit TTitulosDoForm(TfrmRemessaCNAB& f) : f_(f) {}

 protected:
  void Percorre(const std::function<void(layouts::TTitulo&)>& fn, bool escrevendo) override {
    auto& b = f_.cdsBoletos;
    struct Reativa {
      host::TClientDataSet& ds;
      ~Reativa() { ds.EnableControls(); }
    } reativa{b};
    b.DisableControls();
    TTituloDoForm titulo(f_);
    const int marcado = b.FindFieldIndex("IDMARCADO");
    for (b.First(); !b.Eof(); b.Next()) {
      if (b.Fields(marcado).AsString() != "S") continue;
      titulo.Proximo();
      fn(titulo);
      // The first title has had every kind of record the writer reads: the
      // run may go on with what it does beside the writer.
      if (!escrevendo) continue;
      if (auto aviso = std::exchange(f_.AoPrimeiroTitulo, nullptr)) aviso();
    }
  }

 private:
  TfrmRemessaCNAB& f_;
};

// The first marked title's row; the list's current row is left where it was.
layouts::TLinha PrimeiroMarcado(host::TClientDataSet& b) {
  if (!b.Active() || b.IsEmpty()) return {};
  const int volta = b.RecNo();
  const int marcado = b.FindFieldIndex("IDMARCADO");
  layouts::TLinha r;
  for (b.First(); !b.Eof(); b.Next())
    if (b.Fields(marcado).AsString() == "S") {
      r = layouts::TLinha(b);
      break;
    }
  b.SetRecNo(volta);
  return r;
}

}  // namespace

// The batch row, its accounts, the company and the branch, the company's
// parameters at the account's bank.
layouts::TRemessa RemessaDoForm(TfrmRemessaCNAB& f) {
  layouts::TRemessa r;
  r.IdentRec = f.BuscaIdentRec();
  r.IdConta = f.cdsIdConta.IsEmpty() ? "" : f.cdsIdConta.FieldByName("CDIDRECCONTCORR").AsString();
  // The bank parameters are the batch account's bank's, for every writer.
  TfrmRemessaCNAB::Carrega(f.cdsEmprBanc, f.netRemessaCNAB->GetEmprBanc(
                                              f.cdsCNABRec.FieldByName("CDBANCO").AsString(), f.Empresa()));
  r.CNABRec = layouts::TLinha(f.cdsCNABRec);
  r.ContaCorr = layouts::TLinha(f.cdsContaCorr);
  r.ContaCorrCobr = layouts::TLinha(f.cdsContaCorrCobr);
  r.EmprBanc = layouts::TLinha(f.cdsEmprBanc);
  r.Empresa = layouts::TLinha(f.qryEmpresa);
  if (f.cdsFilial.Active() && !fields::EmptyString(f.cdsCNABRec.FieldByName("CDFILIAL").AsString()))
    r.Filial = layouts::TLinha(f.cdsFilial);
  r.PrimeiroTitulo = PrimeiroMarcado(f.cdsBoletos);
  r.ContaLembrada = f.Memoria.CdContCorr;
  r.Arquivo = f.NomeArquivo();
  const auto& ctx = host::Corvane();
  r.DataProc = ctx.DataProc(ctx.FiliProc);
  r.Agora = ctx.Now();
  r.Catalogo = &f.msgPadrao;
  return r;
}

std::unique_ptr<layouts::TTitulos> TitulosDoForm(TfrmRemessaCNAB& f) {
  return std::make_unique<TTitulosDoForm>(f);
}

namespace {

class TCatalogo : public workspace::IEscritores {
 public:
  std::string Nome(const std::string& cnab, const std::string& conv) const override {
    const layouts::TEscritor* e = layouts::Despacha(cnab, conv);
    return e ? e->nome : std::string();
  }
  bool OfereceTipo(const std::string& cnab) const override { return layouts::OfereceTipo(cnab); }
  bool TomaContaCobranca(const std::string& cnab) const override { return layouts::TomaContaCobranca(cnab); }
  bool Expressa(const std::string& cnab, const std::string& conv,
                const std::string& operacao) const override {
    const layouts::TEscritor* e = layouts::Despacha(cnab, conv);
    return !e || layouts::Expressa(*e, operacao);
  }
  std::string Arquivo(const std::string& cnab, const std::string& conv,
                      const std::string& path) const override {
    const layouts::TEscritor* e = layouts::Despacha(cnab, conv);
    return e ? layouts::NomeDoArquivo(*e, path) : path;
  }
  std::string Escreve(TfrmRemessaCNAB& f, bool cobranca) override {
    layouts::TRemessa remessa = RemessaDoForm(f);
    TTitulosDoForm titulos(f);
    return layouts::Escreve(remessa, titulos, cobranca).nome;
  }
};

}  // namespace

void InstalaEscritores() {
  static TCatalogo catalogo;
  workspace::SetEscritores(&catalogo);
}

}  // namespace app
