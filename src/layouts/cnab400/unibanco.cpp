// Unibanco, CNAB 400: header, one detail per title, trailer with the
// account's remittance sequence.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// An instruction code in its two positions; "00" when the title has none.
std::string Instrucao(const std::string& ins) {
  return ins.empty() ? "00" : LeftStr(SemPontuacao(ins), 2);
}

// Days to protest, told only with the protest instruction "06"; the bank
// takes no more than 29 and reads anything longer as 3 days.
std::string DiasProtesto(TTitulo& t, const std::string& ins1, const std::string& ins2) {
  if (ins1 != "06" && ins2 != "06") return "00";
  const int dias = t.Nulo("QTDIAPROTBOL") ? 0 : static_cast<int>(t.F("QTDIAPROTBOL"));
  return dias > 29 ? "03" : Ajusta(IntToStr(dias), 2);
}

}  // namespace

void Remessa_Unibanco(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists. Typed
  // punctuation is not the bank's: "12.345.678/0001-95" is 14 digits.
  cnab400::VerificaInscricao(rem, empresa);

  const std::string agencia = LeftStr(SemPontuacao(cnab("CDAGENCIA")), 4);
  const std::string conta = Right(SemPontuacao(rem.ContaCorrente()), 6);
  // The check digit is the account's last stored character; one stored with
  // a trailing blank or separator has none, and the bank reads "0" then.
  const std::string dvConta = Right(SemPontuacao(AllTrim(rem.DacContaCorrente())), 1);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  const std::string sequencia = cnab("NRSEQREMESSAREC");

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho("01", "COBRANCA", 8);
        r.put(20, 2, "00");
        r.put(22, 5, Replicate(" ", 5));
        r.num(27, 4, agencia);
        r.num(31, 6, conta);
        r.num(37, 1, dvConta);
        r.put(38, 9, Replicate("0", 9));
        cnab400::EmpresaBancoEDensidade(r, empresa.curto, "409", "UNIBANCO", rem.Hoje());
        r.put(109, 286, Replicate("0", 286));
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const cnab400::TValores v(t);
        const std::string mensagem = t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL");
        // A title without one (the bank issues its slip) sends zeros.
        const cnab400::TNossoDv nosso = cnab400::NossoComDv(v.nosso);
        const std::string cep = CampoValidoCEPTEL(v.pagador.cep);

        // Detail record (type "1")
        Record r = arq.Detalhe();
        r.put(2, 2, "02");
        r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
        r.num(18, 4, agencia);
        r.num(22, 6, conta);
        r.num(28, 1, dvConta);
        r.put(29, 1, mensagem.empty() ? "0" : "1");
        r.put(30, 8, Replicate("0", 8));
        cnab400::ControleENosso(r, v.controle, 10, nosso.numero);
        r.num(73, 1, nosso.dv);
        r.put(74, 30, PadR(CampoValido(LeftStr(mensagem, 30)), 30));
        r.put(104, 4, Replicate(" ", 4));
        r.num(108, 1, LeftStr(v.carteira, 1));
        cnab400::TCobranca c(ocorrencia, Ajusta(t.S("NRLANBOLREC"), 10), emissao, t, v);
        c.banco = "409";
        c.aceite = "A";
        c.instrucao1 = Instrucao(v.ins1);
        c.instrucao1Numero = true;
        c.instrucao2 = Instrucao(v.ins2);
        c.instrucao2Numero = true;
        // The discount's date is the due date, with no amount.
        c.dataDesconto = v.vencimento;
        c.desconto = "";
        cnab400::Cobranca(r, c);
        r.put(219, 2, cnab400::TipoInscricao(v.pagador.tipo, "99"));
        r.num(221, 14, LeftStr(SemPontuacao(AllTrim(v.pagador.inscricao)), 14));
        r.put(235, 30, PadR(CampoValido(LeftStr(v.pagador.nome, 30)), 30));
        r.put(265, 10, Replicate(" ", 10));
        r.put(275, 30, PadR(CampoValido(LeftStr(v.pagador.endereco, 30)), 30));
        r.put(305, 10, Replicate(" ", 10));
        r.put(315, 12, PadR(CampoValido(LeftStr(v.pagador.bairro, 12)), 12));
        if (cep.empty())
          r.put(327, 8, Replicate(" ", 8));
        else
          r.num(327, 8, LeftStr(cep, 8));
        r.put(335, 15, PadR(CampoValido(LeftStr(v.pagador.cidade, 15)), 15));
        r.put(350, 2, PadR(CampoValido(LeftStr(v.pagador.uf, 2)), 2));
        r.put(352, 30, Replicate(" ", 30));
        r.put(382, 10, Replicate("0", 10));
        r.num(392, 2, DiasProtesto(t, v.ins1, v.ins2));
        r.put(394, 1, "0");
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq) {
        // Trailer record (type "9")
        Record r = arq.Registro();
        r.put(1, 1, "9");
        r.put(2, 390, Replicate("0", 390));
        r.num(392, 3, sequencia.empty() ? "001" : Right(SemPontuacao(sequencia), 3));
        arq.Escreve(r);
      });
}

}  // namespace layouts
