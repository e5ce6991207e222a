// Itaú, CNAB 400: header, per title a detail, the optional fine record and the
// e-mail and guarantor record, then the trailer.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// The e-mail goes as typed (its "@" and lower case are the address), only
// without the line breaks and tabs that would split the bank's record.
std::string SemControle(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return r;
}

// Positions 352-391 of the detail: the title's message when it carries the
// message instruction ("94" the full 40 characters, "93" 30 of them), else the
// account's guarantor name.
std::string AvalistaOuMensagem(const std::string& ins1, const std::string& ins2, const TAvalista& avalista,
                               TTitulo& t) {
  auto mensagem = [&] { return t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"); };
  if (ins1 == "94" || ins2 == "94") return PadR(CampoValido(LeftStr(mensagem(), 40)), 40);
  if (ins1 == "93" || ins2 == "93")
    return PadR(CampoValido(LeftStr(mensagem(), 30)), 30) + Replicate(" ", 4) + "000000";
  const std::string nome = EmptyString(avalista.inscricao)
                               ? Replicate(" ", 30)
                               : PadR(CampoValido(LeftStr(avalista.nome, 30)), 30);
  return nome + Replicate(" ", 4) + "000000";
}

}  // namespace

void Remessa_BcoItau(const TRemessa& rem, TTitulos& titulos, bool) {
  const TIdentidade empresa = rem.Identidade();
  const TAvalista avalista = rem.Avalista();
  // Agency, and the account's last five digits with its check digit, as the
  // bank numbers them: typed as "123-4" and "00098765-4".
  const cnab400::TAgenciaConta ac = cnab400::ContaDoLote(rem, 6);
  const cnab400::TLote lote(rem);
  const bool registroMulta = rem.Parametro("IDGERLINHACOMP") == "S";

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  cnab400::VerificaInscricao(rem, empresa);

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = cnab400::CabecalhoConta(arq, ac.agencia, ac.conta, 6);
        cnab400::EmpresaEBanco(r, empresa.curto, "341", rem.ContaCorr.S("NMBANCO"), rem.Hoje());
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        auto bol = [&](const char* n) { return t.Campo(n); };
        const cnab400::TValores v(t);

        auto& doc = t.Registros(TRegistro::DocBol);
        const std::string documento =
            doc.IsEmpty() ? Replicate(" ", 10)
                          : PadR(CampoValido(Right(doc.FieldByName("DUPLICATA").AsString() + "/" +
                                                       doc.FieldByName("NRPARCELA").AsString(),
                                                   10)),
                                 10);

        // Detail record (type "1")
        Record r = arq.Detalhe();
        r.put(2, 2, cnab400::TipoEmpresa(empresa));
        r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
        cnab400::AgenciaConta(r, 18, ac.agencia, ac.conta, 6);
        r.put(30, 4, Replicate(" ", 4));
        r.put(34, 4, "0000");
        cnab400::ControleENosso(r, v.controle, 8,
                                v.EmpresaNumera() ? LeftStr(cnab400::NossoSemDv(v.nosso), 8) : "");
        r.put(71, 13, Replicate("0", 13));
        r.num(84, 3, Right(v.carteira, 3));
        r.put(87, 21, Replicate(" ", 21));
        r.put(108, 1, "I");
        cnab400::TCobranca c(lote, documento, t, v);
        c.banco = "341";
        c.dataDesconto = v.vencimento;
        cnab400::Cobranca(r, c);
        cnab400::Pagador(r, v.pagador, 30);
        r.put(352, 40, AvalistaOuMensagem(v.ins1, v.ins2, avalista, t));
        r.num(392, 2, cnab400::DiasProtesto(t));
        r.put(394, 1, " ");
        arq.Escreve(r);

        // Fine record (type "2"): charged from the day after the due date
        if (registroMulta) {
          Record m =
              cnab400::RegistroMulta(arq, v, bol("VRMULTABREC").AsFloat(), bol("VRPEMULBREC").AsFloat());
          arq.Escreve(m);
        }

        // E-mail and guarantor record (type "5"); the guarantor's block types
        // the guarantor's own registration, as the detail types the payer's.
        Record e = arq.Registro();
        e.put(1, 1, "5");
        e.put(2, 120, PadR(SemControle(LeftStr(bol("EMAILCOBCLIE").AsString(), 120)), 120));
        if (EmptyString(avalista.inscricao)) {
          e.put(122, 93, Replicate(" ", 93));
        } else {
          e.put(122, 2, cnab400::TipoInscricao(avalista.tipo));
          e.num(124, 14, cnab400::Inscricao14(avalista.inscricao));
          e.put(138, 40, Replicate(" ", 40));
          e.put(178, 12, Replicate(" ", 12));
          e.put(190, 8, Replicate(" ", 8));
          e.put(198, 15, Replicate(" ", 15));
          e.put(213, 2, Replicate(" ", 2));
        }
        e.put(215, 180, Replicate(" ", 180));
        arq.Escreve(e);
      });
}

}  // namespace layouts
