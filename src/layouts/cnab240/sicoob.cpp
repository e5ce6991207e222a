// SICOOB, CNAB 240 (file layout 081, lot layout 040): one lot of collection
// titles, segments P, Q and R for every title, and a lot trailer that counts
// the titles and their total as simple collection.
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The bank's modalities: simple "01", linked "02", pledged "03". A title of
// another kind has no code in this layout; it is refused before the file
// rather than sent without one.
std::string Modalidade(const std::string& tipo) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return "01";
  if (t == "2") return "02";
  if (t == "3") return "03";
  return "";
}

// What every record of the file takes from the batch, read once.
struct TLoteSicoob {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  TAvalista avalista;
  std::string nomeEmpresa, dataProc, movimento;
};

// Agency and account of the headers, from the batch account: the stored
// agency with its check digit in six where the bank's picture has one, else
// five and a blank; the account with its check digit in thirteen.
void ContaCabecalho(Record& r, int pos, const TRemessa& rem) {
  const std::string agencia = SemPontuacao(rem.ContaCorr.S("CDAGENCIA"));
  if (Pos("-", rem.ContaCorr.S("CDPICTAGEN")) > 0) {
    r.num(pos, 6, Right(agencia, 6));
  } else {
    r.num(pos, 5, Right(agencia, 5));
    r.put(pos + 5, 1, " ");
  }
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
  r.put(172, 20, Replicate(" ", 20));
  r.put(192, 20, Replicate(" ", 20));
  r.put(212, 29, Replicate(" ", 29));
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

// Code, date and amount of a charge: the interest of segment P, the fine of
// segment R.
struct TEncargo {
  std::string codigo, data, valor;
};

// Interest (P 118-141): a daily amount first, then the percentage.
TEncargo Juros(TTitulo& t, const std::string& vencimento) {
  if (t.F("VRMORDIABREC") != 0) return {"1", vencimento, Money(t.F("VRMORDIABREC"), 15)};
  if (t.F("VRPEMORBREC") != 0) return {"2", vencimento, Money(t.F("VRPEMORBREC"), 15)};
  return {"0", "00000000", ""};
}

// Fine (R 066-089): the percentage under code "2"; a fine amount alone goes
// as that amount under the fixed-amount code "1", not as a share of the title
// (which a title without value could not give).
TEncargo Multa(TTitulo& t, const std::string& vencimento) {
  if (t.F("VRPEMULBREC") != 0) return {"2", vencimento, Money(t.F("VRPEMULBREC"), 15)};
  if (t.F("VRMULTABREC") != 0) return {"1", vencimento, Money(t.F("VRMULTABREC"), 15)};
  return {"0", "00000000", ""};
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
  const TEncargo juros = Juros(t, v.vencimento);
  const TEncargo multa = Multa(t, v.vencimento);
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
    r.put(50, 2, Modalidade(bol("IDCARTCOBREC")));
    r.put(52, 1, "4");
    r.put(53, 5, Replicate(" ", 5));
    r.num(58, 1, LeftStr(carteira, 1));
    r.put(59, 1, "0");
    r.put(60, 1, " ");
    r.put(61, 1, daEmpresa ? "2" : "1");
    r.put(62, 1, daEmpresa ? "2" : "1");
    r.put(63, 15, PadR(CampoValido(documento), 15));
    r.put(78, 8, v.vencimento);
    r.num(86, 15, cnab240::Valor(v.valor));
    r.put(101, 5, "00000");
    r.put(106, 1, " ");
    r.put(107, 2, tipoAceite.tipo);
    r.put(109, 1, tipoAceite.aceite);
    r.put(110, 8, l.dataProc);
    r.put(118, 1, juros.codigo);
    r.put(119, 8, juros.data);
    r.num(127, 15, juros.valor);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(v.controle, 25));
    // days ask for protest, unless the title says not to protest ("3")
    r.num(221, 1, protesto.codigo);
    r.num(222, 2, protesto.dias);
    r.put(224, 1, "0");
    r.put(225, 3, Replicate(" ", 3));
    r.put(228, 2, "09");
    r.put(230, 10, Replicate("0", 10));
    r.put(240, 1, " ");
    saida.escreve(r);
  }

  // Segment Q (payer and the account's guarantor)
  {
    const cnab240::TPagador p = cnab240::LePagador(v.pagador);
    const TAvalista& a = l.avalista;
    Record r = saida.segmento("Q");
    r.put(18, 1, p.tipo);
    cnab240::Inscricao15(r, 19, p.tipo, p.inscricao, true);
    r.put(34, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
    r.put(74, 40, PadR(CampoValido(LeftStr(AllTrim(p.endereco), 40)), 40));
    r.put(114, 15, PadR(CampoValido(LeftStr(p.bairro, 15)), 15));
    r.num(129, 8, LeftStr(CampoValidoCEPTEL(p.cep), 8));
    r.put(137, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
    r.put(152, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
    r.put(154, 1, !a.completo() ? "0" : a.tipo == "J" ? "2" : "1");
    r.num(155, 15, a.completo() ? LeftStr(SemPontuacao(a.inscricao), 14) : "");
    r.put(170, 40, a.completo() ? PadR(CampoValido(LeftStr(a.nome, 40)), 40) : Replicate(" ", 40));
    r.put(210, 3, "000");
    r.put(213, 20, Replicate(" ", 20));
    r.put(233, 8, Replicate(" ", 8));
    saida.escreve(r);
  }

  // Segment R (fine and slip message), sent for every title
  {
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    cnab240::SemDesconto(r, 42);
    r.put(66, 1, multa.codigo);
    r.put(67, 8, multa.data);
    r.num(75, 15, multa.valor);
    r.put(90, 10, Replicate(" ", 10));
    r.put(100, 40, cnab240::MensagemBoleto(t));
    r.put(140, 40, Replicate(" ", 40));
    r.put(180, 20, Replicate(" ", 20));
    r.put(200, 8, Replicate("0", 8));
    r.put(208, 3, "000");
    r.put(211, 5, "00000");
    r.put(216, 1, " ");
    r.put(217, 12, Replicate("0", 12));
    r.put(229, 1, " ");
    r.put(230, 1, " ");
    r.put(231, 1, "0");
    r.put(232, 9, Replicate(" ", 9));
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
      .nomeEmpresa = PadR(CampoValido(LeftStr(empresa.nome, 30)), 30),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      // the layout registers titles and drops them; the catalogue refuses an
      // alteration batch before the writer
      .movimento = rem.Operacao() == "E" ? "02" : "01",
  };

  int titulosEscritos = 0;
  double total = 0;
  cnab240::TRegistros registros = cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo);
  // Lot trailer (type "5"): every title counts as simple collection.
  registros.trailerLote = [&](cnab240::TArquivo& arq) {
    Record tl = arq.TrailerLote();
    tl.put(9, 9, Replicate(" ", 9));
    tl.num(18, 6, IntToStr(arq.RegistrosLote()));
    tl.num(24, 6, IntToStr(titulosEscritos));
    tl.num(30, 17, VirgDeciAssu(FormatFloat("#0.00", total), 17));
    tl.put(47, 6, "000000");
    tl.put(53, 17, Replicate("0", 17));
    tl.put(70, 6, "000000");
    tl.put(76, 17, Replicate("0", 17));
    tl.put(93, 6, "000000");
    tl.put(99, 17, Replicate("0", 17));
    tl.put(116, 8, Replicate(" ", 8));
    tl.put(124, 117, Replicate(" ", 117));
    arq.write(tl);
  };
  registros.verifica = [&](TTitulo& t) {
    if (Modalidade(t.S("IDCARTCOBREC")).empty()) rem.Recusa(t, "TipoCart_INV");
  };
  registros.escrito = [&](TTitulo& t) {
    ++titulosEscritos;
    total += t.F("VRFINALBREC");
  };
  cnab240::Gera(rem, titulos, {.banco = "756"}, lote.movimento, registros);
}

}  // namespace layouts
