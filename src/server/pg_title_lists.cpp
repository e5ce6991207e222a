// The PostgreSQL server's way with title lists: a run's per-title records
// and its titles' new states each take one statement for the whole list,
// the list's keys passed as arrays. Over a connection each statement is a
// round trip, and title after title a run of 100 000 titles spent its
// time waiting on them (at 10 000 titles, 5.5 s for a Bradesco batch
// against 0.6 s this way).
#include <optional>

#include "server/packets.h"
#include "server/pg_server.h"
#include "server/server_common.h"
#include "server/title_records.h"

namespace server {

using namespace detail;

namespace {

// A PostgreSQL array literal of texts ({"a","b",NULL}), in UTF-8.
class TArray {
 public:
  void Add(std::string_view cp1252) {
    s_ += s_.empty() ? '{' : ',';
    s_ += '"';
    for (char c : fields::IsAscii(cp1252) ? std::string(cp1252) : U(cp1252)) {
      if (c == '"' || c == '\\') s_ += '\\';
      s_ += c;
    }
    s_ += '"';
  }
  void AddNull() {
    s_ += s_.empty() ? '{' : ',';
    s_ += "NULL";
  }
  std::string Texto() const { return s_.empty() ? std::string("{}") : s_ + '}'; }
  Value Literal() const { return Value(Texto()); }

 private:
  std::string s_;
};

// A title the one statement found nothing to change for: the statement is
// undone and the list run title after title, which names the title and why.
struct TTituloRecusado {};

}  // namespace

TServerReply TPgRemessaServer::GetRegistrosBoletos(const std::string& registro, const TPacket& titulos,
                                                   const std::string& cdBanco) {
  return Guard([&] {
    require_connected();
    auto [r, iFil, iNr, p] = PedidoLista(registro, titulos);
    TArray fil, nr;
    std::string room;
    for (const auto& row : titulos.Rows) {
      fil.Add(TextoDe(titulos, row, iFil, room));
      nr.Add(TextoDe(titulos, row, iNr, room));
    }
    std::string order = r.order;
    if (!order.empty()) order = ", " + order.substr(std::string(" ORDER BY ").size());
    const std::string sql =
        "SELECT K.NRORDEM - 1 AS NRORDEM, " + SelectList(PacketFields(r.packet), r.alias, r.exprs) +
        " FROM unnest(?1::text[], ?2::text[]) WITH ORDINALITY AS K(CDFILIAL, NRLANBOLREC, NRORDEM) CROSS "
        "JOIN " +
        r.from + " WHERE " + r.branch + " = K.CDFILIAL AND " + r.number + " = K.NRLANBOLREC" +
        (r.bank ? " AND I.CDBANCO = ?3" : "") + " ORDER BY K.NRORDEM" + order;
    std::vector<Value> binds = {fil.Literal(), nr.Literal()};
    if (r.bank) binds.push_back(UV(cdBanco));
    TPacket lidos = Fetch(leitura(), p.Fields, sql, binds);
    // A kind that counts only its first row per title keeps only that one.
    int64_t last = -1;
    p.Rows.reserve(lidos.Rows.size());
    for (auto& row : lidos.Rows) {
      const int64_t o = std::get<int64_t>(row[0]);
      if (r.first && o == last) continue;
      last = o;
      p.Rows.push_back(std::move(row));
    }
    return TServerReply::Of(std::move(p));
  });
}

namespace {

// The titles' new states as one UPDATE over arrays, the one statement
// (beside the caller or not) that AlterBoletos runs; none when the packet
// lacks a key, which the title-after-title update refuses in its words.
constexpr const char* kAlteraLista =
    "UPDATE BOLETOREC SET IDSITUCNABR = K.SITU, IDBOLRECALTER = K.ALTER, NRCNABRECREM = K.NRCNAB, "
    "CDREDUCONT = COALESCE(K.CONTA, BOLETOREC.CDREDUCONT), IDOPECNABREC = K.OPE, "
    "CDNOSNUMREC = COALESCE(K.NOSNUM, BOLETOREC.CDNOSNUMREC) "
    "FROM unnest(?1::text[], ?2::text[], ?3::text[], ?4::text[], ?5::text[], ?6::text[], ?7::text[], "
    "?8::text[], ?9::text[], ?10::int[]) AS K(SITU, ALTER, NRCNAB, CONTA, OPE, NOSNUM, FIL, NR, EMP, INCL) "
    "WHERE BOLETOREC.CDFILIAL = K.FIL AND BOLETOREC.NRLANBOLREC = K.NR AND BOLETOREC.CDEMPRESA = K.EMP "
    "AND (K.INCL = 0 OR COALESCE(TRIM(BOLETOREC.IDSITUCNABR), '') IN ('', '00', '01'))";

std::optional<std::vector<std::optional<std::string>>> ValoresDaLista(const TPacket& p) {
  for (const char* f : {"CDFILIAL", "NRLANBOLREC", "CDEMPRESA", "NRCNABREC", "IDSITUCNABR"})
    if (p.IndexOf(f) < 0) return std::nullopt;
  auto col = [&p](const char* f) { return p.IndexOf(f); };
  const int iOpe = col("IDOPECNABREC");
  const int iCols[] = {col("IDSITUCNABR"), col("IDBOLRECALTER"), col("NRCNABREC"),   col("CDREDUCONT"), iOpe,
                       col("CDNOSNUMREC"), col("CDFILIAL"),      col("NRLANBOLREC"), col("CDEMPRESA")};
  TArray a[9];
  std::string inclusao = "{";
  std::string room;
  for (const auto& r : p.Rows) {
    for (int k = 0; k < 9; ++k) {
      const std::string v(TextoDe(p, r, iCols[k], room));
      // The new values: an empty one is NULL, as title after title.
      if (k < 6 && fields::EmptyString(v))
        a[k].AddNull();
      else
        a[k].Add(v);
    }
    if (inclusao.size() > 1) inclusao += ',';
    // A title registered at the bank must not be included again: the
    // bank would hold it twice.
    inclusao += fields::UpperCase(fields::AllTrim(std::string(TextoDe(p, r, iOpe, room)))) == "I" ? '1' : '0';
  }
  std::vector<std::optional<std::string>> v;
  for (const auto& x : a) v.push_back(x.Texto());
  v.push_back(inclusao + '}');
  return v;
}

}  // namespace

TServerReply TPgRemessaServer::AlterBoletos(const TPacket& p) {
  auto valores = ValoresDaLista(p);
  if (!valores) return TRemessaServer::AlterBoletos(p);
  try {
    return Guard([&] {
      Write([&] {
        auto st = db().Prepare(kAlteraLista);
        for (size_t i = 0; i < valores->size(); ++i) st.BindText(static_cast<int>(i + 1), *(*valores)[i]);
        while (st.Step()) {
        }
        // A title listed twice changes once: the list is then run title
        // after title, as a refused title is.
        if (db().Changes() != static_cast<int64_t>(p.Rows.size())) throw TTituloRecusado{};
      });
      return TServerReply{};
    });
  } catch (const TTituloRecusado&) {
    return TRemessaServer::AlterBoletos(p);
  }
}

bool TPgRemessaServer::IniciaAlterBoletos(TPacket& p) {
  // Without a unit of work the update would commit on its own, and without
  // the second connection the reads would wait for it.
  if (!connected_ || !user_tx_ || con_.Enviado() || !abre_leitor()) return false;
  auto valores = ValoresDaLista(p);
  if (!valores) return false;
  try {
    con_.Exec("SAVEPOINT ALTERA_AO_LADO");
    con_.Envia(kAlteraLista, *valores);
  } catch (const std::exception&) {
    return false;
  }
  aoLado_ = {true, std::move(p), {}, false};
  ++ao_lado_iniciadas_;
  return true;
}

void TPgRemessaServer::termina_ao_lado() {
  if (!con_.Enviado()) return;
  try {
    con_.Espera();
    aoLado_.recusado = con_.Changes() != static_cast<int64_t>(aoLado_.pacote.Rows.size());
  } catch (...) {
    aoLado_.falha = std::current_exception();
  }
}

TServerReply TPgRemessaServer::FimAlterBoletos() {
  if (!aoLado_.iniciado) return TRemessaServer::FimAlterBoletos();
  termina_ao_lado();
  TAoLado a = std::move(aoLado_);
  aoLado_ = {};
  const bool desfaz = a.falha || a.recusado;
  return Guard([&] {
    con_.Exec(desfaz ? "ROLLBACK TO SAVEPOINT ALTERA_AO_LADO" : "RELEASE SAVEPOINT ALTERA_AO_LADO");
    if (desfaz) con_.Exec("RELEASE SAVEPOINT ALTERA_AO_LADO");
    if (a.falha) std::rethrow_exception(a.falha);
    // The title that kept the update from changing every title is named
    // by the update title after title.
    if (a.recusado) return TRemessaServer::AlterBoletos(a.pacote);
    return TServerReply{};
  });
}

pg::Db& TPgRemessaServer::db() {
  termina_ao_lado();
  return con_;
}

pg::Db& TPgRemessaServer::leitura() {
  return con_.Enviado() && leitor_.IsOpen() ? leitor_ : db();
}

bool TPgRemessaServer::abre_leitor() {
  if (leitor_.IsOpen()) return true;
  if (sem_leitor_) return false;
  try {
    leitor_.Open(conninfo_, database_);
    leitor_.FalaSqlite(true);
    return true;
  } catch (const std::exception&) {
    sem_leitor_ = true;
    return false;
  }
}

}  // namespace server
