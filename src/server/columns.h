// What the schema says about a table's columns: the kind of value each holds
// and, for text, its size. Both the server (binding packet values) and the
// fixture loader (checking JSON values) go by it.
#pragma once

#include <string>
#include <vector>

#include "host/dataset.h"
#include "server/sqlite_db.h"

namespace server {

enum class TColumnKind { Text, Real, Integer, Date };

struct TColumn {
  std::string Name;
  TColumnKind Kind = TColumnKind::Text;
  int Size = 0;  // characters of a VARCHAR(n); 0 when undeclared
  bool NotNull = false;
  bool HasDefault = false;
};

// Kind and size of a declared type: VARCHAR(n) is text of n characters,
// REAL a float, INTEGER an integer, DATETEXT an ISO date held as text.
TColumn ColumnOfDeclType(const std::string& declType);

// The application's tables (not SQLite's own nor the schema bookkeeping), by
// their declared names.
std::vector<std::string> TableNames(const sqlite::Db& db);
std::vector<TColumn> TableColumns(const sqlite::Db& db, const std::string& table);

// The packet field a column of this kind becomes.
host::TFieldDef FieldOfColumn(const TColumn& c, int defaultTextSize = 250);

}  // namespace server
