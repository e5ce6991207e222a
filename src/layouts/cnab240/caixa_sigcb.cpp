// Caixa Econômica Federal, CNAB 240, the bank's second layout (chosen by the
// company's bank parameters): the company is known by a numeric agreement
// code of up to seven digits. One lot of collection titles, segments P and Q
// for every title and R when it carries a message or a fine.
//
// A code up to 999999 is the old six-digit code (file layout "101", lot
// layout "060"); a seven-digit one is the new code ("107", "067").
#include <functional>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab240/caixa.h"
#include "layouts/cnab240/cnab240.h"

namespace layouts {

using namespace fields;

namespace {

// The agreement code as the bank reads it in every record: seven positions
// and, in the lot header, the six-digit field of the old code.
struct TConvenioSigcb {
  std::string sete;    // 7 digits
  std::string seis;    // 6 digits ("000000" for a seven-digit code)
  bool longo = false;  // above 999999
};

// The code is read as a number: typed punctuation dropped, leading zeros
// carry no value. A six-digit code goes left-aligned in the seven positions
// with one filler "0" ("123456" is "1234560"), a shorter one is zero-filled
// to its six digits first, so that the bank still reads the same number
// ("12345" is "0123450", never "1234500"). An account without a code, a
// code with a letter or one of more than seven digits stops the run before
// the file exists: cut or padded, it would name another agreement.
TConvenioSigcb LeConvenioSigcb(const TRemessa& rem) {
  const std::string digitos = SemPontuacao(rem.ContaCorr.S("CDCEDENTEBAN"));
  if (digitos.empty()) rem.Erro("CODCONV_INF");
  for (char c : digitos)
    if (c < '0' || c > '9') throw ECampo(ECampo::TMotivo::naoNumerico, "0", 59, 7, digitos);
  const size_t inicio = digitos.find_first_not_of('0');
  const std::string valor = inicio == std::string::npos ? "0" : digitos.substr(inicio);
  if (valor.size() > 7) throw ECampo(ECampo::TMotivo::excede, "0", 59, 7, digitos);
  TConvenioSigcb c;
  c.longo = valor.size() == 7;
  c.seis = c.longo ? "000000" : PreencheZeroEsquerda(valor, 6);
  c.sete = c.longo ? valor : c.seis + "0";
  return c;
}

// Simple "1", secured "3" and discounted "4" collection are the kinds the
// bank registers; any other kind, or none, stops the run before the file.
std::string TipoCarteiraSigcb(const TRemessa& rem, TTitulo& t) {
  const std::string tipo = t.S("IDCARTCOBREC");
  if (tipo == "1" || tipo == "3" || tipo == "4") return tipo;
  rem.Recusa(t, "TipoCart_INV");
}

// The bank numbers the title itself unless the company prints the slip; the
// company's number goes without its first two digits (the bank's modality).
std::string NossoNumeroSigcb(TTitulo& t) {
  const std::string impressao = t.S("IDIMPRBOLBOL");
  const std::string nosso = t.S("CDNOSNUMREC");
  if ((impressao != "E" && impressao != "F") || nosso.empty()) return "";
  return Copy(SemPontuacao(nosso), 3, 15);
}

// What every record of the file takes from the batch, read once.
struct TLoteSigcb {
  const TRemessa& rem;
  cnab240::TEmpresa empresa;
  TConvenioSigcb convenio;
  cnab240::TAgenciaCaixa agencia;
  TAvalista avalista;
  std::string nomeEmpresa, dataProc, movimento;
};

// File header (type "0"), from 009.
void HeaderArquivo(Record& r, const TLoteSigcb& l) {
  cnab240::EmpresaArquivo(r, l.empresa.tipo, l.empresa.inscricao);
  r.put(33, 20, Replicate("0", 20));
  r.num(53, 5, l.agencia.arquivo);
  r.num(58, 1, l.agencia.dv, " ");
  r.num(59, 7, l.convenio.sete);
  r.put(66, 6, "000000");
  r.put(72, 1, "0");
  cnab240::GeracaoArquivo(r, l.rem, l.nomeEmpresa, PadR("CAIXA ECONOMICA FEDERAL", 30),
                          l.convenio.longo ? "107" : "101");
  r.put(172, 20, Replicate(" ", 20));
  r.put(192, 20, PadR(l.rem.ContaCorr.S("IDFASCNABREC") == "T" ? "REMESSA-TESTE" : "REMESSA-PRODUCAO", 20));
  r.put(212, 29, Replicate(" ", 29));
}

// Lot header (type "1"), from 009. Its remittance number is the account's
// sequence, as in the file header.
void HeaderLote(Record& r, const TLoteSigcb& l) {
  const std::string seq = l.rem.CNABRec.S("NRSEQREMESSAREC");
  cnab240::ServicoLote(r, "00", l.convenio.longo ? "067" : "060", l.empresa.tipo);
  r.num(19, 15, LeftStr(l.empresa.inscricao, 15));
  r.num(34, 7, l.convenio.sete);
  r.put(41, 13, Replicate("0", 13));
  r.num(54, 5, l.agencia.lote);
  r.num(59, 1, l.agencia.dv, " ");
  r.num(60, 6, l.convenio.seis);
  r.put(66, 7, Replicate("0", 7));
  r.put(73, 1, "0");
  r.put(74, 30, l.nomeEmpresa);
  r.put(104, 40, Replicate(" ", 40));
  r.put(144, 40, Replicate(" ", 40));
  r.num(184, 8, seq.empty() ? "00000001" : Right(seq, 8));
  r.put(192, 8, l.dataProc);
  r.put(200, 8, "00000000");
  r.put(208, 33, Replicate(" ", 33));
}

void Titulo(const TLoteSigcb& l, TTitulo& t, const cnab240::TSaida& saida) {
  auto bol = [&](const char* n) { return t.S(n); };
  const cnab240::TValores v(t);
  const double moraDia = t.F("VRMORDIABREC");
  const bool doBanco = v.impressao == "B";
  const std::string formaCadastro = bol("IDFORMCADBREC");
  // Protest only on the title's code (any code but "3" asks for it), with
  // the title's days as they come; return the same way.
  const std::string cdProtesto = bol("CDDIAPROTBOL"), qtProtesto = bol("QTDIAPROTBOL");
  const std::string cdDevolucao = bol("CDDIADEVOL"), qtDevolucao = bol("QTDIADEVOL");

  // Segment P
  {
    Record r = saida.segmento("P");
    r.num(18, 5, l.agencia.lote);
    r.num(23, 1, l.agencia.dv, " ");
    r.num(24, 7, l.convenio.sete);
    r.put(31, 7, "0000000");
    r.put(38, 2, "00");
    r.put(40, 1, "0");
    r.num(41, 2, LeftStr(v.carteira, 2));
    r.num(43, 15, NossoNumeroSigcb(t));
    r.put(58, 1, TipoCarteiraSigcb(l.rem, t));
    r.num(59, 1, formaCadastro.empty() ? "1" : formaCadastro);
    r.put(60, 1, "2");
    r.put(61, 1, doBanco ? "1" : "2");
    r.put(62, 1, doBanco ? "2" : "0");
    r.put(63, 11, PadR(bol("NRLANBOLREC"), 11));
    r.put(74, 4, Replicate(" ", 4));
    cnab240::VencimentoEEmissao(r, v, "0", "02", "N", l.dataProc);
    // interest from the day after the due date, only when the title has some
    if (moraDia != 0)
      cnab240::Encargo(r, 118, {"1", FormatDateTime("ddmmyyyy", v.dataVencimento + 1), Money(moraDia, 15)});
    else
      cnab240::Encargo(r, 118, {.codigo = "3"});
    cnab240::SemDescontoIofAbatimento(r);
    r.put(196, 25, PadR(v.controle, 25));
    r.put(221, 1, cdProtesto.empty() || cdProtesto == "3" ? "3" : "1");
    r.num(222, 2, qtProtesto.empty() ? "00" : Right(qtProtesto, 2));
    r.put(224, 1, cdDevolucao.empty() || cdDevolucao == "2" ? "2" : "1");
    r.num(225, 3, qtDevolucao.empty() ? "000" : Right(qtDevolucao, 3));
    cnab240::MoedaEContrato(r, "");
    saida.escreve(r);
  }

  // Segment Q: the payer (override record first) and the account's guarantor.
  {
    Record r = saida.segmento("Q");
    cnab240::BlocoPagador(r, cnab240::LePagador(v.pagador));
    cnab240::AvalistaNoQ(r, l.avalista, cnab240::AvalistaPreenchido(l.avalista), 11);
    cnab240::CorrespondenteNoQ(r, "000");
    saida.escreve(r);
  }

  // Segment R (fine and the slip's first message line). The fine goes as
  // money whether it is a percentage or an amount: an amount multiplied by
  // 100 would have the bank charge a hundred times the fine.
  if (cnab240::TemSegmentoR(t)) {
    Record r = saida.segmento("R");
    r.put(18, 48, Replicate("0", 48));
    cnab240::Encargo(r, 66, cnab240::Multa(t, v.vencimento));
    cnab240::SoMensagemR(r, t);
    saida.escreve(r);
  }
}

// Lot trailer (type "5"): the bank takes the totals per kind from the file,
// so they go as zeros up to the secured collection.
void TrailerLote(cnab240::TArquivo& arq) {
  Record r = arq.TrailerLote();
  r.put(9, 9, Replicate(" ", 9));
  r.num(18, 6, IntToStr(arq.RegistrosLote()));
  r.put(24, 6, "000000");
  r.put(30, 17, Replicate("0", 17));
  r.put(47, 23, Replicate("0", 23));
  r.put(70, 6, "000000");
  r.put(76, 17, Replicate("0", 17));
  r.put(93, 148, Replicate(" ", 148));
  arq.write(r);
}

}  // namespace

void Remessa_BcoCaixa_SIGCB(const TRemessa& rem, TTitulos& titulos, bool) {
  // The bank knows the company by its own registration, whatever branch sends.
  const cnab240::TEmpresa empresa = cnab240::Verificada(rem, cnab240::LeEmpresaDoCadastro(rem));
  const TLoteSigcb lote{
      .rem = rem,
      .empresa = empresa,
      .convenio = LeConvenioSigcb(rem),
      .agencia = cnab240::LeAgenciaCaixa(rem, true),
      .avalista = rem.Avalista(),
      .nomeEmpresa = cnab240::NomeEmpresa(empresa.nome),
      .dataProc = FormatDateTime("ddmmyyyy", rem.DataProc),
      .movimento = cnab240::Movimento(rem.Operacao()),
  };

  // What the bank could not read, and a kind it does not register, stop the
  // run before the file exists.
  cnab240::TRegistros registros = cnab240::Registros(lote, HeaderArquivo, HeaderLote, Titulo);
  registros.trailerLote = TrailerLote;
  cnab240::Gera(rem, titulos, {.banco = "104", .contaContas = false}, lote.movimento, registros);
}

}  // namespace layouts
