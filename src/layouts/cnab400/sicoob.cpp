// SICOOB, CNAB 400: a header, one detail per marked title, the common
// trailer. The dispatcher sends the bank's batches to its CNAB 240 file; this
// one is written only for a caller that asks for it by name, so the writer
// guards the operation itself.
#include "layouts/cnab400/sicoob.h"

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "host/messages.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

std::string ModalidadeSicoob(const std::string& tipo) {
  const std::string t = LeftStr(tipo, 1);
  if (t == "1") return "01";
  if (t == "2") return "02";
  if (t == "3") return "03";
  return "";
}

void AgenciaSicoob(Record& r, int pos, int digitos, const TRemessa& rem) {
  const std::string agencia = SemPontuacao(rem.ContaCorr.S("CDAGENCIA"));
  if (Pos("-", rem.ContaCorr.S("CDPICTAGEN")) > 0) {
    r.num(pos, digitos + 1, Right(agencia, digitos + 1));
  } else {
    r.num(pos, digitos, Right(agencia, digitos));
    r.put(pos + digitos, 1, " ");
  }
}

namespace {

// Rates with four implied decimals; a rate of 100 % or more does not fit
// and stops the title at the numeric field.
std::string Taxa(TTitulo& t, const char* campo) {
  if (t.Nulo(campo)) return "";
  return VirgDeciAssu(FormatFloat("#00.0000", RoundDec(t.F(campo), 2)), 6);
}

// The layout tells the bank nothing but registration: an exclusion or
// alteration batch would reach it as new titles.
void VerificaOperacao(const TRemessa& rem) {
  const std::string operacao = rem.Operacao();
  if (operacao == "I") return;
  std::string texto = rem.Msg("OPER_NAO_EXPRESSA");
  for (const std::string& v : {std::string("756"), rem.Msg(operacao)}) {
    const size_t at = texto.find("%s");
    if (at != std::string::npos) texto.replace(at, 2, v);
  }
  host::MensErro(texto, true, "OPER_NAO_EXPRESSA");
}

}  // namespace

void Remessa_SICOOB(const TRemessa& rem, TTitulos& titulos, bool) {
  VerificaOperacao(rem);
  titulos.Verifica([&](TTitulo& t) {
    if (ModalidadeSicoob(t.S("IDCARTCOBREC")).empty()) rem.Recusa(t, "TipoCart_INV");
  });

  auto conta = [&](const char* n) { return rem.ContaCorr.S(n); };
  const TIdentidade empresa = rem.Identidade();
  const std::string sequencia = rem.CNABRec.S("NRSEQREMESSAREC");
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0"), built before the file so that a value the bank
  // could not read stops the run first.
  Record h(400);
  h.put(1, 1, "0");
  h.put(2, 1, "1");
  h.put(3, 7, "REMESSA");
  h.put(10, 2, "01");
  h.put(12, 8,
        "COBRAN\xC7"
        "A");
  h.put(20, 7, Replicate(" ", 7));
  AgenciaSicoob(h, 27, 4, rem);
  h.num(32, 9, Right(SemPontuacao(conta("CDCEDENTEBAN")), 9));
  h.put(41, 6, Replicate(" ", 6));
  h.put(47, 30, PadR(CampoValido(LeftStr(conta("NMCEDENTEBAN"), 30)), 30));
  h.put(77, 18, PadR("756BANCOOBCED", 18));
  h.put(95, 6, FormatDateTime("ddmmyy", rem.Hoje()));
  h.num(101, 7, EmptyString(sequencia) ? "0000001" : Right(SemPontuacao(sequencia), 7));
  h.put(108, 287, Replicate(" ", 287));

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const bool daEmpresa = v.impressao == "E" || v.impressao == "F";
    const std::string parcela = t.S("NRPARCBOLREC");
    auto instrucao = [&](const char* n) {
      const std::string i = t.S(n);
      return i.empty() ? std::string("00") : Ajusta(CampoValido(i), 2);
    };
    const std::string protesto = t.S("QTDIAPROTBOL");
    const TPagador& p = v.pagador;
    const std::string cep = CampoValidoCEPTEL(p.cep);

    Record r = arq.Detalhe();
    r.put(2, 2, cnab400::TipoEmpresa(empresa));
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    AgenciaSicoob(r, 18, 4, rem);
    r.num(23, 9, Right(SemPontuacao(conta("CDCONTCORR")), 9));
    r.put(32, 6, "000000");
    r.put(38, 25, Replicate(" ", 25));
    // the company's own slips carry their stored number; the bank numbers the rest
    r.num(63, 12, v.EmpresaNumera() ? LeftStr(NossoNumero(v.nosso), 12) : "");
    r.num(75, 2, parcela == "00" ? "01" : parcela);
    r.put(77, 2, "00");
    r.put(79, 3, Replicate(" ", 3));
    r.put(82, 1, " ");
    r.put(83, 3, "001");
    r.put(86, 3, "000");
    r.put(89, 1, "0");
    r.put(90, 6, "000000");
    r.put(96, 6, "000000");
    r.put(102, 4, Replicate(" ", 4));
    r.put(106, 1, daEmpresa ? "2" : "1");
    r.put(107, 2, ModalidadeSicoob(t.S("IDCARTCOBREC")));
    r.put(109, 2, "01");
    r.put(111, 10, Ajusta(t.S("NRLANBOLREC"), 10));
    r.put(121, 6, v.vencimento);
    r.num(127, 13, Money(v.valor, 13));
    r.put(140, 3, "756");
    AgenciaSicoob(r, 143, 4, rem);
    r.put(148, 2, "01");
    r.put(150, 1, "0");
    r.put(151, 6, emissao);
    r.put(157, 2, instrucao("CDINS1COBBOL"));
    r.put(159, 2, instrucao("CDINS2COBBOL"));
    r.num(161, 6, Taxa(t, "VRPEMORBREC"));
    r.num(167, 6, Taxa(t, "VRPEMULBREC"));
    r.put(173, 1, daEmpresa ? "2" : "1");
    r.put(174, 6, "000000");
    r.put(180, 13, Replicate("0", 13));
    r.put(193, 1, "9");
    r.put(194, 12, Replicate("0", 12));
    r.put(206, 13, Replicate("0", 13));
    r.put(219, 2, p.tipo == "F" ? "01" : "02");
    r.num(221, 14, cnab400::Inscricao14(p.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(p.nome, 40)), 40));
    r.put(275, 37, PadR(CampoValido(LeftStr(p.endereco, 37)), 37));
    r.put(312, 15, PadR(CampoValido(LeftStr(p.bairro, 15)), 15));
    r.num(327, 8, LeftStr(cep, 8));
    r.put(335, 15, PadR(CampoValido(LeftStr(p.cidade, 15)), 15));
    r.put(350, 2, PadR(CampoValido(LeftStr(p.uf, 2)), 2));
    r.put(352, 40, Replicate(" ", 40));
    r.num(392, 2, Right(protesto, 2));
    r.put(394, 1, " ");
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(
      rem, titulos, [&](cnab400::TArquivo& arq) { arq.Escreve(h); }, detalhe);
}

}  // namespace layouts
