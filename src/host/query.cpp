#include "host/query.h"

namespace host {

void TADOIBQuery::Open() {
  if (Active()) return;
  if (!db_) throw EDatabaseError(Name() + ": no database connection");
  SetData(db_->ExecuteQuery(SQL, params_));
}

}  // namespace host
