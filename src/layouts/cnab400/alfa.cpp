// Banco Alfa, CNAB 400: a header, one detail per marked title, the common
// trailer. The occurrence code tells the bank the batch's operation.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

void Remessa_Alfa(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const cnab400::TContaBradesco conta = cnab400::ContaBradesco(rem);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0"). The bank's name is the batch account's bank,
  // whichever title the list stands on.
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho();
    cnab400::CabecalhoBradesco(r, {.codigo = LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 20),
                                   .empresa = rem.Cadastro().nome,
                                   .banco = "025",
                                   .nomeBanco = rem.ContaCorr.S("NMBANCO"),
                                   .data = rem.Hoje(),
                                   .sistema = "76",
                                   .sequencia = Right(cnab("NRCNABREC"), 7)});
    r.put(118, 277, Replicate(" ", 277));
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);

    Record r = arq.Detalhe();
    r.put(2, 19, Replicate(" ", 19));
    cnab400::Beneficiario(r, Right(v.carteira, 3), conta, v.controle);
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
    cnab400::TCobranca c(ocorrencia, cnab400::DuplicataOuLancamento(t), emissao, t, v);
    // The protest days go at 159; the amounts as they stand, a daily amount
    // (even a stored zero) before the monthly percentage.
    c.instrucao1 = v.ins1.empty() ? "00" : Ajusta(CampoValido(v.ins1), 2);
    c.instrucao2 = Right(t.S("QTDIAPROTBOL"), 2);
    c.instrucao2Numero = true;
    c.juros = cnab400::JurosSemArredondar(t, v.valor);
    c.desconto = cnab400::DescontoSemArredondar(v);
    cnab400::Cobranca(r, c);
    cnab400::PagadorBradesco(r, cnab400::TipoInscricao(v.pagador.tipo, "99", "98"), v.pagador);
    r.put(335, 60, cnab400::Mensagem60(t));
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
