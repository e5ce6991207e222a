// SICREDI, CNAB 400 (layout version 2.00): header, one detail per title in
// the form the title is registered with at the cooperative, then the trailer.
#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// The cooperative's code: five digits from the third of the account's
// agreement code; zeros when the account has none.
std::string Cooperativa(const std::string& cedente) {
  if (EmptyString(cedente)) return "";
  return Copy(SemPontuacao(AllTrim(cedente)), 3, 5);
}

// "1" a person, "2" anything else.
std::string TipoPagador(const std::string& t) {
  return t == "F" ? "1" : "2";
}

// The protest instruction: code "3" tells the bank not to protest.
std::string Protesto(const std::string& codigo) {
  return codigo.empty() || codigo == "3" ? "00" : "06";
}

}  // namespace

void Remessa_SICREDI(const TRemessa& rem, TTitulos& titulos, bool) {
  titulos.Verifica([&](TTitulo& t) {
    // A title must say how it is registered at the cooperative ("1" registered,
    // anything else the other form): without it the bank cannot take the title,
    // and leaving it out of the file would have the run mark it sent.
    if (EmptyString(t.S("IDFORMCADBREC"))) rem.Recusa(t, "FORMCAD_INF");
  });

  const TIdentidade empresa = rem.Identidade();
  const std::string cooperativa = Cooperativa(rem.ContaCorr.S("CDCEDENTEBAN"));
  const std::string sequencia = rem.CNABRec.S("NRSEQREMESSAREC");
  const std::string hoje = FormatDateTime("yyyymmdd", rem.Hoje());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.num(27, 5, cooperativa);
        r.num(32, 14, cnab400::Inscricao14(empresa.inscricao));
        r.put(46, 31, Replicate(" ", 31));
        r.put(77, 3, "748");
        r.put(80, 15, PadR("SICREDI", 15));
        r.put(95, 8, hoje);
        r.put(103, 8, Replicate(" ", 8));
        r.num(111, 7, EmptyString(sequencia) ? "0000001" : Right(SemPontuacao(sequencia), 7));
        r.put(118, 273, Replicate(" ", 273));
        r.put(391, 4, "2.00");
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const cnab400::TValores v(t);
        const bool registrada = t.S("IDFORMCADBREC") == "1";
        const std::string nosso = LeftStr(NossoNumero(v.nosso), 9);
        // The cooperative posts and prints the boleto when the bank issues it
        // or the title has no number of its own yet.
        const bool pelaCooperativa = v.impressao == "B" || v.nosso.empty();
        const std::string multa = t.Nulo("VRPEMULBREC") ? "" : Money(t.F("VRPEMULBREC"), 4);
        const std::string juros =
            t.Nulo("VRPEMORBREC") ? "" : VirgDeciAssu(FormatFloat("#0.00", t.F("VRPEMORBREC")), 13);
        const std::string documento = Ajusta(t.S("NRLANBOLREC"), 10);
        const std::string valor = Money(v.valor, 13);
        const std::string inscricao = cnab400::Inscricao14(v.pagador.inscricao);
        const std::string nome = PadR(CampoValido(LeftStr(v.pagador.nome, 40)), 40);
        const std::string endereco = PadR(CampoValido(LeftStr(LTrim(v.pagador.endereco), 40)), 40);
        const std::string cep = Right(CampoValidoCEPTEL(v.pagador.cep), 8);

        // Detail record (type "1"): one table for both kinds of title, the
        // registered kind's value first where the two differ.
        Record r = arq.Detalhe();
        r.put(2, 1, registrada ? "A" : "C");
        r.put(3, 1, registrada ? "A" : " ");
        r.put(4, 1, "A");
        r.put(5, 12, Replicate(" ", 12));
        r.put(17, 3, "AAA");
        r.put(20, 28, Replicate(" ", 28));
        r.num(48, 9, nosso);
        if (registrada) {
          r.put(57, 6, Replicate(" ", 6));
          r.put(63, 8, hoje);
          r.put(71, 1, " ");
          r.put(72, 1, pelaCooperativa ? "S" : "N");
          r.put(73, 1, " ");
          r.put(74, 1, pelaCooperativa ? "A" : "B");
          r.put(75, 2, "00");
          r.put(77, 2, "00");
        } else {
          r.put(57, 1, " ");
          r.put(58, 1, "B");
          r.put(59, 13, Replicate(" ", 13));
          r.put(72, 1, "S");
          r.put(73, 2, "  ");
          r.put(75, 4, "0000");
        }
        r.put(79, 4, Replicate(" ", 4));
        r.put(83, 10, Replicate("0", 10));
        r.num(93, 4, multa);
        r.put(97, 12, Replicate(" ", 12));
        r.put(109, 2, "01");
        r.put(111, 10, documento);
        r.put(121, 6, v.vencimento);
        r.num(127, 13, valor);
        r.put(140, 9, Replicate(" ", 9));
        r.put(149, 1, "A");
        r.put(150, 1, registrada ? "S" : " ");
        r.put(151, 6, emissao);
        if (registrada) {
          r.put(157, 2, Protesto(t.S("CDDIAPROTBOL")));
          r.num(159, 2, cnab400::DiasProtesto(t));
        } else {
          r.put(157, 4, Replicate(" ", 4));
        }
        r.num(161, 13, juros);
        r.put(174, 6, "000000");
        r.put(180, 13, Replicate("0", 13));
        r.put(193, 13, Replicate("0", 13));
        r.put(206, 13, Replicate("0", 13));
        r.put(219, 1, TipoPagador(v.pagador.tipo));
        r.put(220, 1, registrada ? "0" : " ");
        r.num(221, 14, inscricao);
        r.put(235, 40, nome);
        r.put(275, 40, endereco);
        r.put(315, 5, "00000");
        r.put(320, 6, "000000");
        r.put(326, 1, " ");
        r.num(327, 8, cep);
        if (registrada) {
          r.put(335, 5, "00000");
          r.put(340, 14, Replicate("0", 14));
          r.put(354, 41, Replicate(" ", 41));
        } else {
          r.put(335, 25, PadR(CampoValido(LeftStr(v.pagador.cidade, 25)), 25));
          r.put(360, 2, PadR(CampoValido(LeftStr(v.pagador.uf, 2)), 2));
          r.put(362, 5, "00000");
          r.put(367, 28, Replicate(" ", 28));
        }
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq) {
        // Trailer record (type "9")
        Record r = arq.Registro();
        r.put(1, 1, "9");
        r.put(2, 1, "1");
        r.put(3, 3, "748");
        r.num(6, 5, cooperativa);
        r.put(11, 384, Replicate(" ", 384));
        arq.Escreve(r);
      });
}

}  // namespace layouts
