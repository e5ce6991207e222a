// Banco Real, CNAB 240: one lot of collection titles, segments P, Q and R for
// every title. The bank reads its own code "356" on every record, whichever
// of its codes the account carries, and knows the company by its registration
// (never a branch).
#include "layouts/cnab240/real.h"

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
// agency's first four digits and the account without its check digit. The
// agency's check digit is its last digit where the bank's picture has one,
// else a blank; an empty agency or account goes as zeros with a blank check
// digit, so that the fields after it keep their place.
struct TContaReal {
  bool completa;  // agency and account both stored: the agreement code names them
  std::string agencia, dvAgencia, conta, dvConta;
};

TContaReal LeContaReal(const TRemessa& rem) {
  const std::string agencia = SemPontuacao(AllTrim(rem.CNABRec.S("CDAGENCIA")));
  const std::string conta = SemPontuacao(rem.CNABRec.S("CDCONTCORR"));
  const bool dvNaAgencia = Pos("-", rem.CNABRec.S("CDPICTAGEN")) > 0;
  TContaReal c;
  c.completa = !agencia.empty() && !conta.empty();
  c.agencia = LeftStr(agencia, 4);
  c.dvAgencia = dvNaAgencia && !agencia.empty() ? Right(agencia, 1) : " ";
  c.conta = conta.empty() ? "" : SemPontuacao(rem.ContaCorrente());
  c.dvConta = conta.empty() ? " " : Right(conta, 1);
  return c;
}

// What every record of the file takes from the batch, read once.
struct TLoteReal {
  const TRemessa& rem;
  const cnab240::TLeiauteReal& leiaute;
  cnab240::TEmpresa empresa;
  TContaReal conta;
  std::string nomeEmpresa, dataProc, movimento;
};

// The bank's title number: with numbers of seven digits (or no size set) the
// stored number's last seven characters, with any other size its last
// thirteen; punctuation dropped first and the check character "P" kept. An
// empty number goes as zeros.
std::string NossoNumeroReal(const TRemessa& rem, const std::string& nosso) {
  const int tamanho = rem.TamanhoNossoNumero();
  return Right(NossoNumero(nosso), tamanho == 0 || tamanho == 7 ? 7 : 13);
}

// "1" when the bank issues the slip, "2" when the company does with its own
// number.
std::string EmissaoReal(const std::string& impressao, const std::string& nosso) {
  if (impressao == "B") return "1";
  return nosso.empty() ? "1" : "2";
}

// The last twelve digits of the invoice and its instalment, or the title
// number when the title has no invoice.
std::string DocumentoReal(const std::string& duplicata, const std::string& parcela,
                          const std::string& lancamento) {
  if (duplicata.empty()) return PadR(lancamento, 15);
  return PadR(Right(Ajusta(duplicata, 10) + Ajusta(parcela, 2), 15), 15);
}

// Charge code, date and amount (118-141): the first of interest percentage,
// daily interest, fine percentage and fine amount that the title carries,
// every amount as a percentage of the title. A title without value has no
// percentage to state for a daily interest or a fine amount: those rules pass
// it over, and the next rule that applies decides.
cnab240::TEncargo EncargoReal(TTitulo& t, const std::string& vencimento) {
  auto v = [&t](const char* n) { return t.F(n); };
  const double valor = v("VRFINALBREC");
  if (v("VRPEMORBREC") != 0) return {"1", vencimento, Money(v("VRPEMORBREC"), 15)};
  if (v("VRMORDIABREC") != 0 && valor != 0)
    return {"1", vencimento, Money(v("VRMORDIABREC") * 100 / valor, 15)};
  if (v("VRPEMULBREC") != 0) return {"2", vencimento, Money(v("VRPEMULBREC"), 15)};
  if (v("VRMULTABREC") != 0 && valor != 0)
    return {"2", vencimento, Money(v("VRMULTABREC") * 100 / valor, 15)};
  return {"3", "00000000", ""};
}

// Pledged and discounted titles travel under the company's contract with the
// bank; every other title with zeros.
std::string ContratoReal(const TRemessa& rem, const std::string& tipoCarteira) {
  if (tipoCarteira != "3" && tipoCarteira != "4") return "";
  return Right(SemPontuacao(rem.ContaCorr.S("CDCEDENTEBAN")), 10);
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteReal& l) {
  const TContaReal& c = l.conta;
  cnab240::EmpresaArquivo(r, l.empresa.tipo, LeftStr(l.empresa.inscricao, 14));
  r.put(33, 20, c.completa ? PadR(c.agencia + c.conta + "BA", 20) : Replicate("0", 20));
  r.num(53, 5, c.agencia);
  r.num(58, 1, c.dvAgencia, " ");
  r.num(59, 12, Right(c.conta, 12));
  r.num(71, 1, c.dvConta, " ");
  r.put(72, 1, " ");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, cnab240::NomeBanco(l.rem), "040");
  cnab240::ReservadoServico(r, "   ");
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteReal& l) {
  cnab240::ServicoLote(r, "  ", "040", l.empresa.tipo);
  cnab240::Inscricao15(r, 19, l.empresa.tipo, l.empresa.inscricao);
  r.put(34, 20, Replicate(" ", 20));
  r.num(54, 5, l.conta.agencia);
  r.put(59, 1, " ");
  r.num(60, 12, LeftStr(l.conta.conta, 12));
  r.put(72, 2, "  ");
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

void Titulo(const TLoteReal& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&](const char* n) { return t.Campo(n); };
  const cnab240::TValores v(t);
  const std::string carteira = bol("CDCARTCOBBOL").AsString();
  const cnab240::TProtesto protesto = cnab240::LeProtesto(t, true);
  const cnab240::TEncargo encargo = EncargoReal(t, v.vencimento);
  auto dup = [&](const char* n) { return t.Registro(TRegistro::Duplicata, n); };

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 5, l.conta.agencia);
    r.put(23, 1, " ");
    r.num(24, 12, LeftStr(l.conta.conta, 12));
    r.put(36, 2, "  ");
    if (l.leiaute.carteira) {
      r.num(38, 2, LeftStr(SemPontuacao(AllTrim(carteira)), 2));
      r.put(40, 5, "00000");
    } else {
      r.put(38, 7, "0000000");
    }
    r.num(45, 13, NossoNumeroReal(l.rem, v.nosso), "P");
    r.put(58, 3, "000");
    r.put(61, 1, EmissaoReal(v.impressao, v.nosso));
    r.put(62, 1, " ");
    r.put(63, 15, DocumentoReal(dup("DUPLICATA"), dup("NRPARCELA"), bol("NRLANBOLREC").AsString()));
    cnab240::VencimentoEEmissao(r, v, " ", "02", "A", l.dataProc);
    cnab240::Encargo(r, 118, encargo);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, cnab240::IdentificacaoComCarteira(t));
    cnab240::Protesto(r, protesto, "0", "   ");
    cnab240::MoedaEContrato(r, ContratoReal(l.rem, bol("IDCARTCOBREC").AsString()));
    saida.escreve(r);
  }

  // Segment Q (payer; the district travels in the address)
  cnab240::SegmentoQComBairroNoEndereco(saida, cnab240::LePagador(v.pagador));

  // Segment R (slip message)
  {
    Record r = saida.segmento("R");
    cnab240::SemDesconto(r, 18);
    cnab240::SemDesconto(r, 42);
    cnab240::Encargo(r, 66, {.codigo = "0"});
    cnab240::MensagensR(r, cnab240::MensagemBoleto(t), "");
    r.put(180, 20, Replicate(" ", 20));
    cnab240::SemDebitoAutomatico(r, " ");
    saida.escreve(r);
  }
}

}  // namespace

namespace cnab240 {

void RemessaReal(const TRemessa& rem, TTitulos& titulos, const TLeiauteReal& leiaute) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresaDoCadastro(rem));
  const TLoteReal lote{
      .rem = rem,
      .leiaute = leiaute,
      .empresa = empresa,
      .conta = LeContaReal(rem),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = leiaute.movimento,
  };

  cnab240::Gera(rem, titulos, {.banco = leiaute.banco}, lote.movimento,
                cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo));
}

}  // namespace cnab240

void Remessa_Real(const TRemessa& rem, TTitulos& titulos, bool) {
  cnab240::RemessaReal(rem, titulos, {.banco = "356", .movimento = cnab240::Movimento(rem.Operacao())});
}

}  // namespace layouts
