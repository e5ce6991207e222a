// Nossa Caixa, CNAB 240 (layout "020"): one lot of collection titles, segments
// P and Q for every title. The company is always the batch's company, known
// to the bank by its agency and account.
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The batch account as the bank reads it in every record: the agency's
// first five digits in six positions, the account's first eight digits and
// its check digit ("0" for an account without one).
cnab240::TConta LeContaNossaCaixa(const TRemessa& rem) {
  return {.agencia = LeftStr(SemPontuacao(rem.CNABRec.S("CDAGENCIA")), 5),
          .dvAgencia = "",
          .conta = LeftStr(SemPontuacao(rem.ContaCorrente()), 8),
          .dvConta = Right(SemPontuacao(rem.DacContaCorrente()), 1)};
}

// The company's number for the title, when the company prints the slip: "9"
// and the stored number's first nine digits.
std::string NossoNumeroNossaCaixa(TTitulo& t) {
  const std::string digitos = SemPontuacao(t.S("CDNOSNUMREC"));
  if (t.S("IDIMPRBOLBOL") == "B" || digitos.empty()) return "";
  return "9" + Ajusta(LeftStr(digitos, 9), 9);
}

// The invoice's last 13 characters, or the title number when the title has
// no invoice.
std::string DocumentoNossaCaixa(TTitulo& t) {
  const std::string duplicata = t.Registro(TRegistro::Duplicata, "DUPLICATA");
  if (duplicata.empty()) return PadR(t.S("NRLANBOLREC"), 13);
  return PadR(Right(Ajusta(duplicata, 13), 13), 13);
}

// Charge code (119) and amount (128-142): the daily amount when the title
// has one, else its percentage of the title value. Code and amount follow
// the same test, so a title that asks for a charge always states how much.
struct TEncargoNossaCaixa {
  std::string codigo, valor;
};

TEncargoNossaCaixa EncargoNossaCaixa(TTitulo& t) {
  const double moraDia = t.F("VRMORDIABREC");
  const double percentual = t.F("VRPEMORBREC");
  if (moraDia != 0) return {"1", cnab240::Valor(moraDia)};
  if (percentual != 0) return {"1", cnab240::Valor(percentual * t.F("VRFINALBREC") / 100)};
  return {"3", ""};
}

// Agency, "0000", account and its check digit, as both headers and segment P
// carry them.
void ContaNossaCaixa(Record& r, int pos, const cnab240::TConta& c) {
  r.num(pos, 6, c.agencia);
  r.put(pos + 6, 4, "0000");
  r.num(pos + 10, 8, c.conta);
  r.num(pos + 18, 1, c.dvConta);
}

// What every record of the file takes from the batch, read once.
struct TLoteNossaCaixa {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  cnab240::TConta conta;
  std::string nomeEmpresa, dataProc, movimento;
};

// The company's tax id: a person's from its start, a company's from its end.
std::string InscricaoNossaCaixa(const cnab240::TEmpresa& e, int n) {
  return e.tipo == "1" ? LeftStr(e.inscricao, n) : Right(e.inscricao, n);
}

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteNossaCaixa& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, InscricaoNossaCaixa(l.empresa, 14));
  r.put(33, 20, Replicate(" ", 20));
  ContaNossaCaixa(r, 53, l.conta);
  r.put(72, 1, " ");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, PadR("BANCO NOSSA CAIXA", 30), "020");
  r.put(172, 69, Replicate(" ", 69));
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteNossaCaixa& l) {
  cnab240::ServicoLote(r, "00", "020", l.empresa.tipo);
  r.num(19, 15, InscricaoNossaCaixa(l.empresa, 15));
  r.put(34, 20, Replicate(" ", 20));
  ContaNossaCaixa(r, 54, l.conta);
  r.put(73, 1, " ");
  r.put(74, 30, l.nomeEmpresa);
  r.put(104, 3, Replicate(" ", 3));
  r.put(107, 3, Replicate(" ", 3));
  r.put(110, 40, Replicate(" ", 40));
  r.put(150, 34, Replicate(" ", 34));
  r.num(184, 8, cnab240::NumeroRemessa(l.rem));
  r.put(192, 8, l.dataProc);
  r.put(200, 8, "00000000");
  r.put(208, 33, Replicate(" ", 33));
}

void Titulo(const TLoteNossaCaixa& l, TTitulo& t, const cnab240::TSaida& saida) {
  const TEncargoNossaCaixa encargo = EncargoNossaCaixa(t);

  // Segment P
  {
    Record r = saida.segmento("P");
    ContaNossaCaixa(r, 18, l.conta);
    r.put(37, 5, Replicate(" ", 5));
    r.put(42, 6, "000000");
    r.num(48, 10, NossoNumeroNossaCaixa(t));
    r.put(58, 2, "05");
    r.put(60, 1, "1");
    r.put(61, 1, "2");
    r.put(62, 1, "0");
    r.put(63, 3, Replicate(" ", 3));
    r.put(66, 13, DocumentoNossaCaixa(t));
    r.put(79, 8, FormatDateTime("ddmmyyyy", t.D("DTVENBOLREC")));
    r.num(87, 15, cnab240::Valor(t.F("VRFINALBREC")));
    r.put(102, 6, "000000");
    r.put(108, 2, "02");
    r.put(110, 1, "N");
    r.put(111, 8, l.dataProc);
    r.put(119, 1, encargo.codigo);
    r.put(120, 8, Replicate(" ", 8));
    r.num(128, 15, encargo.valor);
    r.put(143, 1, "0");
    r.put(144, 8, "00000000");
    r.put(152, 15, Replicate("0", 15));
    r.put(167, 30, Replicate(" ", 30));
    r.put(197, 25, PadR(t.S("CDFILIAL") + t.S("NRLANBOLREC"), 25));
    r.put(222, 1, " ");
    r.put(223, 2, "00");
    r.put(225, 4, Replicate(" ", 4));
    r.put(229, 2, "00");
    r.put(231, 3, Replicate(" ", 3));
    r.put(234, 3, "000");
    r.put(237, 4, Replicate(" ", 4));
    saida.escreve(r);
  }

  // Segment Q: the payer (override record first), address and district
  // trimmed, no guarantor.
  cnab240::SegmentoQ(saida, cnab240::Aparado(cnab240::LePagador(t)), "   ");
}

}  // namespace

void Remessa_BcoNossaCaixa(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresaDoCadastro(rem));
  const TLoteNossaCaixa lote{
      .rem = rem,
      .empresa = empresa,
      .conta = LeContaNossaCaixa(rem),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
  };

  // The bank's lot count holds the detail records alone.
  cnab240::Gera(rem, titulos, {.banco = "151", .registrosAlemDosDetalhes = 0, .totaisZerados = false},
                lote.movimento, cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo));
}

}  // namespace layouts
