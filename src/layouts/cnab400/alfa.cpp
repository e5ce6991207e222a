// Banco Alfa, CNAB 400: a header, one detail per marked title, the common
// trailer. The occurrence code tells the bank the batch's operation.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

void Remessa_Alfa(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const std::string agencia = LeftStr(SemPontuacao(cnab("CDAGENCIA")), 4);
  const std::string conta = Right(SemPontuacao(cnab("CDCONTCORR")), 8);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0"). The bank's name is the batch account's bank,
  // whichever title the list stands on.
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho();
    r.num(27, 20, LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 20));
    cnab400::EmpresaEBanco(r, rem.Cadastro().nome, "025", rem.ContaCorr.S("NMBANCO"), rem.Hoje());
    r.put(101, 8, Replicate(" ", 8));
    r.put(109, 2, "76");
    r.num(111, 7, Right(cnab("NRCNABREC"), 7));
    r.put(118, 277, Replicate(" ", 277));
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const std::string protesto = t.S("QTDIAPROTBOL");
    // A daily amount, even a stored zero, stands before the monthly percentage.
    std::string juros;
    if (!t.Nulo("VRMORDIABREC"))
      juros = VirgDeciAssu(FormatFloat("0.00", t.F("VRMORDIABREC")), 13);
    else if (!t.Nulo("VRPEMORBREC"))
      juros = VirgDeciAssu(FormatFloat("0.00", t.F("VRPEMORBREC") * v.valor / 100), 13);

    Record r = arq.Registro();
    r.put(1, 1, "1");
    r.put(2, 19, Replicate(" ", 19));
    r.put(21, 1, "0");
    r.num(22, 3, Right(v.carteira, 3));
    r.num(25, 5, agencia);
    r.num(30, 8, conta);
    r.put(38, 25, PadR(v.controle, 25));
    r.put(63, 3, "025");
    r.put(66, 5, "00000");
    // The bank numbers the titles whose slip it prints; the company's own
    // slips carry the stored number.
    r.num(71, 12, cnab400::Nosso12(v), "P");
    r.put(83, 10, Replicate("0", 10));
    r.put(93, 1, v.impressao == "B" ? "1" : "2");
    r.put(94, 1, " ");
    r.put(95, 10, Replicate("0", 10));
    r.put(105, 4, Replicate(" ", 4));
    r.put(109, 2, ocorrencia);
    r.put(111, 10, cnab400::DuplicataOuLancamento(t));
    r.put(121, 6, v.vencimento);
    r.num(127, 13, Money(v.valor, 13));
    r.put(140, 3, "000");
    r.put(143, 5, "00000");
    r.put(148, 2, "01");
    r.put(150, 1, "N");
    r.put(151, 6, emissao);
    r.put(157, 2, v.ins1.empty() ? "00" : Ajusta(CampoValido(v.ins1), 2));
    r.num(159, 2, Right(protesto, 2));
    r.num(161, 13, juros);
    r.put(174, 6, v.desconto > 0 ? v.vencimento : "000000");
    r.num(180, 13, v.desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", v.desconto * v.valor / 100), 13) : "");
    r.put(193, 13, Replicate("0", 13));
    r.put(206, 13, Replicate("0", 13));
    r.put(219, 2, cnab400::TipoInscricao(v.pagador.tipo, "99", "98"));
    r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(v.pagador.nome, 40)), 40));
    r.put(275, 40, PadR(CampoValido(LeftStr(LTrim(v.pagador.endereco), 40)), 40));
    r.put(315, 12, Replicate(" ", 12));
    r.num(327, 8, Right(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.put(335, 60, PadR(CampoValido(LeftStr(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"), 60)), 60));
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
