// SICOOB, CNAB 240 (file layout 081, lot layout 040): one lot of collection
// titles, segments P, Q and R for every title, and a lot trailer that counts
// the titles and their total as simple collection.
#include "layouts/cnab400/sicoob.h"

#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// What every record of the file takes from the batch, read once.
struct TLoteSicoob {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  TAvalista avalista;
  std::string nomeEmpresa, dataProc, movimento;
};

// Agency and account of the headers, from the batch account: the agency as
// the bank's picture gives it in six, the account with its check digit in
// thirteen.
void ContaCabecalho(Record& r, int pos, const TRemessa& rem) {
  AgenciaSicoob(r, pos, 5, rem);
  r.num(pos + 6, 13,
        rem.CNABRec.S("CDCONTCORR").empty() ? "" : Right(SemPontuacao(rem.ContaCorr.S("CDCONTCORR")), 13));
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteSicoob& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, LeftStr(l.empresa.inscricao, 14));
  r.put(33, 20, Replicate(" ", 20));
  ContaCabecalho(r, 53, l.rem);
  r.put(72, 1, "0");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, PadR("SICOOB", 30), "081");
  cnab240::ReservadoArquivo(r);
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteSicoob& l) {
  cnab240::ServicoLote(r, "  ", "040", l.empresa.tipo);
  cnab240::Inscricao15(r, 19, l.empresa.tipo, l.empresa.inscricao);
  r.put(34, 20, Replicate(" ", 20));
  ContaCabecalho(r, 54, l.rem);
  r.put(73, 1, " ");
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

// Interest (P 118-141): a daily amount first, then the percentage.
cnab240::TEncargo Juros(TTitulo& t, const std::string& vencimento) {
  if (t.F("VRMORDIABREC") != 0) return {"1", vencimento, Money(t.F("VRMORDIABREC"), 15)};
  if (t.F("VRPEMORBREC") != 0) return {"2", vencimento, Money(t.F("VRPEMORBREC"), 15)};
  return {"0", "00000000", ""};
}

// Fine (R 066-089): the percentage under code "2"; a fine amount alone goes
// as that amount under the fixed-amount code "1", not as a share of the title
// (which a title without value could not give); no fine with a zero date.
cnab240::TEncargo Multa(TTitulo& t, const std::string& vencimento) {
  cnab240::TEncargo multa = cnab240::Multa(t, vencimento);
  if (multa.codigo == "0") multa.data = "00000000";
  return multa;
}

// Title kind and acceptance (P 107-109): a title the company marks for
// protest ("1", "2") goes as kind "03" without acceptance; any other code,
// or none, as kind "02" with acceptance, so every title keeps the field's
// three characters.
struct TTipoAceite {
  std::string tipo, aceite;
};

TTipoAceite TipoEAceite(const std::string& codigoProtesto) {
  if (codigoProtesto == "1" || codigoProtesto == "2") return {"03", "N"};
  return {"02", "A"};
}

void Titulo(const TLoteSicoob& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&](const char* n) { return t.S(n); };
  const cnab240::TValores v(t);
  const bool daEmpresa = v.impressao == "E" || v.impressao == "F";
  const std::string parcela = bol("NRPARCBOLREC");
  const std::string carteira = AllTrim(bol("CDCARTCOBBOL"));
  const std::string agencia = AllTrim(l.rem.CNABRec.S("CDAGENCIA"));
  const cnab240::TProtesto protesto = cnab240::LeProtesto(t, true);
  const TTipoAceite tipoAceite = TipoEAceite(bol("CDDIAPROTBOL"));
  const cnab240::TEncargo juros = Juros(t, v.vencimento);
  const cnab240::TEncargo multa = Multa(t, v.vencimento);
  auto dup = [&](const char* n) { return t.Registro(TRegistro::Duplicata, n); };
  const std::string duplicata = dup("DUPLICATA");
  const std::string documento =
      duplicata.empty() ? bol("NRLANBOLREC") : Right(Ajusta(duplicata, 10) + Ajusta(dup("NRPARCELA"), 2), 15);

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 5, LeftStr(SemPontuacao(agencia), 4));
    r.put(23, 1, "0");
    r.num(24, 13,
          l.rem.CNABRec.S("CDCONTCORR").empty() ? ""
                                                : Right(SemPontuacao(l.rem.ContaCorr.S("CDCONTCORR")), 13));
    r.put(37, 1, " ");
    // the company's own slips carry their stored number; the bank numbers the rest
    r.num(38, 10, v.EmpresaNumera() ? LeftStr(NossoNumero(v.nosso), 10) : "");
    r.num(48, 2, parcela == "00" ? "01" : parcela);
    r.put(50, 2, ModalidadeSicoob(bol("IDCARTCOBREC")));
    r.put(52, 1, "4");
    r.put(53, 5, Replicate(" ", 5));
    r.num(58, 1, LeftStr(carteira, 1));
    r.put(59, 1, "0");
    r.put(60, 1, " ");
    r.put(61, 1, daEmpresa ? "2" : "1");
    r.put(62, 1, daEmpresa ? "2" : "1");
    r.put(63, 15, PadR(CampoValido(documento), 15));
    cnab240::VencimentoEEmissao(r, v, " ", tipoAceite.tipo, tipoAceite.aceite, l.dataProc);
    cnab240::Encargo(r, 118, juros);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(v.controle, 25));
    // days ask for protest, unless the title says not to protest ("3")
    cnab240::Protesto(r, protesto, "0", "   ");
    cnab240::MoedaEContrato(r, "");
    saida.escreve(r);
  }

  // Segment Q (payer and the account's guarantor)
  {
    cnab240::TPagador p = cnab240::LePagador(v.pagador);
    p.endereco = AllTrim(p.endereco);  // the address trimmed, the district as stored
    Record r = saida.segmento("Q");
    r.put(18, 1, p.tipo);
    cnab240::Inscricao15(r, 19, p.tipo, p.inscricao, true);
    cnab240::EnderecoPagador(r, p);
    // any stored guarantor, a person's tax id cut at 14 digits as a company's
    cnab240::AvalistaNoQ(r, l.avalista, l.avalista.completo(), 14);
    cnab240::CorrespondenteNoQ(r, "000");
    saida.escreve(r);
  }

  // Segment R (fine and slip message), sent for every title
  {
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    cnab240::SemDesconto(r, 42);
    cnab240::Encargo(r, 66, multa);
    cnab240::MensagensR(r, cnab240::MensagemBoleto(t), "");
    r.put(180, 20, Replicate(" ", 20));
    cnab240::SemDebitoAutomatico(r, " ");
    saida.escreve(r);
  }
}

}  // namespace

void Remessa_SICOOB_CONV(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::LeEmpresa(rem);
  const TLoteSicoob lote{
      .rem = rem,
      .empresa = empresa,
      .avalista = rem.Avalista(),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      // the layout registers titles and drops them; the catalogue refuses an
      // alteration batch before the writer
      .movimento = rem.Operacao() == "E" ? "02" : "01",
  };

  cnab240::TTotaisLote totais;
  cnab240::TRegistros registros = cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo);
  // Lot trailer (type "5"): every title counts as simple collection.
  registros.trailerLote = [&](cnab240::TArquivo& arq) { arq.EscreveTrailerLote(totais); };
  registros.verifica = [&](TTitulo& t) {
    if (ModalidadeSicoob(t.S("IDCARTCOBREC")).empty()) rem.Recusa(t, "TipoCart_INV");
  };
  registros.escrito = [&](TTitulo& t) {
    ++totais.titulos[0];
    totais.valor[0] += t.F("VRFINALBREC");
  };
  cnab240::Gera(rem, titulos, {.banco = "756"}, lote.movimento, registros);
}

}  // namespace layouts
