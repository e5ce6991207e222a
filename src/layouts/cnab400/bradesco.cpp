// Bradesco, CNAB 400: collection (Cobrança) and discount (Desconto) remittances.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

// A registration type: "01" a person, "02" a company, semTipo when none is
// given and outro for the other kinds ("I", "O"); any other letter leaves the
// field blank. The payer's two last codes are "98" and "99", the company's
// (discount detail) the other way round.
std::string Tipo(const std::string& t, std::string_view semTipo, std::string_view outro) {
  if (t.empty()) return std::string(semTipo);
  if (t == "F") return "01";
  if (t == "J") return "02";
  if (t == "I" || t == "O") return std::string(outro);
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
  if (!g.completo()) return cnab400::Mensagem60(t);
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
  const cnab400::TContaBradesco agenciaConta = cnab400::ContaBradesco(rem);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  const bool referencia274 = cnab("CDBANCOCONV") == "237" && cnab("CDBANCCNAB") == "274";
  const bool registro2 = cobranca && cnab("CDBANCCNAB") == "237";

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        cnab400::CabecalhoBradesco(r, {.codigo = LeftStr(SemPontuacao(AllTrim(id)), 20),
                                       .empresa = empresa.nome,
                                       .banco = "237",
                                       .nomeBanco = "BRADESCO",
                                       .data = rem.Hoje(),
                                       .sequencia = Right(cnab("NRCNABREC"), 7)});
        if (cobranca)
          r.put(118, 277, Replicate(" ", 277));
        else
          cnab400::CabecalhoDesconto(r, Right(SemPontuacao(conta("NRAUTCNABDES")), 4),
                                     LeftStr(SemPontuacao(conta("CDAGENCIA")), 4),
                                     Right(SemPontuacao(conta("CDCONTCORR")), 8));
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const cnab400::TValores v(t);
        const std::string carteira = Right(v.carteira, 3);
        const std::string nosso12 = cnab400::Nosso12(v);
        const std::string documento = cnab400::DuplicataOuLancamento(t);
        auto doc = [&](const char* n) { return t.Registro(TRegistro::DocBol, n); };

        // Detail record (type "1")
        Record r = arq.Detalhe();
        if (cobranca) {
          std::string juros;
          if (t.Nulo("VRMORDIABREC") && t.Nulo("VRPEMORBREC"))
            juros = "";
          else if (t.F("VRPEMORBREC") > 0)
            juros = VirgDeciAssu(FormatFloat("#0.00", v.valor * t.F("VRPEMORBREC") / 100), 13);
          else
            juros = VirgDeciAssu(FormatFloat("#0.00", t.F("VRMORDIABREC")), 13);
          cnab400::SemDebito(r);
          cnab400::Beneficiario(r, carteira, agenciaConta, v.controle);
          cnab400::Multa(r, t);
          r.num(71, 12, nosso12, "P");
          r.put(83, 10, Replicate("0", 10));
          r.put(93, 1, v.impressao == "B" ? "1" : "2");
          r.put(94, 1, " ");
          r.put(95, 10, referencia274 ? Ajusta(doc("NRNOTAFISC"), 10) : Replicate(" ", 10));
          r.put(105, 1, " ");
          r.put(106, 1, "0");
          r.put(107, 2, "  ");
          cnab400::TCobranca c(ocorrencia, documento, emissao, t, v);
          // The bank reads its instruction as a number and the protest days at
          // 159; a monthly percentage wins over the daily amount.
          c.instrucao1 = v.ins1.empty() ? "" : Right(SemPontuacao(v.ins1), 2);
          c.instrucao1Numero = true;
          c.instrucao2 = t.Nulo("QTDIAPROTBOL") ? "" : Right(t.S("QTDIAPROTBOL"), 2);
          c.instrucao2Numero = true;
          c.juros = juros;
          c.desconto = cnab400::DescontoSemArredondar(v);
          cnab400::Cobranca(r, c);
        } else {
          r.put(2, 2, Tipo(empresa.tipo, "99", "98"));
          r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
          r.put(18, 3, "000");
          cnab400::Beneficiario(r, carteira, agenciaConta, v.controle);
          r.put(63, 8, Replicate("0", 8));
          r.num(71, 12, nosso12, "P");
          r.put(83, 10, Replicate("0", 10));
          r.put(93, 16, Replicate(" ", 16));
          cnab400::Desconto109(r, ocorrencia, documento, v);
        }
        cnab400::PagadorBradesco(r, Tipo(v.pagador.tipo, "98", "99"), v.pagador);
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
          n.num(370, 5, agenciaConta.agencia);
          n.num(375, 8, agenciaConta.conta);
          n.num(383, 11, LeftStr(n12, 11), "P");
          n.num(394, 1, temNosso ? Right(n12, 1) : "", "P");
          arq.Escreve(n);
        }

        // Sacador/avalista record (type "7")
        if (cobranca && avalista.completo()) {
          Record s = arq.Registro();
          s.put(1, 1, "7");
          EnderecoVazio(s, 2, 45, 20);
          s.put(77, 290, Replicate(" ", 290));
          s.num(367, 3, carteira);
          s.num(370, 5, agenciaConta.agencia);
          s.num(375, 8, agenciaConta.conta);
          s.num(383, 12, nosso12, "P");
          arq.Escreve(s);
        }
      });
}

}  // namespace layouts
