// Banrisul, CNAB 240: one lot of collection titles, segments P and Q for
// every title, R when it has a message or a fine, and Y (the account's
// guarantor) after R. The lot trailer counts and totals the titles per
// portfolio kind. The file's name ends in ".240": the catalogue adds it to
// the operator's path, for this writer and for the question whether the file
// already exists alike.
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The batch account as the bank reads it, typed punctuation dropped before
// each field's cut: the agency's last three digits (its first four in the
// agreement code), the account's first seven digits without its check digit.
cnab240::TConta LeContaBanrisul(const TRemessa& rem) {
  cnab240::TConta c;
  c.agencia = SemPontuacao(AllTrim(rem.CNABRec.S("CDAGENCIA")));
  if (!rem.CNABRec.S("CDCONTCORR").empty()) {
    c.conta = LeftStr(SemPontuacao(rem.ContaCorrente()), 7);
    c.dvConta = Right(rem.DacContaCorrente(), 1);
  }
  return c;
}

// What every record of the file takes from the batch, read once.
struct TLoteBanrisul {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  cnab240::TConta conta;
  std::string cedente, nomeEmpresa, dataProc, movimento;
  TAvalista avalista;
};

// The agreement code (20 positions): the agency's first four digits, the
// company's code at the bank in nine (a longer code stops the run) and zeros.
void Convenio(Record& r, int pos, const TLoteBanrisul& l) {
  r.num(pos, 4, LeftStr(l.conta.agencia, 4));
  r.num(pos + 4, 9, l.cedente);
  r.put(pos + 13, 7, "0000000");
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteBanrisul& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, LeftStr(l.empresa.inscricao, 14));
  Convenio(r, 33, l);
  r.put(53, 2, "00");
  r.num(55, 3, Right(l.conta.agencia, 3));
  r.put(58, 1, " ");
  r.num(59, 12, l.conta.conta);
  r.num(71, 1, l.conta.dvConta);
  r.put(72, 1, " ");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, cnab240::NomeBanco(l.rem), "103");
  cnab240::ReservadoServico(r, "CSP");
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteBanrisul& l) {
  cnab240::ServicoLote(r, "00", "060", l.empresa.tipo);
  r.num(19, 15, LeftStr(l.empresa.inscricao, 15));
  Convenio(r, 34, l);
  r.num(54, 5, Right(l.conta.agencia, 3));
  r.put(59, 1, " ");
  r.num(60, 12, l.conta.conta);
  r.num(72, 1, l.conta.dvConta);
  r.put(73, 1, " ");
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

// The invoice and its instalment ("0000123/02"), or the title number when
// the title has no invoice.
std::string DocumentoBanrisul(TTitulo& t) {
  const std::string duplicata = t.Registro(TRegistro::Duplicata, "DUPLICATA");
  if (duplicata.empty()) return PadR(t.S("NRLANBOLREC"), 10) + Replicate(" ", 5);
  return PadR(Right(Ajusta(duplicata, 7), 7), 7) + "/" +
         PadR(Ajusta(t.Registro(TRegistro::Duplicata, "NRPARCELA"), 2), 2) + Replicate(" ", 5);
}

// Interest (118-141): the daily amount first, then the percentage, each as
// money from the due date.
cnab240::TEncargo JurosBanrisul(TTitulo& t, const std::string& vencimento) {
  if (t.F("VRMORDIABREC") != 0) return {"1", vencimento, Money(t.F("VRMORDIABREC"), 15)};
  if (t.F("VRPEMORBREC") != 0) return {"2", vencimento, Money(t.F("VRPEMORBREC"), 15)};
  return {"3", "00000000", ""};
}

// The fine (R 075-089): a percentage goes rounded to one decimal, an amount
// as money.
std::string MultaBanrisul(TTitulo& t) {
  if (t.F("VRPEMULBREC") != 0) return VirgDeciAssu(FormatFloat("#0.00", RoundDec(t.F("VRPEMULBREC"), 1)), 15);
  if (t.F("VRMULTABREC") != 0) return Money(t.F("VRMULTABREC"), 15);
  return "";
}

// The title's portfolio kind, as stored; a kind that is none of the four the
// lot trailer totals (a letter, "0", "5" to "9") has no meaning at the bank
// and stops the title before the file: written, it would leave the trailer's
// counts short of the lot's titles, and the bank refuses such a lot.
std::string TipoCarteira(const TRemessa& rem, TTitulo& t) {
  const std::string tipo = Right(t.S("IDCARTCOBREC"), 1);
  if (!tipo.empty() && (tipo[0] < '1' || tipo[0] > '4')) rem.Recusa(t, "TipoCart_INV");
  return tipo;
}

void Titulo(const TLoteBanrisul& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&t](const char* n) { return t.S(n); };
  const cnab240::TValores v(t);
  // the bank numbers the titles whose slips it prints, and those without a number
  const bool bancoNumera = v.impressao == "B" || v.nosso.empty();
  const std::string formaCadastro = bol("IDFORMCADBREC");
  const cnab240::TEncargo juros = JurosBanrisul(t, v.vencimento);
  const cnab240::TProtesto protesto = cnab240::LeProtesto(t, false);

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 5, Right(l.conta.agencia, 3));
    r.put(23, 1, " ");
    r.num(24, 12, l.conta.conta);
    r.num(36, 1, l.conta.dvConta);
    r.put(37, 1, " ");
    r.num(38, 10, bancoNumera ? "" : LeftStr(SemPontuacao(v.nosso), 10));
    r.put(48, 10, Replicate(" ", 10));
    r.put(58, 1, PadR(TipoCarteira(l.rem, t), 1));
    r.num(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
    r.put(60, 1, "1");
    r.put(61, 1, bancoNumera ? "1" : "2");
    r.put(62, 1, bancoNumera ? "1" : "2");
    r.put(63, 15, CampoValido(DocumentoBanrisul(t)));
    cnab240::VencimentoEEmissao(r, v, "0", "99", "N", l.dataProc);
    cnab240::Encargo(r, 118, juros);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(CampoValido(v.controle), 25));
    cnab240::Protesto(r, protesto, "0", "000");
    r.put(228, 2, "09");
    r.num(230, 10, Right(SemPontuacao(l.rem.IdConta), 10));
    r.put(240, 1, "1");
    saida.escreve(r);
  }

  // Segment Q (payer)
  cnab240::SegmentoQ(saida, cnab240::LePagador(v.pagador), "000");

  // Segment R (fine and the title's two instruction lines); the slip message
  // only decides whether it is sent
  if (!cnab240::TemSegmentoR(t)) return;
  {
    auto instrucao = [&t](const char* n) {
      return PadR(CampoValido(LeftStr(t.Registro(TRegistro::InstruBol, n), 40)), 40);
    };
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    cnab240::SemDesconto(r, 42);
    cnab240::Encargo(r, 66, {t.F("VRPEMULBREC") != 0 ? "2" : "1", v.vencimento, MultaBanrisul(t)});
    cnab240::MensagensR(r, instrucao("INSTRU1"), instrucao("INSTRU2"));
    r.put(180, 3, "000");
    r.put(183, 4, "0000");
    r.put(187, 13, Replicate("0", 13));
    r.put(200, 8, Replicate("0", 8));
    r.put(208, 33, Replicate(" ", 33));
    saida.escreve(r);
  }

  // Segment Y, optional record "01" (guarantor), only after segment R
  if (cnab240::AvalistaPreenchido(l.avalista)) {
    Record r = saida.segmento("Y");
    cnab240::AvalistaY01(r, l.avalista);
    saida.escreve(r);
  }
}

// Titles and their value per portfolio kind, "1" (simple) to "4"
// (discounted). A title without a kind (segment P leaves 058 blank) is the
// bank's simple collection, and counted there: the trailer then counts every
// title of the lot, as the bank checks. TipoCarteira refuses the other kinds.
struct TTotais : cnab240::TTotaisLote {
  void Soma(TTitulo& t) {
    const std::string tipo = Right(t.S("IDCARTCOBREC"), 1);
    const int k = tipo.empty() ? 0 : tipo[0] - '1';
    if (k < 0 || k > 3) return;
    ++titulos[k];
    valor[k] += RoundDec(t.F("VRFINALBREC"), 2);
  }
};

}  // namespace

void Remessa_Banrisul(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresa(rem));
  // the bank knows the company by its code: without one nothing can be sent
  const std::string cedente = rem.ContaCorr.S("CDCEDENTEBAN");
  if (EmptyString(cedente)) rem.Erro("CODCONV_INF");
  const TLoteBanrisul lote{
      .rem = rem,
      .empresa = empresa,
      .conta = LeContaBanrisul(rem),
      .cedente = SemPontuacao(cedente),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
      .avalista = rem.Avalista(),
  };

  TTotais totais;
  cnab240::TRegistros registros = cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo);
  // Lot trailer (type "5"): the lot's records, then titles and total per kind.
  registros.trailerLote = [&](cnab240::TArquivo& arq) { arq.EscreveTrailerLote(totais); };
  registros.escrito = [&](TTitulo& t) { totais.Soma(t); };
  cnab240::Gera(rem, titulos, {.banco = "041"}, lote.movimento, registros);
}

}  // namespace layouts
