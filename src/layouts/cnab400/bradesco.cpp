// Bradesco, CNAB 400: collection (Cobrança) and discount (Desconto) remittances.
#include "fields/datetime.h"
#include "fields/sanitisers.h"
#include "fields/text.h"
#include "host/context.h"
#include "layouts/record.h"
#include "layouts/shared.h"
#include "layouts/writers.h"

namespace layouts {

using namespace fields;

namespace {

std::string AdicionaZero(std::string_view s, int n) {
  const std::string t = AllTrim(s);
  if (static_cast<int>(t.size()) == n) return std::string(s);
  return Replicate("0", n) + t;
}

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

std::string Inscricao14(const std::string& x) {
  return x.empty() ? Replicate("0", 14) : Ajusta(LeftStr(CampoValido(Nr_Codigo(x)), 14), 14);
}

// The guarantor as the bank reads it: type code, tax id cut to its kind's width.
struct TAvalistaBradesco {
  std::string codigo, inscricao, nome;
  bool completo() const { return !inscricao.empty() && !nome.empty(); }
};

TAvalistaBradesco LeAvalistaBradesco() {
  TAvalistaBradesco g;
  const TAvalista a = LeAvalista();
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
std::string SacadorOuMensagem(const TAvalistaBradesco& g) {
  if (!g.completo()) {
    CarregaTxBoletos();
    return PadR(CampoValido(LeftStr(Form().cdsTxBoletos.FieldByName("TXMENSBOLBOL").AsString(), 60)), 60);
  }
  const std::string& t = g.inscricao;
  const std::string nome = PadR(CampoValido(LeftStr(g.nome, 43)), 43);
  if (g.codigo == "01") return Right(t, 2) + "0000" + LeftStr(t, 9) + "  " + nome;
  return Right(t, 2) + Copy(t, static_cast<int>(t.size()) - 5, 4) + Ajusta(LeftStr(t, 8), 9) + "  " + nome;
}

}  // namespace

void Remessa_BcoBradesco(bool cobranca) {
  auto& frm = Form();
  auto cnab = [&](const char* n) { return frm.cdsCNABRec.FieldByName(n).AsString(); };
  auto conta = [&](const char* n) { return frm.cdsContaCorr.FieldByName(n).AsString(); };
  auto bol = [&](const char* n) { return frm.cdsBoletos.FieldByName(n); };
  const auto& ctx = host::Corvane();

  const TAvalistaBradesco avalista = LeAvalistaBradesco();
  const TIdentidade empresa = IdentidadeEmpresa();
  const std::string id = frm.BuscaIdentRec();
  const std::string agencia = Ajusta(CampoValido(LeftStr(cnab("CDAGENCIA"), 4)), 5);
  const std::string contaDv = Ajusta(CampoValido(Right(cnab("CDCONTCORR"), 8)), 8);
  const std::string ocorrencia = Ocorrencia(cnab("IDOPECNABREC"));
  const std::string emissao = FormatDateTime("ddmmyy", ctx.DataProc(ctx.FiliProc));
  const bool referencia274 = cnab("CDBANCOCONV") == "237" && cnab("CDBANCCNAB") == "274";
  const bool registro2 = cobranca && cnab("CDBANCCNAB") == "237";

  TRemessaFile file(frm.NomeArquivo(), 400);
  auto seq = [&file] { return Ajusta(IntToStr(file.count() + 1), 6); };

  // Header record (type "0")
  {
    Record r(400);
    r.put(1, 1, "0");
    r.put(2, 1, "1");
    r.put(3, 7, "REMESSA");
    r.put(10, 2, "01");
    r.put(12, 15, PadR("COBRANCA", 15));
    r.put(27, 20, id.empty() ? Replicate("0", 20) : Ajusta(CampoValido(LeftStr(AllTrim(id), 20)), 20));
    r.put(47, 30, PadR(CampoValido(LeftStr(empresa.nome, 30)), 30));
    r.put(77, 3, "237");
    r.put(80, 15, PadR("BRADESCO", 15));
    r.put(95, 6, FormatDateTime("DDMMYY", Hoje()));
    r.put(101, 8, Replicate(" ", 8));
    r.put(109, 2, "MX");
    r.put(111, 7, Ajusta(Right(cnab("NRCNABREC"), 7), 7));
    if (cobranca) {
      r.put(118, 277, Replicate(" ", 277));
    } else {
      r.put(118, 249, Replicate(" ", 249));
      r.put(367, 4, "DESC");
      r.put(371, 4, Ajusta(conta("NRAUTCNABDES"), 4));
      r.put(375, 5, Ajusta(CampoValido(LeftStr(conta("CDAGENCIA"), 4)), 5));
      r.put(380, 8, Ajusta(conta("CDCONTCORR"), 8));
      r.put(388, 7, Replicate(" ", 7));
    }
    r.put(395, 6, seq());
    file.write(r);
  }

  ParaCadaMarcado([&] {
    const std::string carteira = Ajusta(CampoValido(Right(bol("CDCARTCOBBOL").AsString(), 3)), 3);
    const std::string impressaoGravada = bol("IDIMPRBOLBOL").AsString();
    const std::string impressao = impressaoGravada.empty() ? "E" : impressaoGravada;
    const std::string nossoGravado = bol("CDNOSNUMREC").AsString();
    const std::string nosso12 = (impressao == "E" || impressao == "F") && !nossoGravado.empty()
                                    ? Right(AdicionaZero(NossoNumero(nossoGravado), 12), 12)
                                    : Replicate("0", 12);
    const double valor = bol("VRFINALBREC").AsFloat();
    const std::string vencimento = FormatDateTime("ddmmyy", bol("DTVENBOLREC").AsDateTime());
    const double desconto = bol("VRPEDESCBCLI").AsFloat();
    CarregaDocBol();
    auto doc = [&](const char* n) { return frm.cdsDocBol.FieldByName(n).AsString(); };
    const std::string duplicata = doc("DUPLICATA");
    const std::string documento = duplicata.empty() ? PadR(bol("NRLANBOLREC").AsString(), 10)
                                                    : PadR(CampoValido(Right(AllTrim(duplicata), 8)), 8) +
                                                          PadR(Ajusta(doc("NRPARCELA"), 2), 2);
    const TPagador pagador = LePagador();

    // Detail record (type "1")
    Record r(400);
    r.put(1, 1, "1");
    if (cobranca) {
      const bool multa = !bol("VRPEMULBREC").IsNull() && bol("VRPEMULBREC").AsFloat() != 0;
      std::string juros;
      if (bol("VRMORDIABREC").IsNull() && bol("VRPEMORBREC").IsNull())
        juros = Replicate("0", 13);
      else if (bol("VRPEMORBREC").AsFloat() > 0)
        juros = VirgDeciAssu(FormatFloat("#0.00", valor * bol("VRPEMORBREC").AsFloat() / 100), 13);
      else
        juros = VirgDeciAssu(FormatFloat("#0.00", bol("VRMORDIABREC").AsFloat()), 13);
      r.put(2, 5, "00000");
      r.put(7, 1, " ");
      r.put(8, 5, "00000");
      r.put(13, 7, "0000000");
      r.put(20, 1, " ");
      r.put(21, 1, "0");
      r.put(22, 3, carteira);
      r.put(25, 5, agencia);
      r.put(30, 8, contaDv);
      r.put(38, 25, PadR(bol("CDFILIAL").AsString() + bol("NRLANBOLREC").AsString(), 25));
      r.put(63, 3, "000");
      r.put(66, 1, multa ? "2" : "0");
      r.put(
          67, 4,
          multa ? VirgDeciAssu(FormatFloat("#0.00", RoundDec(bol("VRPEMULBREC").AsFloat(), 2)), 4) : "0000");
      r.put(71, 12, nosso12);
      r.put(83, 10, Replicate("0", 10));
      r.put(93, 1, impressao == "B" ? "1" : "2");
      r.put(94, 1, " ");
      r.put(95, 10, referencia274 ? Ajusta(doc("NRNOTAFISC"), 10) : Replicate(" ", 10));
      r.put(105, 1, " ");
      r.put(106, 1, "0");
      r.put(107, 2, "  ");
      r.put(109, 2, ocorrencia);
      r.put(111, 10, documento);
      r.put(121, 6, vencimento);
      r.put(127, 13, VirgDeciAssu(FormatFloat("#0.00", RoundDec(valor, 2)), 13));
      r.put(140, 3, "000");
      r.put(143, 5, "00000");
      r.put(148, 2, "01");
      r.put(150, 1, "N");
      r.put(151, 6, emissao);
      r.put(157, 2,
            bol("CDINS1COBBOL").AsString().empty() ? "00"
                                                   : Ajusta(CampoValido(bol("CDINS1COBBOL").AsString()), 2));
      r.put(159, 2,
            bol("QTDIAPROTBOL").IsNull() ? "00" : Ajusta(Right(bol("QTDIAPROTBOL").AsString(), 2), 2));
      r.put(161, 13, juros);
      r.put(174, 6, desconto > 0 ? vencimento : "000000");
      r.put(
          180, 13,
          desconto > 0 ? VirgDeciAssu(FormatFloat("0.00", valor * desconto / 100), 13) : Replicate("0", 13));
      r.put(193, 13, Replicate("0", 13));
      r.put(206, 13, Replicate("0", 13));
    } else {
      r.put(2, 2, TipoEmpresa(empresa.tipo));
      r.put(4, 14, Inscricao14(empresa.inscricao));
      r.put(18, 4, "0000");
      r.put(22, 3, carteira);
      r.put(25, 5, agencia);
      r.put(30, 8, contaDv);
      r.put(38, 25, PadR(bol("CDFILIAL").AsString() + bol("NRLANBOLREC").AsString(), 25));
      r.put(63, 8, Replicate("0", 8));
      r.put(71, 12, nosso12);
      r.put(83, 10, Replicate("0", 10));
      r.put(93, 16, Replicate(" ", 16));
      r.put(109, 2, ocorrencia);
      r.put(111, 10, documento);
      r.put(121, 6, vencimento);
      r.put(127, 13, VirgDeciAssu(FormatFloat("#0.00", RoundDec(valor, 2)), 13));
      r.put(140, 8, Replicate(" ", 8));
      r.put(148, 2, "01");
      r.put(150, 1, " ");
      r.put(151, 68, Replicate("0", 68));
    }
    r.put(219, 2, TipoPagador(pagador.tipo));
    r.put(221, 14, Inscricao14(pagador.inscricao));
    r.put(235, 40, PadR(CampoValido(LeftStr(pagador.nome, 40)), 40));
    r.put(275, 40, PadR(CampoValido(LeftStr(LTrim(pagador.endereco), 40)), 40));
    r.put(315, 12, Replicate(" ", 12));
    r.put(327, 8,
          pagador.cep.empty() ? Replicate("0", 8) : Ajusta(Right(CampoValidoCEPTEL(pagador.cep), 8), 8));
    r.put(335, 60, cobranca ? SacadorOuMensagem(avalista) : Replicate(" ", 60));
    r.put(395, 6, seq());
    file.write(r);

    // Electronic-invoice record (type "2")
    const std::string chave = doc("NRACESSONFE");
    if (registro2 && !EmptyString(chave)) {
      const bool temNosso = (impressaoGravada == "E" || impressaoGravada == "F") && !nossoGravado.empty();
      Record n(400);
      n.put(1, 1, "2");
      n.put(2, 80, Ajusta(LeftStr(chave, 44), 80));
      n.put(82, 80, Replicate(" ", 80));
      n.put(162, 80, Replicate(" ", 80));
      n.put(242, 80, Replicate(" ", 80));
      n.put(322, 6, "000000");
      n.put(328, 13, Replicate("0", 13));
      n.put(341, 6, "000000");
      n.put(347, 13, Replicate("0", 13));
      n.put(360, 7, Replicate(" ", 7));
      n.put(367, 3, carteira);
      n.put(370, 5, agencia);
      n.put(375, 8, contaDv);
      n.put(383, 11, temNosso ? Ajusta(CampoValido(LeftStr(nossoGravado, 11)), 11) : Replicate("0", 11));
      n.put(394, 1, temNosso ? Ajusta(CampoValido(Right(nossoGravado, 1)), 1) : "0");
      n.put(395, 6, seq());
      file.write(n);
    }

    // Sacador/avalista record (type "7")
    if (cobranca && avalista.completo()) {
      Record s(400);
      s.put(1, 1, "7");
      s.put(2, 45, Replicate(" ", 45));
      s.put(47, 5, "00000");
      s.put(52, 3, "000");
      s.put(55, 20, Replicate(" ", 20));
      s.put(75, 2, "  ");
      s.put(77, 290, Replicate(" ", 290));
      s.put(367, 3, carteira);
      s.put(370, 5, agencia);
      s.put(375, 8, contaDv);
      s.put(383, 12, nosso12);
      s.put(395, 6, seq());
      file.write(s);
    }
  });

  // Trailer record (type "9")
  Record t(400);
  t.put(1, 1, "9");
  t.put(2, 393, Replicate(" ", 393));
  t.put(395, 6, seq());
  file.write(t);
  file.Close();
}

}  // namespace layouts
