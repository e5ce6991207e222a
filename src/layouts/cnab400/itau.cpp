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

// The bank tells a branch's "other" registration (neither person nor company)
// apart, but for the company row everything that is not a person is a company.
std::string TipoEmpresa(const TIdentidade& e) {
  if (e.tipo == "F") return "01";
  if (e.filial && e.tipo != "J") return "03";
  return "02";
}

std::string TipoPagador(const std::string& t) {
  return t == "F" ? "01" : "02";
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

// The fine record's code: a fixed amount wins over a percentage.
std::string CodigoMulta(double valor, double percentual) {
  if (valor > 0) return "1";
  if (percentual > 0) return "2";
  return "0";
}

}  // namespace

void Remessa_BcoItau(const TRemessa& rem, TTitulos& titulos, bool) {
  auto cnab = [&](const char* n) { return rem.CNABRec.S(n); };

  const TIdentidade empresa = rem.Identidade();
  const TAvalista avalista = rem.Avalista();
  const std::string agencia = EmptyString(cnab("CDAGENCIA"))
                                  ? "0000"
                                  : Ajusta(CampoValido(LeftStr(AllTrim(cnab("CDAGENCIA")), 4)), 4);
  const std::string conta = EmptyString(cnab("CDCONTCORR"))
                                ? "000000"
                                : Ajusta(CampoValido(Right(AllTrim(cnab("CDCONTCORR")), 6)), 6);
  const std::string ocorrencia = Ocorrencia(rem.Operacao());
  const std::string emissao = FormatDateTime("ddmmyy", rem.DataProc);
  const bool registroMulta = rem.Parametro("IDGERLINHACOMP") == "S";

  // The bank has room for 14 digits only; a longer number would reach it cut,
  // naming another company, so the run stops before any file exists.
  if (AllTrim(Nr_Codigo(empresa.inscricao)).size() > 14) rem.Erro("INSCRICAO_INV");

  cnab400::Gera(
      rem, titulos,
      [&](cnab400::TArquivo& arq) {
        // Header record (type "0")
        Record r = arq.Registro();
        r.put(1, 1, "0");
        r.put(2, 1, "1");
        r.put(3, 7, "REMESSA");
        r.put(10, 2, "01");
        r.put(12, 15, PadR("COBRANCA", 15));
        r.put(27, 4, agencia);
        r.put(31, 2, "00");
        r.put(33, 6, conta);
        r.put(39, 8, Replicate(" ", 8));
        r.put(47, 30, PadR(CampoValido(LeftStr(empresa.curto, 30)), 30));
        r.put(77, 3, "341");
        r.put(80, 15, PadR(CampoValido(LeftStr(rem.ContaCorr.S("NMBANCO"), 15)), 15));
        r.put(95, 6, FormatDateTime("ddmmyy", rem.Hoje()));
        r.put(101, 294, Replicate(" ", 294));
        arq.Escreve(r);
      },
      [&](cnab400::TArquivo& arq, TTitulo& t) {
        auto bol = [&](const char* n) { return t.Campo(n); };
        const double valor = bol("VRFINALBREC").AsFloat();
        const double vencimento = bol("DTVENBOLREC").AsDateTime();
        const std::string ins1 = bol("CDINS1COBBOL").AsString();
        const std::string ins2 = bol("CDINS2COBBOL").AsString();
        const std::string impressao = bol("IDIMPRBOLBOL").AsString();
        const std::string nossoGravado = bol("CDNOSNUMREC").AsString();
        const std::string carteira = bol("CDCARTCOBBOL").AsString();
        const double desconto = bol("VRPEDESCBCLI").AsFloat();

        auto& doc = t.Registros(TRegistro::DocBol);
        const std::string documento =
            doc.IsEmpty() ? Replicate(" ", 10)
                          : PadR(CampoValido(Right(doc.FieldByName("DUPLICATA").AsString() + "/" +
                                                       doc.FieldByName("NRPARCELA").AsString(),
                                                   10)),
                                 10);

        std::string juros = Replicate("0", 13);
        if (!bol("VRMORDIABREC").IsNull())
          juros = VirgDeciAssu(FormatFloat("#0.00", bol("VRMORDIABREC").AsFloat()), 13);
        else if (!bol("VRPEMORBREC").IsNull())
          juros = VirgDeciAssu(FormatFloat("#0.00", valor * bol("VRPEMORBREC").AsFloat() / 100), 13);

        // The override record names the payer by its trade name; the client by its corporate name.
        const TPagador pagador = t.Pagador();
        const std::string tipoPagador = TipoPagador(pagador.tipo);
        const std::string nomePagador = pagador.override ? pagador.fantasia : pagador.nome;

        // Detail record (type "1")
        Record r = arq.Registro();
        r.put(1, 1, "1");
        r.put(2, 2, TipoEmpresa(empresa));
        r.put(4, 14, Ajusta(LeftStr(Nr_Codigo(empresa.inscricao), 14), 14));
        r.put(18, 4, agencia);
        r.put(22, 2, "00");
        r.put(24, 6, conta);
        r.put(30, 4, Replicate(" ", 4));
        r.put(34, 4, "0000");
        r.put(38, 25, PadR(bol("CDFILIAL").AsString() + bol("NRLANBOLREC").AsString(), 25));
        r.put(63, 8,
              (impressao == "E" || impressao == "F") && !nossoGravado.empty()
                  ? Ajusta(LeftStr(NossoNumero(Nr_Codigo(nossoGravado)), 8), 8)
                  : Replicate("0", 8));
        r.put(71, 13, Replicate("0", 13));
        r.put(84, 3, carteira.empty() ? "000" : Ajusta(carteira, 3));
        r.put(87, 21, Replicate(" ", 21));
        r.put(108, 1, "I");
        r.put(109, 2, ocorrencia);
        r.put(111, 10, documento);
        r.put(121, 6, FormatDateTime("ddmmyy", vencimento));
        r.put(127, 13, VirgDeciAssu(FormatFloat("#0.00", valor), 13));
        r.put(140, 3, "341");
        r.put(143, 5, "00000");
        r.put(148, 2, "01");
        r.put(150, 1, "N");
        r.put(151, 6, emissao);
        r.put(157, 2, ins1.empty() ? "  " : PadR(LeftStr(ins1, 2), 2));
        r.put(159, 2, ins2.empty() ? "  " : PadR(LeftStr(ins2, 2), 2));
        r.put(161, 13, juros);
        r.put(174, 6, FormatDateTime("ddmmyy", vencimento));
        r.put(180, 13,
              desconto > 0 ? VirgDeciAssu(FormatFloat("#0.00", valor * desconto / 100), 13)
                           : Replicate("0", 13));
        r.put(193, 13, Replicate("0", 13));
        r.put(206, 13, Replicate("0", 13));
        r.put(219, 2, tipoPagador);
        r.put(221, 14,
              pagador.inscricao.empty() ? Replicate("0", 14)
                                        : Ajusta(CampoValido(LeftStr(Nr_Codigo(pagador.inscricao), 14)), 14));
        r.put(235, 30, PadR(CampoValido(LeftStr(nomePagador, 30)), 30));
        r.put(265, 10, Replicate(" ", 10));
        r.put(275, 40, PadR(CampoValido(LeftStr(pagador.endereco, 40)), 40));
        r.put(315, 12, PadR(CampoValido(LeftStr(pagador.bairro, 12)), 12));
        r.put(327, 8,
              pagador.cep.empty() ? "00000000" : Ajusta(LeftStr(CampoValidoCEPTEL(pagador.cep), 8), 8));
        r.put(335, 15, PadR(CampoValido(LeftStr(pagador.cidade, 15)), 15));
        r.put(350, 2, PadR(CampoValido(LeftStr(pagador.uf, 2)), 2));
        r.put(352, 40, AvalistaOuMensagem(ins1, ins2, avalista, t));
        r.put(392, 2,
              bol("QTDIAPROTBOL").IsNull() ? "00" : Ajusta(Right(bol("QTDIAPROTBOL").AsString(), 2), 2));
        r.put(394, 1, " ");
        arq.Escreve(r);

        // Fine record (type "2"): charged from the day after the due date
        if (registroMulta) {
          const double multa = bol("VRMULTABREC").AsFloat();
          const double percentual = bol("VRPEMULBREC").AsFloat();
          const std::string codigo = CodigoMulta(multa, percentual);
          Record m = arq.Registro();
          m.put(1, 1, "2");
          m.put(2, 1, codigo);
          m.put(3, 8, FormatDateTime("ddmmyyyy", DateOf(vencimento) + 1));
          m.put(11, 13,
                codigo == "1"   ? VirgDeciAssu(FormatFloat("#0.00", multa), 13)
                : codigo == "2" ? VirgDeciAssu(FormatFloat("#0.00", percentual), 13)
                                : Replicate("0", 13));
          m.put(24, 371, Replicate(" ", 371));
          arq.Escreve(m);
        }

        // E-mail and guarantor record (type "5"); the guarantor's block carries the
        // payer's registration type, as the detail wrote it.
        Record e = arq.Registro();
        e.put(1, 1, "5");
        e.put(2, 120, PadR(LeftStr(bol("EMAILCOBCLIE").AsString(), 120), 120));
        if (EmptyString(avalista.inscricao)) {
          e.put(122, 93, Replicate(" ", 93));
        } else {
          e.put(122, 2, tipoPagador);
          e.put(124, 14, Ajusta(LeftStr(Nr_Codigo(avalista.inscricao), 14), 14));
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
