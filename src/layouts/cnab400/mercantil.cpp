// Mercantil, CNAB 400: a header, one detail per marked title, the common
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

// Service code of the header, from the batch's portfolio kind: discounted
// titles ("4") are the bank's service "05".
std::string Servico(const std::string& tipo) {
  if (tipo.empty()) return "01";
  if (tipo == "4") return "05";
  return Right(tipo, 2);
}

// Portfolio of the detail, from the same kind.
std::string Carteira(const std::string& tipo) {
  if (tipo.empty()) return "1";
  if (tipo == "4") return "5";
  return Right(tipo, 1);
}

}  // namespace

void Remessa_BcoMercantil(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Identidade();
  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists. Typed
  // punctuation is not the bank's: "12.345.678/0001-95" is 14 digits.
  cnab400::VerificaInscricao(rem, empresa);

  const std::string inscricao = SemPontuacao(empresa.inscricao);
  const std::string agencia = LeftStr(SemPontuacao(AllTrim(rem.CNABRec.S("CDAGENCIA"))), 4);
  const std::string identificacao = LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 9);
  // The header states the portfolio kind of every title in the file.
  const std::string tipoCarteira = rem.PrimeiroTitulo.S("IDCARTCOBREC");
  // The account's remittance sequence; the first one when the batch has none.
  const std::string sequencia = SemPontuacao(rem.CNABRec.S("NRSEQREMESSAREC"));
  const std::string numeroRemessa = sequencia.empty() ? "1" : Right(sequencia, 5);
  const std::string ocorrencia = rem.Operacao() == "E" ? "02" : "01";
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // Header record (type "0")
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho(Servico(tipoCarteira));
    r.num(27, 4, agencia);
    r.num(31, 15, inscricao);
    r.put(46, 1, " ");
    cnab400::EmpresaEBanco(r, empresa.curto, "389", "BANCANTIL", rem.Hoje());
    r.put(101, 281, Replicate(" ", 281));
    r.put(382, 5, "01600");
    r.put(387, 3, Replicate(" ", 3));
    r.num(390, 5, numeroRemessa);
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence. The bank's record ends as
  // the header's does: the filler after the payer's state is 33 blanks, so
  // "1" stands at 394 and the sequence at 395-400.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    if (t.S("IDCARTCOBREC") != tipoCarteira) rem.Recusa(t, "CART_DIF");
    const cnab400::TValores v(t);
    const std::string tipo = t.S("IDCARTCOBREC");
    const cnab400::TNossoDv nosso = cnab400::NossoComDv(v.nosso);
    // A title of several documents is not numbered by any one of them.
    auto& doc = t.Registros(TRegistro::DocBol);
    const std::string documento =
        doc.Active() && doc.RecordCount() == 1
            ? PadR(CampoValido(Right(t.Registro(TRegistro::DocBol, "DUPLICATA"), 10)), 10)
            : Replicate(" ", 10);
    // The bank takes no instruction for a discounted title.
    auto instrucao = [&](const char* campo) {
      const std::string c = t.S(campo);
      return c.empty() || tipo == "4" ? "00" : PadR(CampoValido(LeftStr(c, 2)), 2);
    };

    Record r = arq.Detalhe();
    r.put(2, 2, "00");
    r.put(4, 1, "0");
    r.put(5, 11, Replicate("0", 11));
    r.put(16, 6, Replicate("0", 6));
    r.put(22, 5, Replicate(" ", 5));
    r.num(27, 9, identificacao);
    r.put(36, 25, PadR(v.controle, 25));
    r.num(61, 4, agencia);
    r.num(65, 10, nosso.numero);
    r.num(75, 1, nosso.dv);
    r.put(76, 11, Replicate("9", 11));
    r.put(87, 5, Replicate(" ", 5));
    r.num(92, 15, inscricao);
    r.put(107, 10, Replicate("0", 10));
    r.num(117, 1, Carteira(tipo));
    r.put(118, 2, ocorrencia);
    r.put(120, 10, documento);
    r.put(130, 6, v.vencimento);
    r.num(136, 13, Money(v.valor, 13));
    r.put(149, 3, "389");
    r.put(152, 5, "00000");
    r.put(157, 2, "01");
    r.put(159, 1, "S");
    r.put(160, 6, emissao);
    r.put(166, 2, instrucao("CDINS1COBBOL"));
    r.put(168, 2, instrucao("CDINS2COBBOL"));
    r.num(170, 13, cnab400::JurosDiarios(t, v.valor));
    r.put(183, 6, "000000");
    r.put(189, 13, Replicate("0", 13));
    r.put(202, 13, Replicate("0", 13));
    r.put(215, 13, Replicate("0", 13));
    r.put(228, 2, cnab400::TipoInscricao(v.pagador.tipo, "03"));
    r.num(230, 14, cnab400::Inscricao14(v.pagador.inscricao));
    r.put(244, 40, PadR(CampoValido(LeftStr(v.pagador.Nome(), 40)), 40));
    r.put(284, 40, PadR(CampoValido(LeftStr(v.pagador.endereco, 40)), 40));
    r.put(324, 12, PadR(CampoValido(LeftStr(v.pagador.bairro, 12)), 12));
    r.num(336, 8, LeftStr(CampoValidoCEPTEL(v.pagador.cep), 8));
    r.put(344, 15, PadR(CampoValido(LeftStr(v.pagador.cidade, 15)), 15));
    r.put(359, 2, PadR(CampoValido(LeftStr(v.pagador.uf, 2)), 2));
    r.put(361, 30, Replicate(" ", 30));
    r.put(391, 3, Replicate(" ", 3));
    r.put(394, 1, "1");
    arq.Escreve(r);
  };

  // A title the bank could not read, or of another portfolio kind than the
  // one the header states, stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
