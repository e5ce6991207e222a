// Banco Industrial, CNAB 400: a header, per title a detail and the issuing
// company's record (type "5", the company at the title branch's address),
// then the trailer.
#include <cstdint>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// A percentage with four implied decimals, as the bank reads a rate of kind "2".
std::string Percentual(double x) {
  return VirgDeciAssu(FormatFloat("0.0000", RoundDec(x, 2)), 13);
}

// Positions 090-105: how the title is charged after its due date.
struct TEncargo {
  std::string tipo, taxa, dias;
};

// The first charge the title carries decides: the interest percentage, the
// daily interest amount, the fine percentage, the fine amount. An amount goes
// as a percentage of the title's value, so a title without value cannot carry
// one: that rule does not hold and the next is tried.
TEncargo Encargo(TTitulo& t) {
  auto definido = [&](const char* n) { return !t.Nulo(n) && t.F(n) != 0; };
  const double valor = t.F("VRFINALBREC");
  if (definido("VRPEMORBREC")) return {"2", Percentual(t.F("VRPEMORBREC")), "01"};
  if (definido("VRMORDIABREC") && valor != 0)
    return {"1", Money(t.F("VRMORDIABREC") * 100 / valor, 13), "01"};
  if (definido("VRPEMULBREC")) return {"2", Percentual(t.F("VRPEMULBREC")), "01"};
  if (definido("VRMULTABREC") && valor != 0) return {"1", Money(t.F("VRMULTABREC") * 100 / valor, 13), "01"};
  return {"0", "", "00"};
}

// The guarantor this layout names on every title, in the bank's upper case.
constexpr const char* kAvalista = "Quelvora Comercial Importadora";

}  // namespace

void Remessa_Industrial(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  const std::string codigo =
      rem.IdentRec.empty() ? Replicate(" ", 20) : PadR(CampoValido(LeftStr(AllTrim(rem.IdentRec), 20)), 20);
  const std::string banco = cnab("CDBANCCNAB");
  const cnab400::TLote lote(rem);

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  // A title's two records up to their sequence: built once to check every
  // marked title before the file exists, and again to be written.
  auto registros = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const std::string tipoCarteira = t.S("IDCARTCOBREC");
    const TEncargo encargo = Encargo(t);

    const std::string documento = cnab400::DocumentoParcela(t);

    // Detail record (type "1")
    Record r = arq.Detalhe();
    r.put(2, 2, "04");
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    r.put(18, 20, codigo);
    cnab400::ControleENosso(r, v.controle, 11, v.EmpresaNumera() ? LeftStr(NossoNumero(v.nosso), 11) : "");
    r.put(74, 13, Replicate(" ", 13));
    if (v.carteira.empty())
      r.put(87, 3, Replicate(" ", 3));
    else
      r.num(87, 3, Right(v.carteira, 3));
    r.put(90, 1, encargo.tipo);
    r.num(91, 13, encargo.taxa);
    r.put(104, 2, encargo.dias);
    r.put(106, 2, Replicate(" ", 2));
    r.num(108, 1, tipoCarteira.empty() ? "1" : tipoCarteira == "4" ? "5" : Right(tipoCarteira, 1));
    cnab400::TCobranca c(lote, documento, t, v);
    c.banco = banco;
    c.instrucao1 = v.ins1.empty() ? "00" : PadR(LeftStr(v.ins1, 2), 2);
    c.instrucao2 = v.ins2.empty() ? "00" : PadR(LeftStr(v.ins2, 2), 2);
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 30);
    const std::string dias =
        t.Nulo("QTDIAPROTBOL") ? "" : Right(IntToStr(static_cast<int64_t>(t.F("QTDIAPROTBOL"))), 2);
    cnab400::TextoEProtesto(r, kAvalista, "", dias, "0");
    arq.Escreve(r);

    // Issuing company record (type "5"): the company at its title branch's address
    arq.Escreve(cnab400::RegistroEmpresa(t, empresa));
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.put(27, 20, codigo);
        cnab400::EmpresaEBanco(r, empresa.nome, banco, rem.ContaCorr.S("NMBANCO"), rem.Hoje());
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      registros);
}

}  // namespace layouts
