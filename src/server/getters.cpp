// The registers a run looks up: company at the bank, accounts, branches,
// parameters, the operator's access, and the financial checks.
#include "host/messages.h"
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

TServerReply TRemessaServer::GetEmprBanc(const std::string& cdBanco, const std::string& cdEmpresa) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("EMPRBANC");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT " + SelectList(defs, "E") + " FROM EMPRBANC E WHERE E.CDBANCO = ? AND E.CDEMPRESA = ?",
              {UV(cdBanco), UV(cdEmpresa)}));
  });
}

TServerReply TRemessaServer::GetIdConta(const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("IDCONTA");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "C") + " FROM CONTCORR C WHERE C.CDREDUCONT = ?",
              {UV(cdReduCont)}));
  });
}

TServerReply TRemessaServer::ValidFinanceiro(const std::string& operacao, const std::string& arg1,
                                             const std::string& /*branch*/, double& valor,
                                             const std::string& arg3, const std::string& arg4) {
  return Guard([&] {
    require_connected();
    const std::string op = fields::UpperCase(fields::AllTrim(operacao));
    if (op == "CREDITOBANCARIO") {
      auto st = leitura().Prepare("SELECT VRLIMCREDBANC FROM CONTCORR WHERE CDREDUCONT = ?");
      st.Bind(1, UV(arg1));
      if (!st.Step()) throw Refusal("Conta corrente não cadastrada.");
      if (st.IsNull(0)) return TServerReply::OfText("");
      const double limit = st.Double(0);
      if (fields::RoundDec(valor, 2) <= fields::RoundDec(limit, 2)) return TServerReply::OfText("");
      return TServerReply::OfText(W("Valor de crédito bancário (" + fields::FormatFloat("#,##0.00", valor) +
                                    ") ultrapassa o limite da conta (" +
                                    fields::FormatFloat("#,##0.00", limit) + "). Deseja continuar?"));
    }
    if (op == "VERIFICA_ADIANTAMENTO") {
      // The advance balance is the client's, whatever the company of the title.
      (void)arg4;
      Value v = leitura().Scalar("SELECT VRADIANTCLIE FROM CLIENTE WHERE CDCLIENTE = ?", {UV(arg3)});
      double bal = 0;
      if (auto d = std::get_if<double>(&v)) bal = *d;
      if (auto n = std::get_if<int64_t>(&v)) bal = static_cast<double>(*n);
      return TServerReply::OfText(bal > 0 ? "S" : "N");
    }
    throw Refusal("ValidFinanceiro: operação desconhecida '" + U(operacao) + "'.");
  });
}

TServerReply TRemessaServer::GetParamFilial(const std::string& cdFilial) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("PARAMFILIAL");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "P") + " FROM PARAMFILIAL P WHERE P.CDFILIAL = ?",
              {UV(cdFilial)}));
  });
}

TServerReply TRemessaServer::GetGeralRec() {
  return Guard([&] {
    require_connected();
    TServerReply r;
    const auto& geral = PacketFields("GERALREC");
    const auto& param = PacketFields("PARAMGERAL");
    r.Array.push_back(Fetch(leitura(), geral,
                            "SELECT " + SelectList(geral, "G") + " FROM GERALREC G ORDER BY 1 LIMIT 1", {}));
    r.Array.push_back(Fetch(
        leitura(), param, "SELECT " + SelectList(param, "P") + " FROM PARAMGERAL P ORDER BY 1 LIMIT 1", {}));
    r.Packet = r.Array[0];
    return r;
  });
}

// ---- Company, account and branch ----

TServerReply TRemessaServer::GetContaCorr(const std::string& cdEmpresa, const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("CONTACORR");
    Where w;
    w.Add("C.CDEMPRESA = ?", {UV(cdEmpresa)});
    if (fields::UpperCase(fields::AllTrim(cdReduCont)) != "T") w.Add("C.CDREDUCONT = ?", {UV(cdReduCont)});
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(
                defs, "C",
                {{"CDPICTAGEN", "B.CDPICTAGEN"}, {"CDPICTCONT", "B.CDPICTCONT"}, {"NMBANCO", "B.NMBANCO"}}) +
            " FROM CONTCORR C LEFT JOIN BANCO B ON B.CDBANCO = C.CDBANCO" + w.Sql() +
            " ORDER BY C.CDREDUCONT",
        w.binds));
  });
}

TServerReply TRemessaServer::GetContaCorrCobr(const std::string& cdEmpresa, const std::string& cdReduCont,
                                              const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("CONTACORRCOBR");
    Where w;
    w.Add("C.CDEMPRESA = ?", {UV(cdEmpresa)});
    w.Add("C.IDCONTCOBR = 'S'");
    if (fields::UpperCase(fields::AllTrim(cdReduCont)) != "T") w.Add("C.CDREDUCONT = ?", {UV(cdReduCont)});
    if (!Blank(cdBanco) && fields::UpperCase(fields::AllTrim(cdBanco)) != "T")
      w.Add("C.CDBANCO = ?", {UV(cdBanco)});
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(
                defs, "C",
                {{"CDPICTAGEN", "B.CDPICTAGEN"}, {"CDPICTCONT", "B.CDPICTCONT"}, {"NMBANCO", "B.NMBANCO"}}) +
            " FROM CONTCORR C LEFT JOIN BANCO B ON B.CDBANCO = C.CDBANCO" + w.Sql() +
            " ORDER BY C.CDREDUCONT",
        w.binds));
  });
}

TServerReply TRemessaServer::GetFilialCC(const std::string& cdBanco, const std::string& cdAgencia,
                                         const std::string& cdContCorr, const std::string& cdReduCont) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("FILIALCC");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT F.CDFILIAL AS CDFILIAL, F.NMFILIAL AS NMFILIAL FROM CONTCORR C "
              "JOIN FILIAL F ON F.CDFILIAL = C.CDFILIAL WHERE C.CDREDUCONT = ? AND C.CDBANCO = ? "
              "AND C.CDAGENCIA = ? AND C.CDCONTCORR = ?",
              {UV(cdReduCont), UV(cdBanco), UV(cdAgencia), UV(cdContCorr)}));
  });
}

TServerReply TRemessaServer::GetFilial(const std::string& cdFilial, const std::string& cdEmpresa) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("FILIAL");
    Where w;
    if (!Blank(cdFilial)) w.Add("F.CDFILIAL = ?", {UV(cdFilial)});
    if (!Blank(cdEmpresa)) w.Add("F.CDEMPRESA = ?", {UV(cdEmpresa)});
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT " +
                  SelectList(defs, "F",
                             {{"SGESTADO", "E.SGESTADO"},
                              {"CDMUNICIPIO", "E.CDMUNICIPIO"},
                              {"DSENDEFILI", "E.DSENDEFILI"},
                              {"NMBAIRFILI", "E.NMBAIRFILI"},
                              {"NRCEPFILI", "E.NRCEPFILI"},
                              {"NMMUNICIPIO", "M.NMMUNICIPIO"}}) +
                  " FROM FILIAL F LEFT JOIN ENDEFILI E ON E.CDFILIAL = F.CDFILIAL AND E.IDTPENDEFILI = 'P'"
                  " LEFT JOIN MUNICIPIO M ON M.CDPAIS = E.CDPAIS AND M.SGESTADO = E.SGESTADO AND "
                  "M.CDMUNICIPIO = E.CDMUNICIPIO" +
                  w.Sql() + " ORDER BY F.CDFILIAL",
              w.binds));
  });
}

bool TRemessaServer::AcessoOperEmpresa(const std::string& cdOperador, const std::string& cdEmpresa) {
  // A store that cannot be read is not an operator without rights: the
  // operator is told what failed, not that the company is not theirs.
  try {
    require_connected();
    return !std::holds_alternative<std::monostate>(leitura().Scalar(
        "SELECT 1 FROM OPEREMPR WHERE CDOPERADOR = ? AND CDEMPRESA = ?", {UV(cdOperador), UV(cdEmpresa)}));
  } catch (const store::Error& e) {
    throw host::EServerError(W(store::TextoDaFalha(e)));
  } catch (const Refusal& e) {
    throw host::EServerError(W(e.what()));
  }
}

}  // namespace server
