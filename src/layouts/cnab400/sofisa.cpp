// Sofisa, CNAB 400: a header, one detail per title, the common trailer. The
// bank's detail registers titles only (occurrence "01"), so its catalogue row
// takes inclusion batches alone.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// Who prints the slip, from the company's parameter at the bank: the bank
// ("1") or the company ("2"); blank when the company has not said.
std::string Emissor(const std::string& p) {
  if (p == "B") return "1";
  if (p == "E" || p == "F") return "2";
  return " ";
}

std::string Instrucao(const std::string& c) {
  return c.empty() ? "00" : PadR(LeftStr(c, 2), 2);
}

}  // namespace

void Remessa_BcoSofisa(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Identidade();
  const std::string codigo = PadR(CampoValido(LeftStr(AllTrim(rem.IdentRec), 20)), 20);
  // The account's remittance sequence; the first one when the batch has none.
  const std::string sequencia = SemPontuacao(rem.CNABRec.S("NRSEQREMESSAREC"));
  const std::string numeroRemessa = sequencia.empty() ? "1" : Right(sequencia, 9);
  const std::string emissor = Emissor(rem.Parametro("IDIMPRBOLETO"));
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  // Header record (type "0")
  auto cabecalho = [&](cnab400::TArquivo& arq) {
    Record r = arq.Cabecalho("05", "COBRANCASIMPLES");
    r.put(27, 20, codigo);
    cnab400::EmpresaEBanco(r, empresa.curto, "999", rem.ContaCorr.S("NMBANCO"), rem.Hoje());
    cnab400::VersaoESequencia(r, "V.2.6", numeroRemessa);
    arq.Escreve(r);
  };

  // Detail record (type "1"), up to its sequence.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    // The bank numbers only its own portfolio's titles.
    const std::string nosso = t.S("CDCARTCOBBOL") == "6" ? LeftStr(SemPontuacao(v.nosso), 17) : "";
    auto& doc = t.Registros(TRegistro::DocBol);
    const std::string documento =
        doc.Active() && doc.RecordCount() == 1
            ? PadR(CampoValido(Right(t.Registro(TRegistro::DocBol, "DUPLICATA") + "/" +
                                         t.Registro(TRegistro::DocBol, "NRPARCELA"),
                                     10)),
                   10)
            : Replicate(" ", 10);

    Record r = arq.Detalhe();
    r.put(2, 2, cnab400::TipoEmpresa(empresa));
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    r.put(18, 20, codigo);
    cnab400::ControleENosso(r, v.controle, 17, nosso);
    r.put(80, 3, Replicate(" ", 3));
    r.put(83, 1, emissor);
    r.put(84, 3, "001");
    r.put(87, 8, Replicate("0", 8));
    r.put(95, 14, Replicate(" ", 14));
    cnab400::TCobranca c("01", documento, emissao, t, v);
    c.aceite = " ";
    c.instrucao1 = Instrucao(v.ins1);
    c.instrucao2 = Instrucao(v.ins2);
    c.dataDesconto = "000000";
    c.desconto = "";
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 40);
    cnab400::SemAvalista(r);
    arq.Escreve(r);
  };

  // A title the bank could not read stops the run before the file exists.
  cnab400::GeraVerificado(rem, titulos, cabecalho, detalhe);
}

}  // namespace layouts
