// Factoring, CNAB 400: the factoring company's own file under bank code
// "888". One detail per title, without nosso número, interest or
// instructions; the detail carries its sequence in five digits (396-400),
// after the payer's state.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

void Remessa_Factoring(const TRemessa& rem, TTitulos& titulos, bool) {
  // The company's code at the factoring company, the same in the header and
  // every detail: blanks when it has none.
  const std::string codigo = PadR(CampoValido(LeftStr(AllTrim(rem.IdentRec), 8)), 8);
  // The factoring company's own codes for a drop ("09") and an alteration ("14").
  const std::string ocorrencia = Ocorrencia(rem.Operacao(), "09", "14");
  const std::string emissao = FormatDateTime("DDMMYY", rem.DataProc);

  // A title's detail with its sequence (the header is record 1: the n-th
  // title's detail is record n + 1): built for every marked title before the
  // file exists, so that a value the company could not read, or a title
  // beyond the 99 999 the five-digit sequence numbers, stops the run there;
  // and again to be written.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);

    // Detail record (type "1")
    Record r = arq.Detalhe();
    r.put(2, 21, Replicate(" ", 21));
    r.put(23, 8, codigo);
    r.put(31, 32, PadR(AllTrim(v.controle), 32));
    r.put(63, 10, Replicate("0", 10));
    r.put(73, 36, Replicate(" ", 36));
    r.put(109, 2, ocorrencia);
    r.put(111, 10, cnab400::DuplicataOuLancamento(t));
    r.put(121, 6, v.vencimento);
    r.num(127, 13, Money(v.valor, 13));
    r.put(140, 9, Replicate(" ", 9));
    r.put(149, 1, "D");
    r.put(150, 1, v.impressao == "B" ? "F" : "C");
    r.put(151, 6, emissao);
    r.num(157, 13, v.desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", v.valor * v.desconto / 100), 13) : "");
    r.put(170, 6, "000000");
    r.put(176, 43, Replicate(" ", 43));
    r.put(219, 2, v.pagador.tipo == "F" ? "01" : "02");
    r.put(221, 29, Replicate(" ", 29));
    r.put(250, 13, Replicate("0", 13));
    r.put(263, 2, Replicate(" ", 2));
    r.num(265, 14, LeftStr(SemPontuacao(AllTrim(v.pagador.inscricao)), 14));
    r.put(279, 40, PadR(CampoValido(LeftStr(v.pagador.Nome(), 40)), 40));
    r.put(319, 37, PadR(CampoValido(LeftStr(AllTrim(v.pagador.endereco), 37)), 37));
    r.put(356, 15, PadR(CampoValido(LeftStr(AllTrim(v.pagador.bairro), 15)), 15));
    r.num(371, 8, LeftStr(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.put(379, 15, PadR(CampoValido(LeftStr(v.pagador.cidade, 15)), 15));
    r.put(394, 2, PadR(CampoValido(LeftStr(v.pagador.uf, 2)), 2));
    r.num(396, 5, IntToStr(arq.Registros() + 1));
    arq.Escreve(r);
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        // The service's name and the blanks after it up to 032, as the banks
        // start their header.
        Record r = arq.Cabecalho();
        r.put(27, 6, Replicate(" ", 6));
        r.put(33, 8, codigo);
        r.put(41, 7, Replicate(" ", 7));
        r.put(48, 30, PadR(CampoValido(LeftStr(rem.Cadastro().nome, 30)), 30));
        r.put(78, 18, Replicate(" ", 18));
        r.put(96, 6, FormatDateTime("DDMMYY", rem.Hoje()));
        r.put(102, 293, Replicate(" ", 293));
        arq.Escreve(r);
      },
      detalhe);
}

}  // namespace layouts
