// What the pieces of the server share: the conversions at the
// database's edge, the refusal a call answers with, the filter calls'
// arguments and criteria, and reading a select into a packet. Only the
// server's own sources include it.
#pragma once

#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fields/cp1252.h"
#include "fields/datetime.h"
#include "fields/text.h"
#include "server/rdm_remessa_cnab.h"
#include "server/store.h"

namespace server::detail {

using host::TFieldDef;
using host::TFieldType;

// Inside the server, messages are composed in UTF-8 (the source's own
// encoding) and turned into Windows-1252 once, where they leave.
inline std::string W(std::string_view utf8) {
  return fields::Utf8ToCp1252(utf8);
}
// Text arriving from the system, on its way into the database.
inline std::string U(std::string_view cp1252) {
  return fields::Cp1252ToUtf8(cp1252);
}
inline Value UV(std::string_view cp1252) {
  return Value(U(cp1252));
}
// Most texts are plain ASCII, the same bytes in both encodings: those are
// bound and compared as they stand.
inline void BindU(store::Stmt& st, int pos, std::string_view cp1252) {
  if (fields::IsAscii(cp1252))
    st.BindText(pos, cp1252);
  else
    st.BindText(pos, U(cp1252));
}
inline bool IgualU(std::string_view cp1252, std::string_view utf8) {
  return fields::IsAscii(cp1252) ? cp1252 == utf8 : U(cp1252) == utf8;
}
// A packet's value as text: a text as it stands, without a copy; another
// value as text, in room the caller keeps.
inline std::string_view TextoDe(const TPacket& p, const host::Row& r, int i, std::string& room) {
  if (i < 0 || static_cast<size_t>(i) >= r.size()) return {};
  const host::Value& v = r[static_cast<size_t>(i)];
  if (const auto* t = std::get_if<host::TText>(&v)) return t->view();
  room = host::ValueToString(v, p.Fields[static_cast<size_t>(i)].DataType);
  return room;
}

// A request the server turns down; the text is what the operator reads.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <class F>
TServerReply Guard(F&& f) {
  try {
    return f();
  } catch (const Refusal& e) {
    return TServerReply::Fail(W(e.what()));
  } catch (const store::Error& e) {
    return TServerReply::Fail(W(store::TextoDaFalha(e)));
  } catch (const std::exception& e) {
    return TServerReply::Fail(W(e.what()));
  }
}

// The page cache of the server's connection, in KB: its own, and while an
// update runs beside the caller.
constexpr int kCacheKb = 16384, kCacheKbAoLado = 2048;

inline bool Blank(std::string_view s) {
  return fields::AllTrim(s).empty();
}

// A number criterion typed in a zero-filled edit: empty or only zeros means
// "not given" (batch and return numbers start at 1).
inline bool BlankNumber(std::string_view s) {
  std::string t = fields::AllTrim(s);
  return t.find_first_not_of('0') == std::string::npos;
}

// Codes are compared right-aligned with zeros, so "7", "07" and "0000000007"
// name the same batch whichever edit or counter produced them.
inline std::string PadSql(const std::string& expr, int n) {
  return "substr('" + std::string(n, '0') + "' || trim(" + expr + "), -" + std::to_string(n) + ")";
}
inline std::string Pad(std::string_view s, int n) {
  return fields::Ajusta(fields::AllTrim(s), n);
}

inline std::string IsoDay(double d) {
  return fields::FormatDateTime("yyyy-mm-dd", fields::DateOf(d));
}

inline std::string TitleName(const std::string& cdFilial, const std::string& nrLanBolRec) {
  return U(cdFilial) + "/" + U(nrLanBolRec);
}

// Why a title's new state was not stored: not registered, of another
// company, or already sent in a batch (which one).
Refusal RecusaDeTitulo(const store::Db& db, const std::string& fil, const std::string& nr,
                       const std::string& emp);

// Picked lists arrive as the host's picker writes them; separators and
// quotes are accepted in any of the forms it has used: 'A','B' or A;B or A|B.
std::vector<std::string> SplitList(std::string_view s);

// Code strings such as "_00_01" or "1_2".
std::vector<std::string> SplitCodes(std::string_view s);

struct Where {
  std::vector<std::string> conds;
  std::vector<Value> binds;

  void Add(std::string cond, std::vector<Value> b = {}) {
    conds.push_back(std::move(cond));
    for (auto& v : b) binds.push_back(std::move(v));
  }
  void In(const std::string& expr, const std::vector<std::string>& items) {
    std::string c = expr + " IN (";
    for (size_t i = 0; i < items.size(); ++i) {
      c += i ? ", ?" : "?";
      binds.push_back(UV(items[i]));
    }
    conds.push_back(c + ")");
  }
  bool Empty() const { return conds.empty(); }
  std::string Sql(const char* keyword = " WHERE ") const {
    if (conds.empty()) return {};
    std::string s = keyword;
    for (size_t i = 0; i < conds.size(); ++i) s += (i ? " AND " : "") + conds[i];
    return s;
  }
};

// The server arguments of the filter calls, 1-based as the callers count them.
class Args {
 public:
  Args(const std::vector<Value>& a, size_t expected, const char* method) : a_(a) {
    if (a.size() != expected)
      throw Refusal(std::string(method) + ": esperados " + std::to_string(expected) +
                    " argumentos, recebidos " + std::to_string(a.size()) + ".");
  }
  std::string S(int i) const {
    const Value& v = a_.at(i - 1);
    return host::ValueToString(v, TFieldType::ftString);
  }
  double F(int i) const {
    const Value& v = a_.at(i - 1);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto n = std::get_if<int64_t>(&v)) return static_cast<double>(*n);
    if (auto tx = std::get_if<host::TText>(&v)) {
      const std::string s = tx->str();
      double r = 0;
      if (Blank(s)) return 0;
      if (fields::TryStrToFloat(s, r) || fields::TryStrToDate(s, r) || fields::TryIsoToDateTime(s, r))
        return r;
      throw Refusal("Argumento " + std::to_string(i) + " inválido: '" + U(s) + "'.");
    }
    return 0;
  }
  // "T" in a flag argument lifts the criterion.
  bool All(int i) const { return fields::UpperCase(fields::AllTrim(S(i))) == "T"; }

 private:
  const std::vector<Value>& a_;
};

// A value read from the database as the packet field wants it.
inline Value ColumnValue(const store::Stmt& st, int i, TFieldType t) {
  // Text is read in one call: asking the type first decodes the column twice.
  if (t == TFieldType::ftString) {
    std::string_view text;
    if (!st.TextOrNull(i, text)) return {};
    // Plain ASCII is the same in both encodings: no converted copy.
    return fields::IsAscii(text) ? Value(host::TText(text)) : Value(fields::Utf8ToCp1252(text));
  }
  const store::TTipo type = st.Type(i);
  if (type == store::TTipo::Nulo) return {};
  double r = 0;
  switch (t) {
    case TFieldType::ftString:
      break;
    case TFieldType::ftFloat:
      if (type == store::TTipo::Texto) return fields::TryStrToFloat(st.TextView(i), r) ? Value(r) : Value();
      return st.Double(i);
    case TFieldType::ftInteger:
      return st.Int(i);
    case TFieldType::ftDateTime:
      if (type != store::TTipo::Texto) return st.Double(i);
      return fields::TryIsoToDateTime(st.TextView(i), r) ? Value(r) : Value();
  }
  return {};
}

// Runs a select and shapes its rows as the packet defs: each field is read
// from the result column of the same name.
TPacket Fetch(const store::Db& db, const std::vector<TFieldDef>& defs, const std::string& sql,
              const std::vector<Value>& binds = {});

// "A.F AS F, ..." for the packet's fields; exprs names the fields that come
// from elsewhere than the default table alias.
std::string SelectList(const std::vector<TFieldDef>& defs, const std::string& alias,
                       const std::map<std::string, std::string>& exprs = {});

void RequireFields(const TPacket& p, std::initializer_list<const char*> names, const char* method);

// The positions of keys, in the keys' order: a list of titles walked this
// way reads each table in the order of its key.
std::vector<size_t> OrdemDasChaves(const std::vector<std::pair<std::string, std::string>>& chaves);

}  // namespace server::detail
