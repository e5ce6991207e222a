// Remittance batches: storing a batch, the batch filter, and altering or
// cancelling titles a batch carries.
#include <cmath>

#include "server/columns.h"
#include "server/packets.h"
#include "server/remessa_server.h"
#include "server/server_common.h"

namespace server {

using namespace detail;

namespace {

using host::TUpdateStatus;

// A packet row read by field name.
class PacketRow {
 public:
  PacketRow(const TPacket& p, const host::Row& r) : p_(p), r_(r) {}
  bool Has(std::string_view name) const { return p_.IndexOf(name) >= 0; }
  const Value& V(std::string_view name) const {
    static const Value kNull;
    int i = p_.IndexOf(name);
    return i >= 0 && static_cast<size_t>(i) < r_.size() ? r_[i] : kNull;
  }
  std::string S(std::string_view name) const {
    int i = p_.IndexOf(name);
    return i < 0 ? std::string() : host::ValueToString(V(name), p_.Fields[i].DataType);
  }
  double F(std::string_view name) const {
    const Value& v = V(name);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
    double r = 0;
    if (auto s = std::get_if<host::TText>(&v)) fields::TryStrToFloat(*s, r);
    return r;
  }
  bool Marked() const { return fields::UpperCase(fields::AllTrim(S("IDMARCADO"))) == "S"; }

 private:
  const TPacket& p_;
  const host::Row& r_;
};

// A packet value as the column stores it.
Value ToColumn(const Value& v, const TColumn& c) {
  if (std::holds_alternative<std::monostate>(v)) return {};
  switch (c.Kind) {
    case TColumnKind::Text:
      if (auto s = std::get_if<host::TText>(&v)) return U(*s);
      return U(host::ValueToString(v, TFieldType::ftFloat));
    case TColumnKind::Real:
    case TColumnKind::Integer: {
      double d = 0;
      if (auto p = std::get_if<double>(&v)) {
        d = *p;
      } else if (auto n = std::get_if<int64_t>(&v)) {
        d = static_cast<double>(*n);
      } else {
        const auto& s = std::get<host::TText>(v);
        if (Blank(s)) return {};
        if (!fields::TryStrToFloat(s, d))
          throw Refusal("Campo " + c.Name + ": '" + U(s) + "' não é um número.");
      }
      if (c.Kind == TColumnKind::Integer) return static_cast<int64_t>(std::llround(d));
      return d;
    }
    case TColumnKind::Date: {
      double d = 0;
      if (auto p = std::get_if<double>(&v)) {
        d = *p;
      } else if (auto n = std::get_if<int64_t>(&v)) {
        d = static_cast<double>(*n);
      } else {
        const auto& s = std::get<host::TText>(v);
        if (Blank(s)) return {};
        if (!fields::TryIsoToDateTime(s, d) && !fields::TryStrToDate(s, d))
          throw Refusal("Campo " + c.Name + ": '" + U(s) + "' não é uma data.");
      }
      return fields::DateTimeToIso(d);
    }
  }
  return {};
}

}  // namespace

TServerReply TRemessaServer::SetCNABRec(const TPacket& delta) {
  return Guard([&] {
    RequireFields(delta, {"CDEMPRESA", "NRCNABREC"}, "SetCNABRec");
    const auto columns = Colunas("CNABREC");
    // The packet's fields that are stored; calculated ones are not.
    std::vector<std::pair<int, const TColumn*>> stored;
    for (const auto& c : columns) {
      int i = delta.IndexOf(c.Name);
      if (i >= 0) stored.emplace_back(i, &c);
    }
    auto cell = [](const host::Row& r, int i) -> const Value& {
      static const Value kNull;
      return static_cast<size_t>(i) < r.size() ? r[i] : kNull;
    };
    Write([&] {
      for (size_t n = 0; n < delta.Rows.size(); ++n) {
        const host::Row& row = delta.Rows[n];
        const TUpdateStatus status = n < delta.Status.size() ? delta.Status[n] : TUpdateStatus::usInserted;
        const host::Row& orig =
            n < delta.Original.size() && !delta.Original[n].empty() && status != TUpdateStatus::usInserted
                ? delta.Original[n]
                : row;
        PacketRow key(delta, orig);
        const std::string emp = key.S("CDEMPRESA"), nr = key.S("NRCNABREC");
        const std::string name = "Remessa " + U(nr) + " da empresa " + U(emp);
        if (status == TUpdateStatus::usUnmodified) continue;
        if (status == TUpdateStatus::usInserted) {
          if (Blank(emp) || Blank(nr)) throw Refusal("Remessa sem empresa ou número não pode ser gravada.");
          if (!std::holds_alternative<std::monostate>(db().Scalar(
                  "SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND NRCNABREC = ?", {UV(emp), UV(nr)})))
            throw Refusal(name + " já cadastrada.");
          std::string cols, marks;
          std::vector<Value> vals;
          for (const auto& [i, c] : stored) {
            cols += (cols.empty() ? "" : ", ") + c->Name;
            marks += marks.empty() ? "?" : ", ?";
            vals.push_back(ToColumn(cell(row, i), *c));
          }
          auto st = db().Prepare("INSERT INTO CNABREC (" + cols + ") VALUES (" + marks + ")");
          st.BindAll(vals);
          st.Step();
        } else if (status == TUpdateStatus::usModified) {
          std::string sets;
          std::vector<Value> vals;
          for (const auto& [i, c] : stored) {
            sets += (sets.empty() ? "" : ", ") + c->Name + " = ?";
            vals.push_back(ToColumn(cell(row, i), *c));
          }
          vals.push_back(UV(emp));
          vals.push_back(UV(nr));
          auto st = db().Prepare("UPDATE CNABREC SET " + sets + " WHERE CDEMPRESA = ? AND NRCNABREC = ?");
          st.BindAll(vals);
          st.Step();
          if (db().Changes() == 0) throw Refusal(name + " não encontrada.");
        } else {
          auto st = db().Prepare("DELETE FROM CNABREC WHERE CDEMPRESA = ? AND NRCNABREC = ?");
          st.BindAll({UV(emp), UV(nr)});
          st.Step();
          if (db().Changes() == 0) throw Refusal(name + " não encontrada.");
        }
      }
    });
    return TServerReply{};
  });
}

TServerReply TRemessaServer::GetCNABRec(const std::vector<Value>& args) {
  return Guard([&] {
    require_connected();
    Args a(args, 28, "GetCNABRec");
    Where w;
    if (Blank(a.S(1))) throw Refusal("Empresa deve ser informada.");
    w.Add("R.CDEMPRESA = ?", {UV(a.S(1))});
    // The to date arrives as the day after the last one asked for.
    if (!a.All(4))
      w.Add("R.DTCNABREC >= ? AND R.DTCNABREC < ?",
            {fields::DateTimeToIso(a.F(2)), fields::DateTimeToIso(a.F(3))});
    if (!a.All(6)) w.In("R.CDOPERADOR", SplitList(a.S(5)));
    if (!a.All(9))
      w.Add("ROUND(COALESCE(R.VRTOTBOLCNABREC, 0), 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(7), 2), fields::RoundDec(a.F(8), 2)});
    if (!a.All(24)) w.In("R.CDREDUCONT", SplitList(a.S(23)));
    if (!BlankNumber(a.S(28))) w.Add(PadSql("R.NRCNABREC", 20) + " = ?", {Pad(a.S(28), 20)});

    // Title criteria: the batch carries at least one title that meets them all.
    Where t;
    if (!a.All(11)) t.In("B.CDCLIENTE", SplitList(a.S(10)));
    if (!a.All(14)) {
      if (!Blank(a.S(12))) t.Add(PadSql("B.DOCUMENTO", 20) + " >= ?", {Pad(a.S(12), 20)});
      if (!Blank(a.S(13))) t.Add(PadSql("B.DOCUMENTO", 20) + " <= ?", {Pad(a.S(13), 20)});
    }
    if (!a.All(17))
      t.Add("substr(B.DTEMISBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(15)), IsoDay(a.F(16))});
    if (!a.All(20)) t.Add("substr(B.DTVENBOLREC, 1, 10) BETWEEN ? AND ?", {IsoDay(a.F(18)), IsoDay(a.F(19))});
    if (!a.All(22)) t.In("B.CDFORMRECE", SplitList(a.S(21)));
    if (!a.All(27))
      t.Add("ROUND(B.VRFINALBREC, 2) BETWEEN ? AND ?",
            {fields::RoundDec(a.F(25), 2), fields::RoundDec(a.F(26), 2)});
    if (!t.Empty()) {
      t.conds.insert(t.conds.begin(), "B.CDEMPRESA = R.CDEMPRESA AND " + PadSql("B.NRCNABRECREM", 20) +
                                          " = " + PadSql("R.NRCNABREC", 20));
      w.Add("EXISTS (SELECT 1 FROM BOLETOREC B" + t.Sql() + ")", t.binds);
    }

    // A batch without a template of its own prints with its bank's.
    const auto& defs = PacketFields("CNABREC");
    return TServerReply::Of(Fetch(
        leitura(), defs,
        "SELECT " +
            SelectList(defs, "R",
                       {{"IDMARCADO", "'N'"},
                        {"DSARQBORDREC", "COALESCE(NULLIF(TRIM(R.DSARQBORDREC), ''), BC.DSARQBORDBANC)"}}) +
            " FROM CNABREC R LEFT JOIN BANCO BC ON BC.CDBANCO = R.CDBANCO" + w.Sql() +
            " ORDER BY CAST(R.NRCNABREC AS INTEGER) DESC, R.NRCNABREC DESC",
        w.binds));
  });
}

TServerReply TRemessaServer::AlteraBolRemessa(const std::string& cdOperador, const TPacket& boletos) {
  return Guard([&] {
    require_connected();
    Value may = db().Scalar("SELECT IDALTBOLREM FROM OPERADOR WHERE CDOPERADOR = ?", {UV(cdOperador)});
    if (!std::holds_alternative<host::TText>(may) || std::get<host::TText>(may) != "S")
      return TServerReply::Fail("OPER_INV_ALTERAR");
    RequireFields(boletos, {"CDFILIAL", "NRLANBOLREC", "IDMARCADO"}, "AlteraBolRemessa");
    Write([&] {
      for (const auto& r : boletos.Rows) {
        PacketRow row(boletos, r);
        if (!row.Marked()) continue;
        const std::string fil = row.S("CDFILIAL"), nr = row.S("NRLANBOLREC");
        if (std::holds_alternative<std::monostate>(db().Scalar(
                "SELECT 1 FROM BOLETOREC WHERE CDFILIAL = ? AND NRLANBOLREC = ?", {UV(fil), UV(nr)})))
          throw Refusal("Boleto " + TitleName(fil, nr) + " não cadastrado.");
        // Only titles the bank holds can be altered there.
        auto st = db().Prepare(
            "UPDATE BOLETOREC SET IDBOLRECALTER = '3' WHERE CDFILIAL = ? AND NRLANBOLREC = ? "
            "AND TRIM(IDSITUCNABR) IN ('01', '10', '20')");
        st.BindAll({UV(fil), UV(nr)});
        st.Step();
      }
    });
    return TServerReply{};
  });
}

TServerReply TRemessaServer::CancelaBolRemessa(const std::string& cdOperador, const std::string& nrCnabRec,
                                               const std::string& cdEmpresa,
                                               const std::string& /*idSituCnabr*/, const TPacket& boletos) {
  return Guard([&] {
    require_connected();
    Value may = db().Scalar("SELECT IDCANBOLREM FROM OPERADOR WHERE CDOPERADOR = ?", {UV(cdOperador)});
    if (!std::holds_alternative<host::TText>(may) || std::get<host::TText>(may) != "S")
      return TServerReply::Fail("OPER_INV");
    RequireFields(boletos, {"CDFILIAL", "NRLANBOLREC", "IDMARCADO"}, "CancelaBolRemessa");
    const std::string batch = "Remessa " + U(nrCnabRec) + " da empresa " + U(cdEmpresa);
    Write([&] {
      if (std::holds_alternative<std::monostate>(
              db().Scalar("SELECT 1 FROM CNABREC WHERE CDEMPRESA = ? AND " + PadSql("NRCNABREC", 20) + " = ?",
                          {UV(cdEmpresa), Pad(U(nrCnabRec), 20)})))
        throw Refusal(batch + " não encontrada.");
      int64_t count = 0;
      double total = 0;
      for (const auto& r : boletos.Rows) {
        PacketRow row(boletos, r);
        if (!row.Marked()) continue;
        const std::string fil = row.S("CDFILIAL"), nr = row.S("NRLANBOLREC");
        const std::string title = "Boleto " + TitleName(fil, nr);
        auto cur = db().Prepare(
            "SELECT CDEMPRESA, COALESCE(NRCNABRECREM, ''), COALESCE(TRIM(IDSITUCNABR), ''), VRFINALBREC "
            "FROM BOLETOREC WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
        cur.BindAll({UV(fil), UV(nr)});
        if (!cur.Step()) throw Refusal(title + " não cadastrado.");
        if (cur.Text(0) != U(cdEmpresa) || BlankNumber(cur.Text(1)) ||
            Pad(cur.Text(1), 20) != Pad(U(nrCnabRec), 20))
          throw Refusal(title + " não pertence à remessa " + U(nrCnabRec) + ".");
        // A title written off through the bank stays with the batch that did it.
        if (cur.Text(2) == "90") continue;
        const double value = cur.Double(3);
        auto up = db().Prepare(
            "UPDATE BOLETOREC SET IDSITUCNABR = '00', NRCNABRECREM = NULL, IDBOLRECALTER = NULL "
            "WHERE CDFILIAL = ? AND NRLANBOLREC = ?");
        up.BindAll({UV(fil), UV(nr)});
        up.Step();
        ++count;
        total += value;
      }
      auto st = db().Prepare(
          "UPDATE CNABREC SET QTBOLENVCNABREC = MAX(COALESCE(QTBOLENVCNABREC, 0) - ?, 0), "
          "VRTOTBOLCNABREC = ROUND(COALESCE(VRTOTBOLCNABREC, 0) - ?, 2) "
          "WHERE CDEMPRESA = ? AND " +
          PadSql("NRCNABREC", 20) + " = ?");
      st.BindAll(
          {static_cast<double>(count), fields::RoundDec(total, 2), UV(cdEmpresa), Pad(U(nrCnabRec), 20)});
      st.Step();
    });
    return TServerReply{};
  });
}

}  // namespace server
