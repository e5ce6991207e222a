#include "host/query.h"

namespace host {

const std::string& TADOIBQuery::ActiveSQL() const {
  switch (dialect) {
    case Dialect::Oracle:
      return SQL_ORACLE.empty() ? SQL : SQL_ORACLE;
    case Dialect::MSSQL:
      return SQL_MSSQL.empty() ? SQL : SQL_MSSQL;
    case Dialect::IB:
      return SQL_IB.empty() ? SQL : SQL_IB;
    default:
      return SQL;
  }
}

void TADOIBQuery::Open() {
  if (Active()) return;
  if (!db_) throw EDatabaseError(Name() + ": no database connection");
  SetData(db_->ExecuteQuery(ActiveSQL(), params_));
}

}  // namespace host
