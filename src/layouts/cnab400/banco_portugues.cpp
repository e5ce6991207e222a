// Banco Português, CNAB 400: a header, one detail per marked title, a
// trailer. The bank numbers the file its own way: the header carries the
// remittance number, the details run from 1 and the trailer repeats the
// number of details. The company stands as drawer on every title.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// Days as the bank's two positions hold them, from the stored count's
// integer value; none stored is none.
std::string Dias(TTitulo& t, const char* campo) {
  return t.Nulo(campo) ? "" : Right(IntToStr(static_cast<int64_t>(t.F(campo))), 2);
}

}  // namespace

void Remessa_BcoPortugues(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  const std::string cedente = Right(SemPontuacao(rem.ContaCorr.S("CDCEDENTEBAN")), 20);
  const std::string remessa = SemPontuacao(cnab("NRSEQREMESSAREC"));
  const cnab400::TContaBradesco conta = cnab400::ContaBradesco(rem);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0")
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho();
    cnab400::CabecalhoBradesco(r, {.codigo = cedente,
                                   .empresa = empresa.nome,
                                   .banco = "069",
                                   .nomeBanco = "BPN Brasil BMSA",
                                   .data = rem.DataProc,
                                   .sequencia = remessa.empty() ? "1" : Right(remessa, 7)});
    r.put(118, 277, Preenche_Brancos(277));
    r.num(395, 6, remessa.empty() ? "1" : Right(remessa, 6));
    arq.Escreve(r);
  };

  // Detail record (type "1"). The details are numbered among themselves: the
  // header before them is not counted.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    // The company's own slips carry the stored number; the bank numbers the rest.
    const std::string nosso = v.impressao == "E" || v.impressao == "F" ? Right(NossoNumero(v.nosso), 12) : "";
    const std::string duplicata = t.Registro(TRegistro::Duplicata, "DUPLICATA");
    const std::string documento =
        duplicata.empty() ? PadR(t.S("NRLANBOLREC"), 10)
                          : Ajusta(CampoValido(Right(duplicata, 8)), 8) +
                                Ajusta(CampoValido(t.Registro(TRegistro::Duplicata, "NRPARCELA")), 2);
    const std::string prazo = t.S("CDDIAPROTBOL");

    Record r = arq.Detalhe();
    cnab400::SemDebito(r);
    cnab400::Beneficiario(r, "003", conta, v.controle);
    r.put(63, 3, "000");
    r.put(66, 5, "00000");
    r.num(71, 12, nosso);
    r.put(83, 10, Replicate("0", 10));
    r.put(93, 1, v.impressao == "B" ? "1" : "2");
    r.put(94, 12, Replicate(" ", 12));
    r.put(106, 1, "2");
    r.put(107, 2, Replicate(" ", 2));
    cnab400::TCobranca c(ocorrencia, documento, emissao, t, v);
    c.aceite = "A";
    // Protest ("06") unless the title's protest code says none; its days at 159.
    c.instrucao1 = prazo.empty() || prazo == "3" ? "00" : "06";
    c.instrucao2 = Dias(t, "QTDIAPROTBOL");
    c.instrucao2Numero = true;
    c.dataDesconto = "000000";
    c.desconto = "";
    cnab400::Cobranca(r, c);
    r.put(219, 2, v.pagador.tipo == "F" ? "01" : "02");
    r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(v.pagador.Nome(), 40)), 40));
    r.put(275, 40, PadR(CampoValido(LeftStr(v.pagador.endereco, 40)), 40));
    r.put(315, 12, PadR(CampoValido(LeftStr(t.S("TXMENSBOLBOL"), 12)), 12));
    r.num(327, 8, LeftStr(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.num(335, 15, LeftStr(SemPontuacao(empresa.inscricao), 15));
    r.put(350, 2, Replicate(" ", 2));
    r.put(352, 43, PadR(CampoValido(LeftStr(empresa.nome, 43)), 43));
    r.num(395, 6, IntToStr(arq.Registros()));
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe, [&](cnab400::TArquivo& arq) {
    // Trailer record (type "9"): the number of details.
    Record r = arq.Registro();
    r.put(1, 1, "9");
    r.put(2, 393, Preenche_Brancos(393));
    r.num(395, 6, IntToStr(arq.Registros() - 1));
    arq.Escreve(r);
  });
}

}  // namespace layouts
