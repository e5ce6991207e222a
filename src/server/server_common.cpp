#include "server/server_common.h"

#include <algorithm>

namespace server::detail {

std::vector<std::string> SplitList(std::string_view s) {
  std::vector<std::string> out;
  std::string cur;
  auto flush = [&] {
    std::string t = fields::AllTrim(cur);
    if (!t.empty()) out.push_back(t);
    cur.clear();
  };
  for (char c : s) {
    if (c == ',' || c == ';' || c == '|' || c == '\n' || c == '\r' || c == '\t')
      flush();
    else if (c != '\'' && c != '"')
      cur += c;
  }
  flush();
  return out;
}

std::vector<std::string> SplitCodes(std::string_view s) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (c == '_' || c == ' ' || c == ',') {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

TPacket Fetch(const store::Db& db, const std::vector<TFieldDef>& defs, const std::string& sql,
              const std::vector<Value>& binds) {
  auto st = db.Cached(sql);
  st.BindAll(binds);
  std::vector<int> col(defs.size(), -1);
  for (int c = 0; c < st.Columns(); ++c) {
    std::string name = fields::UpperCase(st.ColumnName(c));
    for (size_t f = 0; f < defs.size(); ++f)
      if (col[f] < 0 && fields::UpperCase(defs[f].Name) == name) col[f] = c;
  }
  for (size_t f = 0; f < defs.size(); ++f)
    if (col[f] < 0) throw std::logic_error("field " + defs[f].Name + " missing from the server's select");
  TPacket p;
  p.Fields = defs;
  while (st.Step()) {
    host::Row r;
    r.reserve(defs.size());
    for (size_t f = 0; f < defs.size(); ++f) r.push_back(ColumnValue(st, col[f], defs[f].DataType));
    p.Rows.push_back(std::move(r));
  }
  return p;
}

std::string SelectList(const std::vector<TFieldDef>& defs, const std::string& alias,
                       const std::map<std::string, std::string>& exprs) {
  std::string s;
  for (const auto& d : defs) {
    if (!s.empty()) s += ", ";
    auto it = exprs.find(d.Name);
    s += (it != exprs.end() ? it->second : alias + "." + d.Name) + " AS " + d.Name;
  }
  return s;
}

void RequireFields(const TPacket& p, std::initializer_list<const char*> names, const char* method) {
  for (const char* n : names)
    if (p.IndexOf(n) < 0) throw Refusal(std::string(method) + ": pacote sem o campo " + n + ".");
}

std::vector<size_t> OrdemDasChaves(const std::vector<std::pair<std::string, std::string>>& chaves) {
  std::vector<size_t> ordem(chaves.size());
  for (size_t i = 0; i < ordem.size(); ++i) ordem[i] = i;
  // Stable: a key given twice keeps its places' order.
  std::stable_sort(ordem.begin(), ordem.end(), [&](size_t a, size_t b) { return chaves[a] < chaves[b]; });
  return ordem;
}

}  // namespace server::detail
