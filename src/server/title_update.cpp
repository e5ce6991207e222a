// The titles' new states after a run (AlterBoletos), one title after
// another: a store's server may store them faster its own way. The update
// carries the check that keeps a title out of two batches, so that two runs
// racing for it cannot both have it.
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

namespace detail {

Refusal RecusaDeTitulo(const store::Db& db, const std::string& fil, const std::string& nr,
                       const std::string& emp) {
  const std::string title = "Boleto " + TitleName(fil, nr);
  auto cur = db.Prepare(
      "SELECT CDEMPRESA, COALESCE(TRIM(IDSITUCNABR), ''), NRCNABRECREM FROM BOLETOREC "
      "WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
  cur.BindAll({UV(fil), UV(nr)});
  if (!cur.Step()) return Refusal(title + " não cadastrado.");
  if (cur.IsNull(0) || cur.Text(0) != U(emp))
    return Refusal(title + " não pertence à empresa " + U(emp) + ".");
  return Refusal(title + " já enviado na remessa " + (cur.IsNull(2) ? std::string("?") : cur.Text(2)) + ".");
}

}  // namespace detail

using namespace detail;

TServerReply TRemessaServer::AlterBoletos(const TPacket& p) {
  return Guard([&] {
    RequireFields(p, {"CDFILIAL", "NRLANBOLREC", "CDEMPRESA", "NRCNABREC", "IDSITUCNABR"}, "AlterBoletos");
    auto col = [&p](const char* f) { return p.IndexOf(f); };
    const int iFil = col("CDFILIAL"), iNr = col("NRLANBOLREC"), iEmp = col("CDEMPRESA"),
              iOpe = col("IDOPECNABREC");
    const int iSet[] = {col("IDSITUCNABR"), col("IDBOLRECALTER"), col("NRCNABREC"), col("CDREDUCONT"), iOpe,
                        col("CDNOSNUMREC")};
    std::string room;
    auto text = [&p, &room](const host::Row& r, int i) { return std::string(TextoDe(p, r, i, room)); };
    Write([&] {
      auto up = db().Cached(
          "UPDATE BOLETOREC SET IDSITUCNABR = ?1, IDBOLRECALTER = ?2, NRCNABRECREM = ?3, "
          "CDREDUCONT = COALESCE(?4, CDREDUCONT), IDOPECNABREC = ?5, CDNOSNUMREC = COALESCE(?6, CDNOSNUMREC) "
          "WHERE CDFILIAL = ?7 AND NRLANBOLREC = ?8 AND CDEMPRESA = ?9 AND "
          "(?10 = 0 OR COALESCE(TRIM(IDSITUCNABR), '') IN ('', '00', '01'))");
      for (const auto& r : p.Rows) {
        for (int k = 0; k < 6; ++k) {
          const std::string v = text(r, iSet[k]);
          if (fields::EmptyString(v))
            up.BindNull(k + 1);
          else
            BindU(up, k + 1, v);
        }
        const std::string fil = text(r, iFil), nr = text(r, iNr), emp = text(r, iEmp);
        BindU(up, 7, fil);
        BindU(up, 8, nr);
        BindU(up, 9, emp);
        // A title registered at the bank must not be included again: the
        // bank would hold it twice.
        up.BindInt(10, fields::UpperCase(fields::AllTrim(text(r, iOpe))) == "I" ? 1 : 0);
        up.Step();
        const int64_t alterados = db().Changes();
        up.Reset();
        if (alterados != 1) throw RecusaDeTitulo(db(), fil, nr, emp);
      }
    });
    return TServerReply{};
  });
}

}  // namespace server
