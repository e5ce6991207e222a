// Banco Brickell, CNAB 400: collection remittance, one detail per title.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

void Remessa_Brickell(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Cadastro();
  // The bank code and name are the batch account's, whatever title the list stands on.
  const std::string banco = LeftStr(rem.CNABRec.S("CDBANCCNAB"), 3);
  const std::string nomeBanco = rem.ContaCorr.S("NMBANCO");
  const std::string cedente = PadR(CampoValido(Right(rem.ContaCorr.S("CDCEDENTEBAN"), 20)), 20);
  const cnab400::TLote lote(rem);

  // A title's detail up to its sequence: built once for every marked title
  // before the file exists, so that a value the bank could not read stops the
  // run there, and again to be written.
  auto detalhe = [&](cnab400::TArquivo& arq, TTitulo& t) {
    const cnab400::TValores v(t);
    const std::string documento = cnab400::DocumentoParcela(t);
    const std::string mensagem = cnab400::MensagemPedida(t, v.ins1, v.ins2);

    // Detail record (type "1")
    Record r = arq.Detalhe();
    r.put(2, 2, cnab400::TipoInscricao(empresa.tipo));
    r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
    r.put(18, 20, cedente);
    cnab400::ControleENosso(r, v.controle, 8, v.EmpresaNumera() ? LeftStr(NossoNumero(v.nosso), 8) : "");
    r.put(71, 13, Replicate(" ", 13));
    r.num(84, 3, Right(v.carteira, 3));
    r.put(87, 21, Replicate(" ", 21));
    r.put(108, 1, "1");
    cnab400::TCobranca c(lote, documento, t, v);
    c.banco = LeftStr(t.S("CDBANCCNAB"), 3);
    c.dataDesconto = v.vencimento;
    cnab400::Cobranca(r, c);
    cnab400::Pagador(r, v.pagador, 30);
    cnab400::TextoEProtesto(r, mensagem, "", cnab400::DiasProtesto(t), " ");
    arq.Escreve(r);
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.num(27, 20, LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 20));
        cnab400::EmpresaEBanco(r, empresa.nome, banco, nomeBanco, rem.Hoje());
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      detalhe);
}

}  // namespace layouts
