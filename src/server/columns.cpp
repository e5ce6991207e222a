#include "server/columns.h"

#include <cstdlib>

#include "fields/text.h"

namespace server {

TColumn ColumnOfDeclType(const std::string& declType) {
  TColumn c;
  const std::string t = fields::UpperCase(declType);
  if (t.find("DATETEXT") != std::string::npos) {
    c.Kind = TColumnKind::Date;
  } else if (t.find("INT") != std::string::npos) {
    c.Kind = TColumnKind::Integer;
  } else if (t.find("REAL") != std::string::npos || t.find("FLOA") != std::string::npos ||
             t.find("DOUB") != std::string::npos) {
    c.Kind = TColumnKind::Real;
  } else {
    c.Kind = TColumnKind::Text;
    auto open = t.find('(');
    if (open != std::string::npos) c.Size = std::atoi(t.c_str() + open + 1);
  }
  return c;
}

std::vector<std::string> TableNames(const sqlite::Db& db) {
  std::vector<std::string> names;
  auto st = db.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
      "AND name <> 'SCHEMA_VERSION' ORDER BY name");
  while (st.Step()) names.push_back(st.Text(0));
  return names;
}

std::vector<TColumn> TableColumns(const sqlite::Db& db, const std::string& table) {
  std::vector<TColumn> cols;
  auto st = db.Prepare("SELECT name, type, \"notnull\", dflt_value FROM pragma_table_info(?)");
  st.Bind(1, table);
  while (st.Step()) {
    TColumn c = ColumnOfDeclType(st.Text(1));
    c.Name = st.Text(0);
    c.NotNull = st.Int(2) != 0;
    c.HasDefault = !st.IsNull(3);
    cols.push_back(std::move(c));
  }
  return cols;
}

host::TFieldDef FieldOfColumn(const TColumn& c, int defaultTextSize) {
  switch (c.Kind) {
    case TColumnKind::Real:
      return host::FloatField(c.Name);
    case TColumnKind::Integer:
      return host::IntField(c.Name);
    case TColumnKind::Date:
      return host::DateField(c.Name);
    case TColumnKind::Text:
      break;
  }
  return host::StrField(c.Name, c.Size > 0 ? c.Size : defaultTextSize);
}

}  // namespace server
