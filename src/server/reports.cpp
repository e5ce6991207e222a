// What the batch report reads: its template's data, its title, and the
// borderô's rows.
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

TServerReply TRemessaServer::GetDadosRel(const std::string& nmArquivo) {
  return Guard([&] {
    require_connected();
    const auto& defs = PacketFields("DADOSREL");
    return TServerReply::Of(
        Fetch(leitura(), defs, "SELECT " + SelectList(defs, "R") + " FROM RELATORIO R WHERE R.NMARQUIVO = ?",
              {UV(fields::AllTrim(nmArquivo))}));
  });
}

TServerReply TRemessaServer::RetornaRelatorio(std::string& nmArquivo, const std::string& /*extra*/) {
  return Guard([&] {
    require_connected();
    Value v = leitura().Scalar("SELECT DSRELATORIO FROM RELATORIO WHERE NMARQUIVO = ?",
                               {UV(fields::AllTrim(nmArquivo))});
    auto s = std::get_if<host::TText>(&v);
    const std::string titulo = s && !Blank(*s) ? W(*s) : W("Borderô de Remessa");
    return TServerReply::OfText(titulo + "\r\n" + nmArquivo);
  });
}

TServerReply TRemessaServer::GetBordero(const std::string& cdEmpresa, const std::string& nrCnabRec) {
  return Guard([&] {
    require_connected();
    const std::string nr = Pad(U(nrCnabRec), 20);
    if (std::holds_alternative<std::monostate>(leitura().Scalar(
            "SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND " + PadSql("NRCNABREC", 20) + " = ?",
            {UV(cdEmpresa), nr})))
      throw Refusal("Remessa " + U(nrCnabRec) + " da empresa " + U(cdEmpresa) + " não encontrada.");
    const auto& defs = PacketFields("BORDERO");
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT R.CDEMPRESA AS CDEMPRESA, E.NMRAZSOCEMPR AS NMRAZSOCEMPR, E.NRINSJUREMPR AS NRINSJUREMPR, "
        "R.NRCNABREC AS NRCNABREC, R.DTCNABREC AS DTCNABREC, R.IDOPECNABREC AS IDOPECNABREC, "
        "R.NMOPERADOR AS NMOPERADOR, R.DSARQCNABREC AS DSARQCNABREC, R.CDBANCO AS CDBANCO, "
        "COALESCE(NULLIF(TRIM(R.NMBANCO), ''), BC.NMBANCO) AS NMBANCO, R.CDAGENCIA AS CDAGENCIA, "
        "COALESCE(R.CDPICTAGEN, BC.CDPICTAGEN) AS CDPICTAGEN, R.CDCONTCORR AS CDCONTCORR, "
        "COALESCE(R.CDPICTCONT, BC.CDPICTCONT) AS CDPICTCONT, R.DSCONTCORR AS DSCONTCORR, "
        "R.NRSEQREMESSAREC AS NRSEQREMESSAREC, R.CDFILIAL AS CDFILIAL, R.NMFILIAL AS NMFILIAL, "
        "B.CDFILIAL AS CDFILIALBOL, B.NRLANBOLREC AS NRLANBOLREC, B.DTVENBOLREC AS DTVENBOLREC, "
        "C.NMRAZSOCCLIE AS NMRAZSOCCLIE, C.NRINSJURCLIE AS NRINSJURCLIE, B.DOCUMENTO AS DOCUMENTO, "
        "B.CDNOSNUMREC AS CDNOSNUMREC, B.VRFINALBREC AS VRFINALBREC, B.IDSITUCNABR AS IDSITUCNABR, "
        "B.DSMOTIVRET AS DSMOTIVRET, B.VRPAGORET AS VRPAGORET, B.DTPAGORET AS DTPAGORET "
        "FROM CNABREC R JOIN EMPRESA E ON E.CDEMPRESA = R.CDEMPRESA "
        "LEFT JOIN BANCO BC ON BC.CDBANCO = R.CDBANCO "
        "LEFT JOIN BOLETOREC B ON B.CDEMPRESA = R.CDEMPRESA AND " +
            PadSql("B.NRCNABRECREM", 20) + " = " + PadSql("R.NRCNABREC", 20) +
            " LEFT JOIN CLIENTE C ON C.CDCLIENTE = B.CDCLIENTE WHERE R.CDEMPRESA = ? AND " +
            PadSql("R.NRCNABREC", 20) +
            " = ? ORDER BY B.DTVENBOLREC, B.CDFILIAL, CAST(B.NRLANBOLREC AS INTEGER), B.NRLANBOLREC",
        {UV(cdEmpresa), nr}));
  });
}

}  // namespace server
