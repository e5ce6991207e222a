// Banco Rural, CNAB 240: one lot of collection titles, segments P, Q and R for
// every title. Every record starts with the batch's own layout bank code (the
// bank answers to two), the company is always the registered one, and the
// portfolio comes from the company's parameters at the bank.
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The batch account as the bank reads it, typed punctuation dropped: the
// agency's first four digits and its last stored digit as check digit, the
// account without its check digit. An empty agency or account goes as zeros,
// its check digit too, so that the fields after it keep their place.
cnab240::TConta LeContaRural(const TRemessa& rem) {
  const std::string agencia = SemPontuacao(AllTrim(rem.CNABRec.S("CDAGENCIA")));
  cnab240::TConta c;
  c.agencia = LeftStr(agencia, 4);
  c.dvAgencia = agencia.empty() ? "0" : Right(agencia, 1);
  c.conta = SemPontuacao(rem.CNABRec.S("CDCONTCORR")).empty() ? "" : SemPontuacao(rem.ContaCorrente());
  return c;
}

// The portfolio the bank reads at P 058: the last but one character of the
// company's portfolio code at the bank. The dispatcher refuses a code without
// one, or with "0" there, before the writer runs; a writer called by name
// refuses the same.
std::string CarteiraRural(const TRemessa& rem) {
  const std::string cart = AllTrim(rem.EmprBanc.S("CDCARTCOBR"));
  const std::string c = cart.size() < 2 ? "" : Copy(cart, static_cast<int>(cart.size()) - 1, 1);
  if (c.empty() || c == "0") rem.Erro("NR_CART_INV");
  return c;
}

// What every record of the file takes from the batch, read once.
struct TLoteRural {
  const TRemessa& rem;
  std::string banco;
  cnab240::TEmpresa empresa;
  cnab240::TConta conta;
  std::string ident, nomeEmpresa, dataProc, movimento, carteira;
};

// The bank's title number in seven digits and its check digit apart: the
// stored number's last character is its check digit (a digit, or the "P"
// some numberings give), the seven digits before it the number. An empty
// number goes as zeros.
struct TNossoRural {
  std::string numero, dv;
};

TNossoRural NossoNumeroRural(const std::string& nosso) {
  const std::string d = SemPontuacao(nosso);
  if (d.empty()) return {"", "0"};
  return {Right(d.substr(0, d.size() - 1), 7), Right(d, 1)};
}

// The last twelve digits of the invoice and its instalment, or the title
// number when the title has no invoice; nothing when the bank prints the
// slip (it numbers the document itself).
std::string DocumentoRural(TTitulo& t, bool bancoImprime) {
  if (bancoImprime) return Replicate(" ", 15);
  const std::string duplicata = t.Registro(TRegistro::Duplicata, "DUPLICATA");
  if (duplicata.empty()) return PadR(CampoValido(t.S("NRLANBOLREC")), 15);
  const std::string parcela = t.Registro(TRegistro::Duplicata, "NRPARCELA");
  return PadR(CampoValido(Right(Ajusta(duplicata, 10) + Ajusta(parcela, 2), 15)), 15);
}

// Charge code and amount (118 and 127-141): the first of interest
// percentage, daily interest, fine percentage and fine amount that the title
// carries, every amount as a percentage of the title; the bank takes no date
// (zeros).
// A title without value has no percentage to state for a daily interest or
// a fine amount: those rules pass it over, and the next rule that applies
// decides.
cnab240::TEncargo EncargoRural(TTitulo& t) {
  auto v = [&t](const char* n) { return t.F(n); };
  const double valor = v("VRFINALBREC");
  if (v("VRPEMORBREC") != 0) return {.codigo = "1", .valor = Money(v("VRPEMORBREC"), 15)};
  if (v("VRMORDIABREC") != 0 && valor != 0)
    return {.codigo = "1", .valor = Money(v("VRMORDIABREC") * 100 / valor, 15)};
  if (v("VRPEMULBREC") != 0) return {.codigo = "2", .valor = Money(v("VRPEMULBREC"), 15)};
  if (v("VRMULTABREC") != 0 && valor != 0)
    return {.codigo = "2", .valor = Money(v("VRMULTABREC") * 100 / valor, 15)};
  return {.codigo = "3"};
}

// Pledged and discounted titles travel under the company's contract with the
// bank; every other title with zeros.
std::string ContratoRural(const TRemessa& rem, const std::string& tipoCarteira) {
  if (tipoCarteira != "3" && tipoCarteira != "4") return "";
  return Right(SemPontuacao(rem.ContaCorr.S("CDCEDENTEBAN")), 10);
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteRural& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, LeftStr(l.empresa.inscricao, 14));
  r.put(33, 8, l.ident);
  r.put(41, 12, Replicate(" ", 12));
  r.num(53, 5, l.conta.agencia);
  r.num(58, 1, l.conta.dvAgencia);
  r.put(59, 3, "000");
  r.num(62, 10, l.conta.conta);
  r.put(72, 1, "0");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, cnab240::NomeBanco(l.rem), "030");
  cnab240::ReservadoArquivo(r);
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteRural& l) {
  cnab240::ServicoLote(r, "  ", "020", l.empresa.tipo);
  cnab240::Inscricao15(r, 19, l.empresa.tipo, l.empresa.inscricao);
  r.put(34, 8, l.ident);
  r.put(42, 12, Replicate(" ", 12));
  r.num(54, 5, l.conta.agencia);
  r.put(59, 1, " ");
  r.put(60, 3, "000");
  r.num(63, 10, LeftStr(l.conta.conta, 10));
  r.put(73, 1, "0");
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

void Titulo(const TLoteRural& l, TTitulo& t, const cnab240::TSaida& saida) {
  const cnab240::TValores v(t);
  const bool bancoImprime = v.impressao == "B";
  const TNossoRural nosso = NossoNumeroRural(v.nosso);
  const std::string forma = t.S("IDFORMCADBREC");
  const cnab240::TProtesto protesto = cnab240::LeProtesto(t, true);
  const cnab240::TEncargo encargo = EncargoRural(t);

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 5, l.conta.agencia);
    r.put(23, 1, " ");
    r.put(24, 3, "000");
    r.num(27, 10, LeftStr(l.conta.conta, 10));
    r.put(37, 1, "0");
    r.num(38, 7, nosso.numero);
    r.num(45, 1, nosso.dv, "P");
    r.put(46, 12, Replicate("0", 12));
    r.num(58, 1, l.carteira);
    r.num(59, 1, forma.empty() ? "1" : forma);
    r.put(60, 1, "1");
    r.put(61, 1, bancoImprime ? "9" : "2");
    r.put(62, 1, bancoImprime ? "1" : "2");
    r.put(63, 15, DocumentoRural(t, bancoImprime));
    cnab240::VencimentoEEmissao(r, v, " ", "06", "A", l.dataProc);
    cnab240::Encargo(r, 118, encargo);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, cnab240::IdentificacaoComCarteira(t));
    cnab240::Protesto(r, protesto, "0", "000");
    cnab240::MoedaEContrato(r, ContratoRural(l.rem, t.S("IDCARTCOBREC")));
    saida.escreve(r);
  }

  // Segment Q (payer; the district travels in the address)
  cnab240::SegmentoQComBairroNoEndereco(saida, cnab240::LePagador(v.pagador));

  // Segment R (slip message)
  {
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    r.put(42, 24, Replicate(" ", 24));
    r.put(66, 24, Replicate(" ", 24));
    cnab240::SoMensagemR(r, t);
    saida.escreve(r);
  }
}

}  // namespace

void Remessa_BcoRural(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresaDoCadastro(rem));
  const std::string ident = AllTrim(rem.IdentRec);
  const TLoteRural lote{
      .rem = rem,
      .banco = rem.CNABRec.S("CDBANCCNAB"),
      .empresa = empresa,
      .conta = LeContaRural(rem),
      .ident = PadR(CampoValido(LeftStr(ident, 8)), 8),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
      .carteira = CarteiraRural(rem),
  };

  cnab240::TRegistros registros = cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo);
  // File trailer (type "9"): lot "0000" and no counts, the bank counts the
  // lot's records in the lot trailer only.
  registros.trailerArquivo = [](cnab240::TArquivo& arq) {
    Record f = arq.TrailerArquivo();
    f.put(9, 232, Replicate(" ", 232));
    arq.write(f);
  };
  cnab240::Gera(rem, titulos, {.banco = lote.banco, .loteTrailerArquivo = "0000"}, lote.movimento, registros);
}

}  // namespace layouts
