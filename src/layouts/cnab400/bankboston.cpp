// BankBoston, CNAB 400: a header, one detail per marked title, the common
// trailer. The detail can tell the bank an entry ("01") or a removal ("02")
// but has no alteration code, so its catalogue row takes no alteration batch.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// Registration type of the company or the payer: a person is "01"; the bank
// takes every other registration (company, other, none given) as "02".
std::string Tipo(const std::string& t) {
  return t == "F" ? "01" : "02";
}

}  // namespace

void Remessa_BcoBoston(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Cadastro();
  const std::string identificacao = LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 8);
  // Only an account in production sends its titles for real ("9" is a test file).
  const std::string fase = rem.ContaCorr.S("IDFASCNABREC") == "P" ? "1" : "9";
  const std::string ocorrencia = rem.Operacao() == "E" ? "02" : "01";
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0")
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho();
    r.put(27, 2, "00");
    r.put(29, 1, fase);
    r.num(30, 8, identificacao);
    r.put(38, 9, Replicate(" ", 9));
    cnab400::EmpresaBancoEDensidade(r, empresa.nome, "479", "BANCO DE BOSTON", rem.Hoje());
    r.put(109, 91, Replicate(" ", 91));
    r.put(200, 8, Replicate("0", 8));
    r.put(208, 187, Replicate(" ", 187));
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    // The bank carries the company's number only for the slips the company
    // prints; the ones the bank prints ("B") it numbers itself.
    const std::string nosso =
        v.EmpresaNumera() ? Right(cnab400::AdicionaZero(NossoNumero(v.nosso), 9), 9) : "";
    // A title of several documents is not numbered by any one of them.
    auto& doc = t.Registros(TRegistro::DocBol);
    const std::string documento =
        doc.Active() && doc.RecordCount() == 1
            ? PadR(CampoValido(Right(AllTrim(t.Registro(TRegistro::DocBol, "DUPLICATA")), 10)), 10)
            : Replicate(" ", 10);
    // Protest days are a count: its whole days, whatever the stored fraction.
    const std::string protesto =
        t.Nulo("QTDIAPROTBOL") ? "" : Right(IntToStr(static_cast<int64_t>(t.F("QTDIAPROTBOL"))), 2);

    Record r = arq.Detalhe();
    r.put(2, 2, Tipo(empresa.tipo));
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    r.put(18, 20, Replicate(" ", 20));
    cnab400::ControleENosso(r, v.controle, 9, nosso, "P");
    r.put(72, 11, Replicate("0", 11));
    r.put(83, 1, " ");
    r.put(84, 4, "R$  ");
    r.put(88, 20, Replicate(" ", 20));
    r.put(108, 1, "3");
    cnab400::TCobranca c(ocorrencia, documento, emissao, t, v);
    c.banco = "479";
    c.agencia = Replicate(" ", 5);  // no collecting agency: blanks
    c.agenciaNumero = false;
    c.especie = "DM";
    c.aceite = "A";
    c.instrucao1 = v.ins1.empty() ? "00" : Ajusta(Right(CampoValido(v.ins1), 2), 2);
    c.instrucao2 = protesto;
    c.instrucao2Numero = true;
    c.dataDesconto = "000000";
    c.desconto = "";
    cnab400::Cobranca(r, c);
    // The override record, when the title has one, gives every payer field,
    // its city and state included.
    r.put(219, 2, Tipo(v.pagador.tipo));
    r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(v.pagador.nome, 40)), 40));
    r.put(275, 37, PadR(CampoValido(LeftStr(LTrim(v.pagador.endereco), 37)), 37));
    r.put(312, 3, Replicate(" ", 3));
    r.put(315, 12, Replicate(" ", 12));
    r.num(327, 8, Right(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.put(335, 15, PadR(CampoValido(LeftStr(LTrim(v.pagador.cidade), 15)), 15));
    r.put(350, 2, PadR(CampoValido(LeftStr(LTrim(v.pagador.uf), 2)), 2));
    r.put(352, 40, Replicate(" ", 40));
    r.put(392, 3, Replicate(" ", 3));
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
