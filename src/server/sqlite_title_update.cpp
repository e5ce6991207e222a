// The titles' new states after a run (AlterBoletos), in turn or started
// beside the caller (IniciaAlterBoletos, FimAlterBoletos).
#include "server/server_common.h"
#include "server/sqlite_server.h"

namespace server {

using namespace detail;

TServerReply TSQLiteRemessaServer::AlterBoletos(const TPacket& alteraBoletos) {
  return altera_boletos(alteraBoletos, nullptr);
}

TServerReply TSQLiteRemessaServer::altera_boletos(const TPacket& alteraBoletos, TPacket* dono) {
  return Guard([&] {
    RequireFields(alteraBoletos, {"CDFILIAL", "NRLANBOLREC", "CDEMPRESA", "NRCNABREC", "IDSITUCNABR"},
                  "AlterBoletos");
    const auto& p = alteraBoletos;
    auto col = [&p](const char* f) { return p.IndexOf(f); };
    const int iFil = col("CDFILIAL"), iNr = col("NRLANBOLREC"), iEmp = col("CDEMPRESA");
    const int iOpe = col("IDOPECNABREC");
    // Columns written only when the packet brings them filled.
    const int iSet[] = {col("IDSITUCNABR"), col("IDBOLRECALTER"), col("NRCNABREC"), col("CDREDUCONT"), iOpe,
                        col("CDNOSNUMREC")};
    std::string room;
    auto text = [&p, &room](const host::Row& r, int i) { return TextoDe(p, r, i, room); };
    auto inclusao = [&](const host::Row& r) {
      // A title registered at the bank must not be included again: the bank
      // would hold it twice.
      return fields::UpperCase(fields::AllTrim(text(r, iOpe))) == "I";
    };
    std::vector<std::pair<std::string, std::string>> chaves;
    chaves.reserve(p.Rows.size());
    for (const auto& r : p.Rows) {
      std::string fil = U(text(r, iFil));
      chaves.emplace_back(std::move(fil), U(text(r, iNr)));
    }
    const std::vector<size_t> emOrdem = OrdemDasChaves(chaves);
    // The new states go to a temporary table and from there to the titles in
    // one statement, each title at most once. A statement per title pays for
    // its own rollback journal: the account it sets is a foreign key, so each
    // one may have to undo itself alone. Inside a savepoint, with the journal
    // in memory, 100 000 of them took 17 s instead of 0.3.
    auto juntos = [&](const std::vector<size_t>& linhas, bool ultimo) {
      db().Exec(
          "CREATE TEMP TABLE IF NOT EXISTS ALTERABOLETO (NRORDEM INTEGER NOT NULL, CDFILIAL TEXT, "
          "NRLANBOLREC TEXT, CDEMPRESA TEXT, INCLUSAO INTEGER, IDSITUCNABR TEXT, IDBOLRECALTER TEXT, "
          "NRCNABREC TEXT, CDREDUCONT TEXT, IDOPECNABREC TEXT, CDNOSNUMREC TEXT)");
      db().Exec("DELETE FROM temp.ALTERABOLETO");
      struct Limpa {
        store::Db& db;
        ~Limpa() {
          try {
            db.Exec("DELETE FROM temp.ALTERABOLETO");
          } catch (...) {
          }
        }
      } limpa{db()};
      {
        // In the titles' key order, so that the update walks the titles'
        // table in its own order; NRORDEM keeps the packet's.
        auto ins = db().Cached(
            "INSERT INTO temp.ALTERABOLETO VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        for (const size_t ordem : linhas) {
          const host::Row& r = p.Rows[ordem];
          ins.BindInt(1, static_cast<int64_t>(ordem));
          ins.BindText(2, chaves[ordem].first);
          ins.BindText(3, chaves[ordem].second);
          BindU(ins, 4, text(r, iEmp));
          ins.BindInt(5, int64_t{inclusao(r)});
          for (int k = 0; k < 6; ++k) {
            const std::string_view v = text(r, iSet[k]);
            if (fields::EmptyString(v))
              ins.BindNull(k + 6);
            else
              BindU(ins, k + 6, v);
          }
          ins.Step();
          ins.Reset();
        }
      }
      // A packet the server holds is not needed past its last rows: its room
      // goes to the caller's work meanwhile.
      if (dono && ultimo) dono->Rows = std::vector<host::Row>();
      // The update carries the checks; only when it leaves a title alone is
      // it undone and the first refused title, in the packet's order, named.
      auto up = db().Cached(
          "UPDATE BOLETOREC SET IDSITUCNABR = A.IDSITUCNABR, IDBOLRECALTER = A.IDBOLRECALTER, "
          "NRCNABRECREM = A.NRCNABREC, CDREDUCONT = COALESCE(A.CDREDUCONT, BOLETOREC.CDREDUCONT), "
          "IDOPECNABREC = A.IDOPECNABREC, CDNOSNUMREC = COALESCE(A.CDNOSNUMREC, BOLETOREC.CDNOSNUMREC) "
          "FROM temp.ALTERABOLETO A WHERE BOLETOREC.CDFILIAL = A.CDFILIAL AND "
          "BOLETOREC.NRLANBOLREC = A.NRLANBOLREC AND BOLETOREC.CDEMPRESA = A.CDEMPRESA AND "
          "(A.INCLUSAO = 0 OR COALESCE(TRIM(BOLETOREC.IDSITUCNABR), '') IN ('', '00', '01'))");
      db().Exec("SAVEPOINT ALTERABOLETO");
      up.Step();
      const int64_t alterados = db().Changes();
      up.Reset();
      if (alterados == static_cast<int64_t>(linhas.size())) {
        db().Exec("RELEASE ALTERABOLETO");
        return;
      }
      db().Exec("ROLLBACK TO ALTERABOLETO");
      db().Exec("RELEASE ALTERABOLETO");
      auto bad = db().Cached(
          "SELECT A.CDFILIAL, A.NRLANBOLREC, A.CDEMPRESA FROM temp.ALTERABOLETO A LEFT JOIN BOLETOREC B "
          "ON B.CDFILIAL = A.CDFILIAL AND B.NRLANBOLREC = A.NRLANBOLREC "
          "WHERE B.CDFILIAL IS NULL OR B.CDEMPRESA IS NOT A.CDEMPRESA OR "
          "(A.INCLUSAO = 1 AND COALESCE(TRIM(B.IDSITUCNABR), '') NOT IN ('', '00', '01')) "
          "ORDER BY A.NRORDEM LIMIT 1");
      if (bad.Step()) throw RecusaDeTitulo(db(), W(bad.Text(0)), W(bad.Text(1)), W(bad.Text(2)));
      throw Refusal("AlterBoletos: boletos não alterados.");
    };
    // A title named again in the packet goes to the next pass: its states
    // apply in turn, as sent, and a refusal names the first refused title of
    // its pass.
    std::vector<std::vector<size_t>> passos;
    for (size_t i = 0, vez = 0; i < emOrdem.size(); ++i) {
      vez = i > 0 && chaves[emOrdem[i]] == chaves[emOrdem[i - 1]] ? vez + 1 : 0;
      if (passos.size() <= vez) passos.emplace_back();
      passos[vez].push_back(emOrdem[i]);
    }
    Write([&] {
      for (size_t i = 0; i < passos.size(); ++i) juntos(passos[i], i + 1 == passos.size());
    });
    return TServerReply{};
  });
}

bool TSQLiteRemessaServer::IniciaAlterBoletos(TPacket& alteraBoletos) {
  aoLado_.Descarta();
  // Without a unit of work the update would commit on its own, and without
  // the second connection the reads would wait for it: the caller is better
  // served doing it in turn.
  if (!connected_ || !user_tx_ || !abre_leitor()) return false;
  return aoLado_.Inicia(con_, alteraBoletos,
                        [this](TPacket& pacote) { return altera_boletos(pacote, &pacote); });
}

TServerReply TSQLiteRemessaServer::FimAlterBoletos() {
  return aoLado_.Fim();
}

}  // namespace server
