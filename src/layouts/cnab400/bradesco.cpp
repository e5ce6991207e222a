// Bradesco, CNAB 400: collection (Cobrança) and discount (Desconto) remittances.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// Payer registration type; other letters leave the field blank.
std::string TipoPagador(const std::string& t) {
  if (t.empty()) return "98";
  if (t == "F") return "01";
  if (t == "J") return "02";
  if (t == "I" || t == "O") return "99";
  return "";
}

// Company registration type (discount detail); note "98"/"99" swap places with the payer's.
std::string TipoEmpresa(const std::string& t) {
  if (t.empty()) return "99";
  if (t == "F") return "01";
  if (t == "J") return "02";
  if (t == "I" || t == "O") return "98";
  return "";
}

// The guarantor as the bank reads it: type code, tax id cut to its kind's width.
struct TAvalistaBradesco {
  std::string codigo, inscricao, nome;
  bool completo() const { return !inscricao.empty() && !nome.empty(); }
};

TAvalistaBradesco LeAvalistaBradesco(const TRemessa& rem) {
  TAvalistaBradesco g;
  const TAvalista a = rem.Avalista();
  if (!a.completo()) return g;
  const bool juridica = a.tipo == "J";
  const int n = juridica ? 14 : 11;
  g.codigo = juridica ? "02" : "01";
  g.inscricao = Ajusta(CampoValido(LeftStr(Nr_Codigo(a.inscricao), n)), n);
  g.nome = a.nome;
  return g;
}

// Positions 335-394 of a collection detail: the guarantor, check digits first,
// or the title's own message when the account has no complete guarantor.
std::string SacadorOuMensagem(const TAvalistaBradesco& g, TTitulo& t) {
  if (!g.completo())
    return PadR(CampoValido(LeftStr(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"), 60)), 60);
  const std::string& i = g.inscricao;
  const std::string nome = PadR(CampoValido(LeftStr(g.nome, 43)), 43);
  if (g.codigo == "01") return Right(i, 2) + "0000" + LeftStr(i, 9) + "  " + nome;
  return Right(i, 2) + Copy(i, static_cast<int>(i.size()) - 5, 4) + Ajusta(LeftStr(i, 8), 9) + "  " + nome;
}

}  // namespace

void Remessa_BcoBradesco(const TRemessa& rem, TTitulos& titulos, bool cobranca) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };
  auto conta = [&](const char* n) { return rem.ContaCorr.S(n); };

  const TAvalistaBradesco avalista = LeAvalistaBradesco(rem);
  const TIdentidade empresa = rem.Identidade();
  const std::string id = rem.IdentRec;
  // Agency and account with its check digit, as the bank numbers them.
  const std::string agencia = LeftStr(SemPontuacao(cnab("CDAGENCIA")), 4);
  const std::string contaDv = Right(SemPontuacao(cnab("CDCONTCORR")), 8);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  const bool referencia274 = cnab("CDBANCOCONV") == "237" && cnab("CDBANCCNAB") == "274";
  const bool registro2 = cobranca && cnab("CDBANCCNAB") == "237";

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        r.num(27, 20, LeftStr(SemPontuacao(AllTrim(id)), 20));
        cnab400::EmpresaEBanco(r, empresa.nome, "237", "BRADESCO", rem.Hoje());
        r.put(101, 8, Replicate(" ", 8));
        r.put(109, 2, "MX");
        r.num(111, 7, Right(cnab("NRCNABREC"), 7));
        if (cobranca) {
          r.put(118, 277, Replicate(" ", 277));
        } else {
          r.put(118, 249, Replicate(" ", 249));
          r.put(367, 4, "DESC");
          r.num(371, 4, Right(SemPontuacao(conta("NRAUTCNABDES")), 4));
          r.num(375, 5, LeftStr(SemPontuacao(conta("CDAGENCIA")), 4));
          r.num(380, 8, Right(SemPontuacao(conta("CDCONTCORR")), 8));
          r.put(388, 7, Replicate(" ", 7));
        }
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const cnab400::TValores v(t);
        const std::string carteira = Right(v.carteira, 3);
        const std::string nosso12 = cnab400::Nosso12(v);
        const std::string documento = cnab400::DuplicataOuLancamento(t);
        auto doc = [&](const char* n) { return t.Registro(TRegistro::DocBol, n); };

        // Detail record (type "1")
        Record r = arq.Registro();
        r.put(1, 1, "1");
        if (cobranca) {
          const bool multa = !t.Nulo("VRPEMULBREC") && t.F("VRPEMULBREC") != 0;
          std::string juros;
          if (t.Nulo("VRMORDIABREC") && t.Nulo("VRPEMORBREC"))
            juros = "";
          else if (t.F("VRPEMORBREC") > 0)
            juros = VirgDeciAssu(FormatFloat("#0.00", v.valor * t.F("VRPEMORBREC") / 100), 13);
          else
            juros = VirgDeciAssu(FormatFloat("#0.00", t.F("VRMORDIABREC")), 13);
          r.put(2, 5, "00000");
          r.put(7, 1, " ");
          r.put(8, 5, "00000");
          r.put(13, 7, "0000000");
          r.put(20, 1, " ");
          r.put(21, 1, "0");
          r.num(22, 3, carteira);
          r.num(25, 5, agencia);
          r.num(30, 8, contaDv);
          r.put(38, 25, PadR(v.controle, 25));
          r.put(63, 3, "000");
          r.put(66, 1, multa ? "2" : "0");
          r.num(67, 4, multa ? Money(t.F("VRPEMULBREC"), 4) : "");
          r.num(71, 12, nosso12, "P");
          r.put(83, 10, Replicate("0", 10));
          r.put(93, 1, v.impressao == "B" ? "1" : "2");
          r.put(94, 1, " ");
          r.put(95, 10, referencia274 ? Ajusta(doc("NRNOTAFISC"), 10) : Replicate(" ", 10));
          r.put(105, 1, " ");
          r.put(106, 1, "0");
          r.put(107, 2, "  ");
          r.put(109, 2, ocorrencia);
          r.put(111, 10, documento);
          r.put(121, 6, v.vencimento);
          r.num(127, 13, Money(v.valor, 13));
          r.put(140, 3, "000");
          r.put(143, 5, "00000");
          r.put(148, 2, "01");
          r.put(150, 1, "N");
          r.put(151, 6, emissao);
          r.num(157, 2, v.ins1.empty() ? "" : Right(SemPontuacao(v.ins1), 2));
          r.num(159, 2, t.Nulo("QTDIAPROTBOL") ? "" : Right(t.S("QTDIAPROTBOL"), 2));
          r.num(161, 13, juros);
          r.put(174, 6, v.desconto > 0 ? v.vencimento : "000000");
          r.num(180, 13,
                v.desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", v.valor * v.desconto / 100), 13) : "");
          r.put(193, 13, Replicate("0", 13));
          r.put(206, 13, Replicate("0", 13));
        } else {
          r.put(2, 2, TipoEmpresa(empresa.tipo));
          r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
          r.put(18, 4, "0000");
          r.num(22, 3, carteira);
          r.num(25, 5, agencia);
          r.num(30, 8, contaDv);
          r.put(38, 25, PadR(v.controle, 25));
          r.put(63, 8, Replicate("0", 8));
          r.num(71, 12, nosso12, "P");
          r.put(83, 10, Replicate("0", 10));
          r.put(93, 16, Replicate(" ", 16));
          r.put(109, 2, ocorrencia);
          r.put(111, 10, documento);
          r.put(121, 6, v.vencimento);
          r.num(127, 13, Money(v.valor, 13));
          r.put(140, 8, Replicate(" ", 8));
          r.put(148, 2, "01");
          r.put(150, 1, " ");
          r.put(151, 68, Replicate("0", 68));
        }
        r.put(219, 2, TipoPagador(v.pagador.tipo));
        r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
        r.put(235, 40, PadR(CampoValido(LeftStr(v.pagador.nome, 40)), 40));
        r.put(275, 40, PadR(CampoValido(LeftStr(LTrim(v.pagador.endereco), 40)), 40));
        r.put(315, 12, Replicate(" ", 12));
        r.num(327, 8, Right(CampoValidoCEPTEL(v.pagador.cep), 8));
        r.put(335, 60, cobranca ? SacadorOuMensagem(avalista, t) : Replicate(" ", 60));
        arq.Escreve(r);

        // Electronic-invoice record (type "2"); the title number as record 1
        // reads it, its last character the check digit.
        const std::string chave = doc("NRACESSONFE");
        if (registro2 && !EmptyString(chave)) {
          const bool temNosso = v.EmpresaNumera();
          const std::string n12 = temNosso ? nosso12 : "";
          Record n = arq.Registro();
          n.put(1, 1, "2");
          n.num(2, 80, LeftStr(SemPontuacao(chave), 44));
          n.put(82, 80, Replicate(" ", 80));
          n.put(162, 80, Replicate(" ", 80));
          n.put(242, 80, Replicate(" ", 80));
          n.put(322, 6, "000000");
          n.put(328, 13, Replicate("0", 13));
          n.put(341, 6, "000000");
          n.put(347, 13, Replicate("0", 13));
          n.put(360, 7, Replicate(" ", 7));
          n.num(367, 3, carteira);
          n.num(370, 5, agencia);
          n.num(375, 8, contaDv);
          n.num(383, 11, LeftStr(n12, 11), "P");
          n.num(394, 1, temNosso ? Right(n12, 1) : "", "P");
          arq.Escreve(n);
        }

        // Sacador/avalista record (type "7")
        if (cobranca && avalista.completo()) {
          Record s = arq.Registro();
          s.put(1, 1, "7");
          s.put(2, 45, Replicate(" ", 45));
          s.put(47, 5, "00000");
          s.put(52, 3, "000");
          s.put(55, 20, Replicate(" ", 20));
          s.put(75, 2, "  ");
          s.put(77, 290, Replicate(" ", 290));
          s.num(367, 3, carteira);
          s.num(370, 5, agencia);
          s.num(375, 8, contaDv);
          s.num(383, 12, nosso12, "P");
          arq.Escreve(s);
        }
      });
}

}  // namespace layouts
