// The per-title record kinds for a whole list, which a long list has read
// in two halves at once on SQLite's two connections.
#include <algorithm>
#include <exception>
#include <thread>

#include "server/packets.h"
#include "server/server_common.h"
#include "server/sqlite_server.h"
#include "server/title_records.h"

namespace server {

using namespace detail;

namespace {

// Reads one kind's records for the titles at places [de, ate) of the key
// order of list number `lista`, on one connection: the keys go to its
// temporary table, which the select joins. A run asks several kinds for one
// list, so the table is filled again only for other titles; its mark, written
// with the keys, tells whether a rollback took them back since. A savepoint
// holds the connection's read snapshot across it all. Rows lead with their
// title's place in the caller's list.
template <class TLote>
TPacket LeParteDoLote(sqlite::Db& db, TLote& lote, const TRegistroTitulo& r,
                      const std::vector<TFieldDef>& campos,
                      const std::vector<std::pair<std::string, std::string>>& chaves,
                      const std::vector<size_t>& ordem, uint64_t lista, size_t de, size_t ate,
                      const std::string& cdBanco) {
  db.Exec(
      "CREATE TEMP TABLE IF NOT EXISTS LOTEBOLETO (NRORDEM INTEGER NOT NULL, "
      "CDFILIAL TEXT, NRLANBOLREC TEXT)");
  db.Exec("CREATE TEMP TABLE IF NOT EXISTS LOTEMARCA (MARCA INTEGER)");
  db.Exec("SAVEPOINT LOTEBOLETO");
  try {
    const Value marca = db.Scalar("SELECT MAX(MARCA) FROM temp.LOTEMARCA");
    const auto* m = std::get_if<int64_t>(&marca);
    if (!m || *m != lote.marca || lote.lista != lista || lote.de != de || lote.ate != ate) {
      // A mark above every mark this connection has written: one that a
      // rollback brought back can never pass for the new keys.
      const int64_t nova = std::max(m ? *m : 0, lote.marca) + 1;
      lote = TLote{0, 0, 0, lote.marca};
      db.Exec("DELETE FROM temp.LOTEBOLETO");
      db.Exec("DELETE FROM temp.LOTEMARCA");
      auto ins = db.Cached("INSERT INTO temp.LOTEBOLETO (NRORDEM, CDFILIAL, NRLANBOLREC) VALUES (?, ?, ?)");
      for (size_t i = de; i < ate; ++i) {
        ins.BindInt(1, static_cast<int64_t>(ordem[i]));
        ins.BindText(2, chaves[ordem[i]].first);
        ins.BindText(3, chaves[ordem[i]].second);
        ins.Step();
        ins.Reset();
      }
      db.Scalar("INSERT INTO temp.LOTEMARCA VALUES (?)", {Value(nova)});
      lote = TLote{lista, de, ate, nova};
    }
    TPacket rows =
        Fetch(db, campos, r.lista, r.bank ? std::vector<Value>{UV(cdBanco)} : std::vector<Value>{});
    db.Exec("RELEASE LOTEBOLETO");
    return rows;
  } catch (...) {
    try {
      db.Exec("ROLLBACK TO LOTEBOLETO");
      db.Exec("RELEASE LOTEBOLETO");
    } catch (...) {
    }
    throw;
  }
}

// Below this many titles a list is read on one connection: a second thread
// would cost more than it saves.
constexpr size_t kLoteEmDuasPartes = 4096;

}  // namespace

bool TSQLiteRemessaServer::leitor_disponivel() {
  // The second connection sees only what is committed: not while this one
  // has a transaction of its own open, nor while it serves the reads beside
  // an update.
  if (aoLado_.Correndo() || !db().AutoCommit()) return false;
  return abre_leitor();
}

TServerReply TSQLiteRemessaServer::GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                                       const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    auto [r, iFil, iNr, p] = PedidoLista(registro, titulos);
    std::string room;
    auto key = [&](const host::Row& row, int i) { return TextoDe(titulos, row, i, room); };
    // In key order, so that look-ups of neighbouring titles fall on the same
    // pages; a long list is read in two halves of that order at once, the
    // second on the read-only connection. The list is compared with the last
    // one key by key, without a copy of it.
    bool mesma = ultima_lista_ != 0 && titulos.Rows.size() == ultimas_chaves_.size();
    for (size_t i = 0; mesma && i < titulos.Rows.size(); ++i) {
      const auto& [fil, nr] = ultimas_chaves_[i];
      mesma = IgualU(key(titulos.Rows[i], iNr), nr) && IgualU(key(titulos.Rows[i], iFil), fil);
    }
    if (!mesma) {
      std::vector<std::pair<std::string, std::string>> chaves;
      chaves.reserve(titulos.Rows.size());
      for (const auto& row : titulos.Rows) {
        std::string fil = U(key(row, iFil));
        chaves.emplace_back(std::move(fil), U(key(row, iNr)));
      }
      std::vector<size_t> o = OrdemDasChaves(chaves);
      ultima_ordem_.swap(o);
      ultimas_chaves_.swap(chaves);
      ++ultima_lista_;
    }
    const auto& lista = ultimas_chaves_;
    const std::vector<size_t>& ordem = ultima_ordem_;
    const size_t n = ordem.size();
    const bool emDuas = n >= kLoteEmDuasPartes && leitor_disponivel();
    const size_t meio = emDuas ? n / 2 : n;
    TPacket segunda;
    std::exception_ptr falhaSegunda;
    std::thread outra;
    if (emDuas)
      // The bindings by name: clang 14 (the fuzzers' compiler) does not
      // capture a structured binding.
      outra = std::thread([&, &r = r, &p = p] {
        try {
          segunda = LeParteDoLote(leitor_, lote_leitor_, r, p.Fields, lista, ordem, ultima_lista_, meio, n,
                                  cdBanco);
        } catch (...) {
          falhaSegunda = std::current_exception();
        }
      });
    // Beside an update of this object's, the read is the second connection's.
    TLote* lote = nullptr;
    sqlite::Db& con = leitura(&lote);
    TPacket primeira;
    try {
      primeira = LeParteDoLote(con, *lote, r, p.Fields, lista, ordem, ultima_lista_, 0, meio, cdBanco);
    } catch (...) {
      if (outra.joinable()) outra.join();
      throw;
    }
    if (outra.joinable()) {
      outra.join();
      ++listas_em_duas_;
    }
    if (falhaSegunda) {
      // The second connection failing is no reason to fail the call: that
      // half is read again here, and the connection is not used again.
      leitor_.Close();
      sem_leitor_ = true;
      segunda = LeParteDoLote(con, *lote, r, p.Fields, lista, ordem, ultima_lista_, meio, n, cdBanco);
    }
    // Back to the list's order, each title's rows in the kind's order; a
    // kind that counts only its first row per title keeps only that one.
    std::vector<size_t> inicio(n + 1, 0);
    for (const TPacket* parte : {&primeira, &segunda})
      for (const auto& row : parte->Rows) ++inicio[static_cast<size_t>(std::get<int64_t>(row[0])) + 1];
    if (r.first)
      for (auto& n : inicio) n = std::min<size_t>(n, 1);
    for (size_t i = 1; i < inicio.size(); ++i) inicio[i] += inicio[i - 1];
    p.Rows.resize(inicio.back());
    for (TPacket* parte : {&primeira, &segunda}) {
      int64_t last = -1;
      for (auto& row : parte->Rows) {
        const int64_t o = std::get<int64_t>(row[0]);
        if (r.first && o == last) continue;
        last = o;
        p.Rows[inicio[static_cast<size_t>(o)]++] = std::move(row);
      }
    }
    return TServerReply::Of(std::move(p));
  });
}

}  // namespace server
