// HSBC, CNAB 240: one lot of collection titles, segments P and Q for every
// title (the layout carries no fine and no message). The bank knows the
// company by its registration, never a branch, and by an agreement code made
// of the batch's agency and account.
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
// each field's cut. The agency is stored with its check digit; the bank
// reads the account whole, check digit included.
struct TContaHSBC {
  bool semAgencia, semConta;
  std::string agencia, conta;
};

TContaHSBC LeContaHSBC(const TRemessa& rem) {
  const std::string agencia = rem.CNABRec.S("CDAGENCIA");
  const std::string conta = rem.CNABRec.S("CDCONTCORR");
  return {agencia.empty(), conta.empty(), SemPontuacao(AllTrim(agencia)), SemPontuacao(AllTrim(conta))};
}

// The agency in a field of n positions; a batch without agency sends five
// zeros and blanks after them, as the bank has always been sent.
void AgenciaHSBC(Record& r, int pos, int n, const TContaHSBC& c) {
  if (c.semAgencia)
    r.put(pos, n, PadR("00000", n));
  else
    r.num(pos, n, LeftStr(c.agencia, n));
}

// The account's last n digits; zeros without an account.
void ContaHSBC(Record& r, int pos, int n, const TContaHSBC& c) {
  r.num(pos, n, c.semConta ? "" : Right(c.conta, n));
}

// What every record of the file takes from the batch, read once.
struct TLoteHSBC {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  TContaHSBC conta;
  std::string convenio, nomeEmpresa, dataProc, movimento;
};

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteHSBC& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, LeftStr(l.empresa.inscricao, 14));
  r.put(33, 3, "COB");
  r.put(36, 4, "CNAB");
  r.num(40, 13, l.convenio);
  r.num(53, 5, l.conta.semAgencia ? "" : LeftStr(l.conta.agencia, 5));
  r.put(58, 1, "0");
  ContaHSBC(r, 59, 12, l.conta);
  r.put(71, 2, "00");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, cnab240::NomeBanco(l.rem), "010");
  r.put(172, 1, "S");
  r.put(173, 11, Replicate(" ", 11));
  r.put(184, 1, "S");
  r.put(185, 7, Replicate(" ", 7));
  r.put(192, 20, Replicate(" ", 20));
  r.put(212, 29, Replicate(" ", 29));
}

// Lot header (type "1"), from 009.
void HeaderLote(Record& r, const TLoteHSBC& l) {
  cnab240::ServicoLote(r, "00", "010", l.empresa.tipo);
  r.num(19, 15, LeftStr(l.empresa.inscricao, 15));
  r.put(34, 3, "COB");
  r.put(37, 4, Replicate(" ", 4));
  r.num(41, 13, l.convenio);
  AgenciaHSBC(r, 54, 6, l.conta);
  ContaHSBC(r, 60, 13, l.conta);
  r.put(73, 1, "0");
  cnab240::FimHeaderLote(r, l.rem, l.nomeEmpresa);
}

// Charge code and amount (118, 127-141): the interest percentage first, then
// the daily interest, each as money; the bank takes no date (zeros).
cnab240::TEncargo EncargoHSBC(TTitulo& t) {
  if (t.F("VRPEMORBREC") != 0) return {.codigo = "2", .valor = Money(t.F("VRPEMORBREC"), 15)};
  if (t.F("VRMORDIABREC") != 0) return {.codigo = "1", .valor = Money(t.F("VRMORDIABREC"), 15)};
  return {.codigo = "3"};
}

// The bank's protest codes: "4" for the title's code "1", "5" for "2", no
// protest ("3") for anything else.
std::string ProtestoHSBC(const std::string& codigo) {
  if (codigo == "1") return "4";
  if (codigo == "2") return "5";
  return "3";
}

// Protest days as a whole number: none (or less) "00", one day "02" (the
// bank counts no fewer than two); more days than the field holds stop the
// title rather than reach the bank as other days.
std::string DiasProtestoHSBC(TTitulo& t) {
  if (t.Nulo("QTDIAPROTBOL") || EmptyString(t.S("QTDIAPROTBOL"))) return "00";
  const int dias = static_cast<int>(t.F("QTDIAPROTBOL"));
  if (dias <= 0) return "00";
  if (dias == 1) return "02";
  return IntToStr(dias);
}

void Titulo(const TLoteHSBC& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&t](const char* n) { return t.S(n); };
  const cnab240::TValores v(t);
  const bool bancoEmite = v.impressao == "B";
  const std::string carteira = AllTrim(bol("IDCARTCOBREC"));
  const std::string titulo = CampoValido(v.controle);
  const cnab240::TEncargo encargo = EncargoHSBC(t);

  // Segment P
  {
    Record r = saida.segmento("P");
    AgenciaHSBC(r, 18, 5, l.conta);
    r.put(23, 1, l.conta.semAgencia ? " " : "0");
    ContaHSBC(r, 24, 12, l.conta);
    r.put(36, 1, " ");
    r.put(37, 1, "0");
    // the stored number's last eleven digits, its check digit included
    r.num(38, 11, Right(SemPontuacao(v.nosso), 11));
    r.put(49, 9, Replicate(" ", 9));
    r.num(58, 1, carteira.empty() ? "1" : LeftStr(carteira, 1));
    r.put(59, 1, bol("IDFORMCADBREC") == "1" ? "1" : "2");
    r.put(60, 1, "1");
    r.put(61, 1, bancoEmite ? "9" : "2");
    r.put(62, 1, bancoEmite ? "1" : "2");
    r.put(63, 15, PadR(AllTrim(titulo), 15));
    r.put(78, 8, v.vencimento);
    r.num(86, 15, cnab240::Valor(v.valor));
    AgenciaHSBC(r, 101, 6, l.conta);
    r.put(107, 2, "02");
    r.put(109, 1, "A");
    r.put(110, 8, l.dataProc);
    cnab240::Encargo(r, 118, encargo);
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(titulo, 25));
    cnab240::Protesto(r, {ProtestoHSBC(bol("CDDIAPROTBOL")), DiasProtestoHSBC(t)}, "2", "000");
    cnab240::MoedaEContrato(r, "");
    saida.escreve(r);
  }

  // Segment Q (payer; the address in 38 positions, no guarantor)
  {
    const cnab240::TPagador p = cnab240::LePagador(v.pagador);
    Record r = saida.segmento("Q");
    r.put(18, 1, p.tipo);
    r.num(19, 15, LeftStr(SemPontuacao(p.inscricao), 15));
    r.put(34, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
    r.put(74, 38, PadR(CampoValido(LeftStr(p.endereco, 38)), 38));
    r.put(112, 2, "  ");
    r.put(114, 15, PadR(CampoValido(LeftStr(p.bairro, 15)), 15));
    r.num(129, 8, LeftStr(CampoValidoCEPTEL(p.cep), 8));
    r.put(137, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
    r.put(152, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
    cnab240::SemAvalistaNoQ(r, "   ");
    saida.escreve(r);
  }
}

}  // namespace

void Remessa_BcoHSBC(const TRemessa& rem, TTitulos& titulos, bool) {
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresaDoCadastro(rem));
  const TContaHSBC conta = LeContaHSBC(rem);
  const TLoteHSBC lote{
      .rem = rem,
      .empresa = empresa,
      .conta = conta,
      // the agency's first four digits and the account's first seven
      .convenio = LeftStr(conta.agencia, 4) + LeftStr(conta.conta, 7),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
  };

  cnab240::Gera(rem, titulos, {.banco = "399"}, lote.movimento,
                cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo));
}

}  // namespace layouts
