// The numbers a generation run draws: the batch's, per company, and the
// account's remittance sequence. Each is drawn in a transaction of its own,
// so that no rollback of the run can hand it out again.
#include <algorithm>

#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

TServerReply TRemessaServer::PrxCodigo(const std::string& cdEmpresa, const std::string& tabela) {
  return Guard([&] {
    const std::string table = fields::UpperCase(fields::AllTrim(tabela));
    if (Blank(cdEmpresa)) throw Refusal("Empresa deve ser informada.");
    if (table.empty()) throw Refusal("PrxCodigo: tabela não informada.");
    int64_t next = 0;
    own_transaction("PrxCodigo", [&] {
      if (std::holds_alternative<std::monostate>(
              db().Scalar("SELECT 1 FROM EMPRESA WHERE CDEMPRESA = ?", {UV(cdEmpresa)})))
        throw Refusal("Empresa não cadastrada.");
      // The counter's row is this unit of work's before it is read: a store
      // where another workstation draws at the same moment (PostgreSQL's row
      // locks) makes it wait here, and then read the number it drew.
      db().Scalar(
          "INSERT INTO PRXCODIGO (CDEMPRESA, NMTABELA, NRULTIMO) VALUES (?, ?, 0) "
          "ON CONFLICT (CDEMPRESA, NMTABELA) DO NOTHING",
          {UV(cdEmpresa), U(table)});
      db().Scalar("UPDATE PRXCODIGO SET NRULTIMO = NRULTIMO WHERE CDEMPRESA = ? AND NMTABELA = ?",
                  {UV(cdEmpresa), U(table)});
      Value last = db().Scalar("SELECT NRULTIMO FROM PRXCODIGO WHERE CDEMPRESA = ? AND NMTABELA = ?",
                               {UV(cdEmpresa), U(table)});
      int64_t n = std::holds_alternative<int64_t>(last) ? std::get<int64_t>(last) : 0;
      // Batches loaded or typed in by other means must not be numbered again.
      if (table == "CNABREC") {
        Value top = db().Scalar("SELECT MAX(CAST(NRCNABREC AS INTEGER)) FROM CNABREC WHERE CDEMPRESA = ?",
                                {UV(cdEmpresa)});
        if (auto t = std::get_if<int64_t>(&top)) n = std::max(n, *t);
      }
      next = n + 1;
      auto st = db().Prepare("UPDATE PRXCODIGO SET NRULTIMO = ? WHERE CDEMPRESA = ? AND NMTABELA = ?");
      st.BindAll({next, UV(cdEmpresa), U(table)});
      st.Step();
    });
    return TServerReply::OfText(std::to_string(next));
  });
}

TServerReply TRemessaServer::PrxCodigoRemessaRec(const std::string& cdReduCont) {
  return Guard([&] {
    int64_t next = 0;
    own_transaction("PrxCodigoRemessaRec", [&] {
      auto st = db().Prepare(
          "UPDATE CONTCORR SET NRSEQREMESSAREC = NRSEQREMESSAREC + 1 WHERE CDREDUCONT = ? "
          "RETURNING NRSEQREMESSAREC");
      st.Bind(1, UV(cdReduCont));
      if (!st.Step()) throw Refusal("Conta corrente não cadastrada.");
      next = st.Int(0);
      while (st.Step()) {
      }
    });
    return TServerReply::OfText(std::to_string(next));
  });
}

}  // namespace server
