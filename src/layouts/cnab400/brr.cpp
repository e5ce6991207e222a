// BRR, CNAB 444: the bank's 400-character collection layout widened to 444,
// each title carrying the access key of the electronic invoice behind it.
// Collection (Cobrança) and discount (Desconto) remittances.
#include <string>
#include <unordered_map>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
#include "layouts/cnab400/bradesco_layout.h"
#include "layouts/cnab400/cnab400.h"

namespace layouts {

using namespace fields;

namespace {

constexpr int kTamanho = 444;

// Company registration type (discount detail): "98" and "99" swap places with
// the payer's.
std::string TipoEmpresa(const std::string& t) {
  if (t.empty()) return "99";
  if (t == "F") return "01";
  if (t == "J") return "02";
  return "98";
}

// The discount header numbers the account in eight positions and names the
// account's discount authorisation: a discount batch without either stops
// before the file (its digits: "0098765-4" fits).
void VerificaDesconto(const TRemessa& rem) {
  if (EmptyString(rem.ContaCorr.S("NRAUTCNABDES"))) rem.Erro("NRAUTORIZACAO_N_CAD");
  if (SemPontuacao(rem.ContaCorr.S("CDCONTCORR")).size() > 8) rem.Erro("Err_CNAB_Desc");
}

// The access key of the title's electronic invoice: the invoice of its first
// duplicate, which the run has read with every title's documents. Only when
// that duplicate has no invoice is the server asked, for a later one's.
std::string ChaveAcesso(TTitulo& t) {
  auto& doc = t.Registros(TRegistro::DocBol);
  if (!doc.Active() || doc.IsEmpty()) return {};
  doc.First();
  const std::string chave = doc.FieldByName("NRACESSONFE").AsString();
  if (!chave.empty()) return chave;
  const bool temNota = !doc.FieldByName("NRNOTAFISC").IsNull() || !doc.FieldByName("VRNOTAFISC").IsNull();
  return temNota ? std::string() : t.ChaveAcesso();
}

}  // namespace

void Remessa_BcoBRR(const TRemessa& rem, TTitulos& titulos, bool cobranca) {
  if (!cobranca) VerificaDesconto(rem);
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };
  auto conta = [&](const char* n) { return rem.ContaCorr.S(n); };

  const TIdentidade empresa = rem.Cadastro();
  const cnab400::TContaBradesco contaCorrente = cnab400::ContaBradesco(rem);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  // The access key of each title, read once, when the titles are checked, and
  // written as it was checked.
  std::unordered_map<std::string, std::string> chaves;
  auto chave = [&](TTitulo& t) -> const std::string& {
    auto [it, nova] = chaves.try_emplace(t.Chave());
    if (nova) it->second = LeftStr(SemPontuacao(ChaveAcesso(t)), 44);
    return it->second;
  };

  // A title's detail up to its sequence: built once to check every marked
  // title before the file exists, and again to be written.
  auto detalhe = [&](TTitulo& t) {
    const cnab400::TValores v(t);

    // Detail record (type "1")
    Record r(kTamanho);
    r.put(1, 1, "1");
    if (cobranca) {
      cnab400::SemDebito(r);
    } else {
      r.put(2, 2, TipoEmpresa(empresa.tipo));
      r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
      r.put(18, 3, "000");
    }
    cnab400::Beneficiario(r, Right(v.carteira, 3), contaCorrente, v.controle);
    if (cobranca)
      cnab400::Multa(r, t);
    else
      r.put(63, 8, Replicate("0", 8));
    r.num(71, 12, cnab400::Nosso12(v), "P");
    r.put(83, 10, Replicate("0", 10));
    if (cobranca) {
      r.put(93, 1, v.impressao == "B" ? "1" : "2");
      r.put(94, 1, " ");
      r.put(95, 10, Replicate(" ", 10));
      r.put(105, 1, " ");
      r.put(106, 1, "0");
      r.put(107, 2, "  ");
    } else {
      r.put(93, 16, Replicate(" ", 16));
    }
    const std::string documento = cnab400::DuplicataOuLancamento(t);
    if (cobranca) {
      cnab400::TCobranca c(ocorrencia, documento, emissao, t, v);
      // The bank reads its instruction as a number and the protest days, whole
      // days, at 159; the amounts as they stand.
      c.instrucao1 = SemPontuacao(v.ins1);
      c.instrucao1Numero = true;
      c.instrucao2 =
          t.Nulo("QTDIAPROTBOL") ? "" : Right(IntToStr(static_cast<int64_t>(t.F("QTDIAPROTBOL"))), 2);
      c.instrucao2Numero = true;
      c.juros = cnab400::JurosSemArredondar(t, v.valor);
      c.desconto = cnab400::DescontoSemArredondar(v);
      cnab400::Cobranca(r, c);
    } else {
      cnab400::Desconto109(r, ocorrencia, documento, v);
    }
    cnab400::PagadorBradesco(r, cnab400::TipoInscricao(v.pagador.tipo, "99", "98"), v.pagador);
    r.put(335, 60, cobranca ? cnab400::Mensagem60(t) : Replicate(" ", 60));
    return r;
  };
  // After the sequence, the access key: 44 digits; a title without one
  // leaves the field blank.
  auto comChave = [](Record& r, const std::string& chave) {
    if (chave.empty())
      r.put(401, 44, Replicate(" ", 44));
    else
      r.num(401, 44, chave);
  };

  cnab400::GeraVerificado(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Cabecalho();
        cnab400::CabecalhoBradesco(r, {.codigo = LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 20),
                                       .empresa = empresa.nome,
                                       .banco = cnab("CDBANCCNAB"),
                                       .nomeBanco = cnab("NMBANCO"),
                                       .data = rem.Hoje(),
                                       .sequencia = Right(cnab("NRCNABREC"), 7)});
        if (cobranca)
          r.put(118, 277, Replicate(" ", 277));
        else
          cnab400::CabecalhoDesconto(r, SemPontuacao(conta("NRAUTCNABDES")),
                                     LeftStr(SemPontuacao(conta("CDAGENCIA")), 4),
                                     SemPontuacao(conta("CDCONTCORR")));
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        const std::string& c = chave(t);
        Record r = detalhe(t);
        arq.Numera(r);
        comChave(r, c);
        arq.Escreve(r);
      },
      {}, kTamanho);
}

}  // namespace layouts
