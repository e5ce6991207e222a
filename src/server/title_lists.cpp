// Titles read as lists: the form's title filter, a batch's totals, and the
// invoices behind a title.
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

TServerReply TRemessaServer::GetBoletos(const std::vector<Value>& args) {
  return Guard([&] {
    require_connected();
    Args a(args, 38, "GetBoletos");
    Where w;
    if (Blank(a.S(1))) throw Refusal("Empresa deve ser informada.");
    w.Add("B.CDEMPRESA = ?", {UV(a.S(1))});
    // "N" lists candidates for a new batch; a number lists that batch's titles.
    const std::string batch = fields::AllTrim(a.S(2));
    if (fields::UpperCase(batch) != "N" && !batch.empty())
      w.Add(PadSql("B.NRCNABRECREM", 20) + " = ?", {Pad(U(batch), 20)});
    if (!a.All(4)) w.In("B.CDCLIENTE", SplitList(a.S(3)));
    if (!a.All(7)) {
      if (!Blank(a.S(5))) w.Add(PadSql("B.DOCUMENTO", 20) + " >= ?", {Pad(U(a.S(5)), 20)});
      if (!Blank(a.S(6))) w.Add(PadSql("B.DOCUMENTO", 20) + " <= ?", {Pad(U(a.S(6)), 20)});
    }
    if (!a.All(9)) w.In("B.CDFILIBOLREC", SplitList(a.S(8)));
    if (!a.All(11)) w.In("B.CDFILIAL", SplitList(a.S(10)));
    if (!a.All(14)) w.Add("substr(B.DTVENBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(12)), IsoDay(a.F(13))});
    if (!a.All(16)) w.In("B.CDFORMRECE", SplitList(a.S(15)));
    if (!a.All(18)) w.In("B.CDREDUCONT", SplitList(a.S(17)));
    if (!a.All(21))
      w.Add("ROUND(B.VRFINALBREC, 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(19), 2), fields::RoundDec(a.F(20), 2)});
    // A title never sent may carry no situation at all; it is "00".
    if (!a.All(23)) w.In("COALESCE(NULLIF(TRIM(B.IDSITUCNABR), ''), '00')", SplitCodes(a.S(22)));
    // Portfolios are compared as the portfolio set keys them: "17" = "017".
    if (!a.All(25) && !Blank(a.S(24))) w.Add(PadSql("B.CDCARTCOBBOL", 5) + " = ?", {Pad(U(a.S(24)), 5)});
    if (!a.All(27)) w.In("B.IDCARTCOBREC", SplitCodes(a.S(26)));
    if (!a.All(29)) w.In("C.CDGRUPOCLIE", SplitList(a.S(28)));
    if (!a.All(32))
      w.Add("substr(B.DTEMISBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(30)), IsoDay(a.F(31))});
    // A title that was never altered counts as not altered ("1").
    if (!a.All(34)) w.In("COALESCE(NULLIF(TRIM(B.IDBOLRECALTER), ''), '1')", SplitCodes(a.S(33)));
    if (!BlankNumber(a.S(35))) w.Add(PadSql("B.NRCNABRECREM", 20) + " = ?", {Pad(U(a.S(35)), 20)});
    if (!BlankNumber(a.S(36))) w.Add(PadSql("B.NRRETCNABREC", 20) + " = ?", {Pad(U(a.S(36)), 20)});
    if (!Blank(a.S(37))) w.Add(PadSql("B.NRORCAMENTO", 20) + " >= ?", {Pad(U(a.S(37)), 20)});
    if (!Blank(a.S(38))) w.Add(PadSql("B.NRORCAMENTO", 20) + " <= ?", {Pad(U(a.S(38)), 20)});

    const auto& defs = PacketFields("BOLETOS");
    const std::map<std::string, std::string> from = {
        {"IDMARCADO", "'N'"},
        {"NMRAZSOCCLIE", "C.NMRAZSOCCLIE"},
        {"IDTPIJURCLIE", "C.IDTPIJURCLIE"},
        {"NRINSJURCLIE", "C.NRINSJURCLIE"},
        {"NMFANTCLIE", "C.NMFANTCLIE"},
        {"EMAILCOBCLIE", "C.EMAILCOBCLIE"},
        {"DSCONTCORR", "CC.DSCONTCORR"},
        {"CDBANCO", "CC.CDBANCO"},
        {"CDAGENCIA", "CC.CDAGENCIA"},
        {"CDCONTCORR", "CC.CDCONTCORR"},
        {"CDBANCCNAB", "CC.CDBANCCNAB"},
        {"CDPICTAGEN", "BC.CDPICTAGEN"},
        {"CDPICTCONT", "BC.CDPICTCONT"},
        {"NMBANCO", "BC.NMBANCO"},
    };
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " + SelectList(defs, "B", from) +
            " FROM BOLETOREC B LEFT JOIN CLIENTE C ON C.CDCLIENTE = B.CDCLIENTE"
            " LEFT JOIN CONTCORR CC ON CC.CDREDUCONT = B.CDREDUCONT"
            " LEFT JOIN BANCO BC ON BC.CDBANCO = CC.CDBANCO" +
            w.Sql() + " ORDER BY B.DTVENBOLREC, B.CDFILIAL, CAST(B.NRLANBOLREC AS INTEGER), B.NRLANBOLREC",
        w.binds));
  });
}

TServerReply TRemessaServer::GetTotRemessa(const std::string& cdEmpresa, const std::string& nrCnabRec) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("TOTREMESSA");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT CAST(COUNT(*) AS REAL) AS QTBOLETOS, ROUND(COALESCE(SUM(VRFINALBREC), 0), 2) "
              "AS VRTOTBOL FROM BOLETOREC WHERE CDEMPRESA = ? AND " +
                  PadSql("NRCNABRECREM", 20) + " = ?",
              {U(cdEmpresa), Pad(U(nrCnabRec), 20)}));
  });
}

TServerReply TRemessaServer::GetDocumentos(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("DOCUMENTOS");
    return TServerReply::Of(
        Fetch(leitura(), defs,
              "SELECT DISTINCT N.NRNOTAFISC AS NRNOTAFISC, N.CDSERIE AS CDSERIE FROM DUPLICATA D "
              "JOIN NOTAFISCAL N ON N.CDFILIAL = D.CDFILINF AND N.NRLANCTONF = D.NRLANCTONF "
              "WHERE D.CDFILIAL = ? AND D.NRLANBOLREC = ? ORDER BY N.NRNOTAFISC, N.CDSERIE",
              {UV(cdFilial), UV(nrLanBolRec)}));
  });
}

}  // namespace server
