// BRR, CNAB 444: the bank's 400-character collection layout widened to 444,
// each title carrying the access key of the electronic invoice behind it.
// Collection (Cobrança) and discount (Desconto) remittances.
#include <string>
#include <unordered_map>

#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "layouts/catalogue.h"
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
  const std::string agencia = LeftStr(SemPontuacao(cnab("CDAGENCIA")), 4);
  const std::string contaCorrente = Right(SemPontuacao(cnab("CDCONTCORR")), 8);
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
      r.put(2, 5, "00000");
      r.put(7, 1, " ");
      r.put(8, 5, "00000");
      r.put(13, 7, "0000000");
      r.put(20, 1, " ");
    } else {
      r.put(2, 2, TipoEmpresa(empresa.tipo));
      r.num(4, 14, cnab400::Inscricao14(empresa.inscricao));
      r.put(18, 3, "000");
    }
    r.put(21, 1, "0");
    r.num(22, 3, Right(v.carteira, 3));
    r.num(25, 5, agencia);
    r.num(30, 8, contaCorrente);
    r.put(38, 25, PadR(v.controle, 25));
    if (cobranca) {
      // The fine is sent when the title has one, whatever its interest.
      const bool multa = !t.Nulo("VRPEMULBREC") && t.F("VRPEMULBREC") != 0;
      r.put(63, 3, "000");
      r.put(66, 1, multa ? "2" : "0");
      r.num(67, 4, multa ? Money(t.F("VRPEMULBREC"), 4) : "");
    } else {
      r.put(63, 8, Replicate("0", 8));
    }
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
    r.put(109, 2, ocorrencia);
    r.put(111, 10, cnab400::DuplicataOuLancamento(t));
    r.put(121, 6, v.vencimento);
    r.num(127, 13, Money(v.valor, 13));
    if (cobranca) {
      r.put(140, 3, "000");
      r.put(143, 5, "00000");
    } else {
      r.put(140, 8, Replicate(" ", 8));
    }
    r.put(148, 2, "01");
    if (cobranca) {
      std::string juros;
      if (!t.Nulo("VRMORDIABREC"))
        juros = VirgDeciAssu(FormatFloat("0.00", t.F("VRMORDIABREC")), 13);
      else if (!t.Nulo("VRPEMORBREC"))
        juros = VirgDeciAssu(FormatFloat("0.00", t.F("VRPEMORBREC") * v.valor / 100), 13);
      r.put(150, 1, "N");
      r.put(151, 6, emissao);
      r.num(157, 2, SemPontuacao(v.ins1));
      r.num(159, 2,
            t.Nulo("QTDIAPROTBOL") ? "" : Right(IntToStr(static_cast<int64_t>(t.F("QTDIAPROTBOL"))), 2));
      r.num(161, 13, juros);
      r.put(174, 6, v.desconto > 0 ? v.vencimento : "000000");
      r.num(180, 13, v.desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", v.desconto * v.valor / 100), 13) : "");
      r.put(193, 13, Replicate("0", 13));
      r.put(206, 13, Replicate("0", 13));
    } else {
      r.put(150, 1, " ");
      r.put(151, 68, Replicate("0", 68));
    }
    r.put(219, 2, cnab400::TipoInscricao(v.pagador.tipo, "99", "98"));
    r.num(221, 14, cnab400::Inscricao14(v.pagador.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(v.pagador.nome, 40)), 40));
    r.put(275, 40, PadR(CampoValido(LeftStr(LTrim(v.pagador.endereco), 40)), 40));
    r.put(315, 12, Replicate(" ", 12));
    r.num(327, 8, Right(CampoValidoCEPTEL(v.pagador.cep), 8));
    if (cobranca)
      r.put(335, 60, PadR(CampoValido(LeftStr(t.Registro(TRegistro::TxBoletos, "TXMENSBOLBOL"), 60)), 60));
    else
      r.put(335, 60, Replicate(" ", 60));
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
        r.num(27, 20, LeftStr(SemPontuacao(AllTrim(rem.IdentRec)), 20));
        cnab400::EmpresaEBanco(r, empresa.nome, cnab("CDBANCCNAB"), cnab("NMBANCO"), rem.Hoje());
        r.put(101, 8, Replicate(" ", 8));
        r.put(109, 2, "MX");
        r.num(111, 7, Right(cnab("NRCNABREC"), 7));
        if (cobranca) {
          r.put(118, 277, Replicate(" ", 277));
        } else {
          r.put(118, 249, Replicate(" ", 249));
          r.put(367, 4, "DESC");
          r.num(371, 4, SemPontuacao(conta("NRAUTCNABDES")));
          r.num(375, 5, LeftStr(SemPontuacao(conta("CDAGENCIA")), 4));
          r.num(380, 8, SemPontuacao(conta("CDCONTCORR")));
          r.put(388, 7, Replicate(" ", 7));
        }
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
