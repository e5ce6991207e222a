// Banco Guanabara, CNAB 400: the bank collects through Itaú's layout, so the
// file speaks as Guanabara at Itaú ("341"). Per title a detail and the
// issuing company's record (type "5", the company at the title branch's
// address), then the trailer.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// Guanabara's own registration at Itaú: the beneficiary of every title of
// this layout, whatever company issued it.
constexpr const char* kCnpjGuanabara = "52917604000136";

}  // namespace

void Remessa_Guanabara(const TRemessa& rem, TTitulos& titulos, bool) {
  // The issuing company goes in record 5 as the company row knows it.
  const TIdentidade empresa = rem.Cadastro();
  // Agency, and the account's last six digits with its check digit, as Itaú
  // numbers them: typed as "123-4" and "00098765-4".
  const cnab400::TAgenciaConta ac = cnab400::ContaDoLote(rem, 6);
  const cnab400::TLote lote(rem);

  // Record 5 has room for 14 digits only; a longer number would reach the
  // bank cut, naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  // A title's two records up to their sequence: built once to check every
  // marked title before the file exists, and again to be written.
  auto registros = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);

    const std::string documento = cnab400::DocumentoParcela(t);
    const std::string mensagem = cnab400::MensagemPedida(t, v.ins1, v.ins2);

    // Detail record (type "1"). Beside Guanabara's fixed CNPJ the type is
    // always a company's, whatever kind of company issued the title.
    Record r = arq.Detalhe();
    r.put(2, 2, "02");
    r.num(4, 14, kCnpjGuanabara);
    cnab400::AgenciaConta(r, 18, ac.agencia, ac.conta, 6);
    r.put(30, 8, Replicate(" ", 8));
    cnab400::ControleENosso(r, v.controle, 8,
                            v.EmpresaNumera() ? LeftStr(cnab400::NossoSemDv(v.nosso), 8) : "");
    r.put(71, 12, Replicate(" ", 12));
    r.num(83, 3, Right(v.carteira, 3));
    r.put(86, 9, Replicate("0", 9));
    r.put(95, 13, Replicate(" ", 13));
    r.put(108, 1, "I");
    cnab400::TCobranca c(lote, documento, t, v);
    c.banco = "341";
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 30);
    cnab400::TextoEProtesto(r, mensagem, "000000", cnab400::DiasProtesto(t), " ");
    arq.Escreve(r);

    // Issuing company record (type "5"): the company at its title branch's
    // address, cleaned like every other text the bank prints.
    arq.Escreve(cnab400::RegistroEmpresa(t, empresa));
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = cnab400::CabecalhoConta(arq, ac.agencia, ac.conta, 6);
        cnab400::EmpresaEBanco(r, "BANCO GUANABARA S A", "341", "BANCO ITAU SA", rem.Hoje());
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      registros);
}

}  // namespace layouts
