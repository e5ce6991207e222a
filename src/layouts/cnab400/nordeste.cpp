// Banco do Nordeste, CNAB 400: a header, per marked title a detail and, when
// the company's parameters at the bank ask for it, a fine record (type "2"),
// then the common trailer. The bank's layout registers titles only.
#include <cstdint>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// A stored count or rate as the bank reads it in whole units: its integer
// part (a null is zero). A negative value keeps its sign, and a value too
// large keeps all its digits, so that the numeric field refuses either.
std::string Inteiro(double x) {
  if (x < 0) return "-";
  if (x >= 1e15) return "1000000000000000";
  return IntToStr(static_cast<int64_t>(x));
}

// Position 108: the agreement's portfolio kind, who prints the slip and the
// portfolio at the bank, from the company's parameters. A kind the table does
// not name (empty, a letter) is a portfolio the bank has no code for: "0".
std::string CodigoCarteira(const TRemessa& rem) {
  const std::string tipo = AllTrim(rem.Parametro("IDCARTCOBR"));
  const std::string impressao = rem.Parametro("IDIMPRBOLETO");
  const std::string carteira = rem.Parametro("CDCARTCOBR");
  if (tipo == "1" && carteira == "21") return impressao == "B" ? "1" : impressao == "E" ? "4" : "0";
  if (tipo == "2" && carteira == "41") return impressao == "B" ? "2" : impressao == "E" ? "5" : "0";
  return "0";
}

}  // namespace

void Remessa_BcoNordeste(const TRemessa& rem, TTitulos& titulos, bool) {
  auto conta = [&](const char* n) { return rem.ContaCorr.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  // Agency and account of the batch account as typed ("123-4",
  // "00098765-4"): their digits, the last four and the last eight.
  const std::string agencia = Right(SemPontuacao(conta("CDAGENCIA")), 4);
  const std::string numeroConta = Right(SemPontuacao(conta("CDCONTCORR")), 8);
  const std::string carteiraBanco = CodigoCarteira(rem);
  const bool registroMulta = rem.Parametro("IDGERLINHACOMP") == "S";
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  // A title's records up to their sequence: built once for every marked title
  // before the file exists, so that a value the bank could not read stops the
  // run there, and again to be written.
  auto registros = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const double percentualMulta = t.F("VRPEMULBREC");
    const std::string documento = cnab400::DocumentoParcela(t);
    const std::string mensagem = cnab400::MensagemPedida(t, v.ins1, v.ins2);

    // Detail record (type "1"). The fine percentage goes in whole units; the
    // exact one travels in the fine record when the company sends it.
    Record r = arq.Detalhe();
    r.put(2, 16, Replicate(" ", 16));
    cnab400::AgenciaConta(r, 18, agencia, numeroConta, 8);
    r.num(32, 2, Inteiro(percentualMulta));
    r.put(34, 4, Replicate(" ", 4));
    r.put(38, 25, Replicate(" ", 25));
    r.num(63, 8, v.impressao == "B" ? "" : Right(NossoNumero(v.nosso), 8));
    r.put(71, 10, Replicate("0", 10));
    r.put(81, 6, Replicate("0", 6));
    r.put(87, 13, Replicate("0", 13));
    r.put(100, 8, Replicate(" ", 8));
    r.put(108, 1, EmptyString(t.S("CDCARTCOBBOL")) ? "0" : carteiraBanco);
    cnab400::TCobranca c("01", documento, emissao, t, v);
    c.agencia = "0000 ";
    c.agenciaNumero = false;
    c.instrucao1 = "00";
    c.instrucao2 = "05";
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 40);
    r.put(352, 40, PadR(CampoValido(LeftStr(mensagem, 40)), 40));
    r.num(392, 2, Right(Inteiro(t.F("QTDIAPROTBOL")), 2));
    r.put(394, 1, "0");
    arq.Escreve(r);
    if (!registroMulta) return;

    // Fine record (type "2"): charged from the day after the due date, as an
    // amount when the title has one, else as its percentage.
    Record m = cnab400::RegistroMulta(arq, v, t.F("VRMULTABREC"), percentualMulta);
    arq.Escreve(m);
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0"): the company is the batch's, whatever
        // title the list stands on.
        Record r = cnab400::CabecalhoConta(arq, agencia, numeroConta, 8);
        cnab400::EmpresaEBanco(r, empresa.nome, "004", "B. DO NORDESTE", rem.Hoje());
        r.put(101, 3, "031");
        r.put(104, 291, Replicate(" ", 291));
        arq.Escreve(r);
      },
      registros);
}

}  // namespace layouts
