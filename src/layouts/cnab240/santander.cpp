// Santander, CNAB 240: one lot of collection titles, segments P, Q and R for
// every title. The bank code of every record is the batch's layout bank, so
// one writer serves the bank's three codes; titles are registered on the
// collection account chosen for the batch.
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The agency in four digits and its check digit: what follows a hyphen
// ("123-4"), or the fifth digit of a five-digit code; "0" when it has none.
// The collecting agency is the code's first five digits.
struct TAgenciaSantander {
  std::string numero, dv, cobradora;
};

TAgenciaSantander LeAgenciaSantander(const TRemessa& rem) {
  const std::string agencia = AllTrim(rem.CNABRec.S("CDAGENCIA"));
  const int j = Pos("-", agencia);
  const std::string digitos = SemPontuacao(j > 0 ? LeftStr(agencia, j - 1) : agencia);
  const std::string dv = j > 0                 ? SemPontuacao(Copy(agencia, j + 1, 1))
                         : digitos.size() == 5 ? digitos.substr(4, 1)
                                               : "";
  return {LeftStr(digitos, 4), dv.empty() ? "0" : dv, LeftStr(SemPontuacao(agencia), 5)};
}

// A number and its check digit, each as digits.
struct TContaSantander {
  std::string numero, dv;
};

// The batch account: the bank's picture tells the number from its check digit.
TContaSantander LeContaSantander(const TRemessa& rem) {
  if (rem.CNABRec.S("CDCONTCORR").empty()) return {};
  return {LeftStr(SemPontuacao(rem.ContaCorrente()), 9), LeftStr(SemPontuacao(rem.DacContaCorrente()), 1)};
}

// The collection account is stored with its check digit, after a hyphen or as
// its last digit. A hyphen with nothing after it leaves no check digit: the
// bank gets "0" there, so the account keeps its ten positions.
TContaSantander LeContaCobrancaSantander(const TRemessa& rem) {
  const std::string c = rem.CNABRec.S("CDCONTCORRCOBR");
  const int j = Pos("-", c);
  if (j > 0) return {SemPontuacao(LeftStr(c, j - 1)), SemPontuacao(Copy(c, j + 1, 1))};
  const std::string digitos = SemPontuacao(c);
  return {LeftStr(digitos, static_cast<int>(digitos.size()) - 1), Right(digitos, 1)};
}

// The bank's kinds: simple "1", linked "5", pledged "3", discounted "6". A
// kind outside "1"-"4" has no code at the bank; the position stays blank so
// that every later field keeps its place.
std::string TipoCarteiraSantander(const std::string& tipo) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return "1";
  if (t == "2") return "5";
  if (t == "3") return "3";
  if (t == "4") return "6";
  return " ";
}

// The invoice without its first two digits and the instalment, or the title
// number when the title has no invoice.
std::string DocumentoSantander(const std::string& duplicata, const std::string& parcela,
                               const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 15);
  return PadR(Copy(Ajusta(duplicata, 10), 3, 8) + parcela, 15);
}

// Interest rates go to the bank with five implied decimals.
std::string Taxa(double x) {
  return VirgDeciAssu(FormatFloat("#0.00000", RoundDec(x, 2)), 15);
}

// A fine goes under the interest code as thirty times its percentage, with
// three implied decimals (2 % is 60.000): every rate keeps its magnitude, and
// a fine amount taken as a percentage of the title gives the same number as
// that percentage.
std::string TaxaMulta(double percentual) {
  return VirgDeciAssu(FormatFloat("#0.000", RoundDec(percentual, 2) * 30), 15);
}

// Charge code, date and amount (118-141): the first of interest percentage,
// daily interest, fine percentage and fine amount that the title carries.
// The fine amount travels as a percentage of the title value; a title without
// value has none to state, so that rule passes it over and the title goes
// without charge.
cnab240::TEncargo EncargoSantander(TTitulo& t, const std::string& vencimento) {
  auto v = [&t](const char* n) { return t.F(n); };
  const double valor = v("VRFINALBREC");
  if (v("VRPEMORBREC") != 0) return {"2", vencimento, Taxa(v("VRPEMORBREC"))};
  if (v("VRMORDIABREC") != 0) return {"1", vencimento, Money(v("VRMORDIABREC"), 15)};
  if (v("VRPEMULBREC") != 0) return {"2", vencimento, TaxaMulta(v("VRPEMULBREC"))};
  if (v("VRMULTABREC") != 0 && valor != 0)
    return {"2", vencimento, TaxaMulta(v("VRMULTABREC") * 100 / valor)};
  return {"3", "00000000", ""};
}

// Protest code and days (221-223). Days ask for protest (code "1") whatever
// other code the title carries; a title marked for no protest ("3") is never
// protested, its days are not sent, and the bank collects it at the
// company's agency.
struct TProtestoSantander : cnab240::TProtesto {
  bool semProtesto;  // marked for no protest
};

TProtestoSantander LeProtestoSantander(TTitulo& t) {
  const std::string codigo = t.S("CDDIAPROTBOL");
  const std::string dias = t.S("QTDIAPROTBOL");
  const bool semProtesto = !codigo.empty() && Right(codigo, 1) == "3";
  if (semProtesto || dias.empty() || Ajusta(Right(dias, 2), 2) == "00") return {{"3", "00"}, semProtesto};
  return {{"1", Right(dias, 2)}, false};
}

// What every record of the file takes from the batch, read once.
struct TLoteSantander {
  const TRemessa& rem;
  std::string banco, tipoEmpresa, inscricao, nomeEmpresa, ident, dataProc, movimento;
  TAgenciaSantander agencia;
  TContaSantander conta, cobranca;
  TAvalista avalista;
};

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteSantander& l) {
  r.put(9, 8, Preenche_Brancos(8));
  r.put(17, 1, l.tipoEmpresa);
  r.num(18, 15, LeftStr(l.inscricao, 15));
  r.num(33, 15, l.ident);
  r.put(48, 25, Replicate(" ", 25));
  r.put(73, 30, l.nomeEmpresa);
  r.put(103, 30, PadR(CampoValido(LeftStr(l.rem.ContaCorr.S("NMBANCO"), 30)), 30));
  r.put(133, 10, Replicate(" ", 10));
  r.put(143, 1, "1");
  r.put(144, 8, l.dataProc);
  r.put(152, 6, Replicate(" ", 6));
  r.num(158, 6, cnab240::SequenciaArquivo(l.rem));
  r.put(164, 3, "040");
  r.put(167, 74, Replicate(" ", 74));
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteSantander& l) {
  cnab240::ServicoLote(r, "  ", "030", l.tipoEmpresa);
  r.num(19, 15, LeftStr(l.inscricao, 15));
  r.put(34, 20, Replicate(" ", 20));
  r.num(54, 15, l.ident);
  r.put(69, 5, Replicate(" ", 5));
  r.put(74, 30, l.nomeEmpresa);
  r.put(104, 40, Replicate(" ", 40));
  r.put(144, 40, Replicate(" ", 40));
  r.num(184, 8, cnab240::NumeroRemessa(l.rem));
  r.put(192, 8, l.dataProc);
  r.put(200, 41, Replicate(" ", 41));
}

void Titulo(const TLoteSantander& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&](const char* n) { return t.S(n); };
  const cnab240::TValores v(t);
  const TProtestoSantander protesto = LeProtestoSantander(t);
  const cnab240::TEncargo encargo = EncargoSantander(t, v.vencimento);

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 4, l.agencia.numero);
    r.num(22, 1, l.agencia.dv);
    r.num(23, 9, l.conta.numero);
    r.num(32, 1, l.conta.dv);
    r.num(33, 9, l.cobranca.numero);
    r.num(42, 1, l.cobranca.dv);
    r.put(43, 2, "  ");
    // the stored number's last 13 digits, its check digit included; the bank's
    // check digit is a digit, so a "P" left in it stops the title
    r.num(45, 13, Right(SemPontuacao(v.nosso), 13));
    r.put(58, 1, TipoCarteiraSantander(bol("IDCARTCOBREC")));
    r.put(59, 1, "1");
    r.put(60, 1, "2");
    r.put(61, 1, " ");
    r.put(62, 1, " ");
    r.put(63, 15,
          DocumentoSantander(t.Registro(TRegistro::Duplicata, "DUPLICATA"),
                             t.Registro(TRegistro::Duplicata, "NRPARCELA"), bol("NRLANBOLREC")));
    r.put(78, 8, v.vencimento);
    r.num(86, 15, cnab240::Valor(v.valor));
    r.num(101, 5, protesto.semProtesto ? l.agencia.cobradora : "");
    r.put(106, 1, " ");
    r.put(107, 2, "02");
    r.put(109, 1, "N");
    r.put(110, 8, l.dataProc);
    cnab240::Encargo(r, 118, encargo);
    r.put(142, 1, v.desconto > 0 ? "1" : "0");
    r.put(143, 8, v.desconto > 0 ? v.vencimento : "00000000");
    r.num(151, 15, v.desconto > 0 ? cnab240::Valor(v.valor * v.desconto / 100) : "");
    r.put(166, 15, Replicate("0", 15));
    r.put(181, 15, Replicate("0", 15));
    r.put(196, 25, cnab240::IdentificacaoComCarteira(t));
    cnab240::Protesto(r, protesto, "2", "000");
    r.put(228, 2, "00");
    r.put(230, 11, Replicate(" ", 11));
    saida.escreve(r);
  }

  // Segment Q (payer, address and district trimmed, and the account's
  // guarantor)
  {
    Record r = saida.segmento("Q");
    cnab240::BlocoPagador(r, cnab240::Aparado(cnab240::LePagador(v.pagador)));
    cnab240::AvalistaNoQ(r, l.avalista, cnab240::AvalistaPreenchido(l.avalista), 11);
    r.put(210, 3, "000");
    r.put(213, 3, "000");
    r.put(216, 3, "000");
    r.put(219, 3, "000");
    r.put(222, 19, Replicate(" ", 19));
    saida.escreve(r);
  }

  // Segment R (fine and slip message), sent for every title; a title
  // without fine goes under the fixed-amount code with a zero amount
  {
    cnab240::TEncargo multa = cnab240::Multa(t, v.vencimento);
    if (multa.codigo == "0") multa.codigo = "1";
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    r.put(42, 24, Replicate(" ", 24));
    cnab240::Encargo(r, 66, multa);
    cnab240::SoMensagemR(r, t);
    saida.escreve(r);
  }
}

}  // namespace

void Remessa_BcoSantander(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::LeEmpresa(rem);
  const TLoteSantander lote{
      .rem = rem,
      .banco = rem.CNABRec.S("CDBANCCNAB"),
      .tipoEmpresa = empresa.tipo,
      .inscricao = empresa.inscricao,
      // The bank knows the company by its own registration, whatever branch sends.
      .nomeEmpresa = cnab240::NomeEmpresa(cnab240::LeEmpresaDoCadastro(rem).nome),
      // The transmission code as the bank numbers it: typed punctuation dropped.
      .ident = LeftStr(SemPontuacao(rem.IdentRec), 15),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
      .agencia = LeAgenciaSantander(rem),
      .conta = LeContaSantander(rem),
      .cobranca = LeContaCobrancaSantander(rem),
      .avalista = rem.Avalista(),
  };

  cnab240::Gera(rem, titulos, {.banco = lote.banco, .totaisZerados = false, .contaContas = false},
                lote.movimento, cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo));
}

}  // namespace layouts
