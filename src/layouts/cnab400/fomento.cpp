// Fomento, CNAB 400: the titles are sent to a trade-finance company in its
// layout "V.1.8": a header, one detail per marked title, the common trailer.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

void Remessa_Fomento(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  // Agency and account as typed ("123-4", "00098765-4"): their digits, the
  // agency's first four and the account's last six.
  const cnab400::TAgenciaConta ac = cnab400::ContaDoLote(rem, 6);
  // The remittance sequence keeps its last nine digits, so that consecutive
  // files of a ten-digit sequence still carry different numbers.
  const std::string seqGravada = SemPontuacao(cnab("NRSEQREMESSAREC"));
  const std::string seqRemessa = seqGravada.empty() ? "1" : Right(seqGravada, 9);
  // The receiver's own codes for a drop ("04") and an alteration ("13").
  const std::string ocorrencia = Ocorrencia(rem.Operacao(), "04", "13");
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // The receiver has room for 14 digits only; a longer number would reach it
  // cut, naming another company, so the run stops before any file exists.
  // The company is the batch's for every title, so once is enough.
  cnab400::VerificaInscricao(rem, empresa);

  // A title's detail up to its sequence: built once for every marked title
  // before the file exists, so that a value the receiver could not read stops
  // the run there, and again to be written.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const bool empresaImprime = v.impressao == "E" || v.impressao == "F";
    const std::string documento = cnab400::DocumentoParcela(t);

    // Detail record (type "1"). The company's type is coded the other way
    // round from the payer's: the receiver reads a person as "02" here.
    Record r = arq.Detalhe();
    r.put(2, 2, empresa.tipo == "F" ? "02" : "01");
    r.num(4, 14, SemPontuacao(empresa.inscricao));
    r.put(18, 4, "0001");
    r.put(22, 2, "00");
    r.num(24, 6, ac.conta);
    r.put(30, 8, Replicate(" ", 8));
    cnab400::ControleENosso(r, v.controle, 17, empresaImprime ? LeftStr(NossoNumero(v.nosso), 17) : "");
    r.put(80, 3, Replicate(" ", 3));
    r.put(83, 1, empresaImprime ? "2" : "1");
    r.num(84, 3, Right(v.carteira, 3));
    r.put(87, 8, Replicate("0", 8));
    r.put(95, 14, Replicate(" ", 14));
    cnab400::TCobranca c(ocorrencia, documento, emissao, t, v);
    c.aceite = " ";
    c.instrucao1 = cnab400::Instrucao(CampoValido(v.ins1));
    c.instrucao2 = cnab400::Instrucao(CampoValido(v.ins2));
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 40);
    cnab400::SemAvalista(r);
    arq.Escreve(r);
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = cnab400::CabecalhoConta(arq, ac.agencia, ac.conta, 6, "05", "COBRANCASIMPLES");
        cnab400::EmpresaEBanco(r, empresa.nome, SemPontuacao(cnab("CDBANCCNAB")), "NAFM", rem.Hoje());
        cnab400::VersaoESequencia(r, "V.1.8", seqRemessa);
        arq.Escreve(r);
      },
      detalhe);
}

}  // namespace layouts
