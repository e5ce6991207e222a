// Banco do Brasil, CNAB 240: one lot of collection titles, segments P and Q
// for every title and R, S and Y when the title or the company needs them.
#include <functional>

#include "fields/account.h"
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The portfolio code: the first two digits of the stored portfolio.
std::string Carteira(const std::string& c) {
  return LeftStr(SemPontuacao(c), 2);
}

// The batch account as the bank reads it: agency in 5 and account in 12
// digits, each followed by its check digit, the last digit of the stored
// code ("1234-5" is agency 1234, check digit 5). An empty code is sent as
// zeros with a blank check digit.
struct TContaBB {
  std::string agencia, dvAgencia, conta, dvConta;
};

TContaBB LeContaBB(const TRemessa& rem) {
  const std::string agencia = SemPontuacao(rem.CNABRec.S("CDAGENCIA"));
  const std::string conta = SemPontuacao(rem.CNABRec.S("CDCONTCORR"));
  TContaBB c;
  c.agencia = LeftStr(LeftStr(agencia, static_cast<int>(agencia.size()) - 1), 4);
  c.dvAgencia = Right(agencia, 1);
  c.conta =
      conta.empty()
          ? ""
          : LeftStr(SemPontuacao(ContaSemDv(conta, rem.CNABRec.S("CDPICTCONT"), rem.ContaLembrada)), 12);
  c.dvConta = Right(conta, 1);
  return c;
}

// What every record of the file takes from the batch, read once.
struct TLoteBB {
  const TRemessa& rem;
  std::string tipoEmpresa, inscricao, nomeEmpresa, ident, carteira, variacao, dataProc, movimento;
  TContaBB conta;
  TAvalista avalista;
  bool segmentoS;
};

// The bank's title number, read left-aligned and blank-filled: digits, the
// last of them may be the check digit "P", and never cut, as num takes a
// number.
void NossoNumeroAEsquerda(Record& r, int pos, int len, const std::string& v) {
  for (size_t i = 0; i < v.size(); ++i)
    if ((v[i] < '0' || v[i] > '9') && !(v[i] == 'P' && i + 1 == v.size()))
      throw ECampo(ECampo::TMotivo::naoNumerico, r.tipo(), pos, len, v);
  if (static_cast<int>(v.size()) > len) throw ECampo(ECampo::TMotivo::excede, r.tipo(), pos, len, v);
  r.put(pos, len, PadR(v, len));
}

// The agreement block of both headers: the agreement number, the bank's
// collection product "0014", portfolio and variation; blanks when the
// company has no agreement.
void Convenio(Record& r, int pos, const TLoteBB& l) {
  if (EmptyString(l.ident)) {
    r.put(pos, 20, Replicate(" ", 20));
    return;
  }
  r.num(pos, 9, LeftStr(SemPontuacao(AllTrim(l.ident)), 9));
  r.put(pos + 9, 4, "0014");
  r.num(pos + 13, 2, l.carteira);
  r.num(pos + 15, 3, l.variacao);
  r.put(pos + 18, 2, "  ");
}

// Agency, account and their check digits, as both headers and segment P
// carry them.
void Conta(Record& r, int pos, const TContaBB& c) {
  r.num(pos, 5, c.agencia);
  r.put(pos + 5, 1, c.dvAgencia);
  r.num(pos + 6, 12, c.conta);
  r.put(pos + 18, 1, c.dvConta);
  r.put(pos + 19, 1, " ");
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteBB& l) {
  cnab240::EmpresaArquivo(r, l.tipoEmpresa, LeftStr(l.inscricao, 14));
  Convenio(r, 33, l);
  Conta(r, 53, l.conta);
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, cnab240::NomeBanco(l.rem), "030");
  cnab240::ReservadoServico(r, "CSP");
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteBB& l) {
  cnab240::ServicoLote(r, "  ", "020", l.tipoEmpresa);
  r.num(19, 15, LeftStr(l.inscricao, 15));
  Convenio(r, 34, l);
  Conta(r, 54, l.conta);
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

// The bank registers its own numbers for these portfolios and for the slips
// it prints itself; the company sends zeros and lets the bank number them.
bool BancoNumera(const std::string& carteira, const std::string& impressao, const std::string& nosso) {
  return carteira == "11" || carteira == "31" || carteira == "51" || impressao == "B" || nosso.empty();
}

// The stored title number without its punctuation; one that holds nothing
// else is sent as stored, for the field to refuse.
std::string NossoNumeroBB(const std::string& carteira, const std::string& impressao,
                          const std::string& nosso) {
  if (BancoNumera(carteira, impressao, nosso)) return Replicate("0", 20);
  const std::string digitos = NossoNumero(nosso);
  return LeftStr(digitos.empty() ? nosso : digitos, 20);
}

// "1" when the bank issues and mails the slip, "2" when the company does.
std::string EmissaoBB(const std::string& carteira, const std::string& impressao, const std::string& nosso) {
  const bool banco = carteira == "11" || carteira == "12" || carteira == "31" || carteira == "51" ||
                     impressao == "B" || nosso.empty();
  return banco ? "1" : "2";
}

// Kind "1" in portfolio 17 is the bank's "7" (simple collection with
// registration). A kind outside "1"-"4" has no code at the bank: the
// position is left blank so that every later field keeps its place.
std::string TipoCarteiraBB(const std::string& tipo, const std::string& carteira) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return carteira == "17" ? "7" : "1";
  if (t == "2" || t == "3" || t == "4") return t;
  return " ";
}

// The invoice and its instalment ("0000123/02"), or the title number when
// the title has no invoice.
std::string DocumentoBB(const std::string& duplicata, const std::string& parcela,
                        const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 10) + Replicate(" ", 5);
  const std::string nrParcela = parcela == "00" ? "01" : parcela;
  return PadR(Right(Ajusta(duplicata, 7), 7), 7) + "/" + PadR(Ajusta(nrParcela, 2), 2) + Replicate(" ", 5);
}

// The invoice's issue date; a title without one was issued on its own date
// (where the titles list carries it), or on the processing day.
TDateTime EmissaoTitulo(TTitulo& t, const TRemessa& rem) {
  auto& duplicata = t.Registros(TRegistro::Duplicata);
  if (duplicata.Active() && !duplicata.IsEmpty() && !duplicata.FieldByName("DTEMISSAO").IsNull())
    return duplicata.FieldByName("DTEMISSAO").AsDateTime();
  return !t.Nulo("DTEMISBOLREC") ? t.D("DTEMISBOLREC") : rem.DataProc;
}

void Titulo(const TLoteBB& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&](const char* n) { return t.Campo(n); };
  const cnab240::TValores v(t);
  const std::string carteira = Carteira(v.carteira);
  const std::string emissao = EmissaoBB(carteira, v.impressao, v.nosso);
  const double moraDia = bol("VRMORDIABREC").AsFloat();
  const double moraPerc = bol("VRPEMORBREC").AsFloat();
  // The bank takes interest as an amount per day: the title's own, or what
  // its percentage gives on the title value.
  const double juros = moraDia != 0 ? moraDia : v.valor * moraPerc / 100;
  const bool comJuros = moraPerc != 0 || moraDia != 0;
  const std::string formaCadastro = bol("IDFORMCADBREC").AsString();
  const cnab240::TProtesto protesto = cnab240::LeProtesto(t, false);
  auto& duplicata = t.Registros(TRegistro::Duplicata);
  const std::string nrDuplicata =
      duplicata.Active() && !duplicata.IsEmpty() ? duplicata.FieldByName("DUPLICATA").AsString() : "";

  // Segment P
  {
    Record r = saida.segmento("P");
    Conta(r, 18, l.conta);
    NossoNumeroAEsquerda(r, 38, 20, NossoNumeroBB(carteira, v.impressao, v.nosso));
    r.put(58, 1, TipoCarteiraBB(bol("IDCARTCOBREC").AsString(), carteira));
    r.num(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
    r.put(60, 1, "2");
    r.put(61, 1, emissao);
    r.put(62, 1, emissao);
    r.put(63, 15, DocumentoBB(nrDuplicata, bol("NRPARCBOLREC").AsString(), bol("NRLANBOLREC").AsString()));
    cnab240::VencimentoEEmissao(r, v, " ", "02", "N", FormatDateTime("ddmmyyyy", EmissaoTitulo(t, l.rem)));
    cnab240::Encargo(r, 118, {comJuros ? "1" : "3", "00000000", comJuros ? Money(juros, 15) : ""});
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(v.controle, 25));
    cnab240::Protesto(r, protesto, "2", "000");
    cnab240::MoedaEContrato(r, "");
    saida.escreve(r);
  }

  // Segment Q
  cnab240::SegmentoQ(saida, cnab240::LePagador(v.pagador), "000");

  // Segment R (fine); the slip message only decides whether it is sent
  if (cnab240::TemSegmentoR(t)) {
    // a title without fine goes with a zero date
    cnab240::TEncargo multa = cnab240::Multa(t, v.vencimento);
    if (multa.codigo == "0") multa.data = "00000000";
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    cnab240::SemDesconto(r, 42);
    cnab240::Encargo(r, 66, multa);
    cnab240::MensagensR(r, "", "");
    r.put(180, 3, "000");
    r.put(183, 4, "0000");
    r.put(187, 13, Replicate("0", 13));
    cnab240::SemDebitoAutomatico(r, "0");
    saida.escreve(r);
  }

  // Segment S (payer e-mail), when the company sends slips by e-mail
  if (l.segmentoS) {
    Record r = saida.segmento("S");
    r.put(18, 1, "0");
    r.put(19, 40, PadR(LeftStr(bol("EMAILCOBCLIE").AsString(), 40), 40));
    r.put(59, 160, Replicate(" ", 160));
    r.put(219, 22, Replicate(" ", 22));
    saida.escreve(r);
  }

  // Segment Y, optional record "01" (guarantor)
  if (l.avalista.completo()) {
    Record r = saida.segmento("Y");
    cnab240::AvalistaY01(r, l.avalista);
    saida.escreve(r);
  }
}

}  // namespace

void Remessa_BB(const TRemessa& rem, TTitulos& titulos,
                bool /*the bank's file is the same for either kind*/) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresa(rem));
  const std::string variacao = rem.Parametro("NRVARIACARTCOB");
  const TLoteBB lote{
      .rem = rem,
      .tipoEmpresa = empresa.tipo,
      .inscricao = SemPontuacao(rem.Identidade().inscricao),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .ident = rem.IdentRec,
      .carteira = Carteira(rem.PrimeiroTitulo.S("CDCARTCOBBOL")),
      .variacao = variacao.empty() ? "019" : Right(SemPontuacao(variacao), 3),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
      .conta = LeContaBB(rem),
      .avalista = rem.Avalista(),
      .segmentoS = rem.Parametro("IDREGSEGSCOB") == "S",
  };

  cnab240::Gera(rem, titulos, {.banco = "001"}, lote.movimento,
                cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo));
}

}  // namespace layouts
